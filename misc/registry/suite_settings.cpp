// The typed settings whose hive the section chooses.
#include "misc/registry/settings_core.h"

namespace {

HKEY hiveOf(LPCSTR section) {
    return isInstallationSection(section) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The installation section goes to the machine hive too; the user's hive decides.
template <typename Write>
bool writeBoth(LPCSTR section, Write write) {
    if (isInstallationSection(section)) {
        write(HKEY_LOCAL_MACHINE);
    }
    return write(HKEY_CURRENT_USER);
}

template <typename T>
bool writeSuite(LPCSTR section, LPCSTR valueName, const T& value) {
    return writeBoth(section,
                     [&](HKEY hive) { return writeSetting(hive, section, valueName, value); });
}

} // namespace

bool readSuiteSetting(LPCSTR section, LPCSTR valueName, char& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, int& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, float& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, double& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, bool& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, CString& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, std::string& value) {
    return readSetting(hiveOf(section), section, valueName, value);
}
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize) {
    return readSettingText(hiveOf(section), section, valueName, buffer, bufferSize);
}

bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, char value) {
    return writeSuite(section, valueName, value);
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, int value) {
    return writeSuite(section, valueName, value);
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, float value) {
    return writeSuite(section, valueName, value);
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, double value) {
    return writeSuite(section, valueName, value);
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, bool value) {
    return writeSuite(section, valueName, value);
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, LPCSTR value) {
    return writeBoth(
        section, [&](HKEY hive) { return writeSettingText(hive, section, valueName, value, 0); });
}
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, const std::string& value) {
    return writeSuite(section, valueName, value);
}
