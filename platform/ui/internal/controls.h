// The built-in controls' window procedures and the extra window bytes they keep their state
// in. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

namespace velmar::ui {

// BUTTON: the check state.
inline constexpr int kButtonCheck = 0;
inline constexpr int kButtonExtra = 8;
// EDIT: the most characters typing may reach, and the selection (caret at its end).
inline constexpr int kEditLimit = 0;
inline constexpr int kEditSelectionStart = 8;
inline constexpr int kEditSelectionEnd = 16;
inline constexpr int kEditExtra = 24;
// STATIC: the icon of an SS_ICON control.
inline constexpr int kStaticIcon = 0;
inline constexpr int kStaticExtra = 8;

LRESULT buttonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT staticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace velmar::ui
