// copy: the values of a key, and with /s its subkeys, into another key.
#include "tools/reg/reg_tool.h"

#include "platform/text/text.h"

using velmar::registry::Key;
using velmar::registry::Transaction;

namespace velmar::reg {

namespace {

// Whether the target already holds a value that the copy would replace.
bool overwritesValues(const Key& source, const Key& target) {
    for (const velmar::registry::NamedValue& value : source.values()) {
        if (target.queryValue(value.name, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

DWORD copyValues(const Key& source, Key& target) {
    auto values = source.values();
    for (const auto& [name, value] : values) {
        if (const DWORD set = target.setValue(name, value.type, value.data.data(),
                                              static_cast<DWORD>(value.data.size()));
            set != ERROR_SUCCESS) {
            return set;
        }
    }
    return values.error();
}

} // namespace

int runCopy(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    KeyName from;
    KeyName to;
    if (!parseOptions(args, {"s", "f"}, options, error)) {
        return fail(error);
    }
    if (options.keys.size() != 2) {
        return fail("Invalid syntax: copy needs a source and a target key.");
    }
    if (!parseKeyName(options.keys[0], from, error) || !parseKeyName(options.keys[1], to, error)) {
        return fail(error);
    }
    if (from.hive == to.hive && velmar::text::compareAnsiNoCase(from.path, to.path) == 0) {
        return fail("The source and the target key are the same.");
    }
    Key source;
    if (const DWORD code = source.open(from.hive, from.path, KEY_READ | options.view);
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    // All of the copy or none of it.
    Transaction transaction(to.hive);
    Key target;
    if (const DWORD code = target.create(to.hive, to.path, KEY_ALL_ACCESS | options.view);
        code != ERROR_SUCCESS) {
        return failCode(code);
    }
    if (!options.force && overwritesValues(source, target) &&
        !confirm("Overwrite the existing values of " + toTerminal(to.display()))) {
        return fail("The operation was cancelled.");
    }
    const DWORD code = options.recursive ? source.copyTree("", target) : copyValues(source, target);
    if (code != ERROR_SUCCESS) {
        return failCode(code);
    }
    const DWORD committed = transaction.commit();
    return committed == ERROR_SUCCESS ? succeed() : failCode(committed);
}

} // namespace velmar::reg
