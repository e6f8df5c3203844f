// The screen read from a real X server (Xvfb started by each test): its monitors from XRandR,
// its pixels per inch from Xft.dpi or the server, and what the window calls and the placement
// rules make of them.
#include "misc/dialogs/dialogs.h"
#include "misc/registry/registry.h"
#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/screen.h"
#include "platform/ui/internal/x11_screen.h"
#include "platform/ui/ui.h"
#include "tests/platform/ui/screen_describe.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using velmar::test::ScopedEnv;
using velmar::test::TempPrefix;
using velmar::test::Xvfb;

using velmar::test::describe;

namespace {

// What the tests see when the display is not used: never what a test's server shows.
constexpr const char* kWithoutDisplay = "1024x768@72";

std::string programPath(const std::string& program) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = folder + program;
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

// Runs an X client against the test's server; its failure fails the test.
void runClient(const std::string& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), programPath(program));
    const auto result = velmar::test::runProgram(arguments);
    ASSERT_EQ(result.exitCode, 0) << program << ": " << result.err;
}

// Replaces the server's resources with text ("xrdb -load"), as a desktop session sets them.
void loadResources(const TempPrefix& prefix, const std::string& text) {
    const std::string file = prefix.tmp() + "/resources";
    std::ofstream(file) << text;
    runClient("xrdb", {"-nocpp", "-load", file});
}

int deviceCapsPerInch() {
    const HDC dc = GetDC(nullptr);
    const int perInch = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return perInch;
}

#define VELMAR_REQUIRE_PROGRAM(program)                                                            \
    do {                                                                                           \
        if (programPath(program).empty()) {                                                        \
            GTEST_SKIP() << program << " is not installed (apt-get install x11-xserver-utils)";    \
        }                                                                                          \
    } while (false)

class X11ScreenTest : public ::testing::Test {
protected:
    TempPrefix m_prefix;
    ScopedEnv m_presenter{"VELMAR_UI", "x11"};
    ScopedEnv m_screen{"VELMAR_SCREEN", kWithoutDisplay};
};

} // namespace

TEST(X11Screen, UsesTheDisplayWhenX11IsChosenOrADisplayIsSet) {
    const struct {
        const char* ui;
        const char* display;
        bool expected;
    } cases[] = {
        {"x11", ":5", true},       {"x11", nullptr, true},    {nullptr, ":5", true},
        {"", ":5", true},          {nullptr, "", false},      {nullptr, nullptr, false},
        {"headless", ":5", false}, {"terminal", ":5", false},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(std::string(entry.ui != nullptr ? entry.ui : "(not set)") + " " +
                     (entry.display != nullptr ? entry.display : "(not set)"));
        ScopedEnv ui("VELMAR_UI", entry.ui);
        ScopedEnv display("DISPLAY", entry.display);
        EXPECT_EQ(velmar::ui::usesDisplay(), entry.expected);
    }
}

TEST_F(X11ScreenTest, OneMonitorAtTheServersPixelsPerInch) {
    const struct {
        int width;
        int height;
        int dpi;
        std::string expected;
    } cases[] = {
        {1920, 1080, 96, "96/96 0,0,1920,1080*"},
        {1280, 1024, 144, "144/144 0,0,1280,1024*"},
    };
    // One server after another, possibly under the same display name: the kept connection to
    // the first one is replaced.
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.dpi);
        Xvfb xvfb(entry.width, entry.height, entry.dpi);
        VELMAR_REQUIRE_XVFB(xvfb);
        const auto screen = velmar::ui::displayScreen();
        ASSERT_TRUE(screen.has_value());
        EXPECT_EQ(describe(*screen), entry.expected);
        EXPECT_EQ(describe(velmar::ui::currentScreen()), entry.expected);
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), entry.width);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), entry.height);
        EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
        EXPECT_EQ(deviceCapsPerInch(), entry.dpi);
    }
}

TEST_F(X11ScreenTest, ThreadsShareTheOneConnection) {
    Xvfb xvfb(1920, 1080, 120);
    VELMAR_REQUIRE_XVFB(xvfb);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 50; ++i) {
                const velmar::ui::ScreenDescription screen = velmar::ui::currentScreen();
                if (screen.pixelsPerInchX != 120 || screen.monitors.size() != 1 ||
                    screen.monitors[0].rect.right != 1920 ||
                    GetSystemMetrics(SM_CYSCREEN) != 1080) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(X11ScreenTest, ScaleFactorFollowsTheServer) {
    Xvfb xvfb(1920, 1080, 144);
    VELMAR_REQUIRE_XVFB(xvfb);
    EXPECT_EQ(deviceCapsPerInch(), 144);
    EXPECT_FLOAT_EQ(screenScaleFactor(), 1.5f);
}

TEST_F(X11ScreenTest, XftDpiWinsOverTheServerAndLogPixelsOverBoth) {
    VELMAR_REQUIRE_PROGRAM("xrdb");
    Xvfb xvfb(1920, 1080, 144);
    VELMAR_REQUIRE_XVFB(xvfb);
    EXPECT_EQ(deviceCapsPerInch(), 144);
    const struct {
        const char* resources;
        int expected;
    } cases[] = {
        {"Xft.dpi: 120\n", 120},
        {"Xft.antialias: 1\nXft.dpi:\t192\n", 192},
        {"Xft.dpi: 96.6\n", 97},
        {"*dpi: 110\n", 110},
        // Not a number of pixels per inch: the server's.
        {"Xft.dpi: 0\n", 144},
        {"Xft.dpi: large\n", 144},
        {"Xft.dpi: 120x\n", 144},
        {"Xft.dpi: 99999\n", 144},
        {"Xft.hinting: 1\n", 144},
    };
    // Read afresh at each call, over the one connection already open.
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.resources);
        loadResources(m_prefix, entry.resources);
        const velmar::ui::ScreenDescription screen = velmar::ui::currentScreen();
        EXPECT_EQ(screen.pixelsPerInchX, entry.expected);
        EXPECT_EQ(screen.pixelsPerInchY, entry.expected);
    }

    loadResources(m_prefix, "Xft.dpi: 120\n");
    velmar::registry::Key desktop;
    ASSERT_EQ(desktop.create(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    const DWORD logPixels = 96;
    ASSERT_EQ(desktop.setValue("LogPixels", REG_DWORD, &logPixels, sizeof logPixels),
              ERROR_SUCCESS);
    EXPECT_EQ(deviceCapsPerInch(), 96);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
}

// A 1280 x 1024 monitor left of the 1920 x 1080 primary one, the layout that the screen and
// placement tests describe with VELMAR_SCREEN "1920x1080@144;-1280,0,1280x1024".
TEST_F(X11ScreenTest, TwoMonitorsFromXRandR) {
    VELMAR_REQUIRE_PROGRAM("xrandr");
    Xvfb xvfb(1920, 1080, 144);
    VELMAR_REQUIRE_XVFB(xvfb);
    EXPECT_EQ(describe(velmar::ui::currentScreen()), "144/144 0,0,1920,1080*");
    // Xvfb's screen cannot grow, but monitors may lie beyond it: the primary one ("*") moves
    // right to make room.
    runClient("xrandr", {"--setmonitor", "LEFT", "1280/338x1024/270+0+0", "none"});
    runClient("xrandr", {"--setmonitor", "*MAIN", "1920/338x1080/191+1280+0", "screen"});
    EXPECT_EQ(describe(velmar::ui::currentScreen()), "144/144 0,0,1920,1080* -1280,0,0,1024");

    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const HMONITOR left = MonitorFromPoint({-1, 0}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(left, nullptr);
    EXPECT_NE(primary, left);
    EXPECT_EQ(MonitorFromPoint({-100, 1050}, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromPoint({-100, 1050}, MONITOR_DEFAULTTONEAREST), left);
    MONITORINFO info;
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoA(left, &info));
    EXPECT_EQ(describe(info.rcMonitor), "-1280,0,0,1024");
    EXPECT_EQ(describe(info.rcWork), "-1280,0,0,1024");
    EXPECT_EQ(info.dwFlags, 0u);
    ASSERT_TRUE(GetMonitorInfoA(primary, &info));
    EXPECT_EQ(describe(info.rcMonitor), "0,0,1920,1080");
    EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1280);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 3200);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);

    // The saved placements are pulled onto the monitors as with the same VELMAR_SCREEN.
    const char* const section = "Model Viewer";
    const std::string positions = std::string(section) + "\\Window Positions";
    const std::string placements = std::string(section) + "\\WindowPlacement";
    const struct {
        bool positions; // else the placement form
        const char* text;
        const char* expected;
    } cases[] = {
        {true, "5000 100 5800 700 0", "1870,100,1920,700"},
        {true, "-1000 100 -200 700 1", "-1000,100,-200,700"}, // on the left monitor: kept
        {false, "2000 900 2600 1300", "1845,900,1920,1080"},
        {false, "-1000 100 500 700", "0,100,500,700"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.text);
        RECT rect{-1, -1, -1, -1};
        if (entry.positions) {
            bool maximized = false;
            ASSERT_TRUE(writeUserSetting(positions.c_str(), "Main", entry.text));
            ASSERT_TRUE(loadWindowPosition(section, "Main", rect, maximized));
        } else {
            ASSERT_TRUE(writeUserSetting(placements.c_str(), "Main", entry.text));
            ASSERT_TRUE(loadWindowPlacement(section, "Main", rect));
        }
        EXPECT_EQ(describe(rect), entry.expected);
    }
}

TEST_F(X11ScreenTest, WithoutAServerTheEnvironmentDescribesTheScreen) {
    const std::string fallback = "72/72 0,0,1024,768*";
    {
        ScopedEnv display("DISPLAY", nullptr);
        EXPECT_FALSE(velmar::ui::displayScreen().has_value());
        EXPECT_EQ(describe(velmar::ui::currentScreen()), fallback);
    }
    {
        ScopedEnv display("DISPLAY", ":");
        EXPECT_FALSE(velmar::ui::displayScreen().has_value());
    }

    // A server that goes away under a process that keeps a connection to it: the process
    // carries on without it.
    auto xvfb = std::make_unique<Xvfb>(1920, 1080, 96);
    VELMAR_REQUIRE_XVFB(*xvfb);
    const std::string name = xvfb->display();
    EXPECT_EQ(describe(velmar::ui::currentScreen()), "96/96 0,0,1920,1080*");
    xvfb.reset();
    ScopedEnv display("DISPLAY", name.c_str());
    // Another test's server may take the freed display number at once (tests run in
    // parallel): then that one answers, and the fallback is not due.
    if (!velmar::ui::displayScreen().has_value()) {
        EXPECT_EQ(describe(velmar::ui::currentScreen()), fallback);
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    }
}
