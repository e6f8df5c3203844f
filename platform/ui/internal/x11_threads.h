// Xlib's thread support, which must be switched on before the process opens its first X
// connection. Internal to platform/ui.
#pragma once

namespace velmar::ui::x11 {

// XInitThreads, once per process; call it before every XOpenDisplay.
void initialiseThreads();

} // namespace velmar::ui::x11
