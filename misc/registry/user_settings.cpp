// The typed settings of the current user's hive: the caller's-hive family for
// HKEY_CURRENT_USER, except the wide framework string, which travels in the narrow form.
#include "misc/registry/settings_core.h"

#include "misc/text/text.h"

using namespace velmar::misc::registry;

bool readUserSetting(LPCSTR section, LPCSTR valueName, char& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, int& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, float& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, double& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, bool& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, long& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, DWORD& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, long long& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, CString& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::string& value) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize) {
    return readSettingText(HKEY_CURRENT_USER, section, valueName, buffer, bufferSize);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, CStringW& value) {
    std::string text;
    if (!readSetting(HKEY_CURRENT_USER, section, valueName, text)) {
        return false;
    }
    value = toWide(text).c_str();
    return true;
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, buffer, bufferSize);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, wchar_t* buffer, DWORD sizeInChars) {
    return readSettingWideBytes(HKEY_CURRENT_USER, section, valueName, buffer, sizeInChars);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::vector<CString>& list) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, list);
}
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::vector<CStringW>& list) {
    return readSetting(HKEY_CURRENT_USER, section, valueName, list);
}

bool writeUserSetting(LPCSTR section, LPCSTR valueName, char value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, int value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, float value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, double value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, bool value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, long value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, DWORD value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, long long value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, LPCSTR value) {
    return writeSettingText(HKEY_CURRENT_USER, section, valueName, value, 0);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::string& value) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const CStringW& value) {
    return writeSettingText(HKEY_CURRENT_USER, section, valueName, toNarrow(value.native()).c_str(),
                            0);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, LPCWSTR value) {
    return writeSettingWideBytes(HKEY_CURRENT_USER, section, valueName, value);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size) {
    return writeSettingBytes(HKEY_CURRENT_USER, section, valueName, data, size);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::vector<CString>& list) {
    return writeSetting(HKEY_CURRENT_USER, section, valueName, list);
}
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::vector<CStringW>& list) {
    return writeSettingWideBytes(HKEY_CURRENT_USER, section, valueName, joinList(list).c_str());
}
