#include "platform/fs/internal/sharing.h"

#include "platform/base/base.h"
#include "platform/fs/fs.h"
#include "platform/host/host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace velmar::fs {

namespace {

bool isNumber(const char* s) {
    if (*s == '\0') {
        return false;
    }
    for (; *s != '\0'; ++s) {
        if (*s < '0' || *s > '9') {
            return false;
        }
    }
    return true;
}

bool descriptorElsewhere(const struct stat& target, int ownFd) {
    DIR* proc = host::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    const long self = static_cast<long>(::getpid());
    bool found = false;
    while (!found) {
        const dirent* process = host::readdir(proc);
        if (process == nullptr) {
            break;
        }
        if (!isNumber(process->d_name)) {
            continue;
        }
        const long pid = std::strtol(process->d_name, nullptr, 10);
        const std::string fdPath = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = host::opendir(fdPath.c_str());
        if (fds == nullptr) {
            continue; // another user's process, or gone
        }
        const int fdsFd = ::dirfd(fds);
        while (const dirent* entry = host::readdir(fds)) {
            if (!isNumber(entry->d_name)) {
                continue;
            }
            const int fd = std::atoi(entry->d_name);
            if (pid == self && (fd == ownFd || fd == fdsFd)) {
                continue;
            }
            struct stat st {};
            if (host::fstatat(fdsFd, entry->d_name, &st, 0) == 0 && st.st_dev == target.st_dev &&
                st.st_ino == target.st_ino) {
                found = true;
                break;
            }
        }
        host::closedir(fds);
    }
    host::closedir(proc);
    return found;
}

// /proc/locks lines: "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF" (device in hex).
bool lockElsewhere(const struct stat& target) {
    std::string locks;
    if (!host::readFile("/proc/locks", locks)) {
        return false;
    }
    const long self = static_cast<long>(::getpid());
    std::size_t start = 0;
    while (start < locks.size()) {
        std::size_t end = locks.find('\n', start);
        end = end == std::string::npos ? locks.size() : end;
        const std::string line = locks.substr(start, end - start);
        start = end + 1;
        char kind[32] = {};
        char mode[32] = {};
        char access[32] = {};
        long pid = 0;
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long long inode = 0;
        const char* text = std::strchr(line.c_str(), ':');
        if (text == nullptr || line.find("->") != std::string::npos) {
            continue; // waiters hold nothing
        }
        if (std::sscanf(text + 1, "%31s %31s %31s %ld %x:%x:%llu", kind, mode, access, &pid, &major,
                        &minor, &inode) == 7 &&
            pid != self && major == ::major(target.st_dev) && minor == ::minor(target.st_dev) &&
            inode == static_cast<unsigned long long>(target.st_ino)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool isOpenElsewhere(int ownFd) {
    struct stat target {};
    if (host::fstat(ownFd, &target) != 0) {
        return false;
    }
    return descriptorElsewhere(target, ownFd) || lockElsewhere(target);
}

bool holdExclusive(int ownFd) {
    return host::flock(ownFd, LOCK_EX | LOCK_NB) == 0;
}

bool isHeldExclusively(int fd) {
    if (host::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK;
    }
    host::flock(fd, LOCK_UN);
    return false;
}

int openShared(const char* hostPath, int flags, bool exclusive, DWORD& error) {
    const bool writing = (flags & O_ACCMODE) != O_RDONLY;
    struct stat st {};
    if (host::stat(hostPath, &st) == 0) {
        if (writing && (S_ISDIR(st.st_mode) || isReadOnlyMode(st.st_mode))) {
            error = ERROR_ACCESS_DENIED;
            return -1;
        }
        if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0) {
            error = ERROR_FILE_EXISTS;
            return -1;
        }
    }
    const int fd = host::open(hostPath, (flags & ~O_TRUNC) | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errorForHostPath(errno, hostPath);
        return -1;
    }
    if (isHeldExclusively(fd) || (exclusive && (isOpenElsewhere(fd) || !holdExclusive(fd)))) {
        host::close(fd);
        error = ERROR_SHARING_VIOLATION;
        return -1;
    }
    if ((flags & O_TRUNC) != 0 && writing && host::ftruncate(fd, 0) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        host::close(fd);
        return -1;
    }
    error = ERROR_SUCCESS;
    return fd;
}

} // namespace velmar::fs
