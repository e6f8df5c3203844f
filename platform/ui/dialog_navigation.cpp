// Keyboard navigation in dialogs: tab stops, Enter, Escape and the underlined letters.
#include "platform/ui/internal/dialog.h"

#include <algorithm>
#include <cctype>

namespace velmar::ui {

namespace {

bool takesTab(HWND control) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    return (style & WS_TABSTOP) != 0 && IsWindowVisible(control) && IsWindowEnabled(control);
}

LRESULT dialogCode(HWND control, MSG* message) {
    return control != nullptr ? SendMessageA(control, WM_GETDLGCODE, message->wParam,
                                             reinterpret_cast<LPARAM>(message))
                              : 0;
}

// The dialog's direct child that holds window (itself, or one of its ancestors).
HWND controlOf(HWND dialog, HWND window) {
    while (window != nullptr && GetParent(window) != dialog) {
        window = GetParent(window);
    }
    return window;
}

void moveFocus(HWND dialog, HWND from, bool previous) {
    HWND next = GetNextDlgTabItem(dialog, from, previous ? TRUE : FALSE);
    if (next == nullptr || next == from) {
        return;
    }
    SetFocus(next);
    if ((SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageA(next, EM_SETSEL, 0, -1);
    }
}

// Presses the control with id: a WM_COMMAND for it unless its button is there but disabled.
void pressId(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr && !IsWindowEnabled(button)) {
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// The letter marked with "&" in a control's text presses that button, or moves the focus to
// the control after that static text. True when a control had the letter.
bool pressMnemonic(HWND dialog, char letter) {
    const int wanted = std::tolower(static_cast<unsigned char>(letter));
    const std::vector<HWND> children = childrenOf(dialog);
    for (HWND child : children) {
        const char marked = mnemonicOf(windowText(child));
        if (marked == 0 || std::tolower(static_cast<unsigned char>(marked)) != wanted ||
            !IsWindowVisible(child) || !IsWindowEnabled(child)) {
            continue;
        }
        const ControlKind kind = controlKind(child);
        if (kind == ControlKind::Button) {
            if (!isPushButton(child)) {
                SetFocus(child);
            }
            SendMessageA(child, BM_CLICK, 0, 0);
            return true;
        }
        if (kind == ControlKind::Static) {
            moveFocus(dialog, child, false);
            return true;
        }
    }
    return false;
}

bool handleKey(HWND dialog, MSG* message) {
    HWND focus = GetFocus();
    HWND control = focus != nullptr && IsChild(dialog, focus) ? focus : nullptr;
    const LRESULT code = dialogCode(control, message);
    if ((code & DLGC_WANTALLKEYS) != 0) {
        return false;
    }
    switch (message->wParam) {
    case VK_TAB:
        if ((code & DLGC_WANTTAB) != 0) {
            return false;
        }
        moveFocus(dialog, controlOf(dialog, control), (message->lParam & KF_SHIFTDOWN_LPARAM) != 0);
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if ((code & DLGC_WANTARROWS) != 0) {
            return false;
        }
        moveFocus(dialog, controlOf(dialog, control),
                  message->wParam == VK_LEFT || message->wParam == VK_UP);
        return true;
    case VK_RETURN:
        if (control != nullptr && isPushButton(control)) {
            pressId(dialog, GetDlgCtrlID(control));
        } else {
            pressId(dialog, defaultCommandId(dialog));
        }
        return true;
    case VK_ESCAPE:
        pressId(dialog, IDCANCEL);
        return true;
    case VK_SPACE:
        if (control != nullptr && controlKind(control) == ControlKind::Button &&
            (code & DLGC_WANTCHARS) == 0) {
            SendMessageA(control, BM_CLICK, 0, 0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool handleChar(HWND dialog, MSG* message, bool alt) {
    const char c = static_cast<char>(message->wParam);
    HWND focus = GetFocus();
    HWND control = focus != nullptr && IsChild(dialog, focus) ? focus : nullptr;
    const LRESULT code = dialogCode(control, message);
    if ((code & DLGC_WANTALLKEYS) != 0) {
        return false;
    }
    if (c == '\t' || c == '\r' || c == '\x1b') {
        // The key itself was handled as WM_KEYDOWN; its character means nothing here.
        return !(c == '\t' && (code & DLGC_WANTTAB) != 0);
    }
    if (!alt && (code & DLGC_WANTCHARS) != 0) {
        return false;
    }
    return pressMnemonic(dialog, c) || !alt;
}

} // namespace

} // namespace velmar::ui

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    using namespace velmar::ui;
    if (!IsWindow(dialog) || (control != nullptr && !IsChild(dialog, control))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> children = childrenOf(dialog);
    if (previous) {
        std::reverse(children.begin(), children.end());
    }
    const auto at = std::find(children.begin(), children.end(), control);
    if (at == children.end()) {
        const auto first = std::find_if(children.begin(), children.end(), takesTab);
        return first != children.end() ? *first : nullptr;
    }
    // The next tab stop after control, going round; control itself when it is the only one.
    for (auto it = at + 1; it != children.end(); ++it) {
        if (takesTab(*it)) {
            return *it;
        }
    }
    for (auto it = children.begin(); it != at; ++it) {
        if (takesTab(*it)) {
            return *it;
        }
    }
    return control;
}

BOOL IsDialogMessageA(HWND dialog, MSG* message) {
    using namespace velmar::ui;
    if (message == nullptr || !IsWindow(dialog) || message->hwnd == nullptr ||
        (message->hwnd != dialog && !IsChild(dialog, message->hwnd))) {
        return FALSE;
    }
    bool handled = false;
    switch (message->message) {
    case WM_KEYDOWN:
        handled = handleKey(dialog, message);
        break;
    case WM_CHAR:
        handled = handleChar(dialog, message, false);
        break;
    case WM_SYSCHAR:
        handled = handleChar(dialog, message, true);
        break;
    default:
        break;
    }
    if (!handled) {
        // Everything else of the dialog's is translated and dispatched here, as Windows does.
        TranslateMessage(message);
        DispatchMessageA(message);
    }
    return TRUE;
}
