#include "platform/services/internal/state.h"

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/registry/registry.h"
#include "platform/services/services.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>

namespace velmar::services {

namespace {

// Opens <name><suffix>; with create, for writing and made when missing (with its folder).
int openServiceFile(std::string_view name, const char* suffix, bool create, DWORD& error) {
    if (create && !prefix::makeHostDirectories(prefix::prefixPath() + "/services")) {
        error = base::win32ErrorFromErrno(errno);
        return -1;
    }
    const int flags = create ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    int fd;
    do {
        fd = host::open(serviceFilePath(name, suffix).c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    error = fd < 0 ? base::win32ErrorFromErrno(errno) : ERROR_SUCCESS;
    return fd;
}

int lockFile(int fd, int operation) {
    int rc;
    do {
        rc = host::flock(fd, operation);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

} // namespace

std::string serviceFilePath(std::string_view name, const char* suffix) {
    return prefix::prefixPath() + "/services/" + text::ansiToUtf8(registry::foldName(name)) +
           suffix;
}

StateScope::~StateScope() {
    if (m_fd >= 0) {
        host::close(m_fd); // the lock goes with it
    }
}

DWORD StateScope::open(std::string_view name, bool exclusive) {
    DWORD error = ERROR_SUCCESS;
    int fd = openServiceFile(name, ".state", true, error);
    if (fd < 0 && !exclusive) {
        // A reader that may not write the folder reads what is there; no record yet means
        // the service never started.
        fd = openServiceFile(name, ".state", false, error);
        if (fd < 0 && errno == ENOENT) {
            m_name = name;
            return ERROR_SUCCESS;
        }
    }
    if (fd < 0) {
        return error;
    }
    if (lockFile(fd, exclusive ? LOCK_EX : LOCK_SH) != 0) {
        error = base::win32ErrorFromErrno(errno);
        host::close(fd);
        return error;
    }
    m_name = name;
    m_fd = fd;
    return ERROR_SUCCESS;
}

StateRecord StateScope::read() const {
    StateRecord record;
    char buffer[128] = {};
    if (m_fd < 0 || host::lseek(m_fd, 0, SEEK_SET) != 0) {
        return record;
    }
    const ssize_t length = host::read(m_fd, buffer, sizeof buffer - 1);
    unsigned long pid = 0;
    int ready = 0;
    int stop = 0;
    if (length > 0 && std::sscanf(buffer, "pid=%lu ready=%d stop=%d", &pid, &ready, &stop) == 3) {
        record.processId = static_cast<DWORD>(pid);
        record.ready = ready != 0;
        record.stopRequested = stop != 0;
    }
    return record;
}

DWORD StateScope::write(const StateRecord& record) {
    if (m_fd < 0) {
        return ERROR_ACCESS_DENIED;
    }
    char buffer[128];
    const int length = std::snprintf(buffer, sizeof buffer, "pid=%lu ready=%d stop=%d\n",
                                     static_cast<unsigned long>(record.processId),
                                     record.ready ? 1 : 0, record.stopRequested ? 1 : 0);
    // Readers hold the lock too, so a rewrite in place is never seen half done.
    if (host::ftruncate(m_fd, 0) != 0 || host::lseek(m_fd, 0, SEEK_SET) != 0 ||
        host::write(m_fd, buffer, static_cast<size_t>(length)) != length) {
        return base::win32ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

DWORD StateScope::probeRunning(bool& running) const {
    DWORD error = ERROR_SUCCESS;
    const int fd = openServiceFile(m_name, ".lock", false, error);
    if (fd < 0) {
        // Lock files are never removed: without one, no service process ever had it.
        running = false;
        return errno == ENOENT ? ERROR_SUCCESS : error;
    }
    // A shared probe: other probers (holding the record shared) do not disturb each other, and
    // starters take the lock only while they hold the record exclusively.
    if (lockFile(fd, LOCK_SH | LOCK_NB) == 0) {
        running = false;
    } else if (errno == EWOULDBLOCK) {
        running = true;
    } else {
        error = base::win32ErrorFromErrno(errno);
    }
    host::close(fd);
    return error;
}

DWORD StateScope::takeLock(int& lockFd) const {
    DWORD error = ERROR_SUCCESS;
    const int fd = openServiceFile(m_name, ".lock", true, error);
    if (fd < 0) {
        return error;
    }
    if (lockFile(fd, LOCK_EX | LOCK_NB) != 0) {
        error =
            errno == EWOULDBLOCK ? ERROR_SERVICE_ALREADY_RUNNING : base::win32ErrorFromErrno(errno);
        host::close(fd);
        return error;
    }
    lockFd = fd;
    return ERROR_SUCCESS;
}

DWORD StateScope::currentState(bool running, const StateRecord& record) {
    if (!running) {
        return SERVICE_STOPPED;
    }
    if (record.stopRequested) {
        return SERVICE_STOP_PENDING;
    }
    return record.ready ? SERVICE_RUNNING : SERVICE_START_PENDING;
}

} // namespace velmar::services
