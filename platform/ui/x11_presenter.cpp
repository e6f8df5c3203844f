#include "platform/ui/internal/x11_presenter.h"

#include "platform/host/host.h"
#include "platform/ui/internal/folder_chooser.h"
#include "platform/ui/internal/x11_connection.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace velmar::ui {

namespace {

HWND topLevelOf(HWND window) {
    HWND top = window;
    while (top != nullptr &&
           (static_cast<DWORD>(GetWindowLongPtrA(top, GWL_STYLE)) & WS_CHILD) != 0) {
        const HWND parent = GetParent(top);
        if (parent == nullptr) {
            break;
        }
        top = parent;
    }
    return top;
}

} // namespace

std::unique_ptr<X11Presenter> X11Presenter::open() {
    std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (connection == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<X11Presenter>(new X11Presenter(std::move(connection)));
}

X11Presenter::X11Presenter(std::unique_ptr<X11Connection> connection)
    : m_connection(std::move(connection)) {
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
    m_thread = std::thread([this] { run(); });
}

X11Presenter::~X11Presenter() {
    m_stop = true;
    wake();
    m_thread.join();
    m_connection.reset();
    for (const int fd : m_wake) {
        if (fd >= 0) {
            host::close(fd);
        }
    }
}

void X11Presenter::wake() {
    const char byte = 1;
    if (m_wake[1] >= 0) {
        static_cast<void>(host::write(m_wake[1], &byte, 1));
    }
}

void X11Presenter::windowChanged(HWND window, WindowChange change) {
    if (change == WindowChange::Focus) {
        m_focus = window;
    }
    const HWND top = topLevelOf(window);
    {
        std::lock_guard lock(m_mutex);
        m_dirty.insert(top != nullptr ? top : window);
        if (change == WindowChange::Enabled || change == WindowChange::Destroyed) {
            // An owner's caption shows whether it takes input; owned windows may go with it.
            for (HWND other = GetWindow(window, GW_HWNDFIRST); other != nullptr;
                 other = GetWindow(other, GW_HWNDNEXT)) {
                m_dirty.insert(other);
            }
        }
    }
    wake();
}

void X11Presenter::messageBoxShown(HWND box, std::string_view, std::string_view, UINT) {
    windowChanged(box, WindowChange::Shown);
}

void X11Presenter::folderBrowserShown(HWND browser, std::string_view title,
                                      std::string_view initialFolder) {
    // The desktop's own chooser when there is one; else our browser, a window like the others.
    if (folderChooserAvailable()) {
        {
            std::lock_guard lock(m_mutex);
            m_answeredElsewhere.insert(browser);
        }
        chooseFolderOutOfProcess(browser, std::string(title), std::string(initialFolder));
    }
    windowChanged(browser, WindowChange::Shown);
}

void X11Presenter::clipboardSet(std::string_view text) {
    // The prefix's clipboard is the truth; the desktop's programs see it on the selection.
    static_cast<void>(m_clipboard.offer(text));
}

bool X11Presenter::idle(HWND) {
    return false;
}

void X11Presenter::run() {
    std::vector<HWND> shown; // what the X side shows, for windows that went without a word
    while (!m_stop) {
        pollfd watched[2] = {{m_connection->fd(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (host::poll(watched, m_wake[0] >= 0 ? 2 : 1, 1000) < 0 && errno != EINTR) {
            break;
        }
        if (watched[1].revents != 0) {
            char drain[64];
            while (host::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        std::set<HWND> dirty;
        std::set<HWND> elsewhere;
        {
            std::lock_guard lock(m_mutex);
            dirty.swap(m_dirty);
            std::erase_if(m_answeredElsewhere, [](HWND window) { return !IsWindow(window); });
            elsewhere = m_answeredElsewhere;
        }
        for (HWND window : dirty) {
            if (elsewhere.count(window) != 0) {
                continue;
            }
            if ((static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) == 0 ||
                !IsWindow(window)) {
                m_connection->update(window, m_focus);
            }
        }
        if (!m_connection->handleEvents(m_focus)) {
            break;
        }
    }
}

} // namespace velmar::ui
