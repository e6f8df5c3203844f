// Visibility, the enabled state, text, focus and activation.
#include "platform/process/process.h"
#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstring>

using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowChange;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

namespace velmar::ui {

namespace {

// A live window's handle, or null; with the window lock held.
HWND liveOrNull(HWND handle) {
    return WindowTable::instance().lookupLocked(handle) != nullptr ? handle : nullptr;
}

void bringToTop(Window& window) {
    Window* top = topLevelOf(window);
    if (top != nullptr && top->parent->firstChild != top) {
        Window& desktop = *top->parent;
        detach(*top);
        linkFirst(desktop, *top);
    }
}

// Makes a hidden window visible: WM_SHOWWINDOW, the style, a full repaint, the presenter.
void show(const std::shared_ptr<Window>& window) {
    {
        WindowLock lock = lockWindows();
        if (!window->alive || (window->style & WS_VISIBLE) != 0) {
            return;
        }
    }
    SendMessageA(window->handle, WM_SHOWWINDOW, TRUE, 0);
    {
        WindowLock lock = lockWindows();
        if (!window->alive) {
            return;
        }
        window->style |= WS_VISIBLE;
        bringToTop(*window);
    }
    invalidate(window->handle, nullptr, true, true);
    notify(window->handle, WindowChange::Shown);
}

void hide(const std::shared_ptr<Window>& window) {
    {
        WindowLock lock = lockWindows();
        if (!window->alive || (window->style & WS_VISIBLE) == 0) {
            return;
        }
    }
    SendMessageA(window->handle, WM_SHOWWINDOW, FALSE, 0);
    HWND deactivated = nullptr;
    {
        WindowLock lock = lockWindows();
        window->style &= ~WS_VISIBLE;
        if (window->queue != nullptr && window->queue->active == window->handle) {
            window->queue->active = nullptr;
            deactivated = window->handle;
        }
    }
    dropFocusWithin(window->handle);
    if (deactivated != nullptr) {
        SendMessageA(deactivated, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    notify(window->handle, WindowChange::Hidden);
}

void activate(const std::shared_ptr<Window>& window) {
    bool own = false;
    {
        WindowLock lock = lockWindows();
        own = window->alive && isTopLevel(*window) && window->queue == ThreadQueue::current();
        if (!own && window->alive) {
            bringToTop(*window);
        }
    }
    if (own) {
        SetActiveWindow(window->handle);
    }
}

// What SW_SHOWDEFAULT stands for: the show state the starting program gave CreateProcessA, else
// a normal show.
int defaultShowCommand() {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    if ((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 && startup.wShowWindow < SW_SHOWDEFAULT) {
        return startup.wShowWindow;
    }
    return SW_SHOWNORMAL;
}

} // namespace

HWND moveFocus(ThreadQueue& queue, HWND window) {
    HWND previous = nullptr;
    {
        WindowLock lock = lockWindows();
        previous = liveOrNull(queue.focus);
        if (previous == window) {
            return previous;
        }
        queue.focus = window;
    }
    if (previous != nullptr) {
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (window != nullptr) {
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    // The presenter hears of the window that took the focus, or of the one that lost it.
    notify(window != nullptr ? window : previous, WindowChange::Focus);
    return previous;
}

void dropFocusWithin(HWND handle) {
    std::shared_ptr<ThreadQueue> queue;
    {
        WindowLock lock = lockWindows();
        WindowTable& table = WindowTable::instance();
        Window* window = table.lookupLocked(handle);
        if (window == nullptr || window->queue == nullptr) {
            return;
        }
        if (Window* active = table.lookupLocked(window->queue->active);
            active != nullptr && isSelfOrDescendant(*window, active)) {
            window->queue->active = nullptr;
        }
        Window* focus = table.lookupLocked(window->queue->focus);
        if (focus == nullptr || !isSelfOrDescendant(*window, focus)) {
            return;
        }
        queue = window->queue;
    }
    moveFocus(*queue, nullptr);
}

BOOL showWindow(const std::shared_ptr<Window>& window, int command) {
    if (command == SW_SHOWDEFAULT) {
        command = defaultShowCommand();
    }
    BOOL wasVisible = FALSE;
    {
        WindowLock lock = lockWindows();
        wasVisible = (window->style & WS_VISIBLE) != 0 ? TRUE : FALSE;
    }
    switch (command) {
    case SW_HIDE:
        hide(window);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        show(window);
        setSizeState(window, SIZE_RESTORED);
        activate(window);
        break;
    case SW_SHOWNOACTIVATE:
        show(window);
        setSizeState(window, SIZE_RESTORED);
        break;
    case SW_SHOW:
        show(window);
        activate(window);
        break;
    case SW_SHOWNA:
        show(window);
        break;
    case SW_SHOWMINIMIZED:
        show(window);
        setSizeState(window, SIZE_MINIMIZED);
        activate(window);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        show(window);
        setSizeState(window, SIZE_MINIMIZED);
        break;
    case SW_SHOWMAXIMIZED:
        show(window);
        setSizeState(window, SIZE_MAXIMIZED);
        activate(window);
        break;
    default:
        break;
    }
    return wasVisible;
}

} // namespace velmar::ui

BOOL ShowWindow(HWND handle, int command) {
    if (command < SW_HIDE || command > SW_SHOWDEFAULT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr || window.get() == &WindowTable::instance().desktop()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return velmar::ui::showWindow(window, command);
}

BOOL IsWindowVisible(HWND handle) {
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = WindowTable::instance().lookupLocked(handle);
    if (window == nullptr) {
        return FALSE;
    }
    for (; window != nullptr; window = window->parent) {
        if ((window->style & WS_VISIBLE) == 0) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
    bool wasDisabled = false;
    bool changed = false;
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = velmar::ui::lookupOrError(handle);
        if (window == nullptr) {
            return FALSE;
        }
        wasDisabled = (window->style & WS_DISABLED) != 0;
        changed = wasDisabled == (enable != FALSE);
        if (enable != FALSE) {
            window->style &= ~WS_DISABLED;
        } else {
            window->style |= WS_DISABLED;
        }
    }
    if (changed) {
        if (enable == FALSE) {
            velmar::ui::dropFocusWithin(handle);
        }
        SendMessageA(handle, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
        velmar::ui::notify(handle, WindowChange::Enabled);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle) {
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = WindowTable::instance().lookupLocked(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
    if (velmar::ui::windowOrError(handle) == nullptr) {
        return FALSE;
    }
    return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR text, int size) {
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr) {
        return 0;
    }
    if (text == nullptr || size <= 0) {
        return 0;
    }
    if (window->queue == ThreadQueue::current()) {
        return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(size),
                                             reinterpret_cast<LPARAM>(text)));
    }
    // Another thread's window: its stored text, without waiting for that thread.
    WindowLock lock = velmar::ui::lockWindows();
    const std::size_t n = std::min(window->text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(text, window->text.data(), n);
    text[n] = '\0';
    return static_cast<int>(n);
}

int GetWindowTextLengthA(HWND handle) {
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr) {
        return 0;
    }
    if (window->queue == ThreadQueue::current()) {
        return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
    }
    WindowLock lock = velmar::ui::lockWindows();
    return static_cast<int>(window->text.size());
}

HWND SetFocus(HWND handle) {
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    if (handle == nullptr) {
        return velmar::ui::moveFocus(*queue, nullptr);
    }
    HWND previous = nullptr;
    HWND top = nullptr;
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = velmar::ui::lookupOrError(handle);
        if (window == nullptr) {
            return nullptr;
        }
        // Only a window of this thread, visible and enabled, takes its focus.
        if (window->queue != queue || (window->style & WS_DISABLED) != 0 ||
            (window->style & WS_VISIBLE) == 0) {
            return nullptr;
        }
        previous =
            WindowTable::instance().lookupLocked(queue->focus) != nullptr ? queue->focus : nullptr;
        Window* topLevel = velmar::ui::topLevelOf(*window);
        if (topLevel != nullptr && queue->active != topLevel->handle) {
            top = topLevel->handle;
        }
    }
    if (top != nullptr) {
        SetActiveWindow(top);
    }
    if (IsWindow(handle) == FALSE) {
        return nullptr;
    }
    velmar::ui::moveFocus(*queue, handle);
    return previous;
}

HWND GetFocus() {
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    WindowLock lock = velmar::ui::lockWindows();
    return WindowTable::instance().lookupLocked(queue->focus) != nullptr ? queue->focus : nullptr;
}

HWND GetActiveWindow() {
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    WindowLock lock = velmar::ui::lockWindows();
    return WindowTable::instance().lookupLocked(queue->active) != nullptr ? queue->active : nullptr;
}

HWND SetActiveWindow(HWND handle) {
    const std::shared_ptr<ThreadQueue> queue = ThreadQueue::current();
    HWND previous = nullptr;
    bool iconic = false;
    {
        WindowLock lock = velmar::ui::lockWindows();
        WindowTable& table = WindowTable::instance();
        Window* top = nullptr;
        if (handle != nullptr) {
            Window* window = velmar::ui::lookupOrError(handle);
            if (window == nullptr) {
                return nullptr;
            }
            top = velmar::ui::topLevelOf(*window);
            if (top == nullptr || top->queue != queue) {
                return nullptr;
            }
            velmar::ui::bringToTop(*top);
            handle = top->handle;
            iconic = (top->style & WS_MINIMIZE) != 0;
        }
        previous = table.lookupLocked(queue->active) != nullptr ? queue->active : nullptr;
        if (previous == handle) {
            return previous;
        }
        queue->active = handle;
    }
    if (previous != nullptr) {
        SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
    }
    if (handle != nullptr) {
        SendMessageA(handle, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, iconic ? 1 : 0),
                     reinterpret_cast<LPARAM>(previous));
    }
    return previous;
}
