// Dialogs from templates: sizes in dialog units, keyboard navigation, the default button,
// Escape and the close box, the modal loop and its owner.
#include "platform/ui/ui.h"

#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::test::ScopedEnv;

namespace {

std::vector<int> g_commands;

INT_PTR recordingProcedure(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        g_commands.push_back(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// A modeless dialog: an edit, three buttons (one disabled, one hidden), a fourth button.
DLGTEMPLATE formTemplate() {
    DLGTEMPLATE form;
    form.style |= WS_VISIBLE;
    form.caption = "Form";
    form.cx = 200;
    form.cy = 100;
    form.items = {
        {"STATIC", "&Label:", kChild, 0, 4, 4, 40, 8, IDC_STATIC},
        {"EDIT", "", kChild | WS_TABSTOP, 0, 50, 4, 100, 12, 10},
        {"BUTTON", "&Apply", kChild | WS_TABSTOP, 0, 4, 30, 50, 14, 11},
        {"BUTTON", "&Disabled", kChild | WS_TABSTOP | WS_DISABLED, 0, 60, 30, 50, 14, 12},
        {"BUTTON", "&Hidden", WS_CHILD | WS_TABSTOP, 0, 60, 50, 50, 14, 13},
        {"BUTTON", "&Save", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 116, 30, 50, 14, 14},
    };
    return form;
}

// Hands a key to the dialog as the message loop would.
void press(HWND dialog, UINT message, WPARAM key, LPARAM flags = 0) {
    MSG msg;
    msg.hwnd = GetFocus() != nullptr ? GetFocus() : dialog;
    msg.message = message;
    msg.wParam = key;
    msg.lParam = 1 | flags;
    EXPECT_TRUE(IsDialogMessageA(dialog, &msg));
    // What the dialog posted (characters from TranslateMessage) is handled too.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_commands.clear();
        const DLGTEMPLATE form = formTemplate();
        m_dialog = CreateDialogIndirectParamA(nullptr, &form, nullptr, recordingProcedure, 0);
        ASSERT_NE(m_dialog, nullptr);
    }
    void TearDown() override { DestroyWindow(m_dialog); }
    int focusedId() const { return GetDlgCtrlID(GetFocus()); }

    HWND m_dialog = nullptr;
};

TEST_F(FormTest, TabAndArrowsVisitTheEnabledVisibleTabStopsInTemplateOrder) {
    EXPECT_EQ(focusedId(), 10) << "WM_INITDIALOG's TRUE focuses the first tab stop";
    struct Step {
        UINT message;
        WPARAM key;
        LPARAM flags;
        int expected;
    };
    const Step steps[] = {
        {WM_KEYDOWN, VK_TAB, 0, 11},
        {WM_KEYDOWN, VK_TAB, 0, 14}, // skips the disabled and the hidden button
        {WM_KEYDOWN, VK_TAB, 0, 10}, // and goes round
        {WM_KEYDOWN, VK_TAB, KF_SHIFTDOWN_LPARAM, 14},
        {WM_KEYDOWN, VK_LEFT, 0, 11},
        {WM_KEYDOWN, VK_DOWN, 0, 14},
    };
    for (const Step& step : steps) {
        press(m_dialog, step.message, step.key, step.flags);
        EXPECT_EQ(focusedId(), step.expected) << "key " << step.key;
    }
    EXPECT_EQ(GetNextDlgTabItem(m_dialog, GetDlgItem(m_dialog, 14), FALSE),
              GetDlgItem(m_dialog, 10));
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(FormTest, EnterPressesTheFocusedButtonElseTheDefaultOne) {
    press(m_dialog, WM_KEYDOWN, VK_RETURN); // from the edit: the default button
    press(m_dialog, WM_KEYDOWN, VK_TAB);
    press(m_dialog, WM_KEYDOWN, VK_RETURN); // on Apply: Apply
    SendMessageA(m_dialog, DM_SETDEFID, 11, 0);
    SetFocus(GetDlgItem(m_dialog, 10));
    press(m_dialog, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(g_commands, (std::vector<int>{14, 11, 11}));
    EXPECT_EQ(SendMessageA(m_dialog, DM_GETDEFID, 0, 0), MAKELPARAM(11, DC_HASDEFID));
}

TEST_F(FormTest, EscapeAndTheCloseBoxAreCancel) {
    press(m_dialog, WM_KEYDOWN, VK_ESCAPE);
    SendMessageA(m_dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_commands, (std::vector<int>{IDCANCEL, IDCANCEL}));
    EXPECT_TRUE(IsWindow(m_dialog)) << "an unhandled IDCANCEL ends nothing";
}

TEST_F(FormTest, AnUnderlinedLetterPressesItsButtonUnlessTheEditWantsIt) {
    press(m_dialog, WM_CHAR, 's'); // the edit has the focus: it is typed
    char text[16] = {};
    GetDlgItemTextA(m_dialog, 10, text, sizeof text);
    EXPECT_STREQ(text, "s");
    press(m_dialog, WM_SYSCHAR, 's', KF_ALTDOWN_LPARAM); // Alt+S from the edit presses Save
    SetFocus(GetDlgItem(m_dialog, 11));
    press(m_dialog, WM_CHAR, 'S'); // on a button a plain letter does
    press(m_dialog, WM_CHAR, 'd'); // a disabled button is not pressed
    press(m_dialog, WM_CHAR, 'h'); // nor a hidden one
    EXPECT_EQ(g_commands, (std::vector<int>{14, 14}));
}

// Sizes follow the dialog font's base units at the screen's pixels per inch.
TEST(DialogUnits, TheDialogAndItsControlsScaleWithTheBaseUnits) {
    for (const char* screen : {"1920x1080@96", "1920x1080@144"}) {
        ScopedEnv described("VELMAR_SCREEN", screen);
        const SIZE units = velmar::ui::dialogBaseUnits("MS Shell Dlg", 8);
        const DLGTEMPLATE form = formTemplate();
        HWND dialog = CreateDialogIndirectParamA(nullptr, &form, nullptr, recordingProcedure, 0);
        RECT rect;
        GetClientRect(dialog, &rect);
        EXPECT_EQ(rect.right, (200 * units.cx + 2) / 4) << screen;
        EXPECT_EQ(rect.bottom, (100 * units.cy + 4) / 8) << screen;
        RECT mapped{4, 30, 54, 44};
        ASSERT_TRUE(MapDialogRect(dialog, &mapped));
        RECT apply;
        GetWindowRect(GetDlgItem(dialog, 11), &apply);
        POINT corner{apply.left, apply.top};
        ScreenToClient(dialog, &corner);
        EXPECT_EQ(corner.x, mapped.left) << screen;
        EXPECT_EQ(corner.y, mapped.top) << screen;
        EXPECT_EQ(apply.right - apply.left, mapped.right - mapped.left) << screen;
        DestroyWindow(dialog);
    }
    ScopedEnv described("VELMAR_SCREEN", "1920x1080@96");
    EXPECT_EQ(velmar::ui::dialogBaseUnits("MS Shell Dlg", 8).cx, 6);
    EXPECT_EQ(velmar::ui::dialogBaseUnits("MS Shell Dlg", 8).cy, 13);
}

struct ModalSeen {
    HWND owner = nullptr;
    BOOL ownerEnabledInLoop = TRUE;
    BOOL ownerEnabledAtDestroy = FALSE;
    int focusInLoop = 0;
};
ModalSeen g_seen;

INT_PTR modalProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PostMessageA(dialog, WM_APP, 0, 0);
        return TRUE;
    case WM_APP:
        g_seen.ownerEnabledInLoop = IsWindowEnabled(g_seen.owner);
        g_seen.focusInLoop = GetDlgCtrlID(GetFocus());
        EndDialog(dialog, 42);
        return TRUE;
    case WM_DESTROY:
        g_seen.ownerEnabledAtDestroy = IsWindowEnabled(g_seen.owner);
        return TRUE;
    default:
        return FALSE;
    }
}

TEST(ModalDialog, DisablesItsOwnerWhileItRunsAndEnablesItBeforeItGoes) {
    g_seen = {};
    g_seen.owner = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   400, 300, nullptr, nullptr, nullptr, nullptr);
    DLGTEMPLATE form = formTemplate();
    form.style &= ~WS_VISIBLE;
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &form, g_seen.owner, modalProcedure, 0), 42);
    EXPECT_FALSE(g_seen.ownerEnabledInLoop);
    EXPECT_TRUE(g_seen.ownerEnabledAtDestroy);
    EXPECT_TRUE(IsWindowEnabled(g_seen.owner));
    EXPECT_EQ(g_seen.focusInLoop, 10) << "the first tab stop has the focus";
    DestroyWindow(g_seen.owner);
}

INT_PTR quittingProcedure(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        PostQuitMessage(5);
        return TRUE;
    }
    return FALSE;
}

TEST(ModalDialog, AQuitEndsTheLoopAndIsPostedAgain) {
    const DLGTEMPLATE form = formTemplate();
    DialogBoxIndirectParamA(nullptr, &form, nullptr, quittingProcedure, 0);
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 5u);
}

TEST(DialogCalls, BadHandlesFailWithTheWindowError) {
    SetLastError(0);
    EXPECT_EQ(GetDlgItem(nullptr, 1), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(EndDialog(nullptr, 1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    RECT rect{};
    EXPECT_FALSE(MapDialogRect(nullptr, &rect));
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

} // namespace
