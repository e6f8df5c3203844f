#include "platform/fs/fs.h"

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace velmar::fs {

namespace {

[[noreturn]] void fail(const char* what, const std::string& hostPath, int errnoValue) {
    throw std::filesystem::filesystem_error(what, std::filesystem::path(hostPath),
                                            std::error_code(errnoValue, std::generic_category()));
}

bool isNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_BAD_NETPATH || error == ERROR_INVALID_NAME;
}

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileKind::regular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::directory;
    }
    return S_ISLNK(mode) ? FileKind::symlink : FileKind::other;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Unlinks an entry; a folder made read-only does not keep its entries, as on Windows.
int unlinkEntry(const std::string& path, bool folder) {
    const auto once = [&] {
        return folder ? host::rmdir(path.c_str()) : host::unlink(path.c_str());
    };
    if (once() == 0) {
        return 0;
    }
    if (errno != EACCES && errno != EPERM) {
        return -1;
    }
    const std::string parent = parentOf(path);
    struct stat st {};
    if (host::stat(parent.c_str(), &st) != 0 || (st.st_mode & S_IWUSR) != 0 ||
        host::chmod(parent.c_str(), st.st_mode | S_IWUSR) != 0) {
        errno = EACCES;
        return -1;
    }
    return once();
}

std::uintmax_t removeHostTree(const std::string& path, DWORD& error) {
    struct stat st {};
    if (host::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return 0;
        }
        error = velmar::base::win32ErrorFromErrno(errno);
        return static_cast<std::uintmax_t>(-1);
    }
    std::uintmax_t count = 0;
    if (S_ISDIR(st.st_mode)) {
        if ((st.st_mode & S_IWUSR) == 0) {
            host::chmod(path.c_str(), st.st_mode | S_IWUSR | S_IXUSR | S_IRUSR);
        }
        DIR* dir = host::opendir(path.c_str());
        if (dir == nullptr) {
            error = velmar::base::win32ErrorFromErrno(errno);
            return static_cast<std::uintmax_t>(-1);
        }
        std::vector<std::string> names;
        while (const dirent* entry = host::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
        }
        host::closedir(dir);
        for (const std::string& name : names) {
            const std::uintmax_t n = removeHostTree(path + "/" + name, error);
            if (n == static_cast<std::uintmax_t>(-1)) {
                return n;
            }
            count += n;
        }
    }
    if (unlinkEntry(path, S_ISDIR(st.st_mode)) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return static_cast<std::uintmax_t>(-1);
    }
    error = ERROR_SUCCESS;
    return count + 1;
}

} // namespace

FileKind status(std::wstring_view path, DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = host.error;
        return isNotFound(error) ? FileKind::notFound : FileKind::none;
    }
    struct stat st {};
    if (host::stat(host.path.c_str(), &st) != 0) {
        error = fs::errorForHostPath(errno, host.path);
        return isNotFound(error) ? FileKind::notFound : FileKind::none;
    }
    error = ERROR_SUCCESS;
    return kindOf(st.st_mode);
}

bool fileStatus(std::wstring_view path, FileStatus& status, DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    struct stat st {};
    if (host::stat(host.path.c_str(), &st) != 0) {
        error = fs::errorForHostPath(errno, host.path);
        return false;
    }
    const DWORD attributes = fs::hostFileAttributes(host.path, error);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    status.kind = kindOf(st.st_mode);
    status.attributes = attributes;
    status.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    status.lastWrite = st.st_mtime;
    status.lastAccess = st.st_atime;
    status.created = st.st_ctime;
    error = ERROR_SUCCESS;
    return true;
}

bool setFileTimes(std::wstring_view path, std::time_t lastAccess, std::time_t lastWrite,
                  DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    if (lastAccess != 0 || lastWrite != 0) {
        struct timespec times[2] = {{lastAccess, 0}, {lastWrite, 0}};
        if (lastAccess == 0) {
            times[0].tv_nsec = UTIME_OMIT;
        }
        if (lastWrite == 0) {
            times[1].tv_nsec = UTIME_OMIT;
        }
        if (host::utimensat(AT_FDCWD, host.path.c_str(), times, 0) != 0) {
            error = fs::errorForHostPath(errno, host.path);
            return false;
        }
    }
    error = ERROR_SUCCESS;
    return true;
}

bool fullPathOf(std::wstring_view path, std::wstring& full, DWORD& error) {
    if (!path.empty() &&
        (text::winpath::looseDriveLength(path) != 0 || text::winpath::isSeparator(path[0]))) {
        full = path;
        error = ERROR_SUCCESS;
        return true;
    }
    char cwd[PATH_MAX];
    if (host::getcwd(cwd, sizeof cwd) == nullptr) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    full = text::utf8ToWide(cwd) + L"/";
    full += path;
    error = ERROR_SUCCESS;
    return true;
}

bool createDirectories(std::wstring_view path, DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    if (!prefix::makeHostDirectories(host.path)) {
        error = fs::errorForHostPath(errno, host.path);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

std::uintmax_t removeAll(std::wstring_view path, DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = host.error;
        return isNotFound(error) ? 0 : static_cast<std::uintmax_t>(-1);
    }
    error = ERROR_SUCCESS;
    return removeHostTree(host.path, error);
}

bool remove(std::wstring_view path, DWORD& error) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        error = isNotFound(host.error) ? ERROR_SUCCESS : host.error;
        return false;
    }
    struct stat st {};
    if (host::lstat(host.path.c_str(), &st) != 0) {
        error = errno == ENOENT ? ERROR_SUCCESS : velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    if (unlinkEntry(host.path, S_ISDIR(st.st_mode)) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

bool copy(std::wstring_view from, std::wstring_view to, bool overwrite, DWORD& error) {
    const fs::HostPath source = fs::hostPathOf(from);
    const fs::HostPath target = fs::hostPathOf(to);
    if (!source || !target) {
        error = !source ? source.error : target.error;
        return false;
    }
    struct stat s {};
    if (host::stat(source.path.c_str(), &s) != 0) {
        error = fs::errorForHostPath(errno, source.path);
        return false;
    }
    struct stat t {};
    const bool targetExists = host::stat(target.path.c_str(), &t) == 0;
    if (targetExists && t.st_dev == s.st_dev && t.st_ino == s.st_ino) {
        error = ERROR_FILE_EXISTS;
        return false;
    }
    const auto nameOf = [](const std::string& p) { return p.substr(p.rfind('/') + 1); };
    if (S_ISREG(s.st_mode)) {
        const std::string dest = targetExists && S_ISDIR(t.st_mode)
                                     ? target.path + "/" + nameOf(source.path)
                                     : target.path;
        return fs::copyHostFile(source.path, dest, !overwrite, error);
    }
    if (!S_ISDIR(s.st_mode)) {
        error = ERROR_NOT_SUPPORTED;
        return false;
    }
    if (overwrite) {
        error = ERROR_SUCCESS; // the standard rules do nothing for a folder with this option
        return true;
    }
    if (targetExists && !S_ISDIR(t.st_mode)) {
        error = ERROR_ALREADY_EXISTS;
        return false;
    }
    if (!targetExists && host::mkdir(target.path.c_str(), s.st_mode & 07777) != 0) {
        error = fs::errorForHostPath(errno, target.path);
        return false;
    }
    DIR* dir = host::opendir(source.path.c_str());
    if (dir == nullptr) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    bool ok = true;
    while (const dirent* entry = host::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string path = source.path + "/" + name;
        struct stat e {};
        if (name == "." || name == ".." || host::stat(path.c_str(), &e) != 0 ||
            !S_ISREG(e.st_mode)) {
            continue;
        }
        if (!fs::copyHostFile(path, target.path + "/" + name, true, error)) {
            ok = false;
            break;
        }
    }
    host::closedir(dir);
    if (ok) {
        error = ERROR_SUCCESS;
    }
    return ok;
}

bool isEmptyDirectory(std::wstring_view path) {
    const fs::HostPath host = fs::hostPathOf(path);
    if (!host) {
        fail("is_empty", text::wideToUtf8(path), ENOENT);
    }
    DIR* dir = host::opendir(host.path.c_str());
    if (dir == nullptr) {
        fail("directory iterator cannot open directory", host.path, errno);
    }
    bool empty = true;
    while (const dirent* entry = host::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    host::closedir(dir);
    return empty;
}

std::wstring tempDirectoryPath() {
    const std::string path = fs::tempFolderPath();
    struct stat st {};
    if (host::stat(path.c_str(), &st) != 0) {
        fail("temp_directory_path", path, errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        fail("temp_directory_path", path, ENOTDIR);
    }
    return text::utf8ToWide(path);
}

DirectoryWalk::DirectoryWalk(std::wstring_view folder, bool recursive) : m_recursive(recursive) {
    const fs::HostPath host = fs::hostPathOf(folder);
    if (!host) {
        fail("directory iterator cannot open directory", text::wideToUtf8(folder), ENOENT);
    }
    push("", host.path.back() == '/' ? host.path : host.path + "/");
}

DirectoryWalk::~DirectoryWalk() {
    for (Level& level : m_levels) {
        host::closedir(level.dir);
    }
}

void DirectoryWalk::push(const std::string& relative, const std::string& hostFolder) {
    DIR* dir = host::opendir(hostFolder.c_str());
    if (dir == nullptr) {
        fail("directory iterator cannot open directory", hostFolder, errno);
    }
    m_levels.push_back({dir, relative, hostFolder});
}

bool DirectoryWalk::next(Entry& entry) {
    if (!m_pendingHost.empty()) {
        std::string relative = std::move(m_pendingRelative);
        std::string hostFolder = std::move(m_pendingHost);
        m_pendingHost.clear();
        push(relative, hostFolder);
    }
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        errno = 0;
        const dirent* d = host::readdir(level.dir);
        if (d == nullptr) {
            const int err = errno;
            const std::string hostFolder = level.host;
            host::closedir(level.dir);
            m_levels.pop_back();
            if (err != 0) {
                fail("directory iterator cannot advance", hostFolder, err);
            }
            continue;
        }
        const std::string_view name = d->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        entry.relative = level.relative;
        entry.nameStart = entry.relative.size();
        entry.relative.append(name);
        entry.isLink = d->d_type == DT_LNK;
        if (d->d_type == DT_REG) {
            entry.kind = FileKind::regular;
        } else if (d->d_type == DT_DIR) {
            entry.kind = FileKind::directory;
        } else {
            const std::string hostPath = level.host + std::string(name);
            struct stat st {};
            if (host::stat(hostPath.c_str(), &st) == 0) {
                entry.kind = kindOf(st.st_mode);
                if (d->d_type == DT_UNKNOWN) {
                    struct stat ls {};
                    entry.isLink = host::lstat(hostPath.c_str(), &ls) == 0 && S_ISLNK(ls.st_mode);
                }
            } else if (errno == ENOENT) {
                entry.kind = FileKind::notFound; // a dangling link
            } else {
                fail("status", hostPath, errno);
            }
        }
        if (m_recursive && entry.kind == FileKind::directory && !entry.isLink) {
            m_pendingRelative = entry.relative + "\\";
            m_pendingHost = level.host + std::string(name) + "/";
        }
        return true;
    }
    return false;
}

} // namespace velmar::fs
