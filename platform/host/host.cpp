#include "platform/host/host.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace velmar::host {

namespace {

// Lambdas rather than the calls' own addresses: open is variadic, and the C library may
// declare any of them as inline wrappers.
constexpr SystemCalls kReal = {
    .open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    .close = [](int fd) { return ::close(fd); },
    .read = [](int fd, void* buffer, size_t count) { return ::read(fd, buffer, count); },
    .write = [](int fd, const void* buffer, size_t count) { return ::write(fd, buffer, count); },
    .lseek = [](int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); },
    .fsync = [](int fd) { return ::fsync(fd); },
    .ftruncate = [](int fd, off_t length) { return ::ftruncate(fd, length); },
    .flock = [](int fd, int operation) { return ::flock(fd, operation); },
    .rename = [](const char* from, const char* to) { return ::rename(from, to); },
    .link = [](const char* existing, const char* created) { return ::link(existing, created); },
    .unlink = [](const char* path) { return ::unlink(path); },
    .mkdir = [](const char* path, mode_t mode) { return ::mkdir(path, mode); },
    .rmdir = [](const char* path) { return ::rmdir(path); },
    .readlink = [](const char* path, char* buffer,
                   size_t size) { return ::readlink(path, buffer, size); },
    .getcwd = [](char* buffer, size_t size) { return ::getcwd(buffer, size); },
    .stat = [](const char* path, struct stat* status) { return ::stat(path, status); },
    .lstat = [](const char* path, struct stat* status) { return ::lstat(path, status); },
    .fstat = [](int fd, struct stat* status) { return ::fstat(fd, status); },
    .fstatat = [](int folderFd, const char* path, struct stat* status,
                  int flags) { return ::fstatat(folderFd, path, status, flags); },
    .chmod = [](const char* path, mode_t mode) { return ::chmod(path, mode); },
    .fchmod = [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
    .utimensat = [](int folderFd, const char* path, const struct timespec times[2],
                    int flags) { return ::utimensat(folderFd, path, times, flags); },
    .getxattr = [](const char* path, const char* name, void* value,
                   size_t size) { return ::getxattr(path, name, value, size); },
    .setxattr = [](const char* path, const char* name, const void* value, size_t size,
                   int flags) { return ::setxattr(path, name, value, size, flags); },
    .removexattr = [](const char* path, const char* name) { return ::removexattr(path, name); },
    .opendir = [](const char* path) { return ::opendir(path); },
    .readdir = [](DIR* dir) { return ::readdir(dir); },
    .closedir = [](DIR* dir) { return ::closedir(dir); },
    .access = [](const char* path, int mode) { return ::access(path, mode); },
    .posix_spawn =
        [](pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
           const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
            return ::posix_spawn(pid, path, actions, attributes, argv, envp);
        },
    .pidfd_open =
        [](pid_t pid, unsigned int flags) {
            return static_cast<int>(::syscall(SYS_pidfd_open, pid, flags));
        },
    .poll = [](struct pollfd* fds, nfds_t count,
               int timeout) { return ::poll(fds, count, timeout); },
    .waitid = [](idtype_t idType, id_t id, siginfo_t* info,
                 int options) { return ::waitid(idType, id, info, options); },
};

} // namespace

namespace detail {
constinit SystemCalls g_systemCalls = kReal;
} // namespace detail

const SystemCalls& realSystemCalls() {
    return kReal;
}

bool readFile(const char* path, std::string& bytes) {
    bytes.clear();
    const int fd = host::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = host::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int err = errno;
            host::close(fd);
            errno = err;
            return n == 0;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace velmar::host
