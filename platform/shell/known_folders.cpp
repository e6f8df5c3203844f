#include "platform/base/base.h"
#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/shell/shell.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The host folder of a CSIDL, or empty for one this shell does not know.
std::string hostFolderOf(int csidl) {
    switch (csidl) {
    case CSIDL_COMMON_APPDATA:
        return velmar::prefix::driveCPath() + "/ProgramData";
    case CSIDL_LOCAL_APPDATA: {
        std::string data = envOrEmpty("XDG_DATA_HOME");
        if (data.empty()) {
            const std::string home = envOrEmpty("HOME");
            if (home.empty()) {
                return "";
            }
            data = home + "/.local/share";
        }
        while (data.size() > 1 && data.back() == '/') {
            data.pop_back();
        }
        return data;
    }
    default:
        return "";
    }
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return velmar::host::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

HRESULT SHGetFolderPathA(HWND /*window*/, int csidl, HANDLE /*token*/, DWORD /*flags*/,
                         LPSTR path) {
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    const bool create = (csidl & CSIDL_FLAG_CREATE) != 0;
    const int folder = csidl & ~CSIDL_FLAG_CREATE;
    const std::string host = hostFolderOf(folder);
    if (host.empty()) {
        return E_INVALIDARG;
    }
    // The common folders belong to the prefix, which comes into being on first use.
    if (folder == CSIDL_COMMON_APPDATA) {
        const DWORD opened = velmar::prefix::openPrefix();
        if (opened != ERROR_SUCCESS) {
            return HRESULT_FROM_WIN32(opened);
        }
    }
    bool exists = isFolder(host);
    if (!exists && create) {
        if (!velmar::prefix::makeHostDirectories(host)) {
            return HRESULT_FROM_WIN32(velmar::base::win32ErrorFromErrno(errno));
        }
        exists = true;
    }
    const std::string ansi = velmar::text::utf8ToAnsi(host);
    if (ansi.size() >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    std::memcpy(path, ansi.c_str(), ansi.size() + 1);
    return exists ? S_OK : S_FALSE;
}
