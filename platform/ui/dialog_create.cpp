// Dialogs made from templates: modeless ones and the modal loop.
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/dialog_state.h"
#include "platform/ui/internal/modal.h"
#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/window_classes.h"

#include <algorithm>
#include <mutex>

namespace velmar::ui {

namespace {

void registerDialogClass() {
    static std::once_flag once;
    std::call_once(once, [] { registerSystemClass(kDialogClass, DefDlgProcA, DLGWINDOWEXTRA); });
}

RECT primaryWorkArea() {
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromPoint(POINT{}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        return info.rcWork;
    }
    return RECT{0, 0, 1920, 1080};
}

// Where the dialog goes: centred on its owner or on the primary monitor when the template
// asks for it (or gives no position), else at the template's position from the owner's
// client area.
POINT dialogPosition(const DLGTEMPLATE& dialogTemplate, HWND owner, SIZE baseUnits, SIZE size) {
    const bool centre =
        (dialogTemplate.style & DS_CENTER) != 0 || (dialogTemplate.x == 0 && dialogTemplate.y == 0);
    if (!centre) {
        POINT position{mulDiv(dialogTemplate.x, baseUnits.cx, 4),
                       mulDiv(dialogTemplate.y, baseUnits.cy, 8)};
        if (owner != nullptr) {
            ClientToScreen(owner, &position);
        }
        return position;
    }
    const RECT work = primaryWorkArea();
    RECT around = work;
    if (owner != nullptr && IsWindowVisible(owner)) {
        GetWindowRect(owner, &around);
    }
    POINT position{around.left + (around.right - around.left - size.cx) / 2,
                   around.top + (around.bottom - around.top - size.cy) / 2};
    // Keep the whole dialog on the monitor when it fits there.
    position.x = std::max(work.left, std::min(position.x, work.right - size.cx));
    position.y = std::max(work.top, std::min(position.y, work.bottom - size.cy));
    return position;
}

HWND firstTabStop(HWND dialog) {
    return GetNextDlgTabItem(dialog, nullptr, FALSE);
}

} // namespace

// Builds the dialog, hidden, and runs WM_INITDIALOG. Null when a control cannot be made.
HWND createDialog(HINSTANCE instance, const DLGTEMPLATE& dialogTemplate, HWND owner,
                  DLGPROC procedure, LPARAM initParam, bool modal) {
    registerDialogClass();
    const SIZE baseUnits = (dialogTemplate.style & DS_SETFONT) != 0
                               ? dialogBaseUnits(dialogTemplate.fontName, dialogTemplate.pointSize)
                               : systemBaseUnits();
    const SIZE size{mulDiv(dialogTemplate.cx, baseUnits.cx, 4),
                    mulDiv(dialogTemplate.cy, baseUnits.cy, 8)};
    const POINT position = dialogPosition(dialogTemplate, owner, baseUnits, size);
    HWND dialog =
        CreateWindowExA(dialogTemplate.exStyle, kDialogClass, dialogTemplate.caption.c_str(),
                        dialogTemplate.style & ~WS_VISIBLE, position.x, position.y, size.cx,
                        size.cy, owner, nullptr, instance, nullptr);
    if (dialog == nullptr) {
        return nullptr;
    }
    DialogState state;
    state.baseUnits = baseUnits;
    state.modal = modal;
    addDialogState(dialog, state);
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));

    // Template order is creation order, which is the tab order.
    for (const DLGITEMTEMPLATE& item : dialogTemplate.items) {
        HWND control = CreateWindowExA(
            item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
            mulDiv(item.x, baseUnits.cx, 4), mulDiv(item.y, baseUnits.cy, 8),
            mulDiv(item.cx, baseUnits.cx, 4), mulDiv(item.cy, baseUnits.cy, 8), dialog,
            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item.id)), instance, nullptr);
        if (control == nullptr) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop(dialog)), initParam);
    return IsWindow(dialog) ? dialog : nullptr;
}

// Shows the dialog and gives the focus to its chosen control or its first tab stop.
void showDialog(HWND dialog) {
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    const auto state = dialogState(dialog);
    HWND focus = state != nullptr ? state->initialFocus : nullptr;
    if (focus == nullptr || !IsChild(dialog, focus)) {
        focus = firstTabStop(dialog);
    }
    if (focus != nullptr) {
        SetFocus(focus);
        if ((SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
            SendMessageA(focus, EM_SETSEL, 0, -1);
        }
    }
}

} // namespace velmar::ui

using velmar::ui::dialogState;

HWND CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM initParam) {
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND dialog =
        velmar::ui::createDialog(instance, *dialogTemplate, owner, procedure, initParam, false);
    if (dialog != nullptr && (dialogTemplate->style & WS_VISIBLE) != 0) {
        velmar::ui::showDialog(dialog);
    }
    return dialog;
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM initParam) {
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    HWND dialog =
        velmar::ui::createDialog(instance, *dialogTemplate, owner, procedure, initParam, true);
    if (dialog == nullptr) {
        return -1;
    }
    const auto state = dialogState(dialog);
    // The owner takes no input while the dialog runs; only one we disabled is enabled again.
    HWND disabledOwner = nullptr;
    if (HWND top = GetWindow(dialog, GW_OWNER); top != nullptr && IsWindowEnabled(top)) {
        EnableWindow(top, FALSE);
        disabledOwner = top;
    }
    {
        velmar::ui::ModalDialogScope scope(dialog);
        if (!state->ended) {
            velmar::ui::showDialog(dialog);
        }
        MSG message;
        while (!state->ended && IsWindow(dialog)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                // Whoever runs the outer loop must see the quit too.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) {
                break;
            }
            if (!IsDialogMessageA(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }
    if (disabledOwner != nullptr) {
        EnableWindow(disabledOwner, TRUE);
    }
    const INT_PTR result = state->ended ? state->result : 0;
    if (IsWindow(dialog)) {
        DestroyWindow(dialog);
    }
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    const auto state = dialogState(dialog);
    if (state == nullptr || !IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (state->modal && !state->ended) {
        state->ended = true;
        state->result = result;
        velmar::ui::presenter().dialogEnded(dialog, result);
        // The loop may be waiting for a message: this one makes it look at the end.
        PostMessageA(dialog, WM_NULL, 0, 0);
    }
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}
