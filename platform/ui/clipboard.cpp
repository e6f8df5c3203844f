// The clipboard, kept in <prefix>/clipboard so that every process of the prefix shares it and
// it outlives them.
//
// Opening takes an exclusive lock on <prefix>/clipboard/lock, held until CloseClipboard; the
// lock is the host's, so a process that ends releases it. The text is the file "text", replaced
// whole by a rename, so that a reader sees the old text or the new one, never half. Within
// the process, the clipboard is open for one thread at a time, as on Windows.

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/ui/internal/presenter.h"
#include "platform/ui/ui.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <thread>

namespace velmar::ui {

namespace {

// A host file descriptor that closes itself.
class HostFile {
public:
    HostFile() = default;
    explicit HostFile(int fd) : m_fd(fd) {}
    HostFile(HostFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    HostFile& operator=(HostFile&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    ~HostFile() { reset(); }

    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset() {
        if (m_fd >= 0) {
            host::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd = -1;
};

std::string clipboardFolder() {
    return prefix::prefixPath() + "/clipboard";
}

std::string textPath() {
    return clipboardFolder() + "/text";
}

DWORD lastHostError() {
    return base::win32ErrorFromErrno(errno);
}

// Writes the bytes to path through a temporary file that reaches the disk before it is renamed
// over path.
DWORD replaceFile(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".new";
    HostFile file(host::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.isOpen()) {
        return lastHostError();
    }
    DWORD error = ERROR_SUCCESS;
    while (!bytes.empty() && error == ERROR_SUCCESS) {
        const ssize_t written = host::write(file.fd(), bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) {
            error = lastHostError();
        } else if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    if (error == ERROR_SUCCESS && host::fsync(file.fd()) != 0) {
        error = lastHostError();
    }
    file.reset();
    if (error == ERROR_SUCCESS && host::rename(temporary.c_str(), path.c_str()) != 0) {
        error = lastHostError();
    }
    if (error != ERROR_SUCCESS) {
        host::unlink(temporary.c_str());
        return error;
    }
    // The rename itself reaches the disk with the folder.
    HostFile folder(host::open(clipboardFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen()) {
        host::fsync(folder.fd());
    }
    return ERROR_SUCCESS;
}

// The text of a block: up to its first zero byte, never past its size.
std::optional<std::string> blockText(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    if (bytes == nullptr) {
        return std::nullopt;
    }
    const void* zero = std::memchr(bytes, 0, size);
    std::string text(bytes, zero != nullptr ? static_cast<const char*>(zero) : bytes + size);
    GlobalUnlock(block);
    return text;
}

HGLOBAL textBlock(const std::string& text) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block != nullptr) {
        auto* bytes = static_cast<char*>(GlobalLock(block));
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
    }
    return block;
}

class Clipboard {
public:
    static Clipboard& instance() {
        static Clipboard clipboard;
        return clipboard;
    }

    DWORD open() {
        std::lock_guard lock(m_mutex);
        if (m_lock.isOpen()) {
            return m_opener == std::this_thread::get_id() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
        if (!prefix::makeHostDirectories(clipboardFolder())) {
            return lastHostError();
        }
        const std::string lockPath = clipboardFolder() + "/lock";
        HostFile file(host::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!file.isOpen()) {
            return lastHostError();
        }
        if (host::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) {
            return errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : lastHostError();
        }
        m_lock = std::move(file);
        m_opener = std::this_thread::get_id();
        return ERROR_SUCCESS;
    }

    DWORD close() {
        std::lock_guard lock(m_mutex);
        if (!openHere()) {
            return ERROR_CLIPBOARD_NOT_OPEN;
        }
        releaseGiven();
        m_lock.reset();
        m_opener = {};
        return ERROR_SUCCESS;
    }

    // Closes the clipboard when the thread that ends still has it open.
    void threadEnded() {
        std::lock_guard lock(m_mutex);
        if (openHere()) {
            releaseGiven();
            m_lock.reset();
            m_opener = {};
        }
    }

    DWORD empty() {
        std::lock_guard lock(m_mutex);
        if (!openHere()) {
            return ERROR_CLIPBOARD_NOT_OPEN;
        }
        releaseGiven();
        if (host::unlink(textPath().c_str()) != 0 && errno != ENOENT) {
            return lastHostError();
        }
        return ERROR_SUCCESS;
    }

    DWORD setText(HGLOBAL block, std::string& text) {
        std::lock_guard lock(m_mutex);
        if (!openHere()) {
            return ERROR_CLIPBOARD_NOT_OPEN;
        }
        std::optional<std::string> taken = blockText(block);
        if (!taken) {
            return ERROR_INVALID_HANDLE;
        }
        const DWORD error = replaceFile(textPath(), *taken);
        if (error != ERROR_SUCCESS) {
            return error;
        }
        releaseGiven();
        GlobalFree(block);
        text = std::move(*taken);
        return ERROR_SUCCESS;
    }

    DWORD getText(HGLOBAL& block) {
        std::lock_guard lock(m_mutex);
        if (!openHere()) {
            return ERROR_CLIPBOARD_NOT_OPEN;
        }
        if (m_given == nullptr) {
            std::string text;
            if (!host::readFile(textPath().c_str(), text)) {
                return errno == ENOENT ? ERROR_NOT_FOUND : lastHostError();
            }
            m_given = textBlock(text);
            if (m_given == nullptr) {
                return ERROR_NOT_ENOUGH_MEMORY;
            }
        }
        block = m_given;
        return ERROR_SUCCESS;
    }

    DWORD checkOpen() {
        std::lock_guard lock(m_mutex);
        return openHere() ? ERROR_SUCCESS : ERROR_CLIPBOARD_NOT_OPEN;
    }

private:
    bool openHere() const { return m_lock.isOpen() && m_opener == std::this_thread::get_id(); }

    void releaseGiven() {
        if (m_given != nullptr) {
            GlobalFree(m_given);
            m_given = nullptr;
        }
    }

    std::mutex m_mutex;
    HostFile m_lock;
    std::thread::id m_opener;
    HGLOBAL m_given = nullptr; // GetClipboardData's block, the clipboard's own
};

// Lives on each thread that opened the clipboard, to close it when the thread ends.
struct CloseAtThreadEnd {
    ~CloseAtThreadEnd() { Clipboard::instance().threadEnded(); }
};

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

} // namespace velmar::ui

using velmar::ui::Clipboard;

BOOL OpenClipboard(HWND owner) {
    if (owner != nullptr && !IsWindow(owner)) {
        return velmar::ui::fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    // Made before the clipboard is, so that it goes after the clipboard's last use.
    Clipboard& clipboard = Clipboard::instance();
    const DWORD error = clipboard.open();
    if (error != ERROR_SUCCESS) {
        return velmar::ui::fail(error);
    }
    thread_local velmar::ui::CloseAtThreadEnd closeAtThreadEnd;
    return TRUE;
}

BOOL CloseClipboard() {
    const DWORD error = Clipboard::instance().close();
    return error == ERROR_SUCCESS ? TRUE : velmar::ui::fail(error);
}

BOOL EmptyClipboard() {
    const DWORD error = Clipboard::instance().empty();
    return error == ERROR_SUCCESS ? TRUE : velmar::ui::fail(error);
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    Clipboard& clipboard = Clipboard::instance();
    DWORD error = clipboard.checkOpen();
    if (error == ERROR_SUCCESS && (format != CF_TEXT || data == nullptr)) {
        error = ERROR_INVALID_PARAMETER;
    }
    std::string text;
    if (error == ERROR_SUCCESS) {
        error = clipboard.setText(data, text);
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    velmar::ui::presenter().clipboardSet(text);
    return data;
}

HANDLE GetClipboardData(UINT format) {
    Clipboard& clipboard = Clipboard::instance();
    DWORD error = clipboard.checkOpen();
    HGLOBAL block = nullptr;
    if (error == ERROR_SUCCESS) {
        error = format == CF_TEXT ? clipboard.getText(block) : ERROR_NOT_FOUND;
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    return block;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    struct stat status {};
    return format == CF_TEXT && velmar::host::stat(velmar::ui::textPath().c_str(), &status) == 0
               ? TRUE
               : FALSE;
}
