// The state of each dialog, kept beside its window for as long as it lives. Internal to the
// dialog sources of platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <memory>

namespace velmar::ui {

struct DialogState {
    SIZE baseUnits{};            // of the dialog's font, for MapDialogRect
    bool modal = false;          // run by DialogBoxIndirectParamA
    bool ended = false;          // EndDialog was called
    INT_PTR result = 0;          // EndDialog's result
    int defaultId = 0;           // DM_SETDEFID's, 0 until set
    HWND initialFocus = nullptr; // the control to focus when shown, else the first tab stop
};

// Enters a new dialog; its state lives until the dialog's WM_NCDESTROY.
void addDialogState(HWND dialog, const DialogState& state);
void removeDialogState(HWND dialog);
// The dialog's state, or null for a window that is no dialog. Only the dialog's own thread
// changes it.
std::shared_ptr<DialogState> dialogState(HWND dialog);

} // namespace velmar::ui
