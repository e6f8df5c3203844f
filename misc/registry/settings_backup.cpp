// Carrying the module settings through the common folder as registry files.
#include "misc/registry/registry.h"

#include "misc/files/files.h"
#include "misc/install/install.h"
#include "platform/framework/framework.h"
#include "platform/fs/fs.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <string>
#include <vector>

using velmar::fs::FsRedirectionOff;

namespace {

struct ModuleFile {
    const char* key;  // below the suite key
    const char* file; // in the common folder
};

constexpr ModuleFile kModuleFiles[] = {
    {"\\Model Viewer\\ImportRelative", "\\ImportRelative.reg"},
    {"\\Model Viewer\\AT", "\\AT.reg"},
    {"\\Model Viewer\\Options\\Input Devices", "\\Options_InputDevices.reg"},
    {"\\Point Cloud Loader\\Formats", "\\PointCloudLoaderFormats.reg"},
    {"\\Survey Point Loader", "\\SurveyPointLoader.reg"},
    {"\\Key Assignments", "\\KeyAssignments.reg"},
    {"\\Terrain\\Options\\InputDevice", "\\TerrainInputDevice.reg"},
};

// The common folder without trailing separators, so that the file names join with one.
bool commonFolder(std::string& folder) {
    CString found;
    if (!getCommonFolder(found)) {
        return false;
    }
    folder = found.native();
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return true;
}

} // namespace

bool backupModuleSettings() {
    FsRedirectionOff redirectionOff;
    std::string folder;
    if (!commonFolder(folder)) {
        return false;
    }
    const std::string suiteKey = getSuiteKeyPath().native();
    bool exported = true;
    for (const ModuleFile& module : kModuleFiles) {
        exported = exportRegistryKey(HKEY_CURRENT_USER, (suiteKey + module.key).c_str(),
                                     (folder + module.file).c_str()) &&
                   exported;
    }
    return exported;
}

bool restoreSettings() {
    FsRedirectionOff redirectionOff;
    applyDefaultSettingsFile();
    std::string folder;
    if (!commonFolder(folder)) {
        return false;
    }
    velmar::fs::FileFinder finder;
    DWORD error = ERROR_SUCCESS;
    if (!finder.open(velmar::text::ansiToWide(folder + "\\*.reg"), error)) {
        return true;
    }
    do {
        const std::string& name = finder.name();
        // A folder named like a registry file is no file to import.
        if (name == "." || name == ".." || finder.isDirectory()) {
            continue;
        }
        if (!importRegistryFile((folder + "\\" + velmar::text::utf8ToAnsi(name)).c_str())) {
            return false;
        }
    } while (finder.next());
    return true;
}

bool applyDefaultSettingsFile() {
    std::string file;
    if (!velmar::process::environmentValue("VELMAR_DEFAULT_SETTINGS_FILE", file) || file.empty()) {
        return true;
    }
    if (!fileExists(file)) {
        return false;
    }
    std::vector<CString> subkeys;
    listSectionSubkeys(nullptr, subkeys);
    if (!subkeys.empty()) {
        return false;
    }
    return importRegistryFile(file.c_str());
}
