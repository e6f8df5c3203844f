// add: a key, or a value with its type and data.
#include "tools/reg/reg_tool.h"

using velmar::registry::Key;

namespace velmar::reg {

int runAdd(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    KeyName name;
    if (!parseOptions(args, {"v", "ve", "t", "d", "f"}, options, error)) {
        return fail(error);
    }
    if (options.keys.size() != 1) {
        return fail("Invalid syntax: add needs one key.");
    }
    if (!parseKeyName(options.keys[0], name, error)) {
        return fail(error);
    }
    const bool setsValue = options.valueName || options.defaultValue || options.data;
    DWORD type = REG_SZ;
    if (options.type && !typeFromName(*options.type, type)) {
        return fail("Invalid type: " + *options.type);
    }
    std::string bytes;
    if (setsValue && !parseData(type, options.data.value_or(""), bytes, error)) {
        return fail(error);
    }
    Key key;
    if (const DWORD code = key.create(name.hive, name.path, KEY_ALL_ACCESS | options.view);
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    if (!setsValue) {
        return succeed();
    }
    const std::string valueName = options.valueName.value_or("");
    if (!options.force && key.queryValue(valueName, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        !confirm("Value " + toTerminal(displayName(valueName)) + " exists, overwrite")) {
        return fail("The operation was cancelled.");
    }
    if (const DWORD code =
            key.setValue(valueName, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    return succeed();
}

} // namespace velmar::reg
