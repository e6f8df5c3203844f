#include "platform/fs/fs.h"

#include "platform/fs/internal/sharing.h"
#include "platform/host/host.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

namespace velmar::fs::crt {

namespace {

int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EACCES;
    }
}

struct Mode {
    int flags = 0;
    bool text = true;
    bool valid = false;
};

Mode parseMode(const char* mode) {
    Mode m;
    if (mode == nullptr) {
        return m;
    }
    int access = 0;
    switch (mode[0]) {
    case 'r':
        access = O_RDONLY;
        break;
    case 'w':
        access = O_WRONLY;
        m.flags = O_CREAT | O_TRUNC;
        break;
    case 'a':
        access = O_WRONLY;
        m.flags = O_CREAT | O_APPEND;
        break;
    default:
        return m;
    }
    for (const char* c = mode + 1; *c != '\0' && *c != ','; ++c) {
        if (*c == '+') {
            access = O_RDWR;
        } else if (*c == 'b') {
            m.text = false;
        } else if (*c == 't') {
            m.text = true;
        } else if (*c == 'x') {
            m.flags |= O_EXCL;
        }
    }
    m.flags |= access;
    m.valid = true;
    return m;
}

// Every stream is a cookie stream over our own descriptor, so that all its reads and writes
// go through the host seam. Text streams translate CR LF <-> LF, and Ctrl-Z ends their input,
// as the runtime's text mode has it.
struct StreamCookie {
    int fd = -1;
    std::FILE* file = nullptr;
    bool pendingCr = false;
    bool ended = false;
};

// The open streams' cookies, for commit(). Never destroyed: a stream may be closed while the
// program exits.
struct OpenStreams {
    std::mutex mutex;
    std::unordered_map<std::FILE*, StreamCookie*> cookies;
};

OpenStreams& openStreams() {
    static auto* streams = new OpenStreams;
    return *streams;
}

// The bytes written before a failure (errno tells why), else size.
std::size_t writeAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = host::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

ssize_t binaryRead(void* cookie, char* buffer, std::size_t size) {
    auto* c = static_cast<StreamCookie*>(cookie);
    for (;;) {
        const ssize_t n = host::read(c->fd, buffer, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

// A cookie's write reports the bytes it took, never a negative count: stdio takes fewer
// than asked for as the error.
ssize_t binaryWrite(void* cookie, const char* buffer, std::size_t size) {
    auto* c = static_cast<StreamCookie*>(cookie);
    return static_cast<ssize_t>(writeAll(c->fd, buffer, size));
}

ssize_t textRead(void* cookie, char* buffer, std::size_t size) {
    auto* c = static_cast<StreamCookie*>(cookie);
    std::size_t out = 0;
    char raw[4096];
    while (out == 0 && !c->ended) {
        const std::size_t want = std::min(sizeof raw, size);
        const ssize_t n = host::read(c->fd, raw, want);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            c->ended = true;
            if (c->pendingCr) {
                buffer[out++] = '\r';
                c->pendingCr = false;
            }
            break;
        }
        for (ssize_t i = 0; i < n && out < size; ++i) {
            const char ch = raw[i];
            if (c->pendingCr) {
                c->pendingCr = false;
                if (ch != '\n') {
                    buffer[out++] = '\r';
                    if (out == size) {
                        // No room for ch: step back so that it is read again.
                        host::lseek(c->fd, static_cast<off_t>(i - n), SEEK_CUR);
                        return static_cast<ssize_t>(out);
                    }
                }
            }
            if (ch == 0x1A) {
                c->ended = true;
                break;
            }
            if (ch == '\r') {
                c->pendingCr = true;
            } else {
                buffer[out++] = ch;
            }
            if (out == size && i + 1 < n) {
                host::lseek(c->fd, static_cast<off_t>(i + 1 - n), SEEK_CUR);
                break;
            }
        }
    }
    return static_cast<ssize_t>(out);
}

ssize_t textWrite(void* cookie, const char* buffer, std::size_t size) {
    auto* c = static_cast<StreamCookie*>(cookie);
    std::string data;
    data.reserve(size + size / 8);
    for (std::size_t i = 0; i < size; ++i) {
        if (buffer[i] == '\n') {
            data += '\r';
        }
        data += buffer[i];
    }
    const std::size_t written = writeAll(c->fd, data.data(), data.size());
    if (written == data.size()) {
        return static_cast<ssize_t>(size);
    }
    // The caller's bytes whose translation reached the file whole.
    std::size_t taken = 0;
    for (std::size_t out = 0; taken < size; ++taken) {
        out += buffer[taken] == '\n' ? 2 : 1;
        if (out > written) {
            break;
        }
    }
    return static_cast<ssize_t>(taken);
}

int streamSeek(void* cookie, off64_t* offset, int whence) {
    auto* c = static_cast<StreamCookie*>(cookie);
    const off_t at = host::lseek(c->fd, static_cast<off_t>(*offset), whence);
    if (at < 0) {
        return -1;
    }
    c->pendingCr = false;
    c->ended = false;
    *offset = at;
    return 0;
}

int streamClose(void* cookie) {
    auto* c = static_cast<StreamCookie*>(cookie);
    {
        OpenStreams& streams = openStreams();
        std::lock_guard lock(streams.mutex);
        streams.cookies.erase(c->file);
    }
    const int rc = host::close(c->fd);
    delete c;
    return rc;
}

std::FILE* openStream(const fs::HostPath& host, const char* mode, bool exclusive, int& err) {
    const Mode m = parseMode(mode);
    if (!m.valid) {
        err = EINVAL;
        return nullptr;
    }
    if (!host) {
        err = errnoFor(host.error);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const int fd = fs::openShared(host.path.c_str(), m.flags, exclusive, error);
    if (fd < 0) {
        err = errnoFor(error);
        return nullptr;
    }
    const int access = m.flags & O_ACCMODE;
    const char* streamMode = access == O_RDONLY ? "r" : (access == O_WRONLY ? "w" : "r+");
    if ((m.flags & O_APPEND) != 0) {
        streamMode = access == O_RDWR ? "a+" : "a";
    }
    auto* cookie = new StreamCookie{fd};
    const cookie_io_functions_t functions =
        m.text ? cookie_io_functions_t{textRead, textWrite, streamSeek, streamClose}
               : cookie_io_functions_t{binaryRead, binaryWrite, streamSeek, streamClose};
    std::FILE* file = ::fopencookie(cookie, streamMode, functions);
    if (file == nullptr) {
        err = errno;
        delete cookie;
        host::close(fd);
        return nullptr;
    }
    cookie->file = file;
    {
        OpenStreams& streams = openStreams();
        std::lock_guard lock(streams.mutex);
        streams.cookies[file] = cookie;
    }
    err = 0;
    return file;
}

std::string narrowMode(const wchar_t* mode) {
    std::string result;
    for (; mode != nullptr && *mode != L'\0'; ++mode) {
        result += static_cast<char>(*mode < 128 ? *mode : '?');
    }
    return result;
}

} // namespace

std::FILE* fopen(const char* path, const char* mode) {
    int err = 0;
    std::FILE* file = openStream(velmar::fs::hostPathOfText(path), mode, false, err);
    errno = err;
    return file;
}

std::FILE* wfopen(const wchar_t* path, const wchar_t* mode) {
    int err = 0;
    std::FILE* file =
        openStream(velmar::fs::hostPathOfText(path), narrowMode(mode).c_str(), false, err);
    errno = err;
    return file;
}

int fopen_s(std::FILE** file, const char* path, const char* mode) {
    if (file == nullptr) {
        return EINVAL;
    }
    int err = 0;
    *file = openStream(velmar::fs::hostPathOfText(path), mode, true, err);
    return err;
}

int wfopen_s(std::FILE** file, const wchar_t* path, const wchar_t* mode) {
    if (file == nullptr) {
        return EINVAL;
    }
    int err = 0;
    *file = openStream(velmar::fs::hostPathOfText(path), narrowMode(mode).c_str(), true, err);
    return err;
}

int commit(std::FILE* stream) {
    if (stream == nullptr) {
        errno = EBADF;
        return -1;
    }
    if (std::fflush(stream) != 0) {
        return -1;
    }
    int fd = -1;
    {
        OpenStreams& streams = openStreams();
        std::lock_guard lock(streams.mutex);
        const auto found = streams.cookies.find(stream);
        fd = found != streams.cookies.end() ? found->second->fd : -1;
    }
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    return host::fsync(fd) == 0 ? 0 : -1;
}

int remove(const char* path) {
    const fs::HostPath host = velmar::fs::hostPathOfText(path);
    DWORD error = host.error;
    if (host && fs::deleteHostFile(host.path, error)) {
        return 0;
    }
    errno = errnoFor(error);
    return -1;
}

int rename(const char* from, const char* to) {
    const fs::HostPath source = velmar::fs::hostPathOfText(from);
    const fs::HostPath target = velmar::fs::hostPathOfText(to);
    DWORD error = source ? target.error : source.error;
    if (source && target &&
        fs::moveHostPath(source.path, target.path, MOVEFILE_COPY_ALLOWED, error)) {
        return 0;
    }
    errno = errnoFor(error);
    return -1;
}

int stat64(const char* path, FileStatus64* status) {
    const fs::HostPath host = velmar::fs::hostPathOfText(path);
    if (!host || status == nullptr) {
        errno = status == nullptr ? EINVAL : errnoFor(host.error);
        return -1;
    }
    struct stat st {};
    if (host::stat(host.path.c_str(), &st) != 0) {
        return -1;
    }
    status->st_mode =
        static_cast<unsigned short>((S_ISDIR(st.st_mode) ? S_IFDIR_ : S_IFREG_) | S_IREAD_ |
                                    (fs::isReadOnlyMode(st.st_mode) ? 0 : S_IWRITE_));
    status->st_size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    status->lastAccess = st.st_atime;
    status->lastWrite = st.st_mtime;
    status->created = st.st_ctime;
    return 0;
}

int splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                std::size_t extSize) {
    const auto clear = [&] {
        for (auto [buffer, size] : {std::pair{drive, driveSize}, std::pair{dir, dirSize},
                                    std::pair{fname, fnameSize}, std::pair{ext, extSize}}) {
            if (buffer != nullptr && size > 0) {
                buffer[0] = '\0';
            }
        }
    };
    if (path == nullptr) {
        clear();
        return EINVAL;
    }
    // The runtime's own rules: any character before a colon is a drive, and the name's last dot
    // starts the extension, a leading one too.
    const std::string_view p(path);
    const std::size_t driveLength = text::winpath::looseDriveLength(p);
    const std::size_t nameStart = text::winpath::fileNameStart(p, driveLength);
    const std::size_t dot = p.rfind('.');
    const std::size_t extStart = dot == std::string_view::npos || dot < nameStart ? p.size() : dot;
    const std::string_view parts[] = {
        p.substr(0, driveLength), p.substr(driveLength, nameStart - driveLength),
        p.substr(nameStart, extStart - nameStart), p.substr(extStart)};
    char* const buffers[] = {drive, dir, fname, ext};
    const std::size_t sizes[] = {driveSize, dirSize, fnameSize, extSize};
    for (int i = 0; i < 4; ++i) {
        if (buffers[i] != nullptr && parts[i].size() >= sizes[i]) {
            clear();
            return ERANGE;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (buffers[i] != nullptr) {
            std::memcpy(buffers[i], parts[i].data(), parts[i].size());
            buffers[i][parts[i].size()] = '\0';
        }
    }
    return 0;
}

} // namespace velmar::fs::crt
