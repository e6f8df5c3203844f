// The built-in controls: BUTTON, EDIT and STATIC.
#include "platform/ui/internal/controls.h"

#include <algorithm>
#include <string>

namespace velmar::ui {

namespace {

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

void notifyParent(HWND window, WORD code) {
    const HWND parent = GetParent(window);
    if (parent != nullptr) {
        const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
    }
}

void click(HWND window) {
    if (IsWindowEnabled(window) == FALSE) {
        return;
    }
    if ((styleOf(window) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        const LONG_PTR checked = GetWindowLongPtrA(window, kButtonCheck);
        SendMessageA(window, BM_SETCHECK, checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    notifyParent(window, BN_CLICKED);
}

std::string textOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The edit control's selection, ordered and within its text.
struct Selection {
    std::size_t start = 0;
    std::size_t end = 0;
};

Selection selectionOf(HWND window, std::size_t length) {
    auto start = static_cast<std::size_t>(GetWindowLongPtrA(window, kEditSelectionStart));
    auto end = static_cast<std::size_t>(GetWindowLongPtrA(window, kEditSelectionEnd));
    start = std::min(start, length);
    end = std::min(end, length);
    return Selection{std::min(start, end), std::max(start, end)};
}

void select(HWND window, std::size_t start, std::size_t end) {
    SetWindowLongPtrA(window, kEditSelectionStart, static_cast<LONG_PTR>(start));
    SetWindowLongPtrA(window, kEditSelectionEnd, static_cast<LONG_PTR>(end));
}

// Replaces the selection by typed text (or deletes before or after the caret), then tells
// the parent.
void editText(HWND window, const std::string& typed, int deleteDirection) {
    std::string text = textOf(window);
    Selection selection = selectionOf(window, text.size());
    if (selection.start == selection.end && deleteDirection < 0 && selection.start > 0) {
        --selection.start;
    } else if (selection.start == selection.end && deleteDirection > 0 &&
               selection.end < text.size()) {
        ++selection.end;
    }
    const std::size_t limit = static_cast<std::size_t>(GetWindowLongPtrA(window, kEditLimit));
    const std::size_t kept = text.size() - (selection.end - selection.start);
    if (!typed.empty() && kept + typed.size() > limit) {
        return;
    }
    if (typed.empty() && selection.start == selection.end) {
        return;
    }
    text.replace(selection.start, selection.end - selection.start, typed);
    DefWindowProcA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const std::size_t caret = selection.start + typed.size();
    select(window, caret, caret);
    InvalidateRect(window, nullptr, TRUE);
    notifyParent(window, EN_CHANGE);
}

void moveCaret(HWND window, WPARAM key) {
    const std::size_t length = static_cast<std::size_t>(GetWindowTextLengthA(window));
    const Selection selection = selectionOf(window, length);
    std::size_t caret = static_cast<std::size_t>(GetWindowLongPtrA(window, kEditSelectionEnd));
    caret = std::min(caret, length);
    switch (key) {
    case VK_LEFT:
        caret = selection.start != selection.end ? selection.start : (caret > 0 ? caret - 1 : 0);
        break;
    case VK_RIGHT:
        caret = selection.start != selection.end ? selection.end : std::min(caret + 1, length);
        break;
    case VK_HOME:
        caret = 0;
        break;
    case VK_END:
        caret = length;
        break;
    default:
        return;
    }
    select(window, caret, caret);
    InvalidateRect(window, nullptr, FALSE);
}

// The default most characters typing reaches in an edit control, as on Windows.
constexpr LONG_PTR kDefaultEditLimit = 30000;
constexpr LONG_PTR kLargestEditLimit = 0x7FFFFFFE;

// The icon an SS_ICON control names: the program's, else the system's.
HICON iconNamed(HINSTANCE instance, LPCSTR name) {
    static char program;
    HICON icon =
        LoadIconA(instance != nullptr ? instance : reinterpret_cast<HINSTANCE>(&program), name);
    return icon != nullptr ? icon : LoadIconA(nullptr, name);
}

} // namespace

LRESULT buttonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: {
        const DWORD type = styleOf(window) & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON) {
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        }
        return type == BS_PUSHBUTTON ? DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON : DLGC_BUTTON;
    }
    case BM_CLICK:
        click(window);
        return 0;
    case WM_LBUTTONDOWN:
        // A pressed button takes the focus, as a push button does on Windows.
        if ((styleOf(window) & WS_TABSTOP) != 0) {
            SetFocus(window);
        }
        return 0;
    case WM_LBUTTONUP: {
        // A click when the button is let go over the button.
        const auto x = static_cast<short>(LOWORD(static_cast<DWORD>(lParam)));
        const auto y = static_cast<short>(HIWORD(static_cast<DWORD>(lParam)));
        RECT client{};
        GetClientRect(window, &client);
        if (x >= 0 && y >= 0 && x < client.right && y < client.bottom) {
            click(window);
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            click(window);
        }
        return 0;
    case BM_GETCHECK:
        return GetWindowLongPtrA(window, kButtonCheck);
    case BM_SETCHECK:
        SetWindowLongPtrA(window, kButtonCheck, static_cast<LONG_PTR>(wParam));
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case BM_SETSTYLE: {
        // wParam is the style's low word, the button's own part of it.
        const DWORD style = (styleOf(window) & 0xFFFF0000u) | LOWORD(wParam);
        SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(style));
        if (lParam != 0) {
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, kEditLimit, kDefaultEditLimit);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
        // A click puts the caret at the end of the text, where typing goes on.
        SetFocus(window);
        select(window, static_cast<std::size_t>(GetWindowTextLengthA(window)),
               static_cast<std::size_t>(GetWindowTextLengthA(window)));
        return 0;
    case WM_SETTEXT: {
        // A new text starts with the caret before it, as a new control's does.
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        select(window, 0, 0);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_CHAR: {
        if ((styleOf(window) & ES_READONLY) != 0 || IsWindowEnabled(window) == FALSE) {
            return 0;
        }
        if (wParam == VK_BACK) {
            editText(window, std::string(), -1);
        } else if (wParam >= 0x20 && wParam <= 0xFF && wParam != 0x7F) {
            editText(window, std::string(1, static_cast<char>(wParam)), 0);
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            if ((styleOf(window) & ES_READONLY) == 0 && IsWindowEnabled(window) != FALSE) {
                editText(window, std::string(), 1);
            }
        } else {
            moveCaret(window, wParam);
        }
        return 0;
    case EM_SETSEL: {
        const auto length = static_cast<std::size_t>(GetWindowTextLengthA(window));
        const auto start = static_cast<LONG_PTR>(wParam);
        const LONG_PTR end = lParam;
        if (start == -1) {
            // No selection: the caret stays where the selection ended.
            const Selection current = selectionOf(window, length);
            select(window, current.end, current.end);
        } else {
            const auto to = [length](LONG_PTR p) {
                return p < 0 ? length : std::min(static_cast<std::size_t>(p), length);
            };
            select(window, to(start), to(end));
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case EM_GETSEL: {
        const Selection selection =
            selectionOf(window, static_cast<std::size_t>(GetWindowTextLengthA(window)));
        if (wParam != 0) {
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(selection.start);
        }
        if (lParam != 0) {
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(selection.end);
        }
        return static_cast<LRESULT>(
            MAKELPARAM(static_cast<WORD>(std::min<std::size_t>(selection.start, 0xFFFF)),
                       static_cast<WORD>(std::min<std::size_t>(selection.end, 0xFFFF))));
    }
    case EM_LIMITTEXT:
        SetWindowLongPtrA(window, kEditLimit,
                          wParam == 0 ? kLargestEditLimit : static_cast<LONG_PTR>(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        return GetWindowLongPtrA(window, kEditLimit);
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT staticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && (static_cast<DWORD>(create->style) & 0x1F) == SS_ICON &&
            create->lpszName != nullptr &&
            (IS_INTRESOURCE(create->lpszName) || create->lpszName[0] != '\0')) {
            // The text of an icon control names its icon.
            SetWindowLongPtrA(
                window, kStaticIcon,
                reinterpret_cast<LONG_PTR>(iconNamed(create->hInstance, create->lpszName)));
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON: {
        const LONG_PTR previous =
            SetWindowLongPtrA(window, kStaticIcon, static_cast<LONG_PTR>(wParam));
        InvalidateRect(window, nullptr, TRUE);
        return previous;
    }
    case STM_GETICON:
        return GetWindowLongPtrA(window, kStaticIcon);
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const auto icon = reinterpret_cast<HICON>(GetWindowLongPtrA(window, kStaticIcon));
        if (dc != nullptr && (styleOf(window) & 0x1F) == SS_ICON && icon != nullptr) {
            DrawIcon(dc, 0, 0, icon);
        }
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace velmar::ui
