// Lists stored as numbered values ("00000", "00001", ...) of a subkey of a section.
#include "misc/registry/settings_core.h"

#include "misc/text/text.h"

using velmar::registry::Transaction;

namespace {

std::string listSection(LPCSTR section, LPCSTR subkey) {
    return std::string(section != nullptr ? section : "") + "\\" +
           (subkey != nullptr ? subkey : "");
}

template <typename Item>
bool writeList(LPCSTR section, LPCSTR subkey, const std::vector<Item>& items) {
    const std::string list = listSection(section, subkey);
    // One commit, so that a reader never sees half a list.
    Transaction transaction(HKEY_CURRENT_USER);
    deleteSection(HKEY_CURRENT_USER, list.c_str(), true);
    bool written = true;
    for (std::size_t index = 0; index < items.size() && written; ++index) {
        const std::string name = formatString("%05d", static_cast<int>(index));
        written = writeUserSetting(list.c_str(), name.c_str(), items[index]);
    }
    const bool committed = transaction.commit() == ERROR_SUCCESS;
    return written && committed;
}

template <typename Item>
bool readList(LPCSTR section, LPCSTR subkey, std::vector<Item>& items) {
    items.clear();
    const std::string list = listSection(section, subkey);
    std::vector<CString> names;
    if (!listSectionValueNames(list.c_str(), names)) {
        return false;
    }
    for (const CString& name : names) {
        Item item;
        if (!readUserSetting(list.c_str(), name, item)) {
            return false;
        }
        items.push_back(item);
    }
    return true;
}

} // namespace

bool writeSettingList(LPCSTR section, LPCSTR subkey, const std::vector<CString>& items) {
    return writeList(section, subkey, items);
}
bool writeSettingList(LPCSTR section, LPCSTR subkey, const std::vector<CStringW>& items) {
    return writeList(section, subkey, items);
}
bool readSettingList(LPCSTR section, LPCSTR subkey, std::vector<CString>& items) {
    return readList(section, subkey, items);
}
bool readSettingList(LPCSTR section, LPCSTR subkey, std::vector<CStringW>& items) {
    return readList(section, subkey, items);
}
