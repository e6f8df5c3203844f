// Window positions and placements: real windows of the window system, the real registry of a
// temporary prefix, a 1920 x 1080 primary screen with a 1280 x 1024 monitor to its left.
#include "misc/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kSection = "Model Viewer";
const std::string kPositions = std::string(kSection) + "\\Window Positions";
const std::string kPlacements = std::string(kSection) + "\\WindowPlacement";

class WindowPlacementTest : public ::testing::Test {
protected:
    velmar::test::TempPrefix m_prefix;
    velmar::test::ScopedEnv m_screen{"VELMAR_SCREEN", "1920x1080@96;-1280,0,1280x1024"};
    velmar::test::ScopedEnv m_presenter{"VELMAR_UI", "headless"};

    // A visible top-level window with the outer rectangle x, y, width, height.
    static HWND makeWindow(int x, int y, int width, int height) {
        static const ATOM windowClass = [] {
            WNDCLASSA description;
            description.lpfnWndProc = DefWindowProcA;
            description.lpszClassName = "PlacementTestWindow";
            return RegisterClassA(&description);
        }();
        EXPECT_NE(windowClass, 0);
        HWND window =
            CreateWindowExA(0, "PlacementTestWindow", "Placement", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            x, y, width, height, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(window, nullptr);
        return window;
    }

    static RECT windowRect(HWND window) {
        RECT rect;
        EXPECT_TRUE(GetWindowRect(window, &rect));
        return rect;
    }

    static RECT normalRect(HWND window) {
        WINDOWPLACEMENT placement;
        placement.length = sizeof placement;
        EXPECT_TRUE(GetWindowPlacement(window, &placement));
        return placement.rcNormalPosition;
    }

    static std::string stored(const std::string& key, const char* name) {
        std::string text;
        return readUserSetting(key.c_str(), name, text) ? text : "<none>";
    }
};

void expectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

} // namespace

TEST_F(WindowPlacementTest, SavedTextsLoadPulledOntoThePrimaryScreenByEachFormsRule) {
    struct Case {
        bool positions; // else the placement form
        const char* text;
        RECT expected;
        bool maximized;
    };
    const Case cases[] = {
        // The corner on no monitor: pulled in with 50 pixels.
        {true, "5000 100 5800 700 0", {1870, 100, 1920, 700}, false},
        {true, "100 2000 900 2600 1", {100, 1030, 900, 1080}, true},
        // The corner on the monitor left of the primary one: kept.
        {true, "-1000 100 -200 700 1", {-1000, 100, -200, 700}, true},
        // Only 1 counts as maximized; fewer numbers leave 0 behind them.
        {true, "10 20 300 400 2", {10, 20, 300, 400}, false},
        {true, "10 20 300", {10, 20, 300, 0}, false},
        {true, "garbage", {0, 0, 0, 0}, false},
        // Wholly above and left of every monitor: the corner moves, the size never goes
        // negative.
        {true, "-3000 -900 -2500 -400 0", {0, 0, 0, 0}, false},
        // The placement form: always pulled in, with 75 pixels.
        {false, "2000 900 2600 1300", {1845, 900, 1920, 1080}, false},
        {false, "-1000 100 500 700", {0, 100, 500, 700}, false},
        {false, "100 200 700 800", {100, 200, 700, 800}, false},
        {false, "7 8", {7, 8, 7, 8}, false}, // the missing corner is held at the first
        // Beyond 32 bits: held at the limits of int, then pulled in.
        {false, "99999999999 -99999999999 99999999999 5", {1845, 0, 1920, 5}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RECT rect{-1, -1, -1, -1};
        bool maximized = !c.maximized;
        if (c.positions) {
            ASSERT_TRUE(writeUserSetting(kPositions.c_str(), "Main", c.text));
            ASSERT_TRUE(loadWindowPosition(kSection, "Main", rect, maximized));
            EXPECT_EQ(maximized, c.maximized);
        } else {
            ASSERT_TRUE(writeUserSetting(kPlacements.c_str(), "Main", c.text));
            ASSERT_TRUE(loadWindowPlacement(kSection, "Main", rect));
        }
        expectRect(rect, c.expected.left, c.expected.top, c.expected.right, c.expected.bottom);
    }
}

TEST_F(WindowPlacementTest, NothingSavedLeavesOutputsAndWindowAlone) {
    HWND window = makeWindow(100, 120, 400, 300);
    RECT rect{1, 2, 3, 4};
    bool maximized = true;
    EXPECT_FALSE(loadWindowPosition(kSection, "Missing", rect, maximized));
    EXPECT_FALSE(loadWindowPlacement(kSection, "Missing", rect));
    expectRect(rect, 1, 2, 3, 4);
    EXPECT_TRUE(maximized);
    EXPECT_FALSE(restoreWindowPosition(kSection, "Missing", window, true));
    EXPECT_FALSE(restoreWindowPlacement(kSection, "Missing", window, true));
    expectRect(windowRect(window), 100, 120, 500, 420);

    // A window that is gone has no placement to save: nothing is written.
    DestroyWindow(window);
    EXPECT_FALSE(saveWindowPosition(kSection, "Gone", window));
    EXPECT_FALSE(saveWindowPlacement(kSection, "Gone", window));
    EXPECT_EQ(stored(kPositions, "Gone"), "<none>");
    EXPECT_EQ(stored(kPlacements, "Gone"), "<none>");
}

TEST_F(WindowPlacementTest, MaximizedWindowComesBackMaximizedAtLeastAsLargeAsItIsNow) {
    HWND window = makeWindow(100, 100, 400, 300);
    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    ASSERT_TRUE(saveWindowPosition(kSection, "Main", window));
    EXPECT_EQ(stored(kPositions, "Main"), "100 100 500 400 1");

    // Restored and made larger than the saved normal rectangle in the meantime.
    ShowWindow(window, SW_RESTORE);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 10, 10, 800, 250, SWP_NOZORDER));
    ASSERT_FALSE(IsZoomed(window));
    EXPECT_TRUE(restoreWindowPosition(kSection, "Main", window, true));
    EXPECT_TRUE(IsZoomed(window));
    expectRect(normalRect(window), 100, 100, 900, 400);
}

TEST_F(WindowPlacementTest, WithoutRestoreSizeTheWindowOnlyMoves) {
    HWND window = makeWindow(300, 300, 200, 150);
    ASSERT_TRUE(writeUserSetting(kPositions.c_str(), "Main", "100 50 900 650 1"));
    ASSERT_TRUE(writeUserSetting(kPlacements.c_str(), "Main", "2000 900 2600 1300"));

    EXPECT_TRUE(restoreWindowPosition(kSection, "Main", window, false));
    EXPECT_FALSE(IsZoomed(window));
    expectRect(windowRect(window), 100, 50, 300, 200);

    EXPECT_TRUE(restoreWindowPlacement(kSection, "Main", window, false));
    expectRect(windowRect(window), 1845, 900, 2045, 1050);
}

TEST_F(WindowPlacementTest, RestoreSizeGivesTheSavedRectangle) {
    HWND window = makeWindow(300, 300, 200, 150);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 300, 300, 200, 150, SWP_NOZORDER));
    ASSERT_TRUE(saveWindowPosition(kSection, "Main", window));
    ASSERT_TRUE(saveWindowPlacement(kSection, "Main", window));
    EXPECT_EQ(stored(kPositions, "Main"), "300 300 500 450 0");
    EXPECT_EQ(stored(kPlacements, "Main"), "300 300 500 450");

    // On the monitor left of the primary one a position stays, a placement is pulled in.
    ASSERT_TRUE(writeUserSetting(kPositions.c_str(), "Left", "-1000 100 -200 700 0"));
    ASSERT_TRUE(writeUserSetting(kPlacements.c_str(), "Left", "-1000 100 -200 700"));
    EXPECT_TRUE(restoreWindowPosition(kSection, "Left", window, true));
    expectRect(windowRect(window), -1000, 100, -200, 700);
    EXPECT_TRUE(restoreWindowPlacement(kSection, "Left", window, true));
    expectRect(windowRect(window), 0, 100, 0, 700);

    ASSERT_TRUE(writeUserSetting(kPlacements.c_str(), "Far", "2000 900 2600 1300"));
    EXPECT_TRUE(restoreWindowPlacement(kSection, "Far", window, true));
    expectRect(windowRect(window), 1845, 900, 1920, 1080);

    EXPECT_TRUE(restoreWindowPosition(kSection, "Main", window, true));
    expectRect(windowRect(window), 300, 300, 500, 450);
}

TEST_F(WindowPlacementTest, DeletingPositionsKeepsPlacements) {
    HWND window = makeWindow(10, 20, 300, 200);
    ASSERT_TRUE(saveWindowPosition(kSection, "Main", window));
    ASSERT_TRUE(saveWindowPosition(kSection, "Options", window));
    ASSERT_TRUE(saveWindowPlacement(kSection, "Main", window));

    EXPECT_TRUE(deleteWindowPositions(kSection));
    RECT rect;
    bool maximized = false;
    EXPECT_FALSE(loadWindowPosition(kSection, "Main", rect, maximized));
    EXPECT_FALSE(loadWindowPosition(kSection, "Options", rect, maximized));
    EXPECT_TRUE(loadWindowPlacement(kSection, "Main", rect));
    expectRect(rect, 10, 20, 310, 220);
    EXPECT_FALSE(deleteWindowPositions(kSection));
}
