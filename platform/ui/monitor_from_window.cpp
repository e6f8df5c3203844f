// The monitor a window is on: the one its window rectangle shares the most area with.

#include "platform/ui/ui.h"

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
    if (flags > MONITOR_DEFAULTTONEAREST) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return nullptr;
    }
    return MonitorFromRect(&rect, flags);
}
