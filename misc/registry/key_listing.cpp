// Listing the subkeys and value names of a key.
#include "misc/registry/settings_core.h"

#include "misc/text/text.h"

using velmar::misc::registry::sectionKeyPath;
using velmar::registry::Key;

namespace {

// The value-name buffer holds 511 characters and a terminator.
constexpr std::size_t kValueNameChars = 512;

void append(std::vector<CString>& names, const std::string& name) {
    names.emplace_back(name.c_str());
}
void append(std::vector<CStringW>& names, const std::string& name) {
    names.emplace_back(toWide(name).c_str());
}

template <typename Name>
bool listSubkeysInto(HKEY hive, LPCSTR keyPath, std::vector<Name>& names, DWORD viewFlags) {
    names.clear();
    Key key;
    if (keyPath == nullptr || key.open(hive, keyPath, KEY_READ | viewFlags) != ERROR_SUCCESS) {
        return false;
    }
    velmar::registry::KeyInfo info;
    if (key.queryInfo(info) != ERROR_SUCCESS || info.subkeys == 0) {
        return false;
    }
    // As many names as the key counted; one that cannot be fetched fails the list.
    DWORD fetched = 0;
    for (const std::string& name : key.subkeys()) {
        if (!name.empty()) {
            append(names, name);
        }
        if (++fetched == info.subkeys) {
            break;
        }
    }
    return fetched == info.subkeys;
}

template <typename Name>
bool listValueNamesInto(HKEY hive, const std::string& keyPath, std::vector<Name>& names,
                        REGSAM view) {
    names.clear();
    Key key;
    if (key.open(hive, keyPath, KEY_READ | view) != ERROR_SUCCESS) {
        return false;
    }
    for (const velmar::registry::NamedValue& value : key.values()) {
        if (value.name.size() >= kValueNameChars) {
            break;
        }
        if (!value.name.empty()) {
            append(names, value.name);
        }
    }
    return !names.empty();
}

} // namespace

bool listSubkeys(HKEY hive, LPCSTR keyPath, std::vector<CString>& names, DWORD viewFlags) {
    return listSubkeysInto(hive, keyPath, names, viewFlags);
}
bool listSubkeys(HKEY hive, LPCSTR keyPath, std::vector<CStringW>& names, DWORD viewFlags) {
    return listSubkeysInto(hive, keyPath, names, viewFlags);
}

bool listSectionSubkeys(LPCSTR section, std::vector<CString>& names) {
    return listSubkeysInto(HKEY_CURRENT_USER, sectionKeyPath(section).c_str(), names, 0);
}
bool listSectionSubkeys(LPCSTR section, std::vector<CStringW>& names) {
    return listSubkeysInto(HKEY_CURRENT_USER, sectionKeyPath(section).c_str(), names, 0);
}

bool listValueNames(HKEY hive, LPCSTR keyPath, std::vector<CString>& names, bool view32) {
    if (keyPath == nullptr) {
        names.clear();
        return false;
    }
    return listValueNamesInto(hive, keyPath, names, view32 ? KEY_WOW64_32KEY : 0);
}

bool listSectionValueNames(LPCSTR section, std::vector<CString>& names) {
    return listValueNamesInto(HKEY_CURRENT_USER, sectionKeyPath(section), names, 0);
}
bool listSectionValueNames(LPCSTR section, std::vector<CStringW>& names) {
    return listValueNamesInto(HKEY_CURRENT_USER, sectionKeyPath(section), names, 0);
}
