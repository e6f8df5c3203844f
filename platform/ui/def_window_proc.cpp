// What a window does with a message its procedure leaves to the system.
#include "platform/ui/internal/window_classes.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstring>
#include <utility>

using velmar::ui::Window;
using velmar::ui::WindowChange;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

namespace {

void storeText(HWND handle, LPCSTR text) {
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = WindowTable::instance().lookupLocked(handle);
        if (window == nullptr) {
            return;
        }
        window->text = text != nullptr ? text : "";
    }
    velmar::ui::notify(handle, WindowChange::Text);
}

LRESULT copyText(HWND handle, WPARAM size, LPARAM buffer) {
    if (size == 0 || buffer == 0) {
        return 0;
    }
    auto* out = reinterpret_cast<char*>(buffer);
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = WindowTable::instance().lookupLocked(handle);
    if (window == nullptr) {
        out[0] = '\0';
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(window->text.size(), size - 1);
    std::memcpy(out, window->text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT icons(HWND handle, UINT message, WPARAM which, LPARAM icon) {
    WindowLock lock = velmar::ui::lockWindows();
    Window* window = WindowTable::instance().lookupLocked(handle);
    if (window == nullptr) {
        return 0;
    }
    if (message == WM_SETICON) {
        HICON& slot = which == ICON_BIG ? window->bigIcon : window->smallIcon;
        return reinterpret_cast<LRESULT>(std::exchange(slot, reinterpret_cast<HICON>(icon)));
    }
    if (message == WM_QUERYDRAGICON) {
        if (window->windowClass != nullptr && window->windowClass->icon != nullptr) {
            return reinterpret_cast<LRESULT>(window->windowClass->icon);
        }
        return reinterpret_cast<LRESULT>(window->bigIcon != nullptr ? window->bigIcon
                                                                    : window->smallIcon);
    }
    switch (which) {
    case ICON_BIG:
        return reinterpret_cast<LRESULT>(window->bigIcon);
    case ICON_SMALL:
        return reinterpret_cast<LRESULT>(window->smallIcon);
    case ICON_SMALL2:
        // The small icon, else one the system would make from the big one.
        return reinterpret_cast<LRESULT>(window->smallIcon != nullptr ? window->smallIcon
                                                                      : window->bigIcon);
    default:
        return 0;
    }
}

} // namespace

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && !IS_INTRESOURCE(create->lpszName)) {
            storeText(window, create->lpszName);
        }
        return TRUE;
    }
    case WM_SETTEXT:
        storeText(window, reinterpret_cast<LPCSTR>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return copyText(window, wParam, lParam);
    case WM_GETTEXTLENGTH: {
        WindowLock lock = velmar::ui::lockWindows();
        const Window* found = WindowTable::instance().lookupLocked(window);
        return found != nullptr ? static_cast<LRESULT>(found->text.size()) : 0;
    }
    case WM_SETICON: {
        const LRESULT previous = icons(window, message, wParam, lParam);
        velmar::ui::notify(window, WindowChange::Painted);
        return previous;
    }
    case WM_GETICON:
    case WM_QUERYDRAGICON:
        return icons(window, message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (BeginPaint(window, &paint) != nullptr) {
            EndPaint(window, &paint);
        }
        return 0;
    }
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
        return 1;
    case WM_ACTIVATE:
        // An activated window that is not minimized takes the focus.
        if (LOWORD(wParam) != WA_INACTIVE && IsIconic(window) == FALSE) {
            SetFocus(window);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    if (procedure == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return procedure(window, message, wParam, lParam);
}
