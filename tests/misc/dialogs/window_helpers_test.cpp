// Modal windows, focus, the clipboard and the scale factor, on the real window system, the
// clipboard of a temporary prefix and second processes where the state is per process.
#include "misc/dialogs/dialogs.h"
#include "tests/misc/dialogs/test_windows.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

using velmar::test::binPath;
using velmar::test::makeTopLevelWindow;
using velmar::test::runProgram;

namespace {

// The clipboard's text, or "<none>" when it holds no text.
std::string clipboardText() {
    if (!OpenClipboard(nullptr)) {
        return "<closed>";
    }
    std::string text = "<none>";
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
}

bool contains(const std::vector<HWND>& windows, HWND window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

} // namespace

TEST(ModalWindows, AWindowCountsWhileItsOwnerIsDisabled) {
    HWND main = makeTopLevelWindow("Main");
    HWND other = makeTopLevelWindow("Other");
    HWND box = makeTopLevelWindow("Box", WS_POPUP | WS_CAPTION | WS_VISIBLE, main);
    HWND tool = makeTopLevelWindow("Tool", WS_POPUP | WS_VISIBLE, other);
    HWND control = velmar::test::makeControl(main, "BUTTON", "OK", WS_VISIBLE, IDOK);

    std::vector<HWND> windows{nullptr};
    listTopLevelWindows(windows);
    EXPECT_TRUE(contains(windows, main) && contains(windows, box) && contains(windows, tool));
    EXPECT_FALSE(contains(windows, control));
    EXPECT_FALSE(contains(windows, nullptr));

    // Owners enabled: nothing is modal.
    EXPECT_FALSE(isModalWindowOf(box, main));
    EXPECT_FALSE(isModalWindowOpen(nullptr));

    // As a modal loop does: the owner disabled while its box is open.
    EnableWindow(main, FALSE);
    EXPECT_TRUE(isModalWindowOf(box, main));
    EXPECT_TRUE(isModalWindowOf(box, nullptr));
    EXPECT_FALSE(isModalWindowOf(box, other));
    EXPECT_FALSE(isModalWindowOf(tool, nullptr)); // its owner is enabled
    EXPECT_FALSE(isModalWindowOf(main, nullptr)); // no owner
    EXPECT_FALSE(isModalWindowOf(control, main)); // a child, not a top-level window
    EXPECT_TRUE(isModalWindowOpen(main));
    EXPECT_TRUE(isModalWindowOpen(nullptr));
    EXPECT_FALSE(isModalWindowOpen(other));

    closeModalWindows(main);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(message.hwnd, box);
    EXPECT_EQ(message.message, WM_CLOSE);
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(message.lParam, 0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)); // only to the box
    closeModalWindows(other);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// While a message box over the main window runs its modal loop, the main window's posted
// message finds it open and closes it.
TEST(ModalWindows, AMessageBoxOverTheMainWindowIsFoundAndClosed) {
    static bool s_openOverMain = false;
    static bool s_openOverOther = true;
    static HWND s_other = nullptr;
    WNDCLASSA description;
    description.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) -> LRESULT {
        if (message == WM_APP) {
            s_openOverMain = isModalWindowOpen(window);
            s_openOverOther = isModalWindowOpen(s_other);
            closeModalWindows(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    };
    description.lpszClassName = "ModalTestMain";
    ASSERT_NE(RegisterClassA(&description), 0);
    HWND main = CreateWindowExA(0, "ModalTestMain", "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
    s_other = makeTopLevelWindow("Other");
    ASSERT_TRUE(PostMessageA(main, WM_APP, 0, 0));
    // Closed by the posted WM_CLOSE (Cancel), not by the headless default (Enter: OK).
    EXPECT_EQ(MessageBoxA(main, "Working", "Test", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(s_openOverMain);
    EXPECT_FALSE(s_openOverOther);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(isModalWindowOpen(nullptr));
}

TEST(Focus, SetFocusToReturnsTheWindowThatHadIt) {
    HWND main = makeTopLevelWindow("Main");
    HWND first = velmar::test::makeControl(main, "EDIT", "", WS_VISIBLE | WS_TABSTOP, 1);
    HWND second = velmar::test::makeControl(main, "EDIT", "", WS_VISIBLE | WS_TABSTOP, 2);
    setFocusTo(first);
    EXPECT_EQ(setFocusTo(second), first);
    EXPECT_EQ(GetFocus(), second);
    EnableWindow(first, FALSE); // a disabled window cannot take it
    EXPECT_EQ(setFocusTo(first), nullptr);
    EXPECT_EQ(GetFocus(), second);
}

TEST(Clipboard, TextOfAnyLengthIsCopiedWhole) {
    velmar::test::TempPrefix prefix;
    const std::string cases[] = {"", "C:\\Projects\\Bridge 1\\model.vmx", std::string(5000, 'x'),
                                 "caf\xe9 \x80 1252"};
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.size());
        EXPECT_TRUE(copyTextToClipboard(nullptr, text.c_str()));
        EXPECT_EQ(clipboardText(), text);
    }
    EXPECT_FALSE(copyTextToClipboard(nullptr, nullptr));
    EXPECT_EQ(clipboardText(), cases[3]);
}

TEST(Clipboard, HeldByAnotherProgramNothingChanges) {
    velmar::test::TempPrefix prefix;
    ASSERT_TRUE(copyTextToClipboard(nullptr, "before"));
    const std::string ready = prefix.path() + "/ready";
    const std::string release = prefix.path() + "/release";
    const pid_t holder = velmar::test::startProgram(
        {binPath("dialogs_test_child"), "hold-clipboard", ready, release});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (::access(ready.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(::access(ready.c_str(), F_OK), 0) << "the holder did not open the clipboard";

    EXPECT_FALSE(copyTextToClipboard(nullptr, "while held"));
    velmar::test::writeFileBytes(release, "go");
    EXPECT_EQ(velmar::test::waitProgram(holder), 0);
    EXPECT_EQ(clipboardText(), "before");
}

TEST(ScreenScale, ComputedOnceFromThePixelsPerInchNeverBelowOne) {
    velmar::test::TempPrefix prefix;
    struct Case {
        const char* screen;
        const char* expected;
    };
    const Case cases[] = {{"1920x1080@72", "1.000"},
                          {"1920x1080@96", "1.000"},
                          {"1920x1080@120;-1280,0,1280x1024", "1.250"},
                          {"1920x1080@144;-1280,0,1280x1024", "1.500"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        const auto result = runProgram({binPath("dialogs_test_child"), "scale", "1920x1080@192"},
                                       {{"VELMAR_SCREEN", c.screen}});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        // The second figure is read after the screen changed: still the first one.
        EXPECT_EQ(result.out, std::string(c.expected) + "\n" + c.expected + "\n");
    }
}
