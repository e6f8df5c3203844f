// A stand-in for the screen until its own implementation joins: one 1920 x 1080 monitor at
// 96 pixels per inch. Goes when the screen's sources are merged.
#include "platform/ui/internal/screen.h"

namespace velmar::ui {

ScreenDescription currentScreen() {
    ScreenDescription screen;
    Monitor monitor;
    monitor.rect = RECT{0, 0, 1920, 1080};
    monitor.work = monitor.rect;
    monitor.primary = true;
    screen.monitors.push_back(monitor);
    return screen;
}

} // namespace velmar::ui
