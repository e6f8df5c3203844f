// The suite's folders: the machine's common data folder, the program's user data folder and
// the settings-exchange common folder.
#include "misc/install/install.h"

#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/process/process.h"
#include "platform/shell/shell.h"

#include <string>

namespace {

constexpr const char* kCompanyFolder = "Velmar Systems";
constexpr const char* kFallbackCommonDataFolder = "C:\\programData\\Velmar Systems";

// The shell folder of csidl, or "" when the shell names none.
std::string shellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) < 0) {
        return "";
    }
    return path;
}

// The running program's file name without extension and without any "_64".
std::string programName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return "";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    CString name = fileNameOf(path.c_str(), true);
    name.Replace("_64", "");
    return name.native();
}

} // namespace

CString getCommonDataFolder(bool sharedSubfolder, LPCSTR furtherPath) {
    std::string folder = shellFolder(CSIDL_COMMON_APPDATA);
    if (folder.empty()) {
        folder = kFallbackCommonDataFolder;
    } else {
        velmar::shell::appendShellPath(folder, kCompanyFolder);
    }
    if (sharedSubfolder) {
        velmar::shell::appendShellPath(folder, "Common");
    }
    if (furtherPath != nullptr) {
        velmar::shell::appendShellPath(folder, furtherPath);
    }
    return CString(folder.c_str());
}

CString getUserDataFolder() {
    const std::string name = programName();
    std::string folder = shellFolder(CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE);
    if (folder.empty()) {
        return CString();
    }
    velmar::shell::appendShellPath(folder, kCompanyFolder);
    velmar::shell::appendShellPath(folder, name);
    createDirectories(folder);
    return CString(folder.c_str());
}

bool getCommonFolder(CString& folder) {
    folder.Empty();
    std::string value;
    if (velmar::process::environmentValue("VELMAR_COMMON_FOLDER", value) && !value.empty()) {
        folder = value.c_str();
    } else {
        velmar::fs::FsRedirectionOff redirectionOff;
        readUserSetting(nullptr, "commonFolder", folder);
    }
    return !folder.IsEmpty();
}

bool setCommonFolderValue(LPCSTR folder) {
    velmar::fs::FsRedirectionOff redirectionOff;
    return writeUserSetting(nullptr, "commonFolder", folder);
}
