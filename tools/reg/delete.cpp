// delete: a value, every value of a key, or a key with everything below it.
#include "tools/reg/reg_tool.h"

using velmar::registry::Key;
using velmar::registry::Transaction;

namespace velmar::reg {

namespace {

DWORD deleteAllValues(Key& key) {
    std::string name;
    DWORD error;
    // Each deletion moves the next value to index 0.
    while ((error = key.enumValue(0, name)) == ERROR_SUCCESS) {
        if (const DWORD deleted = key.deleteValue(name); deleted != ERROR_SUCCESS) {
            return deleted;
        }
    }
    return error == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : error;
}

} // namespace

int runDelete(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    KeyName name;
    if (!parseOptions(args, {"v", "ve", "va", "f"}, options, error)) {
        return fail(error);
    }
    if (options.keys.size() != 1) {
        return fail("Invalid syntax: delete needs one key.");
    }
    if (!parseKeyName(options.keys[0], name, error)) {
        return fail(error);
    }
    const bool wholeKey = !options.valueName && !options.defaultValue && !options.allValues;
    if (wholeKey && name.path.empty()) {
        return fail("A hive cannot be deleted.");
    }
    Key key;
    if (const DWORD code = key.open(name.hive, name.path, KEY_ALL_ACCESS | options.view);
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    const std::string question =
        wholeKey ? "Permanently delete the registry key " + toTerminal(name.display())
        : options.allValues
            ? "Delete all values under the registry key " + toTerminal(name.display())
            : "Delete the registry value " +
                  toTerminal(displayName(options.valueName.value_or("")));
    if (!options.force && !confirm(question)) {
        return fail("The operation was cancelled.");
    }
    // Emptying and deleting the key are one change.
    Transaction transaction(name.hive);
    DWORD code;
    if (wholeKey) {
        code = key.deleteTree("");
        code = code == ERROR_SUCCESS ? key.deleteKey("") : code;
    } else if (options.allValues) {
        code = deleteAllValues(key);
    } else {
        code = key.deleteValue(options.valueName.value_or(""));
    }
    code = code == ERROR_SUCCESS ? transaction.commit() : code;
    return code == ERROR_SUCCESS ? succeed() : failCode(code);
}

} // namespace velmar::reg
