// A dialog's controls by id and their texts, and the dialog-unit conversions.
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/dialog_state.h"

#include <cctype>
#include <mutex>
#include <unordered_map>

namespace velmar::ui {

namespace {

struct DialogTable {
    std::mutex mutex;
    std::unordered_map<HWND, std::shared_ptr<DialogState>> states;
};

DialogTable& dialogTable() {
    static DialogTable table;
    return table;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

LONG mulDiv(LONG x, LONG numerator, LONG denominator) {
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(x) * numerator;
    const long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : (product - half) / denominator);
}

void addDialogState(HWND dialog, const DialogState& state) {
    std::lock_guard lock(dialogTable().mutex);
    dialogTable().states[dialog] = std::make_shared<DialogState>(state);
}

void removeDialogState(HWND dialog) {
    std::lock_guard lock(dialogTable().mutex);
    dialogTable().states.erase(dialog);
}

std::shared_ptr<DialogState> dialogState(HWND dialog) {
    std::lock_guard lock(dialogTable().mutex);
    const auto found = dialogTable().states.find(dialog);
    return found != dialogTable().states.end() ? found->second : nullptr;
}

bool isDialog(HWND window) {
    return window != nullptr && dialogState(window) != nullptr && IsWindow(window);
}

void setInitialFocus(HWND dialog, HWND control) {
    if (const auto state = dialogState(dialog)) {
        state->initialFocus = control;
    }
}

int defaultCommandId(HWND dialog) {
    const LRESULT answer = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(static_cast<std::uintptr_t>(answer)) == DC_HASDEFID
               ? LOWORD(static_cast<std::uintptr_t>(answer))
               : IDOK;
}

ControlKind controlKind(HWND window) {
    char name[32] = {};
    if (GetClassNameA(window, name, sizeof name) == 0) {
        return ControlKind::Other;
    }
    if (equalNoCase(name, "Button")) {
        return ControlKind::Button;
    }
    if (equalNoCase(name, "Edit")) {
        return ControlKind::Edit;
    }
    if (equalNoCase(name, "Static")) {
        return ControlKind::Static;
    }
    return ControlKind::Other;
}

bool isPushButton(HWND window) {
    if (controlKind(window) != ControlKind::Button) {
        return false;
    }
    const DWORD type = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::string withoutMnemonic(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        if (text[i] != '&' || (i > 0 && text[i - 1] == '&')) {
            plain += text[i];
        }
    }
    return plain;
}

char mnemonicOf(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] != '&') {
                return text[i + 1];
            }
            ++i;
        }
    }
    return 0;
}

std::vector<std::string> wrapText(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    width = width == 0 ? 1 : width;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view paragraph = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.remove_suffix(1);
        }
        do {
            if (paragraph.size() <= width) {
                lines.emplace_back(paragraph);
                break;
            }
            std::size_t cut = paragraph.rfind(' ', width);
            const bool atBlank = cut != std::string_view::npos && cut > 0;
            cut = atBlank ? cut : width;
            lines.emplace_back(paragraph.substr(0, cut));
            paragraph.remove_prefix(atBlank ? cut + 1 : cut);
        } while (!paragraph.empty());
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

SIZE systemBaseUnits() {
    return dialogBaseUnits("System", 10);
}

} // namespace velmar::ui

using velmar::ui::dialogState;

HWND GetDlgItem(HWND dialog, int id) {
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND child : velmar::ui::childrenOf(dialog)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND window) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if ((static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) == 0) {
        return 0;
    }
    return static_cast<int>(GetWindowLongPtrA(window, GWLP_ID));
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        if (text != nullptr && size > 0) {
            text[0] = '\0';
        }
        return 0;
    }
    const int copied = GetWindowTextA(item, text, size);
    return copied > 0 ? static_cast<UINT>(copied) : 0;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    const auto state = dialogState(dialog);
    if (state == nullptr || !IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    using velmar::ui::mulDiv;
    rect->left = mulDiv(rect->left, state->baseUnits.cx, 4);
    rect->right = mulDiv(rect->right, state->baseUnits.cx, 4);
    rect->top = mulDiv(rect->top, state->baseUnits.cy, 8);
    rect->bottom = mulDiv(rect->bottom, state->baseUnits.cy, 8);
    return TRUE;
}

LONG GetDialogBaseUnits() {
    const SIZE units = velmar::ui::systemBaseUnits();
    return static_cast<LONG>(MAKELPARAM(static_cast<WORD>(units.cx), static_cast<WORD>(units.cy)));
}
