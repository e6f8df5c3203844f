#include "platform/ui/internal/window_names.h"
#include "platform/ui/internal/dialog.h"

#include "platform/text/text.h"

#include <cstdio>

namespace velmar::ui {

std::string quoted(std::string_view ansi) {
    std::string out = "\"";
    for (const char c : ansi) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += text::ansiToUtf8(std::string_view(&c, 1));
            }
        }
    }
    return out + "\"";
}

HWND topLevelOf(HWND window) {
    while (window != nullptr &&
           (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) != 0) {
        HWND parent = GetParent(window);
        if (parent == nullptr) {
            break;
        }
        window = parent;
    }
    return window;
}

std::string windowName(HWND window) {
    if (!IsWindow(window)) {
        return "(gone)";
    }
    const bool child = (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) != 0;
    const std::string text = windowText(window);
    if (!child || GetParent(window) == nullptr) {
        if (!text.empty()) {
            return quoted(text);
        }
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        return std::string("(") + className + ")";
    }
    std::string name = windowName(GetParent(window)) + "/#" + std::to_string(GetDlgCtrlID(window));
    switch (controlKind(window)) {
    case ControlKind::Button:
        name += " button";
        break;
    case ControlKind::Edit:
        return name + " edit";
    case ControlKind::Static:
        name += " static";
        break;
    case ControlKind::Other: {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        name += std::string(" ") + className;
        break;
    }
    }
    if (!text.empty()) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
        const bool prefix =
            controlKind(window) != ControlKind::Static || (style & SS_NOPREFIX) == 0;
        name += " " + quoted(prefix ? withoutMnemonic(text) : text);
    }
    return name;
}

std::string resultName(INT_PTR result) {
    static const char* const names[] = {"",      "OK",     "Cancel", "Abort",
                                        "Retry", "Ignore", "Yes",    "No"};
    return result >= 1 && result <= 7 ? names[result] : "";
}

} // namespace velmar::ui
