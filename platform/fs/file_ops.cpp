#include "platform/fs/fs.h"

#include "platform/fs/internal/forms.h"
#include "platform/fs/internal/sharing.h"
#include "platform/host/host.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace velmar::fs {

namespace {

// True when a handle without sharing holds the file (ours or another process's).
bool heldWithoutSharing(const std::string& path) {
    const int fd = host::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool held = isHeldExclusively(fd);
    host::close(fd);
    return held;
}

} // namespace

void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = host::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        host::fsync(fd);
        host::close(fd);
    }
}

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = host::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool copyHostFile(const std::string& from, const std::string& to, bool failIfExists, DWORD& error) {
    struct stat source {};
    if (host::stat(from.c_str(), &source) != 0) {
        error = errorForHostPath(errno, from);
        return false;
    }
    if (S_ISDIR(source.st_mode)) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    struct stat target {};
    if (host::stat(to.c_str(), &target) == 0 && target.st_dev == source.st_dev &&
        target.st_ino == source.st_ino) {
        error = failIfExists ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION; // never onto itself
        return false;
    }
    const int in = host::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error = errorForHostPath(errno, from);
        return false;
    }
    const int out = openShared(
        to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | (failIfExists ? O_EXCL : 0), false, error);
    if (out < 0) {
        host::close(in);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = host::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeAll(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (!ok) {
        error = velmar::base::win32ErrorFromErrno(errno);
    }
    host::fchmod(out, source.st_mode & 07777);
    host::close(out);
    host::close(in);
    if (ok) {
        DWORD ignored = ERROR_SUCCESS;
        const DWORD stored = storedDosAttributes(from);
        if (stored != 0 || storedDosAttributes(to) != 0) {
            // The bytes are copied; DOS bits a file system cannot store do not fail the copy.
            static_cast<void>(setHostFileAttributes(
                to, stored | ((source.st_mode & S_IWUSR) ? 0 : FILE_ATTRIBUTE_READONLY), ignored));
        }
        error = ERROR_SUCCESS;
    }
    return ok;
}

bool deleteHostFile(const std::string& path, DWORD& error) {
    struct stat st {};
    if (host::lstat(path.c_str(), &st) != 0) {
        error = errorForHostPath(errno, path);
        return false;
    }
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && isReadOnlyMode(st.st_mode))) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (heldWithoutSharing(path)) {
        error = ERROR_SHARING_VIOLATION;
        return false;
    }
    if (host::unlink(path.c_str()) != 0) {
        error = errorForHostPath(errno, path);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

namespace {

// Across file systems a file is copied beside its target and then renamed over it, so that a
// copy failing half-way never leaves the target, or a backup linked to it, half written.
bool moveAcrossDevices(const std::string& from, const std::string& to, DWORD& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = to + "." + std::to_string(attempt) + ".tmp";
        if (!copyHostFile(from, temporary, true, error)) {
            if (error == ERROR_FILE_EXISTS) {
                continue;
            }
            host::unlink(temporary.c_str());
            return false;
        }
        if (host::rename(temporary.c_str(), to.c_str()) != 0) {
            error = velmar::base::win32ErrorFromErrno(errno);
            host::unlink(temporary.c_str());
            return false;
        }
        host::unlink(from.c_str());
        return true;
    }
    return false;
}

} // namespace

bool moveHostPath(const std::string& from, const std::string& to, DWORD flags, DWORD& error) {
    struct stat source {};
    if (host::lstat(from.c_str(), &source) != 0) {
        error = errorForHostPath(errno, from);
        return false;
    }
    if (heldWithoutSharing(from)) {
        error = ERROR_SHARING_VIOLATION;
        return false;
    }
    struct stat target {};
    if (host::lstat(to.c_str(), &target) == 0) {
        const bool same = target.st_dev == source.st_dev && target.st_ino == source.st_ino;
        if (!same) {
            if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
                error = ERROR_ALREADY_EXISTS;
                return false;
            }
            if (S_ISDIR(target.st_mode) || isReadOnlyMode(target.st_mode)) {
                error = ERROR_ACCESS_DENIED;
                return false;
            }
            if (heldWithoutSharing(to)) {
                error = ERROR_SHARING_VIOLATION;
                return false;
            }
        }
    }
    if (host::rename(from.c_str(), to.c_str()) == 0) {
        if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
            syncFolderOf(to);
        }
        error = ERROR_SUCCESS;
        return true;
    }
    if (errno != EXDEV) {
        error = errorForHostPath(errno, to);
        return false;
    }
    if ((flags & MOVEFILE_COPY_ALLOWED) == 0 || !S_ISREG(source.st_mode)) {
        error = ERROR_NOT_SAME_DEVICE;
        return false;
    }
    if (!moveAcrossDevices(from, to, error)) {
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

namespace {

bool replaceHostFile(const std::string& replaced, const std::string& replacement,
                     const std::string& backup, DWORD flags, DWORD& error) {
    struct stat old {};
    struct stat fresh {};
    if (host::stat(replaced.c_str(), &old) != 0 || host::stat(replacement.c_str(), &fresh) != 0) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (S_ISDIR(old.st_mode) || S_ISDIR(fresh.st_mode)) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (isReadOnlyMode(old.st_mode)) {
        error = ERROR_UNABLE_TO_REMOVE_REPLACED;
        return false;
    }
    const int fd = host::open(replaced.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ERROR_UNABLE_TO_REMOVE_REPLACED;
        return false;
    }
    const bool busy = isHeldExclusively(fd) || isOpenElsewhere(fd);
    host::close(fd);
    if (busy) {
        error = ERROR_UNABLE_TO_REMOVE_REPLACED;
        return false;
    }
    // The replaced file's attributes go over to its successor.
    DWORD ignored = ERROR_SUCCESS;
    host::chmod(replacement.c_str(), old.st_mode & 07777);
    static_cast<void>(setHostFileAttributes(replacement, storedDosAttributes(replaced), ignored));
    if ((flags & REPLACEFILE_WRITE_THROUGH) != 0) {
        const int out = host::open(replacement.c_str(), O_RDONLY | O_CLOEXEC);
        if (out >= 0) {
            host::fsync(out);
            host::close(out);
        }
    }
    if (!backup.empty()) {
        host::unlink(backup.c_str());
        if (host::link(replaced.c_str(), backup.c_str()) != 0) {
            error = ERROR_UNABLE_TO_REMOVE_REPLACED;
            return false;
        }
    }
    if (host::rename(replacement.c_str(), replaced.c_str()) != 0 &&
        (errno != EXDEV || !moveAcrossDevices(replacement, replaced, error))) {
        error = ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        return false;
    }
    if ((flags & REPLACEFILE_WRITE_THROUGH) != 0) {
        syncFolderOf(replaced);
    }
    error = ERROR_SUCCESS;
    return true;
}

} // namespace

bool deleteFile(std::wstring_view path, DWORD& error) {
    const HostPath host = hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    return deleteHostFile(host.path, error);
}

bool moveFile(std::wstring_view from, std::wstring_view to, DWORD flags, DWORD& error) {
    const HostPath source = hostPathOf(from);
    const HostPath target = hostPathOf(to);
    if (!source || !target) {
        error = source ? target.error : source.error;
        return false;
    }
    return moveHostPath(source.path, target.path, flags, error);
}

bool replaceFile(std::wstring_view replaced, std::wstring_view replacement,
                 std::optional<std::wstring_view> backup, DWORD flags, DWORD& error) {
    const HostPath a = hostPathOf(replaced);
    const HostPath b = hostPathOf(replacement);
    HostPath c;
    if (backup) {
        c = hostPathOf(*backup);
    }
    if (!a || !b || !c) {
        error = !a ? a.error : (!b ? b.error : c.error);
        return false;
    }
    return replaceHostFile(a.path, b.path, c.path, flags, error);
}

bool copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists, DWORD& error) {
    const HostPath source = hostPathOf(from);
    const HostPath target = hostPathOf(to);
    if (!source || !target) {
        error = source ? target.error : source.error;
        return false;
    }
    return copyHostFile(source.path, target.path, failIfExists, error);
}

} // namespace velmar::fs

namespace {

using velmar::fs::finishCall;
using velmar::fs::wideText;

template <typename Ch>
BOOL deleteFile(const Ch* path) {
    DWORD error = ERROR_INVALID_PARAMETER;
    const bool ok = path != nullptr && velmar::fs::deleteFile(wideText(path), error);
    return finishCall(ok, error);
}

template <typename Ch>
BOOL moveFile(const Ch* from, const Ch* to, DWORD flags) {
    DWORD error = ERROR_INVALID_PARAMETER;
    const bool ok = from != nullptr && to != nullptr &&
                    velmar::fs::moveFile(wideText(from), wideText(to), flags, error);
    return finishCall(ok, error);
}

template <typename Ch>
BOOL replaceFile(const Ch* replaced, const Ch* replacement, const Ch* backup, DWORD flags) {
    if (replaced == nullptr || replacement == nullptr) {
        return finishCall(false, ERROR_INVALID_PARAMETER);
    }
    std::wstring backupText;
    std::optional<std::wstring_view> backupPath;
    if (backup != nullptr) {
        backupText = wideText(backup);
        backupPath = backupText;
    }
    DWORD error = ERROR_SUCCESS;
    const bool ok = velmar::fs::replaceFile(wideText(replaced), wideText(replacement), backupPath,
                                            flags, error);
    return finishCall(ok, error);
}

} // namespace

BOOL DeleteFileA(LPCSTR path) {
    return deleteFile(path);
}
BOOL DeleteFileW(LPCWSTR path) {
    return deleteFile(path);
}
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    return moveFile(from, to, flags);
}
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return moveFile(from, to, flags);
}
BOOL ReplaceFileA(LPCSTR replacedFile, LPCSTR replacementFile, LPCSTR backupFile, DWORD flags,
                  LPVOID, LPVOID) {
    return replaceFile(replacedFile, replacementFile, backupFile, flags);
}
BOOL ReplaceFileW(LPCWSTR replacedFile, LPCWSTR replacementFile, LPCWSTR backupFile, DWORD flags,
                  LPVOID, LPVOID) {
    return replaceFile(replacedFile, replacementFile, backupFile, flags);
}
