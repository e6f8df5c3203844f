// The screen: its description from VELMAR_SCREEN and the user's LogPixels, monitors, metrics
// and the dialog font's base units.
#include "platform/registry/registry.h"
#include "platform/ui/internal/screen.h"
#include "platform/ui/ui.h"
#include "tests/platform/ui/screen_describe.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

using velmar::test::ScopedEnv;
using velmar::test::TempPrefix;

using velmar::test::describe;

namespace {

constexpr const char* kTwoMonitors = "1920x1080@96;-1280,0,1280x1024";

void setLogPixels(DWORD type, const std::string& data) {
    velmar::registry::Key desktop;
    ASSERT_EQ(desktop.create(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_EQ(desktop.setValue("LogPixels", type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

std::string dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

TEST(Screen, DescriptionFromTheEnvironment) {
    TempPrefix prefix;
    const std::string fallback = "96/96 0,0,1920,1080*";
    const struct {
        const char* text; // null: not set
        std::string expected;
    } cases[] = {
        {nullptr, fallback},
        {"1920x1080@96", fallback},
        {"1024x768@72", "72/72 0,0,1024,768*"},
        {"2560x1440@144", "144/144 0,0,2560,1440*"},
        {kTwoMonitors, "96/96 0,0,1920,1080* -1280,0,0,1024"},
        {"800x600@120;800,0,800x600;-640,-480,640x480",
         "120/120 0,0,800,600* 800,0,1600,600 -640,-480,0,0"},
        // Invalid texts: the whole layout falls back.
        {"", fallback},
        {"1920x1080", fallback},
        {"1920x1080@", fallback},
        {"1920 x1080@96", fallback},
        {"1920x1080@96;", fallback},
        {"1920x1080@96;-1280,0", fallback},
        {"1920x1080@96;-1280,0,1280x", fallback},
        {"0x1080@96", fallback},
        {"-1920x1080@96", fallback},
        {"1920x1080@0", fallback},
        {"1920x1080@99999", fallback},
        {"99999999999x1080@96", fallback},
        {"1920x1080@96x", fallback},
        {"1920X1080@96", fallback},
    };
    for (const auto& entry : cases) {
        ScopedEnv screen("VELMAR_SCREEN", entry.text);
        EXPECT_EQ(describe(velmar::ui::currentScreen()), entry.expected)
            << (entry.text != nullptr ? entry.text : "(not set)");
    }
    struct stat status {};
    EXPECT_NE(::stat(velmar::registry::hiveFilePath(HKEY_CURRENT_USER).c_str(), &status), 0)
        << "reading the screen created the user's hive";
}

TEST(Screen, MonitorFromPointOnTwoMonitors) {
    TempPrefix prefix;
    ScopedEnv screen("VELMAR_SCREEN", kTwoMonitors);
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const HMONITOR left = MonitorFromPoint({-1, 0}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(left, nullptr);
    EXPECT_NE(primary, left);
    EXPECT_EQ(MonitorFromPoint({-1280, 1023}, MONITOR_DEFAULTTONULL), left);
    EXPECT_EQ(MonitorFromPoint({1919, 1079}, MONITOR_DEFAULTTONULL), primary);

    const struct {
        POINT point;
        HMONITOR toNull;
        HMONITOR toPrimary;
        HMONITOR toNearest;
    } cases[] = {
        {{-640, 500}, left, left, left},          // on the left monitor
        {{-100, 1050}, nullptr, primary, left},   // in the gap below the left monitor
        {{-5000, 500}, nullptr, primary, left},   // far to the left
        {{5000, 500}, nullptr, primary, primary}, // far to the right
        {{1920, 1080}, nullptr, primary, primary},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(std::to_string(entry.point.x) + "," + std::to_string(entry.point.y));
        EXPECT_EQ(MonitorFromPoint(entry.point, MONITOR_DEFAULTTONULL), entry.toNull);
        EXPECT_EQ(MonitorFromPoint(entry.point, MONITOR_DEFAULTTOPRIMARY), entry.toPrimary);
        EXPECT_EQ(MonitorFromPoint(entry.point, MONITOR_DEFAULTTONEAREST), entry.toNearest);
    }

    // A rectangle across both: the monitor with the larger share.
    const RECT mostlyLeft{-300, 100, 100, 200};
    EXPECT_EQ(MonitorFromRect(&mostlyLeft, MONITOR_DEFAULTTONULL), left);
    SetLastError(0);
    EXPECT_EQ(MonitorFromPoint({0, 0}, 7), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Screen, MonitorFromWindowByItsLargestShare) {
    TempPrefix prefix;
    ScopedEnv screen("VELMAR_SCREEN", kTwoMonitors);
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const HMONITOR left = MonitorFromPoint({-1, 0}, MONITOR_DEFAULTTONULL);
    const struct {
        RECT rect;
        HMONITOR toNull;
        HMONITOR toNearest;
    } cases[] = {
        {{100, 100, 400, 300}, primary, primary},
        {{-300, 100, 100, 300}, left, left}, // across both, mostly on the left one
        {{-100, 100, 300, 300}, primary, primary},
        {{-600, 1100, -400, 1200}, nullptr, left}, // below the left monitor
        {{3000, 100, 3100, 200}, nullptr, primary},
    };
    for (const auto& entry : cases) {
        const RECT& r = entry.rect;
        SCOPED_TRACE(describe(r));
        const HWND window =
            CreateWindowExA(0, "STATIC", "", WS_POPUP, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTONULL), entry.toNull);
        EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY),
                  entry.toNull != nullptr ? entry.toNull : primary);
        EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), entry.toNearest);
        EXPECT_TRUE(DestroyWindow(window));
        SetLastError(0);
        EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    }
}

TEST(Screen, MonitorInfoChecksItsSize) {
    TempPrefix prefix;
    ScopedEnv screen("VELMAR_SCREEN", kTwoMonitors);
    const HMONITOR left = MonitorFromPoint({-1, 0}, MONITOR_DEFAULTTONULL);
    MONITORINFO info;
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoA(left, &info));
    EXPECT_EQ(describe(info.rcMonitor), "-1280,0,0,1024");
    EXPECT_EQ(describe(info.rcWork), "-1280,0,0,1024");
    EXPECT_EQ(info.dwFlags, 0u);
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL), &info));
    EXPECT_EQ(describe(info.rcMonitor), "0,0,1920,1080");
    EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);

    for (const DWORD size : {DWORD{0}, DWORD{sizeof info - 1}, DWORD{sizeof info + 1}}) {
        MONITORINFO wrong;
        wrong.cbSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetMonitorInfoA(left, &wrong)) << size;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_FALSE(GetMonitorInfoA(left, nullptr));
    for (const HMONITOR bad : {static_cast<HMONITOR>(nullptr), reinterpret_cast<HMONITOR>(1),
                               reinterpret_cast<HMONITOR>(~std::uintptr_t{0})}) {
        SetLastError(0);
        EXPECT_FALSE(GetMonitorInfoA(bad, &info));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_MONITOR_HANDLE);
    }
    // A monitor that left the layout no longer answers.
    ScopedEnv single("VELMAR_SCREEN", "1920x1080@96");
    EXPECT_FALSE(GetMonitorInfoA(left, &info));
}

TEST(Screen, SystemMetrics) {
    TempPrefix prefix;
    const struct {
        const char* text;
        std::vector<int> expected; // screen, virtual screen, monitors, icons, small icons
    } cases[] = {
        {kTwoMonitors, {1920, 1080, -1280, 0, 3200, 1080, 2, 32, 32, 16, 16}},
        {"1024x768@72;0,-600,800x600", {1024, 768, 0, -600, 1024, 1368, 2, 24, 24, 12, 12}},
        {"2560x1440@144", {2560, 1440, 0, 0, 2560, 1440, 1, 48, 48, 24, 24}},
        {"1920x1080@120", {1920, 1080, 0, 0, 1920, 1080, 1, 40, 40, 20, 20}},
    };
    const int indexes[] = {SM_CXSCREEN,       SM_CYSCREEN,        SM_XVIRTUALSCREEN,
                           SM_YVIRTUALSCREEN, SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN,
                           SM_CMONITORS,      SM_CXICON,          SM_CYICON,
                           SM_CXSMICON,       SM_CYSMICON};
    for (const auto& entry : cases) {
        ScopedEnv screen("VELMAR_SCREEN", entry.text);
        std::vector<int> got;
        for (const int index : indexes) {
            got.push_back(GetSystemMetrics(index));
        }
        EXPECT_EQ(got, entry.expected) << entry.text;
    }
    EXPECT_EQ(GetSystemMetrics(-1), 0);
    EXPECT_EQ(GetSystemMetrics(100000), 0);
}

TEST(Screen, LogPixelsOverridesThePixelsPerInch) {
    TempPrefix prefix;
    const struct {
        const char* screen;
        DWORD type;
        std::string data;
        int expected;
    } cases[] = {
        {"1920x1080@96", REG_DWORD, dword(144), 144},
        {"1920x1080@144", REG_DWORD, dword(96), 96},
        {"1920x1080@96", REG_SZ, std::string("120", 4), 120},
        {"1920x1080@96", REG_SZ, "72", 72},
        // Not a number of pixels per inch: the environment stays.
        {"1920x1080@144", REG_SZ, std::string("12x", 4), 144},
        {"1920x1080@144", REG_DWORD, dword(0), 144},
        {"1920x1080@144", REG_BINARY, dword(96), 144},
        {"1920x1080@144", REG_DWORD, "\x60", 144},
    };
    for (const auto& entry : cases) {
        ScopedEnv screen("VELMAR_SCREEN", entry.screen);
        setLogPixels(entry.type, entry.data);
        const velmar::ui::ScreenDescription described = velmar::ui::currentScreen();
        EXPECT_EQ(described.pixelsPerInchX, entry.expected) << entry.screen << " " << entry.type;
        EXPECT_EQ(described.pixelsPerInchY, entry.expected) << entry.screen << " " << entry.type;
    }
    // The metrics follow.
    ScopedEnv screen("VELMAR_SCREEN", "1920x1080@96");
    setLogPixels(REG_DWORD, dword(144));
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 48);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
}

TEST(Screen, DialogBaseUnitsFollowThePixelsPerInch) {
    TempPrefix prefix;
    const struct {
        const char* screen;
        const char* font;
        WORD points;
        LONG x;
        LONG y;
    } cases[] = {
        {"1920x1080@96", "MS Shell Dlg", 8, 6, 13},  // Windows' own figures
        {"1920x1080@144", "MS Shell Dlg", 8, 9, 19}, // em 16
        {"1920x1080@96", "Tahoma", 16, 11, 25},      // em 21: 11.45, 24.8
        {"1920x1080@72", "MS Sans Serif", 8, 4, 9},  // em 8: 4.36, 9.45
        {"1920x1080@144", "Segoe UI", 0, 1, 1},
    };
    for (const auto& entry : cases) {
        ScopedEnv screen("VELMAR_SCREEN", entry.screen);
        const SIZE units = velmar::ui::dialogBaseUnits(entry.font, entry.points);
        EXPECT_EQ(units.cx, entry.x) << entry.screen << " " << entry.font << " " << entry.points;
        EXPECT_EQ(units.cy, entry.y) << entry.screen << " " << entry.font << " " << entry.points;
    }
}
