// Enabling, disabling, listing and restoring every descendant of a framework window, hidden
// ones included.
#include "misc/dialogs/dialogs.h"
#include "tests/misc/dialogs/test_windows.h"

#include <gtest/gtest.h>

using velmar::test::TestDialog;

namespace {

std::vector<int> enabledStates(const TestDialog& d) {
    std::vector<int> states;
    for (HWND window : {d.ok, d.edit, d.cancel, d.group, d.inner, d.hidden, d.last}) {
        states.push_back(IsWindowEnabled(window) ? 1 : 0);
    }
    return states;
}

} // namespace

TEST(ChildWindows, DisableAndEnableReachEveryDescendant) {
    TestDialog dialog;
    CWnd* parent = CWnd::FromHandle(dialog.window);
    EXPECT_TRUE(disableChildWindows(parent));
    EXPECT_EQ(enabledStates(dialog), std::vector<int>(7, 0));
    EXPECT_TRUE(IsWindowEnabled(dialog.window));
    EXPECT_TRUE(enableChildWindows(parent));
    EXPECT_EQ(enabledStates(dialog), std::vector<int>(7, 1));

    // No window: nothing happens, in particular not to the top-level windows.
    CWnd empty;
    EXPECT_FALSE(disableChildWindows(&empty));
    EXPECT_FALSE(disableChildWindows(nullptr));
    EXPECT_FALSE(enableChildWindows(nullptr));
    EXPECT_TRUE(IsWindowEnabled(dialog.window));
}

TEST(ChildWindows, ListedStatesComeBackAfterAnyChange) {
    TestDialog dialog;
    EnableWindow(dialog.edit, FALSE);
    EnableWindow(dialog.hidden, FALSE);
    CWnd* parent = CWnd::FromHandle(dialog.window);

    std::vector<CWnd*> windows{nullptr};
    std::vector<int> states{7};
    listChildWindows(parent, windows, states);
    ASSERT_EQ(windows.size(), 7u);
    const HWND order[] = {dialog.ok,    dialog.edit,   dialog.cancel, dialog.group,
                          dialog.inner, dialog.hidden, dialog.last};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(windows[i]->GetSafeHwnd(), order[i]) << i;
    }
    const std::vector<int> before = enabledStates(dialog);
    EXPECT_EQ(states, before);

    disableChildWindows(parent);
    EnableWindow(dialog.edit, TRUE);
    restoreEnabledStates(windows, states);
    EXPECT_EQ(enabledStates(dialog), before);

    // Lists of different lengths are taken as far as both go.
    disableChildWindows(parent);
    restoreEnabledStates(windows, {1, 1});
    EXPECT_EQ(enabledStates(dialog), (std::vector<int>{1, 1, 0, 0, 0, 0, 0}));

    std::vector<CWnd*> only{nullptr};
    listChildWindows(parent, only);
    EXPECT_EQ(only.size(), 7u);
    listChildWindows(nullptr, windows, states);
    EXPECT_TRUE(windows.empty());
    EXPECT_TRUE(states.empty());
}
