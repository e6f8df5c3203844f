// The dialog font's base units, from a model of the font rather than a real one.
//
// The font's em height in pixels is round(points * pixels per inch / 72). Its average
// character width and its character height follow Tahoma, the face behind "MS Shell Dlg":
// at 8 points and 96 pixels per inch (an em of 11 pixels) they are 6 and 13 pixels, Windows'
// own base units for that font, and at other sizes they scale with the em height, rounded.
// Every font name gets the same model until real fonts are measured.

#include "platform/ui/internal/screen.h"

#include <algorithm>

namespace velmar::ui {

namespace {

constexpr long kModelEm = 11;
constexpr long kModelWidth = 6;
constexpr long kModelHeight = 13;

long roundedRatio(long numerator, long denominator) {
    return (numerator + denominator / 2) / denominator;
}

} // namespace

SIZE dialogBaseUnits(const std::string& /*fontName*/, WORD pointSize) {
    const ScreenDescription screen = currentScreen();
    // At least one pixel, so that a dialog of a zero-point font still has a size.
    const long em = std::max(1L, roundedRatio(long{pointSize} * screen.pixelsPerInchY, 72));
    SIZE units;
    units.cx = static_cast<LONG>(std::max(1L, roundedRatio(kModelWidth * em, kModelEm)));
    units.cy = static_cast<LONG>(std::max(1L, roundedRatio(kModelHeight * em, kModelEm)));
    return units;
}

} // namespace velmar::ui
