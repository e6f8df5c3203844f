// The screen from the X server: one connection for the process, read afresh at each call.
//
// Nothing here may end the process. A server that goes away makes Xlib call its I/O error
// handlers, which by default exit: ours only mark the connection lost, and the next call opens
// a new one. Requests that the server could refuse (XRRGetMonitors before RandR 1.5) are
// not made, since Xlib's default protocol error handler exits as well.

#include "platform/ui/internal/x11_screen.h"
#include "platform/ui/internal/x11_threads.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unistd.h>
#include <vector>

namespace velmar::ui {

namespace {

// The longest resource text read, in 32-bit units (16 MiB); a longer one is read in part.
constexpr long kMaxResourceLength = 4L * 1024 * 1024;

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};

struct MonitorsDeleter {
    void operator()(XRRMonitorInfo* monitors) const { XRRFreeMonitors(monitors); }
};

struct DatabaseDeleter {
    void operator()(XrmDatabase database) const { XrmDestroyDatabase(database); }
};

std::optional<int> believable(double perInch) {
    if (!std::isfinite(perInch)) {
        return std::nullopt;
    }
    const double rounded = std::round(perInch);
    if (rounded < kMinPixelsPerInch || rounded > kMaxPixelsPerInch) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

// Xft.dpi from the resource text, as Xft itself looks it up ("Xft.dpi", "Xft*dpi", "*dpi").
std::optional<int> resourcePixelsPerInch(const std::string& resources) {
    const std::unique_ptr<std::remove_pointer_t<XrmDatabase>, DatabaseDeleter> database(
        XrmGetStringDatabase(resources.c_str()));
    if (!database) {
        return std::nullopt;
    }
    char* type = nullptr;
    XrmValue value{};
    if (!XrmGetResource(database.get(), "Xft.dpi", "Xft.Dpi", &type, &value) ||
        value.addr == nullptr) {
        return std::nullopt;
    }
    std::string_view text(value.addr);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    double perInch = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), perInch);
    if (error != std::errc() || last != text.data() + text.size()) {
        return std::nullopt;
    }
    return believable(perInch);
}

class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { close(); }

    std::optional<ScreenDescription> screen() {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') {
            return std::nullopt;
        }
        const std::lock_guard lock(m_mutex);
        // A server that went away since the last call may be back under the same name: one
        // fresh connection is tried before giving up.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!open(name)) {
                return std::nullopt;
            }
            auto screen = read();
            if (!m_lost) {
                return screen;
            }
        }
        return std::nullopt;
    }

private:
    // Connects to name unless already connected to it; false when it cannot be reached. A name
    // that could not be reached is not tried again until DISPLAY changes or a connection is lost.
    bool open(const char* name) {
        if (m_display != nullptr && !m_lost && m_name == name && m_pid == ::getpid()) {
            return true;
        }
        if (m_display == nullptr && !m_lost && m_name == name && m_pid == ::getpid()) {
            return false; // tried and failed
        }
        close();
        x11::initialiseThreads();
        m_name = name;
        m_pid = ::getpid();
        m_display = XOpenDisplay(name);
        if (m_display == nullptr) {
            return false;
        }
        XSetIOErrorExitHandler(m_display, &Connection::lostConnection, this);
        const Window root = DefaultRootWindow(m_display);
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        int eventBase = 0;
        if (XRRQueryExtension(m_display, &eventBase, &errorBase) &&
            XRRQueryVersion(m_display, &major, &minor)) {
            m_hasRandr = true;
            m_hasMonitors = major > 1 || (major == 1 && minor >= 5);
            // Screen size changes arrive as events; XRRUpdateConfiguration keeps Xlib's idea of
            // the screen's size in pixels and millimetres current.
            XRRSelectInput(m_display, root, RRScreenChangeNotifyMask);
        }
        return true;
    }

    // A connection inherited over fork is the parent's: the child leaves it alone.
    void close() {
        if (m_display != nullptr && m_pid == ::getpid()) {
            XCloseDisplay(m_display);
        }
        m_display = nullptr;
        m_lost = false;
        m_hasRandr = false;
        m_hasMonitors = false;
        m_name.clear();
    }

    static void lostConnection(Display* /*display*/, void* connection) {
        static_cast<Connection*>(connection)->m_lost = true;
    }

    ScreenDescription read() {
        while (!m_lost && XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (m_hasRandr) {
                XRRUpdateConfiguration(&event);
            }
        }
        ScreenDescription screen;
        screen.monitors = monitors();
        const int perInch = pixelsPerInch();
        screen.pixelsPerInchX = screen.pixelsPerInchY = perInch;
        return screen;
    }

    std::vector<Monitor> monitors() {
        const int number = DefaultScreen(m_display);
        std::vector<Monitor> found;
        int count = 0;
        const std::unique_ptr<XRRMonitorInfo, MonitorsDeleter> listed(
            m_hasMonitors && !m_lost
                ? XRRGetMonitors(m_display, RootWindow(m_display, number), True, &count)
                : nullptr);
        for (int i = 0; listed && i < count; ++i) {
            const XRRMonitorInfo& info = listed.get()[i];
            if (info.width <= 0 || info.height <= 0) {
                continue;
            }
            Monitor monitor;
            monitor.rect = {info.x, info.y, info.x + info.width, info.y + info.height};
            monitor.primary = info.primary != 0;
            found.push_back(monitor);
        }
        if (found.empty()) {
            // No RandR, or no active monitor: the whole screen is one.
            Monitor whole;
            whole.rect = {0, 0, DisplayWidth(m_display, number), DisplayHeight(m_display, number)};
            whole.primary = true;
            found.push_back(whole);
        }
        // The primary one first (the first listed when none is), its corner at (0, 0).
        std::size_t primary = 0;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (found[i].primary) {
                primary = i;
                break;
            }
        }
        std::rotate(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(primary),
                    found.begin() + static_cast<std::ptrdiff_t>(primary) + 1);
        const LONG left = found.front().rect.left;
        const LONG top = found.front().rect.top;
        for (std::size_t i = 0; i < found.size(); ++i) {
            Monitor& monitor = found[i];
            monitor.primary = i == 0;
            monitor.rect = {monitor.rect.left - left, monitor.rect.top - top,
                            monitor.rect.right - left, monitor.rect.bottom - top};
            monitor.work = monitor.rect;
        }
        return found;
    }

    // Xft.dpi, else the server's screen size, else 96.
    int pixelsPerInch() {
        if (const auto fromResources = resourcePixelsPerInch(resourceText())) {
            return *fromResources;
        }
        const int number = DefaultScreen(m_display);
        const int millimetres = DisplayWidthMM(m_display, number);
        if (millimetres > 0) {
            if (const auto fromServer =
                    believable(DisplayWidth(m_display, number) * 25.4 / millimetres)) {
                return *fromServer;
            }
        }
        return 96;
    }

    // The RESOURCE_MANAGER property of the first screen's root window, read at each call so
    // that "xrdb -merge" shows at once (XResourceManagerString keeps the text of the open).
    std::string resourceText() {
        if (m_lost) {
            return {};
        }
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(m_display, RootWindow(m_display, 0),
                                              XA_RESOURCE_MANAGER, 0, kMaxResourceLength, False,
                                              XA_STRING, &type, &format, &items, &remaining, &data);
        const std::unique_ptr<unsigned char, XFreeDeleter> owned(data);
        if (status != Success || m_lost || type != XA_STRING || format != 8 || data == nullptr) {
            return {};
        }
        return std::string(reinterpret_cast<const char*>(data), items);
    }

    std::mutex m_mutex;
    Display* m_display = nullptr;
    std::string m_name; // the DISPLAY it was opened for (or failed for)
    pid_t m_pid = -1;
    bool m_lost = false;
    bool m_hasRandr = false;
    bool m_hasMonitors = false; // RandR 1.5: XRRGetMonitors
};

} // namespace

std::optional<ScreenDescription> displayScreen() {
    static Connection connection;
    return connection.screen();
}

} // namespace velmar::ui
