// What the presenters read of painting: the window a device context draws on, the icons drawn
// on a window since it was last painted, and an icon's picture. Internal to platform/ui.
#pragma once

#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <optional>
#include <string>
#include <vector>

namespace velmar::ui {

// The window of a device context (null for the screen's); nullopt for an unknown context.
std::optional<HWND> windowOfDC(HDC dc);
// The icons DrawIcon put on the window since its last BeginPaint.
std::vector<DrawnIcon> drawnIcons(HWND window);

struct IconPicture {
    WORD id = 0; // the resource id, or the IDI_* number of a system icon
    bool system = false;
    std::vector<std::string> rows; // see IconResource
};
// An icon's picture; nullopt for an unknown handle.
std::optional<IconPicture> iconPicture(HICON icon);

} // namespace velmar::ui
