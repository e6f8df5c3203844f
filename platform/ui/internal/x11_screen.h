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

namespace x11 {

// Prepares Xlib once per process: safe for several threads (XInitThreads), and a lost server
// handled by each connection's I/O error exit handler (XSetIOErrorExitHandler; the default one
// still exits) instead of Xlib's process-wide one. Every code that opens a display calls it
// first.
void initialiseThreads();

} // namespace x11

// The display's screen; nullopt when DISPLAY is not set or its server cannot be reached.
std::optional<ScreenDescription> displayScreen();

} // namespace velmar::ui
