// query: one value, or a key's values and subkeys, recursively with /s.
#include "tools/reg/reg_tool.h"

#include "platform/text/text.h"

#include <cstdio>

using velmar::registry::Key;
using velmar::registry::NamedValue;
using velmar::registry::Value;

namespace velmar::reg {

namespace {

void printValue(const std::string& name, const Value& value) {
    std::printf("    %s    %s    %s\n", toTerminal(displayName(name)).c_str(),
                typeName(value.type).c_str(), toTerminal(formatData(value)).c_str());
}

// Prints a key's values and either its subkeys' names or, recursively, the subkeys.
DWORD printKey(const Key& key, const std::string& display, bool recursive) {
    std::printf("%s\n", toTerminal(display).c_str());
    auto values = key.values();
    for (const auto& [name, value] : values) {
        printValue(name, value);
    }
    if (values.error() != ERROR_SUCCESS) {
        return values.error();
    }
    std::printf("\n");
    auto subkeys = key.subkeys();
    for (const std::string& name : subkeys) {
        const std::string child = display + "\\" + name;
        if (!recursive) {
            std::printf("%s\n", toTerminal(child).c_str());
            continue;
        }
        Key sub;
        if (const DWORD opened = sub.open(key, name, KEY_READ); opened != ERROR_SUCCESS) {
            return opened;
        }
        if (const DWORD printed = printKey(sub, child, true); printed != ERROR_SUCCESS) {
            return printed;
        }
    }
    return subkeys.error();
}

} // namespace

int runQuery(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    KeyName name;
    if (!parseOptions(args, {"v", "ve", "s"}, options, error)) {
        return fail(error);
    }
    if (options.keys.size() != 1) {
        return fail("Invalid syntax: query needs one key.");
    }
    if (!parseKeyName(options.keys[0], name, error)) {
        return fail(error);
    }
    Key key;
    if (const DWORD code = key.open(name.hive, name.path, KEY_READ | options.view);
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    if (options.valueName || options.defaultValue) {
        const std::string valueName = options.valueName.value_or("");
        Value value;
        if (const DWORD code = key.queryValue(valueName, value); code != ERROR_SUCCESS) {
            return failCode(code);
        }
        // Shown with the name's own case.
        std::string stored = valueName;
        for (const NamedValue& found : key.values()) {
            if (velmar::text::compareAnsiNoCase(found.name, valueName) == 0) {
                stored = found.name;
                break;
            }
        }
        std::printf("\n%s\n", toTerminal(name.display()).c_str());
        printValue(stored, value);
        std::printf("\n");
        return 0;
    }
    std::printf("\n");
    const DWORD code = printKey(key, name.display(), options.recursive);
    return code == ERROR_SUCCESS ? 0 : failCode(code);
}

} // namespace velmar::reg
