// Rectangles, positions and the minimized, maximized and normal placement. A window has no
// non-client frame here (the presenter draws frames): its window rectangle is its client area.
#include "platform/ui/internal/screen.h"
#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <algorithm>

using velmar::ui::Window;
using velmar::ui::WindowChange;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

static_assert(sizeof(WINDOWPLACEMENT) == 44);

namespace velmar::ui {

namespace {

// Where Windows puts a minimized window that has no minimized position of its own, and the
// size of its caption.
constexpr LONG kMinimizedAt = -32000;
constexpr LONG kMinimizedWidth = 160;
constexpr LONG kMinimizedHeight = 28;

LONG width(const RECT& r) {
    return r.right - r.left;
}
LONG height(const RECT& r) {
    return r.bottom - r.top;
}

LONG overlap(const RECT& a, const RECT& b) {
    const LONG w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const LONG h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// What a rectangle change means to the window: WM_MOVE, WM_SIZE, the presenter, a repaint.
void rectChanged(const std::shared_ptr<Window>& window, const RECT& before, const RECT& after,
                 WPARAM sizeType, bool redraw) {
    const bool moved = before.left != after.left || before.top != after.top;
    const bool sized = width(before) != width(after) || height(before) != height(after);
    if (moved) {
        SendMessageA(window->handle, WM_MOVE, 0,
                     MAKELPARAM(static_cast<WORD>(after.left), static_cast<WORD>(after.top)));
    }
    if (sized || sizeType != SIZE_RESTORED) {
        SendMessageA(window->handle, WM_SIZE, sizeType,
                     MAKELPARAM(static_cast<WORD>(width(after)), static_cast<WORD>(height(after))));
    }
    if (moved || sized) {
        notify(window->handle, WindowChange::Moved);
        if (sized && redraw) {
            invalidate(window->handle, nullptr, true, false);
        }
    }
}

} // namespace

RECT workAreaFor(const RECT& rect) {
    const ScreenDescription screen = currentScreen();
    if (screen.monitors.empty()) {
        return RECT{0, 0, 0, 0};
    }
    const Monitor* best = &screen.monitors.front();
    LONG bestOverlap = 0;
    for (const Monitor& monitor : screen.monitors) {
        const LONG o = overlap(rect, monitor.rect);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &monitor;
        }
    }
    return best->work;
}

void setSizeState(const std::shared_ptr<Window>& window, WPARAM sizeType) {
    // The screen is read without the window lock: it may look at the registry.
    RECT basis;
    {
        WindowLock lock = lockWindows();
        basis = (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) != 0 ? window->normal : window->rect;
    }
    const RECT work = workAreaFor(basis);
    RECT before;
    RECT after;
    {
        WindowLock lock = lockWindows();
        if (!window->alive) {
            return;
        }
        const bool minimized = (window->style & WS_MINIMIZE) != 0;
        const bool maximized = (window->style & WS_MAXIMIZE) != 0;
        if ((sizeType == SIZE_MINIMIZED && minimized) ||
            (sizeType == SIZE_MAXIMIZED && maximized) ||
            (sizeType == SIZE_RESTORED && !minimized && !maximized)) {
            return;
        }
        if (!minimized && !maximized) {
            window->normal = window->rect;
        }
        before = window->rect;
        if (sizeType == SIZE_RESTORED && minimized && window->restoreToMaximized) {
            sizeType = SIZE_MAXIMIZED;
        }
        switch (sizeType) {
        case SIZE_MAXIMIZED:
            if (isTopLevel(*window)) {
                window->rect = work;
            } else {
                window->rect =
                    RECT{0, 0, width(window->parent->rect), height(window->parent->rect)};
            }
            window->style = (window->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            window->restoreToMaximized = false;
            break;
        case SIZE_MINIMIZED: {
            const bool placed = window->minPosition.x != -1 || window->minPosition.y != -1;
            const LONG x = placed ? window->minPosition.x : kMinimizedAt;
            const LONG y = placed ? window->minPosition.y : kMinimizedAt;
            window->rect = RECT{x, y, x + kMinimizedWidth, y + kMinimizedHeight};
            window->restoreToMaximized = maximized;
            window->style = (window->style & ~WS_MAXIMIZE) | WS_MINIMIZE;
            break;
        }
        default:
            window->rect = window->normal;
            window->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
            break;
        }
        after = window->rect;
    }
    rectChanged(window, before, after, sizeType, true);
    // A window changed between icon and picture is drawn anew, background first.
    invalidate(window->handle, nullptr, true, true);
}

} // namespace velmar::ui

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowTable& table = WindowTable::instance();
    if (handle != nullptr && handle == table.desktop().handle) {
        const velmar::ui::ScreenDescription screen = velmar::ui::currentScreen();
        *rect = screen.monitors.empty() ? RECT{} : screen.monitors.front().rect;
        return TRUE;
    }
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = velmar::ui::lookupOrError(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const POINT origin = velmar::ui::screenOrigin(*window);
    *rect = RECT{origin.x, origin.y, origin.x + velmar::ui::width(window->rect),
                 origin.y + velmar::ui::height(window->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT windowRect;
    if (GetWindowRect(handle, &windowRect) == FALSE) {
        return FALSE;
    }
    *rect = RECT{0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
    return TRUE;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    std::shared_ptr<Window> window;
    RECT before;
    RECT after;
    bool activate = false;
    {
        WindowLock lock = velmar::ui::lockWindows();
        WindowTable& table = WindowTable::instance();
        Window* w = velmar::ui::lookupOrError(handle);
        if (w == nullptr) {
            return FALSE;
        }
        window = w->shared_from_this();
        before = w->rect;
        RECT r = w->rect;
        if ((flags & SWP_NOMOVE) == 0) {
            r = RECT{x, y, x + velmar::ui::width(r), y + velmar::ui::height(r)};
        }
        if ((flags & SWP_NOSIZE) == 0) {
            r.right = r.left + std::max(cx, 0);
            r.bottom = r.top + std::max(cy, 0);
        }
        w->rect = r;
        after = r;
        if ((flags & SWP_NOZORDER) == 0 && insertAfter != handle) {
            Window& parent = *w->parent;
            Window* anchor = table.lookupLocked(insertAfter);
            velmar::ui::detach(*w);
            if (insertAfter == HWND_BOTTOM) {
                velmar::ui::linkLast(parent, *w);
            } else if (anchor != nullptr && anchor->parent == &parent) {
                // After the anchor in z-order.
                w->parent = &parent;
                w->previous = anchor;
                w->next = anchor->next;
                (anchor->next != nullptr ? anchor->next->previous : parent.lastChild) = w;
                anchor->next = w;
            } else {
                velmar::ui::linkFirst(parent, *w); // HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST
            }
        }
        activate = (flags & SWP_NOACTIVATE) == 0 && velmar::ui::isTopLevel(*w) &&
                   w->queue == velmar::ui::ThreadQueue::current();
    }
    if ((flags & SWP_HIDEWINDOW) != 0) {
        velmar::ui::showWindow(window, SW_HIDE);
    }
    velmar::ui::rectChanged(window, before, after, SIZE_RESTORED, (flags & SWP_NOREDRAW) == 0);
    if ((flags & SWP_SHOWWINDOW) != 0) {
        velmar::ui::showWindow(window, SW_SHOWNA);
    }
    if (activate && IsWindowVisible(handle) != FALSE) {
        SetActiveWindow(handle);
    }
    return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(handle, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint != FALSE ? 0 : SWP_NOREDRAW));
}

namespace {

BOOL mapPoint(HWND handle, POINT* point, int sign) {
    if (point == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowLock lock = velmar::ui::lockWindows();
    WindowTable& table = WindowTable::instance();
    const Window* window = table.lookupLocked(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const POINT origin = velmar::ui::screenOrigin(*window);
    point->x += sign * origin.x;
    point->y += sign * origin.y;
    return TRUE;
}

} // namespace

BOOL ScreenToClient(HWND handle, POINT* point) {
    return mapPoint(handle, point, -1);
}

BOOL ClientToScreen(HWND handle, POINT* point) {
    return mapPoint(handle, point, 1);
}

BOOL GetWindowPlacement(HWND handle, WINDOWPLACEMENT* placement) {
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = velmar::ui::lookupOrError(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const bool minimized = (window->style & WS_MINIMIZE) != 0;
    const bool maximized = (window->style & WS_MAXIMIZE) != 0;
    placement->flags = window->restoreToMaximized ? WPF_RESTORETOMAXIMIZED : 0;
    placement->showCmd = minimized   ? SW_SHOWMINIMIZED
                         : maximized ? SW_SHOWMAXIMIZED
                                     : SW_SHOWNORMAL;
    placement->ptMinPosition = window->minPosition;
    placement->ptMaxPosition = window->maxPosition;
    placement->rcNormalPosition = minimized || maximized ? window->normal : window->rect;
    return TRUE;
}

BOOL SetWindowPlacement(HWND handle, const WINDOWPLACEMENT* placement) {
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT) ||
        placement->showCmd > static_cast<UINT>(SW_SHOWDEFAULT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<Window> window;
    RECT before;
    RECT after;
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* w = velmar::ui::lookupOrError(handle);
        if (w == nullptr) {
            return FALSE;
        }
        window = w->shared_from_this();
        if ((placement->flags & WPF_SETMINPOSITION) != 0) {
            w->minPosition = placement->ptMinPosition;
        }
        w->maxPosition = placement->ptMaxPosition;
        w->normal = placement->rcNormalPosition;
        const bool toMinimized = placement->showCmd == static_cast<UINT>(SW_SHOWMINIMIZED) ||
                                 placement->showCmd == static_cast<UINT>(SW_MINIMIZE) ||
                                 placement->showCmd == static_cast<UINT>(SW_SHOWMINNOACTIVE);
        // Only a window placed minimized keeps the wish to come back maximized.
        w->restoreToMaximized = toMinimized && (placement->flags & WPF_RESTORETOMAXIMIZED) != 0;
        before = w->rect;
        if ((w->style & (WS_MINIMIZE | WS_MAXIMIZE)) == 0) {
            w->rect = w->normal;
        }
        after = w->rect;
    }
    velmar::ui::rectChanged(window, before, after, SIZE_RESTORED, true);
    velmar::ui::showWindow(window, static_cast<int>(placement->showCmd));
    return TRUE;
}

BOOL IsIconic(HWND handle) {
    return (static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_STYLE)) & WS_MINIMIZE) != 0 ? TRUE
                                                                                         : FALSE;
}

BOOL IsZoomed(HWND handle) {
    return (static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_STYLE)) & WS_MAXIMIZE) != 0 ? TRUE
                                                                                         : FALSE;
}
