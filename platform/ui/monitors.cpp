// Monitors and the screen's metrics, from the screen description of the moment.

#include "platform/ui/internal/screen.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace velmar::ui {

namespace {

// A monitor's handle is its index in the description plus a base, so that it is never null
// and stays the same for as long as the layout does.
constexpr std::uintptr_t kMonitorBase = 0x4D00;

HMONITOR monitorHandle(std::size_t index) {
    return reinterpret_cast<HMONITOR>(kMonitorBase + index);
}

std::int64_t sharedArea(const RECT& a, const RECT& b) {
    const std::int64_t width = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t height = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Pixels between two half-open spans, 0 when they overlap.
std::int64_t gap(LONG aFrom, LONG aTo, LONG bFrom, LONG bTo) {
    return std::max(
        {std::int64_t{0}, std::int64_t{bFrom} - aTo + 1, std::int64_t{aFrom} - bTo + 1});
}

std::int64_t squaredDistance(const RECT& a, const RECT& b) {
    const std::int64_t dx = gap(a.left, a.right, b.left, b.right);
    const std::int64_t dy = gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

std::optional<std::size_t> monitorIndex(HMONITOR monitor, const ScreenDescription& screen) {
    const auto value = reinterpret_cast<std::uintptr_t>(monitor);
    if (value < kMonitorBase || value - kMonitorBase >= screen.monitors.size()) {
        return std::nullopt;
    }
    return value - kMonitorBase;
}

} // namespace

} // namespace velmar::ui

using velmar::ui::currentScreen;
using velmar::ui::ScreenDescription;

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
    if (rect == nullptr || flags > MONITOR_DEFAULTTONEAREST) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const ScreenDescription screen = currentScreen();
    // An empty rectangle stands for the pixel at its top-left corner.
    RECT target = *rect;
    if (target.right <= target.left || target.bottom <= target.top) {
        target.right = target.left + 1;
        target.bottom = target.top + 1;
    }
    std::size_t best = 0;
    std::int64_t bestArea = 0;
    for (std::size_t i = 0; i < screen.monitors.size(); ++i) {
        const std::int64_t shared = velmar::ui::sharedArea(target, screen.monitors[i].rect);
        if (shared > bestArea) {
            best = i;
            bestArea = shared;
        }
    }
    if (bestArea > 0) {
        return velmar::ui::monitorHandle(best);
    }
    if (flags == MONITOR_DEFAULTTONULL) {
        return nullptr;
    }
    if (flags == MONITOR_DEFAULTTOPRIMARY) {
        return velmar::ui::monitorHandle(0);
    }
    std::int64_t nearest = velmar::ui::squaredDistance(target, screen.monitors[0].rect);
    for (std::size_t i = 1; i < screen.monitors.size(); ++i) {
        const std::int64_t distance = velmar::ui::squaredDistance(target, screen.monitors[i].rect);
        if (distance < nearest) {
            best = i;
            nearest = distance;
        }
    }
    return velmar::ui::monitorHandle(best);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    const RECT pixel{point.x, point.y, point.x + 1, point.y + 1};
    return MonitorFromRect(&pixel, flags);
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    const ScreenDescription screen = currentScreen();
    const auto index = velmar::ui::monitorIndex(monitor, screen);
    if (!index) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    if (info == nullptr || info->cbSize != sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const velmar::ui::Monitor& found = screen.monitors[*index];
    info->rcMonitor = found.rect;
    info->rcWork = found.work;
    info->dwFlags = found.primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

int GetSystemMetrics(int index) {
    const ScreenDescription screen = currentScreen();
    const RECT primary = screen.monitors.front().rect;
    RECT virtualScreen = primary;
    for (const velmar::ui::Monitor& monitor : screen.monitors) {
        virtualScreen.left = std::min(virtualScreen.left, monitor.rect.left);
        virtualScreen.top = std::min(virtualScreen.top, monitor.rect.top);
        virtualScreen.right = std::max(virtualScreen.right, monitor.rect.right);
        virtualScreen.bottom = std::max(virtualScreen.bottom, monitor.rect.bottom);
    }
    // Icons are drawn for 96 pixels per inch and grow with the screen's.
    const auto scaled = [](int size, int perInch) { return (size * perInch + 48) / 96; };
    switch (index) {
    case SM_CXSCREEN:
        return primary.right - primary.left;
    case SM_CYSCREEN:
        return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
        return virtualScreen.left;
    case SM_YVIRTUALSCREEN:
        return virtualScreen.top;
    case SM_CXVIRTUALSCREEN:
        return virtualScreen.right - virtualScreen.left;
    case SM_CYVIRTUALSCREEN:
        return virtualScreen.bottom - virtualScreen.top;
    case SM_CMONITORS:
        return static_cast<int>(screen.monitors.size());
    case SM_CXICON:
        return scaled(32, screen.pixelsPerInchX);
    case SM_CYICON:
        return scaled(32, screen.pixelsPerInchY);
    case SM_CXSMICON:
        return scaled(16, screen.pixelsPerInchX);
    case SM_CYSMICON:
        return scaled(16, screen.pixelsPerInchY);
    default:
        return 0;
    }
}
