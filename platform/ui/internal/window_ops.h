// What the window calls share: looking windows up with the Win32 error, calling a window's
// procedure, telling the presenter, focus, visibility and invalidation. Internal to
// platform/ui.
#pragma once

#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <memory>

namespace velmar::ui {

// The window, or null with ERROR_INVALID_WINDOW_HANDLE. The desktop counts as a window.
std::shared_ptr<Window> windowOrError(HWND handle);
// With the lock held: the window (not the desktop), or null with ERROR_INVALID_WINDOW_HANDLE.
Window* lookupOrError(HWND handle);

// The window's current procedure (it may be subclassed at any time).
WNDPROC procedureOf(const Window& window);

// Tells the presenter, outside every lock.
inline void notify(HWND window, WindowChange change) {
    presenter().windowChanged(window, change);
}

// Moves the focus of the window's thread (null: none) with WM_KILLFOCUS and WM_SETFOCUS;
// the previous focus.
HWND moveFocus(ThreadQueue& queue, HWND window);
// Clears the focus and active window of queue's thread that lie in window's subtree.
void dropFocusWithin(HWND window);

// Marks the window (and with children its descendants) to be painted; rect null: all of it.
void invalidate(HWND window, const RECT* rect, bool erase, bool children);

// The window is invalid and visible: WM_PAINT is due.
bool needsPainting(HWND window);

// Shows (SW_*) without the argument checks; the earlier visibility.
BOOL showWindow(const std::shared_ptr<Window>& window, int command);
// Minimizes, maximizes or restores (SIZE_*) without showing or hiding, with WM_MOVE and
// WM_SIZE.
void setSizeState(const std::shared_ptr<Window>& window, WPARAM sizeType);

// The rectangle of the monitor work area that a window rectangle lies most on.
RECT workAreaFor(const RECT& rect);

} // namespace velmar::ui
