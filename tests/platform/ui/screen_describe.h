// The screen tests' one-line descriptions: a rectangle as "left,top,right,bottom", a screen as
// its pixels per inch, then each monitor's rectangle ("*" marks the primary one).
#pragma once

#include "platform/ui/internal/screen.h"

#include <gtest/gtest.h>

#include <string>

namespace velmar::test {

inline std::string describe(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

// The work area is the whole monitor here: checked on the way.
inline std::string describe(const velmar::ui::ScreenDescription& screen) {
    std::string text =
        std::to_string(screen.pixelsPerInchX) + "/" + std::to_string(screen.pixelsPerInchY);
    for (const velmar::ui::Monitor& monitor : screen.monitors) {
        text += " " + describe(monitor.rect) + (monitor.primary ? "*" : "");
        EXPECT_EQ(describe(monitor.work), describe(monitor.rect));
    }
    return text;
}

} // namespace velmar::test
