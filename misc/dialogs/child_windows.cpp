// Enabling, disabling, listing and restoring all descendants of a framework window.
#include "misc/dialogs/dialogs.h"

#include <algorithm>

namespace {

HWND handleOf(CWnd* window) {
    // A null handle would make the enumeration walk every top-level window instead.
    return window != nullptr && IsWindow(window->GetSafeHwnd()) ? window->GetSafeHwnd() : nullptr;
}

BOOL disableWindow(HWND window, LPARAM /*unused*/) {
    EnableWindow(window, FALSE);
    return TRUE;
}

BOOL enableWindow(HWND window, LPARAM /*unused*/) {
    EnableWindow(window, TRUE);
    return TRUE;
}

struct ChildList {
    std::vector<CWnd*>& windows;
    std::vector<int>& enabled;
};

BOOL appendChild(HWND window, LPARAM list) {
    auto& children = *reinterpret_cast<ChildList*>(list);
    CWnd* object = CWnd::FromHandle(window);
    children.windows.push_back(object);
    children.enabled.push_back(object->IsWindowEnabled() ? 1 : 0);
    return TRUE;
}

} // namespace

bool disableChildWindows(CWnd* parent) {
    const HWND handle = handleOf(parent);
    return handle != nullptr && EnumChildWindows(handle, disableWindow, 0) == 1;
}

bool enableChildWindows(CWnd* parent) {
    const HWND handle = handleOf(parent);
    return handle != nullptr && EnumChildWindows(handle, enableWindow, 0) == 1;
}

void listChildWindows(CWnd* parent, std::vector<CWnd*>& windows, std::vector<int>& enabled) {
    windows.clear();
    enabled.clear();
    const HWND handle = handleOf(parent);
    if (handle == nullptr) {
        return;
    }
    ChildList list{windows, enabled};
    EnumChildWindows(handle, appendChild, reinterpret_cast<LPARAM>(&list));
}

void listChildWindows(CWnd* parent, std::vector<CWnd*>& windows) {
    std::vector<int> discarded;
    listChildWindows(parent, windows, discarded);
}

void restoreEnabledStates(const std::vector<CWnd*>& windows, const std::vector<int>& enabled) {
    const std::size_t count = std::min(windows.size(), enabled.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (windows[i] != nullptr) {
            windows[i]->EnableWindow(enabled[i] != 0 ? TRUE : FALSE);
        }
    }
}
