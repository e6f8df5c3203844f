// The screen's scale factor, read once.
#include "misc/dialogs/dialogs.h"

namespace {

float g_scaleFactor = 1.0f;
bool g_scaleUnknown = true;

} // namespace

float screenScaleFactor() {
    if (!g_scaleUnknown) {
        return g_scaleFactor;
    }
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 1.0f; // tried again at the next call
    }
    const int horizontal = GetDeviceCaps(screen, LOGPIXELSX);
    const int vertical = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const float factor = static_cast<float>(horizontal + vertical) * 0.5f / 96.0f;
    g_scaleFactor = factor < 1.0f ? 1.0f : factor;
    g_scaleUnknown = false;
    return g_scaleFactor;
}
