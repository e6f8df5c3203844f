// What the window system knows of a dialog beyond its window: how it was made, whether it runs
// modally and how it ended. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmar::ui {

// The dialog class, registered on first use of a dialog.
inline constexpr const char* kDialogClass = "#32770";

// True when window is a dialog made by CreateDialogIndirectParamA or DialogBoxIndirectParamA.
bool isDialog(HWND window);

// The control that takes the focus when the dialog is shown, in place of the first tab stop
// (a message box's default button). Only before the dialog is shown.
void setInitialFocus(HWND dialog, HWND control);

// The id Enter presses in the dialog: DM_GETDEFID's answer, else IDOK.
int defaultCommandId(HWND dialog);

// The class of a control as one of the built-in kinds, by its class name.
enum class ControlKind { Other, Button, Edit, Static };
ControlKind controlKind(HWND window);

// A push button (BS_PUSHBUTTON or BS_DEFPUSHBUTTON), as opposed to check boxes and group boxes.
bool isPushButton(HWND window);

// The window's text, whole.
std::string windowText(HWND window);

// text without the "&" marks ("&&" is one "&"), and the marked letter (0 when none).
std::string withoutMnemonic(std::string_view text);
char mnemonicOf(std::string_view text);

// Splits text into lines of at most width characters: at line feeds, else at the last blank
// before the limit, else inside a word that is longer than a line.
std::vector<std::string> wrapText(std::string_view text, std::size_t width);

// x * numerator / denominator, rounded to the nearest (MulDiv); -1 for a zero denominator.
LONG mulDiv(LONG x, LONG numerator, LONG denominator);

// The base units of the system font, GetDialogBaseUnits' (a dialog without DS_SETFONT).
SIZE systemBaseUnits();

// The direct children of window in their order.
std::vector<HWND> childrenOf(HWND window);

} // namespace velmar::ui
