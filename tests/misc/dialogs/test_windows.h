// Real windows for the dialog helpers' tests and their second program (a null handle when the
// window system refuses one; the tests' checks then fail).
#pragma once

#include "platform/ui/ui.h"

namespace velmar::test {

// A visible top-level window of a class of its own (the default window procedure).
inline HWND makeTopLevelWindow(const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               HWND owner = nullptr) {
    static const ATOM windowClass = [] {
        WNDCLASSA description;
        description.lpfnWndProc = DefWindowProcA;
        description.lpszClassName = "DialogsTestWindow";
        return RegisterClassA(&description);
    }();
    static_cast<void>(windowClass);
    return CreateWindowExA(0, "DialogsTestWindow", title, style, 100, 100, 400, 300, owner, nullptr,
                           nullptr, nullptr);
}

inline HWND makeControl(HWND parent, const char* className, const char* text, DWORD style, int id) {
    return CreateWindowExA(0, className, text, WS_CHILD | style, 10, 10 + 30 * id, 100, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// A dialog-like window, its controls in the order the system enumerates them: OK, an edit
// box, Cancel, a group with a control inside it, a hidden control, and a last one.
struct TestDialog {
    HWND window = makeTopLevelWindow("Dialog");
    HWND ok = makeControl(window, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP, IDOK);
    HWND edit = makeControl(window, "EDIT", "text", WS_VISIBLE | WS_TABSTOP, 10);
    HWND cancel = makeControl(window, "BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP, IDCANCEL);
    HWND group = makeControl(window, "STATIC", "Group", WS_VISIBLE, 11);
    HWND inner = makeControl(group, "BUTTON", "Inner", WS_VISIBLE | WS_TABSTOP, 12);
    HWND hidden = makeControl(window, "BUTTON", "Hidden", WS_TABSTOP, 13);
    HWND last = makeControl(window, "BUTTON", "Last", WS_VISIBLE | WS_TABSTOP, 14);

    TestDialog() = default;
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;
    ~TestDialog() { destroy(); }

    HWND addControl(const char* text, DWORD style) {
        return makeControl(window, "BUTTON", text, style, 20);
    }
    void destroy() {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};

} // namespace velmar::test
