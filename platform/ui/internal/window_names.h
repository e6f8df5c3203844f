// Readable, stable names of windows for traces and script errors: the caption of a top-level
// window, the parent's name with the id, kind and label of a control. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <string>
#include <string_view>

namespace velmar::ui {

// Text in double quotes, UTF-8, with \" \\ \n \r \t and other controls escaped.
std::string quoted(std::string_view ansi);

// "Setup" for a top-level window ((#32770) without a caption); "Setup"/#1 button "OK" for a
// control (an edit's text is left out: it is what changes).
std::string windowName(HWND window);

// The top-level window that holds window (itself when it is one).
HWND topLevelOf(HWND window);

// IDOK ... IDNO as "OK" ... "No"; empty for other values.
std::string resultName(INT_PTR result);

} // namespace velmar::ui
