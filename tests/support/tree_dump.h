// Registry contents as comparable text, for the registry-file tests.
#pragma once

#include "platform/registry/registry.h"

#include <string>

namespace velmar::test {

// One line per key ("[path]") and per value ("name|type|hex bytes"), depth
// first, in the registry's order; empty when the key does not open.
inline void appendTree(const velmar::registry::Key& key, const std::string& path,
                       std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "[" + path + "]\n";
    for (const auto& [name, value] : key.values()) {
        out += name + "|" + std::to_string(value.type) + "|";
        for (const char c : value.data) {
            out += kDigits[static_cast<unsigned char>(c) >> 4];
            out += kDigits[static_cast<unsigned char>(c) & 15];
        }
        out += "\n";
    }
    for (const std::string& name : key.subkeys()) {
        velmar::registry::Key subkey;
        if (subkey.open(key, name, KEY_READ) == ERROR_SUCCESS) {
            appendTree(subkey, path.empty() ? name : path + "\\" + name, out);
        }
    }
}

inline std::string dumpTree(HKEY hive, const std::string& path) {
    velmar::registry::Key key;
    std::string out;
    if (key.open(hive, path, KEY_READ) == ERROR_SUCCESS) {
        appendTree(key, path, out);
    }
    return out;
}

// The hex text of bytes, as dumpTree writes them.
inline std::string hexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += kDigits[static_cast<unsigned char>(c) >> 4];
        out += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

} // namespace velmar::test
