#include "platform/fs/fs.h"

#include "platform/fs/internal/forms.h"

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

namespace velmar::fs {

namespace {

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

const char* streamModeOf(const OpenMode& mode) {
    if (mode.append) {
        return mode.access == Access::readWrite ? "a+" : "a";
    }
    return mode.access == Access::read ? "r" : (mode.access == Access::write ? "w" : "r+");
}

} // namespace

std::FILE* openStream(std::wstring_view path, const OpenMode& mode, bool text, DWORD& error) {
    File file;
    if (!file.open(path, mode, error)) {
        return nullptr;
    }
    auto* cookie = new StreamCookie{file.release()};
    const cookie_io_functions_t functions =
        text ? cookie_io_functions_t{textRead, textWrite, streamSeek, streamClose}
             : cookie_io_functions_t{binaryRead, binaryWrite, streamSeek, streamClose};
    std::FILE* stream = ::fopencookie(cookie, streamModeOf(mode), functions);
    if (stream == nullptr) {
        error = velmar::base::win32ErrorFromErrno(errno);
        host::close(cookie->fd);
        delete cookie;
        return nullptr;
    }
    cookie->file = stream;
    {
        OpenStreams& streams = openStreams();
        std::lock_guard lock(streams.mutex);
        streams.cookies[stream] = cookie;
    }
    error = ERROR_SUCCESS;
    return stream;
}

void startStreamWriteBack(std::FILE* stream) {
    if (stream == nullptr || std::fflush(stream) != 0) {
        return;
    }
    int fd = -1;
    {
        OpenStreams& streams = openStreams();
        std::lock_guard lock(streams.mutex);
        const auto found = streams.cookies.find(stream);
        fd = found != streams.cookies.end() ? found->second->fd : -1;
    }
    if (fd >= 0) {
        // A hint: whatever it does not start, the commit's fsync does.
        static_cast<void>(::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE));
    }
}

bool commitStream(std::FILE* stream, DWORD& error) {
    if (stream == nullptr) {
        errno = EBADF;
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (std::fflush(stream) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
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
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (host::fsync(fd) != 0) {
        error = velmar::base::win32ErrorFromErrno(errno);
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

PathParts splitPath(std::string_view path) {
    const std::size_t driveLength = text::winpath::looseDriveLength(path);
    const std::size_t nameStart = text::winpath::fileNameStart(path, driveLength);
    const std::size_t dot = path.rfind('.');
    const std::size_t extStart =
        dot == std::string_view::npos || dot < nameStart ? path.size() : dot;
    return {path.substr(0, driveLength), path.substr(driveLength, nameStart - driveLength),
            path.substr(nameStart, extStart - nameStart), path.substr(extStart)};
}

} // namespace velmar::fs

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
    case ERROR_NOT_ENOUGH_MEMORY:
        return ENOMEM;
    default:
        return EACCES;
    }
}

// The runtime's mode text: "r", "w", "a" with "+", "b" for binary, "t" for text, "x" for a
// new file.
bool parseMode(const char* mode, OpenMode& open, bool& text) {
    if (mode == nullptr) {
        return false;
    }
    switch (mode[0]) {
    case 'r':
        open = {Access::read, Creation::openExisting};
        break;
    case 'w':
        open = {Access::write, Creation::createAlways};
        break;
    case 'a':
        open = {Access::write, Creation::openAlways, true};
        break;
    default:
        return false;
    }
    text = true;
    for (const char* c = mode + 1; *c != '\0' && *c != ','; ++c) {
        if (*c == '+') {
            open.access = Access::readWrite;
        } else if (*c == 'b') {
            text = false;
        } else if (*c == 't') {
            text = true;
        } else if (*c == 'x' && mode[0] != 'r') {
            open.creation = Creation::createNew;
        }
    }
    return true;
}

template <typename Ch>
std::FILE* openForm(const Ch* path, const char* mode, bool exclusive, int& err) {
    OpenMode open;
    bool text = true;
    if (!parseMode(mode, open, text)) {
        err = EINVAL;
        return nullptr;
    }
    if (path == nullptr) {
        err = EINVAL;
        return nullptr;
    }
    open.exclusive = exclusive;
    DWORD error = ERROR_SUCCESS;
    std::FILE* file = fs::openStream(wideText(path), open, text, error);
    err = file != nullptr ? 0 : errnoFor(error);
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
    std::FILE* file = openForm(path, mode, false, err);
    errno = err;
    return file;
}

std::FILE* wfopen(const wchar_t* path, const wchar_t* mode) {
    int err = 0;
    std::FILE* file = openForm(path, narrowMode(mode).c_str(), false, err);
    errno = err;
    return file;
}

int fopen_s(std::FILE** file, const char* path, const char* mode) {
    if (file == nullptr) {
        return EINVAL;
    }
    int err = 0;
    *file = openForm(path, mode, true, err);
    return err;
}

int wfopen_s(std::FILE** file, const wchar_t* path, const wchar_t* mode) {
    if (file == nullptr) {
        return EINVAL;
    }
    int err = 0;
    *file = openForm(path, narrowMode(mode).c_str(), true, err);
    return err;
}

int commit(std::FILE* stream) {
    DWORD error = ERROR_SUCCESS;
    return fs::commitStream(stream, error) ? 0 : -1;
}

int remove(const char* path) {
    DWORD error = ERROR_INVALID_PARAMETER;
    if (path != nullptr && fs::deleteFile(wideText(path), error)) {
        return 0;
    }
    errno = errnoFor(error);
    return -1;
}

int rename(const char* from, const char* to) {
    DWORD error = ERROR_INVALID_PARAMETER;
    if (from != nullptr && to != nullptr &&
        fs::moveFile(wideText(from), wideText(to), MOVEFILE_COPY_ALLOWED, error)) {
        return 0;
    }
    errno = errnoFor(error);
    return -1;
}

int stat64(const char* path, FileStatus64* status) {
    if (path == nullptr || status == nullptr) {
        errno = EINVAL;
        return -1;
    }
    fs::FileStatus found;
    DWORD error = ERROR_SUCCESS;
    if (!fs::fileStatus(wideText(path), found, error)) {
        errno = errnoFor(error);
        return -1;
    }
    const bool folder = found.kind == FileKind::directory;
    status->st_mode = static_cast<unsigned short>(
        (folder ? S_IFDIR_ : S_IFREG_) | S_IREAD_ |
        ((found.attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0 : S_IWRITE_));
    status->st_size = static_cast<std::int64_t>(found.size);
    status->lastAccess = found.lastAccess;
    status->lastWrite = found.lastWrite;
    status->created = found.created;
    return 0;
}

int splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                std::size_t extSize) {
    char* const buffers[] = {drive, dir, fname, ext};
    const std::size_t sizes[] = {driveSize, dirSize, fnameSize, extSize};
    const auto clear = [&] {
        for (int i = 0; i < 4; ++i) {
            if (buffers[i] != nullptr && sizes[i] > 0) {
                buffers[i][0] = '\0';
            }
        }
    };
    if (path == nullptr) {
        clear();
        return EINVAL;
    }
    const PathParts split = splitPath(path);
    const std::string_view parts[] = {split.drive, split.folder, split.name, split.extension};
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
