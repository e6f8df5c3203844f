// Xlib's thread support, which must be switched on before the process opens its first X
// connection. Internal to platform/ui.
#pragma once

namespace velmar::ui::x11 {

// Prepares Xlib once per process: safe for several threads (XInitThreads), the resource
// manager ready, and a lost server handled by each connection's I/O error exit handler
// (XSetIOErrorExitHandler; the default one still exits) instead of Xlib's process-wide one.
// Every code that opens a display calls it first.
void initialiseThreads();

} // namespace velmar::ui::x11
