#include "platform/fs/fs.h"

#include "platform/host/host.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace velmar::fs {

namespace {

int openFlags(const OpenMode& mode) {
    int flags =
        mode.access == Access::read ? O_RDONLY : (mode.access == Access::write ? O_WRONLY : O_RDWR);
    switch (mode.creation) {
    case Creation::openExisting:
        break;
    case Creation::openAlways:
        flags |= O_CREAT;
        break;
    case Creation::createAlways:
        flags |= O_CREAT | O_TRUNC;
        break;
    case Creation::createNew:
        flags |= O_CREAT | O_EXCL;
        break;
    }
    return mode.append ? flags | O_APPEND : flags;
}

} // namespace

File::~File() {
    close();
}

bool File::open(std::wstring_view path, const OpenMode& mode, DWORD& error) {
    close();
    const HostPath host = hostPathOf(path);
    if (!host) {
        error = host.error;
        return false;
    }
    m_fd = openShared(host.path.c_str(), openFlags(mode), mode.exclusive, error);
    return m_fd >= 0;
}

void File::close() {
    if (m_fd >= 0) {
        host::close(m_fd);
        m_fd = -1;
    }
}

int File::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

std::size_t File::read(void* buffer, std::size_t count, DWORD& error) {
    if (m_fd < 0) {
        error = ERROR_INVALID_HANDLE;
        return 0;
    }
    for (;;) {
        const ssize_t n = host::read(m_fd, buffer, count);
        if (n >= 0) {
            error = ERROR_SUCCESS;
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            error = velmar::base::win32ErrorFromErrno(errno);
            return 0;
        }
    }
}

std::size_t File::write(const void* data, std::size_t count, DWORD& error) {
    if (m_fd < 0) {
        error = ERROR_INVALID_HANDLE;
        return 0;
    }
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = host::write(m_fd, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = velmar::base::win32ErrorFromErrno(errno);
            return done;
        }
        done += static_cast<std::size_t>(n);
    }
    error = ERROR_SUCCESS;
    return done;
}

std::int64_t File::seek(std::int64_t offset, SeekFrom from, DWORD& error) {
    if (m_fd < 0) {
        error = ERROR_INVALID_HANDLE;
        return -1;
    }
    const int whence =
        from == SeekFrom::end ? SEEK_END : (from == SeekFrom::current ? SEEK_CUR : SEEK_SET);
    const off_t at = host::lseek(m_fd, static_cast<off_t>(offset), whence);
    error = at < 0 ? velmar::base::win32ErrorFromErrno(errno) : ERROR_SUCCESS;
    return at < 0 ? -1 : static_cast<std::int64_t>(at);
}

std::uint64_t File::size(DWORD& error) const {
    struct stat st {};
    if (m_fd < 0 || host::fstat(m_fd, &st) != 0) {
        error = m_fd < 0 ? ERROR_INVALID_HANDLE : velmar::base::win32ErrorFromErrno(errno);
        return 0;
    }
    error = ERROR_SUCCESS;
    return static_cast<std::uint64_t>(st.st_size);
}

bool File::commit(DWORD& error) {
    if (m_fd < 0 || host::fsync(m_fd) != 0) {
        error = m_fd < 0 ? ERROR_INVALID_HANDLE : velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

} // namespace velmar::fs
