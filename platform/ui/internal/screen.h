// The screen a process sees: its monitors and pixels per inch. Internal to platform/ui.
//
// With a display (usesDisplay()) it is the display's, as displayScreen() reads it. Without one,
// or when the display cannot be reached, it is described by VELMAR_SCREEN, for example
// "1920x1080@96" or "1920x1080@144;-1280,0,1280x1024" (the primary monitor at (0, 0) first, then
// further monitors as left,top,size), else "1920x1080@96". A LogPixels value under the current
// user's "Control Panel\Desktop" key overrides the pixels per inch, as on Windows. Read at each
// call, so a change of the environment or the value shows at once.
#pragma once

#include "platform/ui/ui.h"

#include <vector>

namespace velmar::ui {

struct Monitor {
    RECT rect; // in virtual-screen pixels; the primary monitor's top-left corner is (0, 0)
    RECT work; // the work area (no task bar here: the whole monitor)
    bool primary = false;
};

// The pixels per inch taken from any source; a value outside is not believed.
inline constexpr int kMinPixelsPerInch = 24;
inline constexpr int kMaxPixelsPerInch = 2400;

struct ScreenDescription {
    std::vector<Monitor> monitors; // the primary one first
    int pixelsPerInchX = 96;
    int pixelsPerInchY = 96;
};

ScreenDescription currentScreen();

} // namespace velmar::ui
