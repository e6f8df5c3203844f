// RedrawWindow: invalidation and painting at once, for a window and its children.
#include "platform/ui/internal/painting.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/ui.h"

#include <vector>

BOOL RedrawWindow(HWND handle, const RECT* updateRect, HRGN updateRegion, UINT flags) {
    if (updateRegion != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (velmar::ui::windowOrError(handle) == nullptr) {
        return FALSE;
    }
    const bool children = (flags & RDW_NOCHILDREN) == 0;
    if ((flags & RDW_INVALIDATE) != 0) {
        velmar::ui::invalidate(handle, updateRect, (flags & RDW_ERASE) != 0, children);
    }
    if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) != 0) {
        // The window first, then its children, as a paint pass on the screen goes.
        std::vector<HWND> windows{handle};
        if (children) {
            EnumChildWindows(
                handle,
                [](HWND child, LPARAM list) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&windows));
        }
        for (HWND window : windows) {
            UpdateWindow(window);
        }
    }
    return TRUE;
}
