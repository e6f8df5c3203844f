// MessageBoxA: a modal dialog made from a template sized to its text.
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/presenter.h"

#include <algorithm>
#include <string>

namespace velmar::ui {

namespace {

struct BoxButton {
    int id;
    const char* label;
};

std::vector<BoxButton> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

// The system icon's resource name ("#32513"), empty without one.
std::string iconName(UINT type) {
    const auto number = [](LPCSTR name) {
        return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
    };
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return number(IDI_ERROR);
    case MB_ICONQUESTION:
        return number(IDI_QUESTION);
    case MB_ICONWARNING:
        return number(IDI_WARNING);
    case MB_ICONINFORMATION:
        return number(IDI_INFORMATION);
    default:
        return {};
    }
}

// Dialog units: a character is 4 wide and 8 high.
constexpr short kMargin = 7;
constexpr short kIconSize = 21;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 4;
constexpr std::size_t kLineLength = 56;

struct Box {
    std::string caption;
    std::string text;
    UINT type = MB_OK;
    std::vector<BoxButton> buttons;
    int defaultId = IDOK;
};

DLGTEMPLATE boxTemplate(const Box& box) {
    DLGTEMPLATE dialogTemplate;
    dialogTemplate.style =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    dialogTemplate.caption = box.caption;

    const std::vector<std::string> lines = wrapText(box.text, kLineLength);
    std::size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
    }
    const std::string icon = iconName(box.type);
    const short textLeft = icon.empty() ? kMargin : kMargin + kIconSize + kMargin;
    const auto textWidth = static_cast<short>(std::max<std::size_t>(longest, 1) * 4);
    const auto textHeight = static_cast<short>(lines.size() * 8);
    const short bodyHeight = std::max(textHeight, icon.empty() ? short{0} : kIconSize);

    const auto buttonCount = static_cast<short>(box.buttons.size());
    const short buttonsWidth =
        static_cast<short>(buttonCount * kButtonWidth + (buttonCount - 1) * kButtonGap);
    const short width = std::max<short>(static_cast<short>(textLeft + textWidth + kMargin),
                                        static_cast<short>(buttonsWidth + 2 * kMargin));
    dialogTemplate.cx = width;
    dialogTemplate.cy =
        static_cast<short>(kMargin + bodyHeight + kMargin + kButtonHeight + kMargin);

    if (!icon.empty()) {
        dialogTemplate.items.push_back({"STATIC", icon, WS_CHILD | WS_VISIBLE | SS_ICON, 0, kMargin,
                                        kMargin, kIconSize, kIconSize, IDC_STATIC});
    }
    const short textTop = static_cast<short>(kMargin + (bodyHeight - textHeight) / 2);
    dialogTemplate.items.push_back({"STATIC", box.text,
                                    WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, textLeft,
                                    textTop, textWidth, textHeight, IDC_STATIC});
    short x = static_cast<short>((width - buttonsWidth) / 2);
    const short y = static_cast<short>(kMargin + bodyHeight + kMargin);
    for (const BoxButton& button : box.buttons) {
        const DWORD kind = button.id == box.defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        dialogTemplate.items.push_back({"BUTTON", button.label,
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, 0, x, y,
                                        kButtonWidth, kButtonHeight, button.id});
        x = static_cast<short>(x + kButtonWidth + kButtonGap);
    }
    return dialogTemplate;
}

bool hasButton(const Box& box, int id) {
    return std::any_of(box.buttons.begin(), box.buttons.end(),
                       [id](const BoxButton& button) { return button.id == id; });
}

INT_PTR boxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* data = reinterpret_cast<const Box*>(lParam);
        SetWindowLongPtrA(box, DWLP_USER, lParam);
        SendMessageA(box, DM_SETDEFID, static_cast<WPARAM>(data->defaultId), 0);
        setInitialFocus(box, GetDlgItem(box, data->defaultId));
        presenter().messageBoxShown(box, data->caption, data->text, data->type);
        return FALSE;
    }
    if (message == WM_COMMAND) {
        const auto* data = reinterpret_cast<const Box*>(GetWindowLongPtrA(box, DWLP_USER));
        const int id = LOWORD(wParam);
        if (hasButton(*data, id)) {
            EndDialog(box, id);
        } else if (id == IDCANCEL && data->buttons.size() == 1) {
            // Escape and the close box answer an OK-only box; Yes/No has no way out but its
            // buttons.
            EndDialog(box, IDOK);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

} // namespace velmar::ui

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    using namespace velmar::ui;
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Box box;
    box.caption = caption != nullptr ? caption : "Error";
    box.text = text != nullptr ? text : "";
    box.type = type;
    box.buttons = buttonsOf(type);
    const std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    box.defaultId = box.buttons[defaultIndex < box.buttons.size() ? defaultIndex : 0].id;
    const DLGTEMPLATE dialogTemplate = boxTemplate(box);
    const INT_PTR result = DialogBoxIndirectParamA(nullptr, &dialogTemplate, owner, boxProcedure,
                                                   reinterpret_cast<LPARAM>(&box));
    return result > 0 ? static_cast<int>(result) : 0;
}
