// The screen: the display's when the process uses one, else VELMAR_SCREEN; then the user's
// LogPixels.
//
// VELMAR_SCREEN is "WxH@DPI" for the primary monitor at (0, 0), then for each further monitor
// ";left,top,WxH" in virtual-screen pixels. Sizes are 1 to 65535 pixels, positions within
// +-1000000, pixels per inch 24 to 2400. Anything else (a stray space, a missing part, a
// number out of range) makes the whole text invalid, and the screen is then "1920x1080@96",
// as when the variable is not set: a half-understood layout would be worse than the default.

#include "platform/ui/internal/screen.h"
#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/x11_screen.h"

#include "platform/host/host.h"
#include "platform/registry/registry.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace velmar::ui {

namespace {

constexpr int kMaxSize = 65535;
constexpr int kMaxPosition = 1000000;

// Reads an integer in [low, high] from the front of text, up to the separator (or the end
// when separator is 0), and consumes both.
std::optional<int> takeNumber(std::string_view& text, char separator, int low, int high) {
    const std::size_t end = separator != 0 ? text.find(separator) : text.size();
    if (end == std::string_view::npos || end == 0) {
        return std::nullopt;
    }
    const std::string_view digits = text.substr(0, end);
    int value = 0;
    const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || last != digits.data() + digits.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    text.remove_prefix(separator != 0 ? end + 1 : end);
    return value;
}

Monitor makeMonitor(int left, int top, int width, int height, bool primary) {
    Monitor monitor;
    monitor.rect = {left, top, left + width, top + height};
    monitor.work = monitor.rect;
    monitor.primary = primary;
    return monitor;
}

std::optional<ScreenDescription> parseScreen(std::string_view text) {
    ScreenDescription screen;
    std::string_view primary = text.substr(0, text.find(';'));
    text.remove_prefix(primary.size());
    const auto width = takeNumber(primary, 'x', 1, kMaxSize);
    const auto height = width ? takeNumber(primary, '@', 1, kMaxSize) : std::nullopt;
    const auto perInch =
        height ? takeNumber(primary, 0, kMinPixelsPerInch, kMaxPixelsPerInch) : std::nullopt;
    if (!perInch) {
        return std::nullopt;
    }
    screen.monitors.push_back(makeMonitor(0, 0, *width, *height, true));
    screen.pixelsPerInchX = screen.pixelsPerInchY = *perInch;
    while (!text.empty()) {
        text.remove_prefix(1); // the ';'
        std::string_view part = text.substr(0, text.find(';'));
        text.remove_prefix(part.size());
        const auto left = takeNumber(part, ',', -kMaxPosition, kMaxPosition);
        const auto top = left ? takeNumber(part, ',', -kMaxPosition, kMaxPosition) : std::nullopt;
        const auto w = top ? takeNumber(part, 'x', 1, kMaxSize) : std::nullopt;
        const auto h = w ? takeNumber(part, 0, 1, kMaxSize) : std::nullopt;
        if (!h) {
            return std::nullopt;
        }
        screen.monitors.push_back(makeMonitor(*left, *top, *w, *h, false));
    }
    return screen;
}

// LogPixels under HKEY_CURRENT_USER\Control Panel\Desktop, a REG_DWORD or a REG_SZ of digits.
// Only a hive that exists is read: asking for the screen must not create the user's hive.
std::optional<int> userPixelsPerInch() {
    const std::string hive = registry::hiveFilePath(HKEY_CURRENT_USER);
    struct stat status {};
    if (hive.empty() || host::stat(hive.c_str(), &status) != 0) {
        return std::nullopt;
    }
    registry::Key desktop;
    registry::Value value;
    if (desktop.open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_QUERY_VALUE) !=
            ERROR_SUCCESS ||
        desktop.queryValue("LogPixels", value) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    long long perInch = 0;
    if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD dword = 0;
        std::memcpy(&dword, value.data.data(), sizeof dword);
        perInch = dword;
    } else if (value.type == REG_SZ) {
        std::string_view digits(value.data);
        digits = digits.substr(0, digits.find('\0'));
        const auto [last, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), perInch);
        if (error != std::errc() || last != digits.data() + digits.size()) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    if (perInch < kMinPixelsPerInch || perInch > kMaxPixelsPerInch) {
        return std::nullopt;
    }
    return static_cast<int>(perInch);
}

} // namespace

ScreenDescription currentScreen() {
    std::optional<ScreenDescription> screen;
    if (usesDisplay()) {
        screen = displayScreen();
    }
    const char* text = std::getenv("VELMAR_SCREEN");
    if (!screen && text != nullptr) {
        screen = parseScreen(text);
    }
    if (!screen) {
        screen = parseScreen("1920x1080@96");
    }
    if (const auto perInch = userPixelsPerInch()) {
        screen->pixelsPerInchX = screen->pixelsPerInchY = *perInch;
    }
    return *screen;
}

} // namespace velmar::ui
