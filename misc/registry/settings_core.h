// What the settings files share: key paths, buffer sizes, the stored text forms and the one
// typed read and write that every family goes through. Internal to misc/registry.
#pragma once

#include "misc/registry/registry.h"

#include <string>
#include <vector>

namespace velmar::misc::registry {

inline constexpr DWORD kTextBufferSize = 2048;
inline constexpr DWORD kWideBufferChars = 2048;

// The section's key below the hive: the suite key, a backslash and the section; the suite key
// itself for a null section.
std::string sectionKeyPath(LPCSTR section);

// A null value name is the default value.
inline LPCSTR nameOrDefault(LPCSTR name) {
    return name != nullptr ? name : "";
}

// The stored text of each value type.
std::string settingText(char value);
std::string settingText(int value);
std::string settingText(long value);
std::string settingText(DWORD value);
std::string settingText(float value);
std::string settingText(double value);
std::string settingText(bool value);
std::string settingText(long long value);

// The value of a stored text, as the type's conversion reads it.
void parseSetting(const char* text, char& value);
void parseSetting(const char* text, int& value);
void parseSetting(const char* text, long& value);
void parseSetting(const char* text, DWORD& value);
void parseSetting(const char* text, float& value);
void parseSetting(const char* text, double& value);
void parseSetting(const char* text, bool& value);
void parseSetting(const char* text, long long& value);
void parseSetting(const char* text, CString& value);
void parseSetting(const char* text, std::string& value);

// Text lists: every item followed by ";", and back (text after the last ";" is dropped).
std::string joinList(const std::vector<CString>& items);
std::wstring joinList(const std::vector<CStringW>& items);
std::vector<CString> splitList(const std::string& text);
std::vector<CStringW> splitList(const std::wstring& text);

// The value's bytes as stored into buffer; size receives their number. The buffer is
// unchanged on failure.
bool readStoredBytes(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize,
                     DWORD& size);

// The wide text of a binary-form value (see readSettingWideBytes).
bool readWideText(HKEY hive, LPCSTR section, LPCSTR valueName, std::wstring& text);

template <typename T>
bool readTyped(HKEY hive, LPCSTR section, LPCSTR valueName, T& value) {
    char buffer[kTextBufferSize]; // holds a terminated text when the read succeeds
    if (!readSettingText(hive, section, valueName, buffer, sizeof buffer)) {
        return false;
    }
    parseSetting(buffer, value);
    return true;
}

template <typename T>
bool writeTyped(HKEY hive, LPCSTR section, LPCSTR valueName, T value) {
    return writeSettingText(hive, section, valueName, settingText(value).c_str(), 0);
}

} // namespace velmar::misc::registry
