#include "platform/ui/internal/x11_threads.h"

#include <X11/Xlib.h>
#include <mutex>

namespace velmar::ui::x11 {

void initialiseThreads() {
    static std::once_flag once;
    std::call_once(once, [] { XInitThreads(); });
}

} // namespace velmar::ui::x11
