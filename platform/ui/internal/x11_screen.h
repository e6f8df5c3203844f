// The screen as the X server named by DISPLAY shows it. Internal to platform/ui.
//
// Monitors come from XRandR (the active ones, the primary one first with its top-left corner at
// (0, 0), work area = whole monitor); pixels per inch from the Xft.dpi resource, else from the
// server's screen size in millimetres, else 96. Read afresh at each call over one connection
// that is opened on first use and kept for the process.
#pragma once

#include "platform/ui/internal/screen.h"

#include <optional>

namespace velmar::ui {

// The display's screen; nullopt when DISPLAY is not set or its server cannot be reached.
std::optional<ScreenDescription> displayScreen();

} // namespace velmar::ui
