// Top-level windows that are modal over a window, and the focus.
#include "misc/dialogs/dialogs.h"

namespace {

BOOL appendWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

void listTopLevelWindows(std::vector<HWND>& windows) {
    windows.clear();
    EnumChildWindows(nullptr, appendWindow, reinterpret_cast<LPARAM>(&windows));
}

bool isModalWindowOf(HWND window, HWND owner) {
    if ((static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) != 0) {
        return false;
    }
    const HWND actualOwner = GetWindow(window, GW_OWNER);
    // A modal loop disables the owner: that is what tells a modal window from a modeless one.
    return actualOwner != nullptr && (owner == nullptr || owner == actualOwner) &&
           !IsWindowEnabled(actualOwner);
}

bool isModalWindowOpen(HWND owner) {
    std::vector<HWND> windows;
    listTopLevelWindows(windows);
    for (HWND window : windows) {
        if (isModalWindowOf(window, owner)) {
            return true;
        }
    }
    return false;
}

void closeModalWindows(HWND owner) {
    std::vector<HWND> windows;
    listTopLevelWindows(windows);
    for (HWND window : windows) {
        if (isModalWindowOf(window, owner)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
}

HWND setFocusTo(HWND window) {
    return SetFocus(window);
}
