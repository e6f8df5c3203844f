// Visibility, the enabled state, focus and activation, text and placement.
#include "tests/platform/ui/window_test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmar::ui::test;

namespace {

TEST(WindowState, AWindowIsVisibleWhenItAndAllItsAncestorsAre) {
    const HWND top = makeWindow(WS_OVERLAPPED);
    const HWND child = makeWindow(WS_CHILD | WS_VISIBLE, top);
    const HWND grandchild = makeWindow(WS_CHILD | WS_VISIBLE, child);
    EXPECT_FALSE(IsWindowVisible(grandchild));
    takeSeen();
    EXPECT_FALSE(ShowWindow(top, SW_SHOW)); // it was hidden
    EXPECT_TRUE(IsWindowVisible(grandchild));
    EXPECT_EQ(seenOf({WM_SHOWWINDOW}), (std::vector<std::pair<HWND, UINT>>{{top, WM_SHOWWINDOW}}));
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(IsWindowVisible(grandchild));
    // Its own style still says visible: it shows again with its parent.
    EXPECT_NE(GetWindowLongPtrA(grandchild, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_FALSE(ShowWindow(child, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(grandchild));
    EXPECT_FALSE(ShowWindow(top, 99));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    DestroyWindow(top);
}

TEST(WindowState, FocusFollowsTheEnabledAndVisibleRules) {
    const HWND top = makeWindow(WS_OVERLAPPED | WS_VISIBLE);
    const HWND first = makeWindow(WS_CHILD | WS_VISIBLE, top);
    const HWND second = makeWindow(WS_CHILD | WS_VISIBLE, top);
    const HWND hidden = makeWindow(WS_CHILD, top);
    const HWND disabled = makeWindow(WS_CHILD | WS_VISIBLE | WS_DISABLED, top);
    EXPECT_EQ(GetActiveWindow(), top); // shown, so activated, so focused
    EXPECT_EQ(GetFocus(), top);

    takeSeen();
    EXPECT_EQ(SetFocus(first), top);
    EXPECT_EQ(seenOf({WM_KILLFOCUS, WM_SETFOCUS}),
              (std::vector<std::pair<HWND, UINT>>{{top, WM_KILLFOCUS}, {first, WM_SETFOCUS}}));
    EXPECT_EQ(SetFocus(hidden), nullptr);
    EXPECT_EQ(SetFocus(disabled), nullptr);
    EXPECT_EQ(GetFocus(), first);

    // EnableWindow gives the earlier state: nonzero when it was disabled.
    takeSeen();
    EXPECT_FALSE(EnableWindow(first, FALSE));
    EXPECT_EQ(GetFocus(), nullptr); // a disabled window loses the focus
    EXPECT_FALSE(IsWindowEnabled(first));
    EXPECT_TRUE(EnableWindow(first, FALSE)); // no change, no message
    EXPECT_TRUE(EnableWindow(first, TRUE));
    EXPECT_EQ(seenOf({WM_ENABLE, WM_KILLFOCUS}),
              (std::vector<std::pair<HWND, UINT>>{
                  {first, WM_KILLFOCUS}, {first, WM_ENABLE}, {first, WM_ENABLE}}));
    EXPECT_TRUE(EnableWindow(disabled, TRUE));
    EXPECT_EQ(SetFocus(disabled), nullptr);
    EXPECT_EQ(GetFocus(), disabled);

    // Disabling the parent of the focus takes it too; hiding does as well.
    SetFocus(second);
    EnableWindow(top, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EnableWindow(top, TRUE);
    SetFocus(second);
    ShowWindow(second, SW_HIDE);
    EXPECT_EQ(GetFocus(), nullptr);

    // Activation moves between top-level windows with WM_ACTIVATE.
    const HWND other = makeWindow(WS_OVERLAPPED);
    takeSeen();
    EXPECT_EQ(SetActiveWindow(other), top);
    EXPECT_EQ(seenOf({WM_ACTIVATE}),
              (std::vector<std::pair<HWND, UINT>>{{top, WM_ACTIVATE}, {other, WM_ACTIVATE}}));
    EXPECT_EQ(GetActiveWindow(), other);
    DestroyWindow(other);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    DestroyWindow(top);
}

TEST(WindowState, TextsOfAnyLengthGoThroughTheWindowsMessages) {
    const HWND window = makeWindow(WS_POPUP);
    for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{100000}}) {
        SCOPED_TRACE(length);
        std::string text(length, 'x');
        if (length > 0) {
            text.back() = '\xE9'; // Windows-1252 e acute
        }
        takeSeen();
        ASSERT_TRUE(SetWindowTextA(window, text.c_str()));
        EXPECT_EQ(seenOf({WM_SETTEXT}).size(), 1u);
        EXPECT_EQ(GetWindowTextLengthA(window), static_cast<int>(length));
        std::string back(length + 1, '\0');
        EXPECT_EQ(GetWindowTextA(window, back.data(), static_cast<int>(back.size())),
                  static_cast<int>(length));
        back.resize(length);
        EXPECT_EQ(back, text);
    }
    // A short buffer takes what fits, terminated.
    char small[4] = {'?', '?', '?', '?'};
    EXPECT_EQ(GetWindowTextA(window, small, sizeof small), 3);
    EXPECT_STREQ(small, "xxx");
    DestroyWindow(window);
}

WINDOWPLACEMENT placementOf(HWND window) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    EXPECT_TRUE(GetWindowPlacement(window, &placement));
    return placement;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(WindowState, PlacementKeepsTheNormalRectangleThroughMaximizeAndMinimize) {
    const RECT normal{100, 50, 500, 350};
    const HWND window = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, normal);
    struct Step {
        int command;
        UINT showCmd;
        bool iconic;
        bool zoomed;
        RECT rect; // the window rectangle after it
    };
    const RECT work{0, 0, 1920, 1080};
    const Step steps[] = {
        {SW_SHOWMAXIMIZED, SW_SHOWMAXIMIZED, false, true, work},
        {SW_MINIMIZE, SW_SHOWMINIMIZED, true, false, {-32000, -32000, -31840, -31972}},
        {SW_RESTORE, SW_SHOWMAXIMIZED, false, true, work}, // back to maximized, as it was
        {SW_RESTORE, SW_SHOWNORMAL, false, false, normal},
        {SW_SHOWMINIMIZED, SW_SHOWMINIMIZED, true, false, {-32000, -32000, -31840, -31972}},
        {SW_SHOWNORMAL, SW_SHOWNORMAL, false, false, normal},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        takeSeen();
        ShowWindow(window, step.command);
        const WINDOWPLACEMENT placement = placementOf(window);
        EXPECT_EQ(placement.showCmd, step.showCmd);
        EXPECT_TRUE(placement.rcNormalPosition == normal);
        EXPECT_EQ(IsIconic(window) != FALSE, step.iconic);
        EXPECT_EQ(IsZoomed(window) != FALSE, step.zoomed);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_TRUE(rect == step.rect);
        EXPECT_FALSE(seenOf({WM_SIZE}).empty());
    }

    // SetWindowPlacement: a new normal rectangle kept while maximized.
    WINDOWPLACEMENT placement = placementOf(window);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.rcNormalPosition = RECT{10, 10, 210, 110};
    ASSERT_TRUE(SetWindowPlacement(window, &placement));
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_RESTORE);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_TRUE(rect == (RECT{10, 10, 210, 110}));

    // The length must be the structure's.
    for (const UINT length : {0u, 40u, 48u}) {
        placement.length = length;
        SetLastError(0);
        EXPECT_FALSE(GetWindowPlacement(window, &placement));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_FALSE(SetWindowPlacement(window, &placement));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    DestroyWindow(window);
}

TEST(WindowState, ChildRectanglesAreRelativeToTheParentsClientArea) {
    const HWND top = makeWindow(WS_POPUP, nullptr, 0, {100, 200, 600, 600});
    const HWND child = makeWindow(WS_CHILD, top, 1, {10, 20, 60, 40});
    RECT rect;
    ASSERT_TRUE(GetWindowRect(child, &rect));
    EXPECT_TRUE(rect == (RECT{110, 220, 160, 240}));
    ASSERT_TRUE(GetClientRect(child, &rect));
    EXPECT_TRUE(rect == (RECT{0, 0, 50, 20}));
    POINT point{0, 0};
    ClientToScreen(child, &point);
    EXPECT_EQ(point.x, 110);
    EXPECT_EQ(point.y, 220);
    ScreenToClient(top, &point);
    EXPECT_EQ(point.x, 10);
    EXPECT_EQ(point.y, 20);

    takeSeen();
    ASSERT_TRUE(MoveWindow(child, 5, 6, 70, 80, TRUE));
    EXPECT_EQ(seenOf({WM_MOVE, WM_SIZE}),
              (std::vector<std::pair<HWND, UINT>>{{child, WM_MOVE}, {child, WM_SIZE}}));
    ASSERT_TRUE(SetWindowPos(child, nullptr, 1, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    GetWindowRect(child, &rect);
    EXPECT_TRUE(rect == (RECT{101, 201, 171, 281}));
    EXPECT_EQ(seenOf({WM_MOVE, WM_SIZE}), (std::vector<std::pair<HWND, UINT>>{{child, WM_MOVE}}));
    DestroyWindow(top);
}

} // namespace
