// The built-in controls: BUTTON, EDIT and STATIC.
#include "tests/platform/ui/window_test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmar::ui::test;

namespace {

HWND control(const char* className, DWORD style, HWND parent, int id, const char* text = "") {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                           nullptr);
}

// The WM_COMMAND notifications the parent got, as (id, code).
std::vector<std::pair<WORD, WORD>> commands() {
    std::vector<std::pair<WORD, WORD>> out;
    for (const Seen& s : takeSeen()) {
        if (s.message == WM_COMMAND) {
            out.emplace_back(LOWORD(s.wParam), HIWORD(s.wParam));
        }
    }
    return out;
}

std::string textOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

TEST(Controls, ButtonsClickWhenEnabledAndTellTheirDialogCodes) {
    const HWND parent = makeWindow(WS_POPUP | WS_VISIBLE);
    const HWND ok = control("button", BS_DEFPUSHBUTTON, parent, IDOK, "OK");
    const HWND check = control("BUTTON", BS_AUTOCHECKBOX, parent, 5, "&Check");
    takeSeen();
    SendMessageA(ok, BM_CLICK, 0, 0);
    SendMessageA(ok, WM_KEYDOWN, VK_SPACE, 0);
    EnableWindow(ok, FALSE);
    SendMessageA(ok, BM_CLICK, 0, 0); // disabled: nothing
    EXPECT_EQ(commands(),
              (std::vector<std::pair<WORD, WORD>>{{IDOK, BN_CLICKED}, {IDOK, BN_CLICKED}}));

    EXPECT_EQ(SendMessageA(ok, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    SendMessageA(ok, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessageA(ok, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);

    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>{{5, BN_CLICKED}, {5, BN_CLICKED}}));
    DestroyWindow(parent);
}

TEST(Controls, EditsTakeTypedCharactersWithinTheirLimit) {
    const HWND parent = makeWindow(WS_POPUP | WS_VISIBLE);
    const HWND edit = control("Edit", ES_AUTOHSCROLL, parent, 7, "ab");
    const HWND readOnly = control("EDIT", ES_READONLY, parent, 8, "fixed");
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0),
              DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
    // The caret starts before the text.
    SendMessageA(edit, WM_CHAR, '>', 0);
    EXPECT_EQ(textOf(edit), ">ab");
    SendMessageA(edit, EM_SETSEL, 3, 3);
    takeSeen();
    for (const WPARAM c : {WPARAM{'c'}, WPARAM{VK_BACK}, WPARAM{'d'}, WPARAM{'\t'}}) {
        SendMessageA(edit, WM_CHAR, c, 0);
    }
    EXPECT_EQ(textOf(edit), ">abd");
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>(3, {7, EN_CHANGE})));

    // Typing replaces the selection; the limit holds typing back.
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, 'x', 0);
    SendMessageA(edit, EM_LIMITTEXT, 2, 0);
    SendMessageA(edit, WM_CHAR, 'y', 0);
    SendMessageA(edit, WM_CHAR, 'z', 0);
    EXPECT_EQ(textOf(edit), "xy");
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 2);

    SendMessageA(readOnly, WM_CHAR, 'x', 0);
    SendMessageA(readOnly, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(textOf(readOnly), "fixed");
    EnableWindow(edit, FALSE);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(textOf(edit), "xy");
    DestroyWindow(parent);
}

TEST(Controls, StaticIconsShowTheirIcon) {
    const HWND parent = makeWindow(WS_POPUP | WS_VISIBLE);
    const HWND label = control("STATIC", SS_LEFT, parent, IDC_STATIC, "Name:");
    EXPECT_EQ(textOf(label), "Name:");
    EXPECT_EQ(SendMessageA(label, WM_GETDLGCODE, 0, 0), DLGC_STATIC);

    const HWND icon = control("STATIC", SS_ICON, parent, IDC_STATIC, "#32515");
    const HICON warning = LoadIconA(nullptr, IDI_WARNING);
    EXPECT_EQ(SendMessageA(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(warning));
    const HICON error = LoadIconA(nullptr, IDI_ERROR);
    EXPECT_EQ(SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(error), 0),
              reinterpret_cast<LRESULT>(warning));
    EXPECT_EQ(SendMessageA(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(error));
    DestroyWindow(parent);
}

} // namespace
