#include "platform/ui/internal/x11_threads.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <mutex>

namespace velmar::ui::x11 {

namespace {

// Xlib's own handler of a lost server exits before the connection's exit handler is asked;
// this one leaves the decision to that handler (whose default still exits).
int deferToExitHandler(Display* /*display*/) {
    return 0;
}

} // namespace

void initialiseThreads() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XrmInitialize();
        XSetIOErrorHandler(&deferToExitHandler);
    });
}

} // namespace velmar::ui::x11
