#include "platform/fs/fs.h"

#include "platform/fs/internal/forms.h"
#include "platform/host/host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace velmar::fs {

namespace {

constexpr const char* kAttributeName = "user.velmar.dosattrib";
// The bits that the file system itself answers for, never stored.
constexpr DWORD kDerivedBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                               FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_REPARSE_POINT;

bool dotName(const std::string& hostPath) {
    std::size_t end = hostPath.size();
    while (end > 1 && hostPath[end - 1] == '/') {
        --end;
    }
    const std::size_t slash = hostPath.rfind('/', end - 1);
    const std::string name = hostPath.substr(slash == std::string::npos ? 0 : slash + 1,
                                             end - (slash == std::string::npos ? 0 : slash + 1));
    return name.size() > 1 && name[0] == '.' && name != "..";
}

} // namespace

DWORD storedDosAttributes(const std::string& hostPath) {
    char value[16] = {};
    const ssize_t n = host::getxattr(hostPath.c_str(), kAttributeName, value, sizeof value - 1);
    if (n <= 0) {
        return 0;
    }
    return static_cast<DWORD>(std::strtoul(value, nullptr, 10)) & ~kDerivedBits;
}

DWORD hostFileAttributes(const std::string& hostPath, DWORD& error) {
    struct stat link {};
    if (host::lstat(hostPath.c_str(), &link) != 0) {
        error = errorForHostPath(errno, hostPath);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st = link;
    DWORD attributes = 0;
    if (S_ISLNK(link.st_mode)) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        if (host::stat(hostPath.c_str(), &st) != 0) {
            st = link; // a dangling link is still there
        }
    }
    if (S_ISDIR(st.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if (isReadOnlyMode(st.st_mode)) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    attributes |= storedDosAttributes(hostPath);
    if (dotName(hostPath)) {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    error = ERROR_SUCCESS;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool setHostFileAttributes(const std::string& hostPath, DWORD attributes, DWORD& error) {
    struct stat st {};
    if (host::stat(hostPath.c_str(), &st) != 0) {
        error = errorForHostPath(errno, hostPath);
        return false;
    }
    const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? (st.st_mode & ~S_IWUSR)
                                                                    : (st.st_mode | S_IWUSR);
    if ((mode & 07777) != (st.st_mode & 07777) &&
        host::chmod(hostPath.c_str(), mode & 07777) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    const DWORD stored = attributes & ~kDerivedBits;
    if (stored == storedDosAttributes(hostPath)) {
        error = ERROR_SUCCESS;
        return true;
    }
    int rc = 0;
    if (stored == 0) {
        rc = host::removexattr(hostPath.c_str(), kAttributeName);
        if (rc != 0 && errno == ENODATA) {
            rc = 0;
        }
    } else {
        char value[16];
        const int n = std::snprintf(value, sizeof value, "%u", static_cast<unsigned>(stored));
        rc =
            host::setxattr(hostPath.c_str(), kAttributeName, value, static_cast<std::size_t>(n), 0);
    }
    if (rc != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

DWORD fileAttributes(std::wstring_view path, DWORD& error) {
    const HostPath host = hostPathOf(path);
    if (!host) {
        error = host.error;
        return INVALID_FILE_ATTRIBUTES;
    }
    return hostFileAttributes(host.path, error);
}

bool setFileAttributes(std::wstring_view path, DWORD attributes, DWORD& error) {
    const HostPath host = hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    return setHostFileAttributes(host.path, attributes, error);
}

} // namespace velmar::fs

namespace {

template <typename Ch>
DWORD getAttributes(const Ch* path) {
    DWORD error = ERROR_INVALID_PARAMETER;
    const DWORD attributes = path != nullptr
                                 ? velmar::fs::fileAttributes(velmar::fs::wideText(path), error)
                                 : INVALID_FILE_ATTRIBUTES;
    SetLastError(error);
    return attributes;
}

template <typename Ch>
BOOL setAttributes(const Ch* path, DWORD attributes) {
    DWORD error = ERROR_INVALID_PARAMETER;
    const bool ok = path != nullptr &&
                    velmar::fs::setFileAttributes(velmar::fs::wideText(path), attributes, error);
    SetLastError(error);
    return ok ? TRUE : FALSE;
}

} // namespace

DWORD GetFileAttributesA(LPCSTR path) {
    return getAttributes(path);
}
DWORD GetFileAttributesW(LPCWSTR path) {
    return getAttributes(path);
}
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
    return setAttributes(path, attributes);
}
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    return setAttributes(path, attributes);
}
