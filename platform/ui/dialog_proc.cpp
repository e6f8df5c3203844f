// The dialog class's window procedure: the dialog procedure first, then the defaults.
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/dialog_state.h"

namespace velmar::ui {

namespace {

// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool answersDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON;
}

HWND defaultButton(HWND dialog, int id) {
    HWND button = id != 0 ? GetDlgItem(dialog, id) : nullptr;
    return button != nullptr && isPushButton(button) ? button : nullptr;
}

LRESULT defaultId(HWND dialog, const DialogState& state) {
    int id = state.defaultId;
    if (id == 0) {
        for (HWND child : childrenOf(dialog)) {
            if (controlKind(child) == ControlKind::Button &&
                (static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)) & BS_TYPEMASK) ==
                    BS_DEFPUSHBUTTON) {
                id = GetDlgCtrlID(child);
                break;
            }
        }
    }
    return id != 0 ? static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(id), DC_HASDEFID)) : 0;
}

void setDefaultId(HWND dialog, DialogState& state, int id) {
    const int old = LOWORD(static_cast<std::uintptr_t>(defaultId(dialog, state)));
    if (HWND button = defaultButton(dialog, old); button != nullptr && old != id) {
        SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    state.defaultId = id;
    if (HWND button = defaultButton(dialog, id)) {
        SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

} // namespace

} // namespace velmar::ui

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    using namespace velmar::ui;
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
    if (procedure != nullptr) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        const INT_PTR handled = procedure(dialog, message, wParam, lParam);
        if (handled != 0) {
            return answersDirectly(message) ? handled
                   : IsWindow(dialog)       ? GetWindowLongPtrA(dialog, DWLP_MSGRESULT)
                                            : 0;
        }
        if (answersDirectly(message)) {
            return 0;
        }
    }
    const auto state = dialogState(dialog);
    switch (message) {
    case WM_CLOSE:
        // The close box is the Cancel button, as the dialog procedure sees it.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    case DM_GETDEFID:
        return state != nullptr ? defaultId(dialog, *state) : 0;
    case DM_SETDEFID:
        if (state != nullptr) {
            setDefaultId(dialog, *state, static_cast<int>(wParam));
        }
        return TRUE;
    case WM_COMMAND:
        // IDOK and IDCANCEL end nothing unless the dialog procedure ends the dialog.
        return 0;
    case WM_NCDESTROY: {
        const LRESULT result = DefWindowProcA(dialog, message, wParam, lParam);
        removeDialogState(dialog);
        return result;
    }
    default:
        return DefWindowProcA(dialog, message, wParam, lParam);
    }
}
