// Window positions and placements in the current user's settings.
#include "misc/registry/registry.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char* const kPositionsKey = "Window Positions";
const char* const kPlacementKey = "WindowPlacement";
constexpr int kPositionsMargin = 50;
constexpr int kPlacementMargin = 75;

std::string formKey(LPCSTR section, const char* form) {
    return std::string(section != nullptr ? section : "") + "\\" + form;
}

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Reads up to count numbers the way "%d %d ..." scans them, stopping at the first field that
// is no number; fields not reached stay 0. A number too large for int is held at its limit
// (the C library's scan leaves that undefined).
void scanNumbers(const std::string& text, int* fields, int count) {
    std::size_t at = 0;
    for (int field = 0; field < count; ++field) {
        while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
            ++at;
        }
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
            negative = text[at] == '-';
            ++at;
        }
        const std::size_t digits = at;
        long long value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = std::min<long long>(value * 10 + (text[at] - '0'), 1LL << 32);
            ++at;
        }
        if (at == digits) {
            return;
        }
        fields[field] = clampToInt(negative ? -value : value);
    }
}

bool readForm(LPCSTR section, LPCSTR windowName, const char* form, int* fields, int count) {
    std::string text;
    if (!readUserSetting(formKey(section, form).c_str(), windowName, text)) {
        return false;
    }
    std::fill(fields, fields + count, 0);
    scanNumbers(text, fields, count);
    return true;
}

void pullOntoPrimaryScreen(RECT& rect, int margin) {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    if (rect.left < 0) {
        rect.left = 0;
    } else if (rect.left > cx - margin) {
        rect.left = cx - margin;
    }
    if (rect.top < 0) {
        rect.top = 0;
    } else if (rect.top > cy - margin) {
        rect.top = cy - margin;
    }
    rect.bottom = std::min(rect.bottom, cy);
    rect.right = std::min(rect.right, cx);
    // A rectangle wholly left of or above the screen would otherwise come back with a negative
    // size once its corner moved.
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
}

bool readNormalRectangle(HWND window, WINDOWPLACEMENT& placement) {
    placement.length = sizeof(WINDOWPLACEMENT);
    return GetWindowPlacement(window, &placement) != FALSE;
}

int extent(LONG from, LONG to) {
    return clampToInt(static_cast<long long>(to) - from);
}

// Moves the window to the rectangle's corner, and with restoreSize gives it the rectangle's size.
BOOL moveTo(HWND window, const RECT& rect, bool restoreSize) {
    const UINT flags = SWP_NOZORDER | (restoreSize ? 0 : SWP_NOSIZE);
    return SetWindowPos(window, nullptr, rect.left, rect.top, extent(rect.left, rect.right),
                        extent(rect.top, rect.bottom), flags);
}

} // namespace

bool saveWindowPosition(LPCSTR section, LPCSTR windowName, HWND window) {
    WINDOWPLACEMENT placement;
    if (!readNormalRectangle(window, placement)) {
        return false;
    }
    const RECT& r = placement.rcNormalPosition;
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d %d %d", static_cast<int>(r.left),
                  static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom),
                  placement.showCmd == static_cast<UINT>(SW_SHOWMAXIMIZED) ? 1 : 0);
    return writeUserSetting(formKey(section, kPositionsKey).c_str(), windowName, text);
}

bool loadWindowPosition(LPCSTR section, LPCSTR windowName, RECT& rect, bool& maximized) {
    int fields[5];
    if (!readForm(section, windowName, kPositionsKey, fields, 5)) {
        return false;
    }
    RECT loaded{fields[0], fields[1], fields[2], fields[3]};
    if (MonitorFromPoint(POINT{loaded.left, loaded.top}, MONITOR_DEFAULTTONULL) == nullptr) {
        pullOntoPrimaryScreen(loaded, kPositionsMargin);
    }
    rect = loaded;
    maximized = fields[4] == 1;
    return true;
}

bool restoreWindowPosition(LPCSTR section, LPCSTR windowName, HWND window, bool restoreSize) {
    RECT rect;
    bool maximized = false;
    if (!loadWindowPosition(section, windowName, rect, maximized)) {
        return false;
    }
    if (!(maximized && restoreSize)) {
        return moveTo(window, rect, restoreSize) != FALSE;
    }
    // The normal rectangle comes back at least as large as the window is now, so that
    // restoring from maximized does not shrink it.
    RECT current;
    if (GetWindowRect(window, &current)) {
        const int width = extent(current.left, current.right);
        const int height = extent(current.top, current.bottom);
        if (extent(rect.left, rect.right) < width) {
            rect.right = clampToInt(static_cast<long long>(rect.left) + width);
        }
        if (extent(rect.top, rect.bottom) < height) {
            rect.bottom = clampToInt(static_cast<long long>(rect.top) + height);
        }
    }
    WINDOWPLACEMENT placement;
    placement.length = sizeof(WINDOWPLACEMENT);
    placement.flags = 0;
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMinPosition = POINT{0, 0};
    placement.ptMaxPosition = POINT{0, 0};
    placement.rcNormalPosition = rect;
    return SetWindowPlacement(window, &placement) != FALSE;
}

bool deleteWindowPositions(LPCSTR section) {
    return deleteSection(HKEY_CURRENT_USER, formKey(section, kPositionsKey).c_str(), true);
}

bool saveWindowPlacement(LPCSTR section, LPCSTR windowName, HWND window) {
    WINDOWPLACEMENT placement;
    if (!readNormalRectangle(window, placement)) {
        return false;
    }
    const RECT& r = placement.rcNormalPosition;
    char text[48];
    std::snprintf(text, sizeof text, "%d %d %d %d", static_cast<int>(r.left),
                  static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom));
    return writeUserSetting(formKey(section, kPlacementKey).c_str(), windowName, text);
}

bool loadWindowPlacement(LPCSTR section, LPCSTR windowName, RECT& rect) {
    int fields[4];
    if (!readForm(section, windowName, kPlacementKey, fields, 4)) {
        return false;
    }
    RECT loaded{fields[0], fields[1], fields[2], fields[3]};
    pullOntoPrimaryScreen(loaded, kPlacementMargin);
    rect = loaded;
    return true;
}

bool restoreWindowPlacement(LPCSTR section, LPCSTR windowName, HWND window, bool restoreSize) {
    RECT rect;
    if (!loadWindowPlacement(section, windowName, rect)) {
        return false;
    }
    static_cast<void>(moveTo(window, rect, restoreSize));
    return true;
}
