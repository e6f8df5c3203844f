#include "platform/prefix/prefix.h"

#include "platform/base/base.h"
#include "platform/host/host.h"
#include "platform/prefix/internal/windows_programs.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace velmar::prefix {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string prefixPath() {
    std::string path = envOrEmpty("VELMAR_PREFIX");
    if (path.empty()) {
        std::string data = envOrEmpty("XDG_DATA_HOME");
        if (data.empty()) {
            std::string home = envOrEmpty("HOME");
            data = (home.empty() ? std::string("/tmp") : home) + "/.local/share";
        }
        path = data + "/velmar";
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string driveCPath() {
    return prefixPath() + "/drive_c";
}

bool makeHostDirectories(const std::string& path) {
    struct stat st {};
    if (host::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return true;
        }
        errno = ENOTDIR;
        return false;
    }
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeHostDirectories(path.substr(0, slash))) {
        return false;
    }
    if (host::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) {
        return host::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

DWORD openPrefix() {
    const std::string driveC = driveCPath();
    for (const char* folder : {"/ProgramData", "/Program Files", "/Program Files (x86)",
                               "/windows/system32", "/users/Public"}) {
        if (!makeHostDirectories(driveC + folder)) {
            const DWORD code = velmar::base::win32ErrorFromErrno(errno);
            return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;
        }
    }
    placeWindowsPrograms(driveC + "/windows");
    return ERROR_SUCCESS;
}

} // namespace velmar::prefix
