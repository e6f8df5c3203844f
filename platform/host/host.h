// The one seam to the host: every system call whose failure matters goes through a table of
// function pointers, as SQLite's VFS does, so that a test can make one of them fail (a full
// disk, a rename across devices) instead of hoping to provoke the failure for real.
//
// Call sites write host::open(...), host::rename(...): the same arguments, results and errno
// as the system call of that name. open takes a fixed mode argument instead of C varargs.
// Processes, libraries and sockets will join the table when they come through here.
#pragma once

#include <dirent.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>

namespace velmar::host {

struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*fsync)(int fd);
    int (*ftruncate)(int fd, off_t length);
    int (*flock)(int fd, int operation);

    int (*rename)(const char* from, const char* to);
    int (*link)(const char* existing, const char* created);
    int (*unlink)(const char* path);
    int (*mkdir)(const char* path, mode_t mode);
    int (*rmdir)(const char* path);
    ssize_t (*readlink)(const char* path, char* buffer, size_t size);
    char* (*getcwd)(char* buffer, size_t size);

    int (*stat)(const char* path, struct stat* status);
    int (*lstat)(const char* path, struct stat* status);
    int (*fstat)(int fd, struct stat* status);
    int (*fstatat)(int folderFd, const char* path, struct stat* status, int flags);
    int (*chmod)(const char* path, mode_t mode);
    int (*fchmod)(int fd, mode_t mode);
    int (*utimensat)(int folderFd, const char* path, const struct timespec times[2], int flags);

    ssize_t (*getxattr)(const char* path, const char* name, void* value, size_t size);
    int (*setxattr)(const char* path, const char* name, const void* value, size_t size, int flags);
    int (*removexattr)(const char* path, const char* name);

    DIR* (*opendir)(const char* path);
    struct dirent* (*readdir)(DIR* dir);
    int (*closedir)(DIR* dir);

    int (*access)(const char* path, int mode);
    int (*posix_spawn)(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                       const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]);
    // The pidfd_open system call: a descriptor that polls readable once the process ends.
    int (*pidfd_open)(pid_t pid, unsigned int flags);
    int (*poll)(struct pollfd* fds, nfds_t count, int timeout);
    int (*waitid)(idtype_t idType, id_t id, siginfo_t* info, int options);
};

namespace detail {
extern SystemCalls g_systemCalls;
} // namespace detail

// The process-wide table, holding the real calls until a test replaces an entry. Replace
// entries only while no other thread calls through them.
inline SystemCalls& systemCalls() {
    return detail::g_systemCalls;
}

// The real calls, for putting a replaced entry back.
const SystemCalls& realSystemCalls();

inline int open(const char* path, int flags, mode_t mode = 0) {
    return systemCalls().open(path, flags, mode);
}
inline int close(int fd) {
    return systemCalls().close(fd);
}
inline ssize_t read(int fd, void* buffer, size_t count) {
    return systemCalls().read(fd, buffer, count);
}
inline ssize_t write(int fd, const void* buffer, size_t count) {
    return systemCalls().write(fd, buffer, count);
}
inline off_t lseek(int fd, off_t offset, int whence) {
    return systemCalls().lseek(fd, offset, whence);
}
inline int fsync(int fd) {
    return systemCalls().fsync(fd);
}
inline int ftruncate(int fd, off_t length) {
    return systemCalls().ftruncate(fd, length);
}
inline int flock(int fd, int operation) {
    return systemCalls().flock(fd, operation);
}
inline int rename(const char* from, const char* to) {
    return systemCalls().rename(from, to);
}
inline int link(const char* existing, const char* created) {
    return systemCalls().link(existing, created);
}
inline int unlink(const char* path) {
    return systemCalls().unlink(path);
}
inline int mkdir(const char* path, mode_t mode) {
    return systemCalls().mkdir(path, mode);
}
inline int rmdir(const char* path) {
    return systemCalls().rmdir(path);
}
inline ssize_t readlink(const char* path, char* buffer, size_t size) {
    return systemCalls().readlink(path, buffer, size);
}
inline char* getcwd(char* buffer, size_t size) {
    return systemCalls().getcwd(buffer, size);
}
inline int stat(const char* path, struct stat* status) {
    return systemCalls().stat(path, status);
}
inline int lstat(const char* path, struct stat* status) {
    return systemCalls().lstat(path, status);
}
inline int fstat(int fd, struct stat* status) {
    return systemCalls().fstat(fd, status);
}
inline int fstatat(int folderFd, const char* path, struct stat* status, int flags) {
    return systemCalls().fstatat(folderFd, path, status, flags);
}
inline int chmod(const char* path, mode_t mode) {
    return systemCalls().chmod(path, mode);
}
inline int fchmod(int fd, mode_t mode) {
    return systemCalls().fchmod(fd, mode);
}
inline int utimensat(int folderFd, const char* path, const struct timespec times[2], int flags) {
    return systemCalls().utimensat(folderFd, path, times, flags);
}
inline ssize_t getxattr(const char* path, const char* name, void* value, size_t size) {
    return systemCalls().getxattr(path, name, value, size);
}
inline int setxattr(const char* path, const char* name, const void* value, size_t size, int flags) {
    return systemCalls().setxattr(path, name, value, size, flags);
}
inline int removexattr(const char* path, const char* name) {
    return systemCalls().removexattr(path, name);
}
inline DIR* opendir(const char* path) {
    return systemCalls().opendir(path);
}
inline struct dirent* readdir(DIR* dir) {
    return systemCalls().readdir(dir);
}
inline int closedir(DIR* dir) {
    return systemCalls().closedir(dir);
}

inline int access(const char* path, int mode) {
    return systemCalls().access(path, mode);
}
inline int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                       const posix_spawnattr_t* attributes, char* const argv[],
                       char* const envp[]) {
    return systemCalls().posix_spawn(pid, path, actions, attributes, argv, envp);
}
inline int pidfd_open(pid_t pid, unsigned int flags) {
    return systemCalls().pidfd_open(pid, flags);
}
inline int poll(struct pollfd* fds, nfds_t count, int timeout) {
    return systemCalls().poll(fds, count, timeout);
}
inline int waitid(idtype_t idType, id_t id, siginfo_t* info, int options) {
    return systemCalls().waitid(idType, id, info, options);
}

// Reads a whole file through open and read, also one whose size the host does not report
// (/proc). False with errno set when it cannot be opened or read; bytes then holds what was
// read before the failure.
bool readFile(const char* path, std::string& bytes);

} // namespace velmar::host
