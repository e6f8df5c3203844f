// Message boxes: buttons by type, the default button, and what Escape and the close box give.
// Nothing here waits for a person: the headless presenter answers as Enter would.
#include "platform/ui/internal/dialog.h"
#include "platform/ui/ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

UINT g_sendToBox = 0; // a message handed to the box once it runs, 0 for none
WPARAM g_key = 0;
std::vector<std::string> g_buttons;

// Runs inside the box's modal loop: looks at the box and hands it the message.
LRESULT helperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND box = GetActiveWindow();
    g_buttons.clear();
    for (HWND child : velmar::ui::childrenOf(box)) {
        if (velmar::ui::controlKind(child) == velmar::ui::ControlKind::Button) {
            g_buttons.push_back(velmar::ui::windowText(child) + (GetFocus() == child ? "*" : ""));
        }
    }
    if (g_sendToBox == WM_KEYDOWN) {
        PostMessageA(GetFocus(), WM_KEYDOWN, g_key, 1);
    } else if (g_sendToBox == WM_CLOSE) {
        PostMessageA(box, WM_CLOSE, 0, 0);
    }
    return 0;
}

int runBox(UINT type, UINT send, WPARAM key = 0) {
    g_sendToBox = send;
    g_key = key;
    HWND helper = velmar::ui::createTopLevelWindow(helperProcedure);
    PostMessageA(helper, WM_APP, 0, 0);
    const int result = MessageBoxA(nullptr, "Text of the box", "Caption", type);
    DestroyWindow(helper);
    return result;
}

TEST(MessageBox, ButtonsByTypeWithTheDefaultFocused) {
    struct Case {
        UINT type;
        std::vector<std::string> buttons; // "*" marks the focused one
        int enter;                        // what Enter (the default answer) gives
    };
    const Case cases[] = {
        {MB_OK, {"OK*"}, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {"OK", "Cancel*"}, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {"&Yes*", "&No"}, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING, {"&Yes", "&No*", "Cancel"}, IDNO},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(runBox(each.type, 0), each.enter) << each.type;
        EXPECT_EQ(g_buttons, each.buttons) << each.type;
    }
}

TEST(MessageBox, EscapeAndTheCloseBoxGiveCancelOrOkButNothingToYesNo) {
    struct Case {
        UINT type;
        int escaped; // IDYES: Escape did nothing and the default answer came
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDCANCEL},
        {MB_YESNOCANCEL, IDCANCEL},
        {MB_YESNO, IDYES},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(runBox(each.type, WM_KEYDOWN, VK_ESCAPE), each.escaped) << each.type;
        EXPECT_EQ(runBox(each.type, WM_CLOSE), each.escaped) << each.type;
    }
    EXPECT_EQ(runBox(MB_YESNO, WM_KEYDOWN, 'N'), IDNO) << "a key's letter presses &No";
}

TEST(MessageBox, ABadOwnerFails) {
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(0x1234), "x", nullptr, MB_OK), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(TextWrap, LinesBreakAtBlanksAndLineFeeds) {
    using velmar::ui::wrapText;
    EXPECT_EQ(wrapText("one two three", 7), (std::vector<std::string>{"one two", "three"}));
    EXPECT_EQ(wrapText("a\nb", 7), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(wrapText("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
}

} // namespace
