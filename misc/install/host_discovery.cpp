// Where the CAD and GIS hosts of the suite's plug-ins are installed, and which host executable
// last ran the suite's code.
#include "misc/install/install.h"
#include "misc/install/installation_key.h"

#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <string>
#include <string_view>

using velmar::fs::FsRedirectionOff;
using velmar::misc::install::queryValueText;
using velmar::registry::Key;
using velmar::registry::Snapshot;

const char kAutoCadReleaseKeys[24][32] = {
    "Software\\Autodesk\\AutoCAD\\R15.0", "Software\\Autodesk\\AutoCAD\\R16.0",
    "Software\\Autodesk\\AutoCAD\\R16.1", "Software\\Autodesk\\AutoCAD\\R16.2",
    "Software\\Autodesk\\AutoCAD\\R17.0", "Software\\Autodesk\\AutoCAD\\R17.1",
    "Software\\Autodesk\\AutoCAD\\R17.2", "Software\\Autodesk\\AutoCAD\\R18.0",
    "Software\\Autodesk\\AutoCAD\\R18.1", "Software\\Autodesk\\AutoCAD\\R18.2",
    "Software\\Autodesk\\AutoCAD\\R19.0", "Software\\Autodesk\\AutoCAD\\R19.1",
    "Software\\Autodesk\\AutoCAD\\R20.0", "Software\\Autodesk\\AutoCAD\\R20.1",
    "Software\\Autodesk\\AutoCAD\\R21.0", "Software\\Autodesk\\AutoCAD\\R22.0",
    "Software\\Autodesk\\AutoCAD\\R23.0", "Software\\Autodesk\\AutoCAD\\R23.1",
    "Software\\Autodesk\\AutoCAD\\R24.0", "Software\\Autodesk\\AutoCAD\\R24.1",
    "Software\\Autodesk\\AutoCAD\\R24.2", "Software\\Autodesk\\AutoCAD\\R24.3",
    "Software\\Autodesk\\AutoCAD\\R25.0", "Software\\Autodesk\\AutoCAD\\R25.1",
};

const char kMicroStationReleaseKeys[7][40] = {
    "Software\\Bentley\\MicroStation\\08.00",     "Software\\Bentley\\MicroStation\\08.01",
    "Software\\Bentley\\MicroStation\\08.05",     "Software\\Bentley\\MicroStation\\08.09",
    "Software\\Bentley\\MicroStation\\08.11",     "Software\\Bentley\\MicroStation\\08.11.07",
    "Software\\Bentley\\MapEnterprise\\08.11.07",
};

namespace {

constexpr const char* kGlobalMapperKey = "SOFTWARE\\Global Mapper";
constexpr std::string_view kGlobalMapperFolderPrefix = "INSTALLDIR";
constexpr const char* kHostSection = "HostLink";
constexpr const char* kLastHostValue = "LastCADExecutable";

REGSAM readAccess(bool view64) {
    return KEY_READ | (view64 ? KEY_WOW64_64KEY : 0);
}

// The text before the last backslash; a text without one is taken whole.
CString folderPart(const std::string& path) {
    return CString(path.substr(0, path.rfind('\\')).c_str());
}

// Reads the value of an open key as text and sets folder to its folder part.
bool queryFolderPart(const Key& key, const char* valueName, CString& folder) {
    std::string text;
    if (!queryValueText(key, valueName, text)) {
        return false;
    }
    folder = folderPart(text);
    return true;
}

// The registration tool and the installers load the suite's code too, but are no host.
bool isInstallerOrRegistrationTool(std::string_view path) {
    const std::string_view name = velmar::fs::splitPath(path).name;
    return velmar::text::compareAnsiNoCase(name, "REGSVR32") == 0 ||
           velmar::text::compareAnsiNoCase(name, "SETUP") == 0;
}

} // namespace

bool findAutoCadLocations(LPCSTR releaseKey, std::vector<CString>& locations, bool view64) {
    locations.clear();
    if (releaseKey == nullptr) {
        return false;
    }
    FsRedirectionOff redirectionOff;
    // One state of the hive for the whole walk, so that a product is neither missed nor seen
    // twice while an installer changes the key.
    Snapshot snapshot(HKEY_LOCAL_MACHINE);
    const REGSAM access = readAccess(view64);
    Key release;
    if (release.open(HKEY_LOCAL_MACHINE, releaseKey, access) != ERROR_SUCCESS) {
        return false;
    }
    // The walk ends at the first failed fetch: a key name always fits, so a failure means the
    // key itself went, and every further index would fail as well.
    for (const std::string& product : release.subkeys()) {
        Key key;
        std::string location;
        if (key.open(HKEY_LOCAL_MACHINE, std::string(releaseKey) + "\\" + product, access) ==
                ERROR_SUCCESS &&
            queryValueText(key, "AcadLocation", location)) {
            locations.emplace_back(location.c_str());
        }
    }
    return !locations.empty();
}

bool findGlobalMapperFolders(std::vector<CString>& folders) {
    std::vector<CString> names;
    listValueNames(HKEY_LOCAL_MACHINE, kGlobalMapperKey, names, false);
    for (const CString& name : names) {
        CString folder;
        if (std::string_view(name.c_str()).starts_with(kGlobalMapperFolderPrefix) &&
            readKeyText(HKEY_LOCAL_MACHINE, kGlobalMapperKey, name.c_str(), folder, false)) {
            folders.push_back(folder);
        }
    }
    return !folders.empty();
}

bool getGlobalMapperValueFolder(LPCSTR valueName, CString& folder, bool view64) {
    folder.Empty();
    FsRedirectionOff redirectionOff;
    Key key;
    return key.open(HKEY_LOCAL_MACHINE, kGlobalMapperKey, readAccess(view64)) == ERROR_SUCCESS &&
           queryFolderPart(key, valueName, folder);
}

bool getPathNameFolder(LPCSTR keyPath, CString& folder, bool view64) {
    folder.Empty();
    Key key;
    return keyPath != nullptr &&
           key.open(HKEY_LOCAL_MACHINE, keyPath, readAccess(view64)) == ERROR_SUCCESS &&
           queryFolderPart(key, "PathName", folder);
}

bool getInstallDirAndVersion(LPCSTR keyPath, CString& folder, int& version) {
    folder.Empty();
    if (keyPath == nullptr) {
        return false;
    }
    FsRedirectionOff redirectionOff;
    const REGSAM access = KEY_READ | KEY_WOW64_64KEY;
    Key key;
    if (key.open(HKEY_LOCAL_MACHINE, keyPath, access) != ERROR_SUCCESS &&
        key.open(HKEY_CURRENT_USER, keyPath, access) != ERROR_SUCCESS) {
        return false;
    }
    const bool hasFolder = queryFolderPart(key, "InstallDir", folder);
    std::string realVersion;
    const bool hasVersion = queryValueText(key, "RealVersion", realVersion);
    if (hasVersion) {
        const char first = realVersion.empty() ? '\0' : realVersion.front();
        version = first >= '0' && first <= '9' ? first - '0' : 0;
    }
    return hasFolder && hasVersion;
}

void recordHostExecutable(LPCSTR executablePath) {
    std::string path;
    if (executablePath != nullptr && executablePath[0] != '\0') {
        path = executablePath;
    } else {
        char buffer[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            // A path cut to the buffer would name another file.
            return;
        }
        path.assign(buffer, length);
    }
    if (!isInstallerOrRegistrationTool(path)) {
        writeUserSetting(kHostSection, kLastHostValue, path);
    }
}

bool getLastHostExecutable(CString& path) {
    path.Empty();
    if (!readUserSetting(kHostSection, kLastHostValue, path)) {
        return false;
    }
    if (isInstallerOrRegistrationTool(path.c_str())) {
        path.Empty();
        return false;
    }
    return true;
}
