// The typed settings of the caller's hive.
#include "misc/registry/settings_core.h"

using namespace velmar::misc::registry;

bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, char& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, int& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, float& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, double& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, bool& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, DWORD& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long long& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, CString& value) {
    return readTyped(hive, section, valueName, value);
}
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::string& value) {
    return readTyped(hive, section, valueName, value);
}

bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, CStringW& value) {
    std::wstring text;
    if (!readWideText(hive, section, valueName, text)) {
        return false;
    }
    value = text.c_str();
    return true;
}

bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize) {
    DWORD size = 0;
    return readStoredBytes(hive, section, valueName, buffer, bufferSize, size);
}

bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::vector<CString>& list) {
    list.clear();
    char buffer[kTextBufferSize] = {};
    const bool read = readSettingText(hive, section, valueName, buffer, sizeof buffer);
    list = splitList(std::string(buffer));
    return read;
}

bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::vector<CStringW>& list) {
    list.clear();
    std::wstring text;
    const bool read = readWideText(hive, section, valueName, text);
    list = splitList(text);
    return read;
}

bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, char value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, int value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, float value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, double value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, bool value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, DWORD value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long long value) {
    return writeTyped(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const std::string& value) {
    return writeSettingText(hive, section, valueName, value.c_str(), 0);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, LPCWSTR value) {
    return writeSettingWideBytes(hive, section, valueName, value);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size) {
    return writeSettingBytes(hive, section, valueName, data, size);
}
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const std::vector<CString>& list) {
    return writeSettingText(hive, section, valueName, joinList(list).c_str(), 0);
}
