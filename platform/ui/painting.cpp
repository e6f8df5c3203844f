// Invalidation, WM_PAINT, device contexts and drawing icons.
#include "platform/ui/internal/painting.h"
#include "platform/ui/internal/screen.h"
#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <map>
#include <mutex>

using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowChange;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

namespace velmar::ui {

namespace {

struct DeviceContext {
    HWND window = nullptr; // null: the screen
    bool painting = false; // from BeginPaint
};

class DeviceContexts {
public:
    static DeviceContexts& instance() {
        static auto* contexts = new DeviceContexts;
        return *contexts;
    }
    HDC open(HWND window, bool painting) {
        std::lock_guard lock(m_mutex);
        const auto dc = reinterpret_cast<HDC>(m_next);
        m_next += 2;
        m_open.emplace(dc, DeviceContext{window, painting});
        return dc;
    }
    std::optional<DeviceContext> find(HDC dc) {
        std::lock_guard lock(m_mutex);
        const auto it = m_open.find(dc);
        return it != m_open.end() ? std::optional(it->second) : std::nullopt;
    }
    bool close(HDC dc, HWND window) {
        std::lock_guard lock(m_mutex);
        const auto it = m_open.find(dc);
        if (it == m_open.end() || it->second.window != window) {
            return false;
        }
        m_open.erase(it);
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<HDC, DeviceContext> m_open;
    std::uintptr_t m_next = 0x20001;
};

bool visibleLocked(const Window& window) {
    for (const Window* w = &window; w != nullptr; w = w->parent) {
        if ((w->style & WS_VISIBLE) == 0) {
            return false;
        }
    }
    return true;
}

RECT unite(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

} // namespace

void invalidate(HWND handle, const RECT* rect, bool erase, bool children) {
    std::vector<std::pair<std::shared_ptr<ThreadQueue>, HWND>> toPaint;
    {
        WindowLock lock = lockWindows();
        Window* window = WindowTable::instance().lookupLocked(handle);
        if (window == nullptr || window->queue == nullptr) {
            return;
        }
        std::vector<Window*> windows;
        if (children) {
            collectSubtree(*window, windows);
        } else {
            windows.push_back(window);
        }
        for (Window* w : windows) {
            // A hidden window has nothing on the screen to repaint; showing it repaints it.
            if (w->queue == nullptr || !visibleLocked(*w)) {
                continue;
            }
            const RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
            RECT r = client;
            if (rect != nullptr && w == window) {
                r = RECT{std::max(rect->left, client.left), std::max(rect->top, client.top),
                         std::min(rect->right, client.right),
                         std::min(rect->bottom, client.bottom)};
            }
            if (r.right <= r.left || r.bottom <= r.top) {
                continue;
            }
            w->update = w->invalid ? unite(w->update, r) : r;
            w->invalid = true;
            w->erasePending = w->erasePending || erase;
            toPaint.emplace_back(w->queue, w->handle);
        }
    }
    for (const auto& [queue, h] : toPaint) {
        queue->needsPaint(h);
    }
    if (!toPaint.empty()) {
        notify(handle, WindowChange::Painted);
    }
}

bool needsPainting(HWND handle) {
    WindowLock lock = lockWindows();
    const Window* window = WindowTable::instance().lookupLocked(handle);
    return window != nullptr && window->invalid && visibleLocked(*window);
}

std::optional<HWND> windowOfDC(HDC dc) {
    const std::optional<DeviceContext> context = DeviceContexts::instance().find(dc);
    if (!context.has_value()) {
        return std::nullopt;
    }
    return context->window;
}

std::vector<DrawnIcon> drawnIcons(HWND handle) {
    WindowLock lock = lockWindows();
    const Window* window = WindowTable::instance().lookupLocked(handle);
    return window != nullptr ? window->drawnIcons : std::vector<DrawnIcon>{};
}

} // namespace velmar::ui

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    if (handle == nullptr) {
        // Every window of the process.
        for (const auto& window : WindowTable::instance().topLevelWindows()) {
            velmar::ui::invalidate(window->handle, nullptr, erase != FALSE, true);
        }
        return TRUE;
    }
    if (velmar::ui::windowOrError(handle) == nullptr) {
        return FALSE;
    }
    velmar::ui::invalidate(handle, rect, erase != FALSE, false);
    return TRUE;
}

BOOL UpdateWindow(HWND handle) {
    if (velmar::ui::windowOrError(handle) == nullptr) {
        return FALSE;
    }
    if (velmar::ui::needsPainting(handle)) {
        SendMessageA(handle, WM_PAINT, 0, 0);
    }
    return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool erase = false;
    bool iconic = false;
    RECT update;
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = velmar::ui::lookupOrError(handle);
        if (window == nullptr) {
            return nullptr;
        }
        erase = window->erasePending;
        iconic = (window->style & WS_MINIMIZE) != 0;
        update = window->invalid ? window->update : RECT{};
        window->invalid = false;
        window->erasePending = false;
        window->drawnIcons.clear();
    }
    const HDC dc = velmar::ui::DeviceContexts::instance().open(handle, true);
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = update;
    if (erase) {
        // The window erases its background, or leaves it to the painting (fErase).
        const LRESULT erased = SendMessageA(handle, iconic ? WM_ICONERASEBKGND : WM_ERASEBKGND,
                                            reinterpret_cast<WPARAM>(dc), 0);
        paint->fErase = erased == 0 ? TRUE : FALSE;
    }
    return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
    if (paint != nullptr) {
        velmar::ui::DeviceContexts::instance().close(paint->hdc, handle);
    }
    if (IsWindow(handle) != FALSE) {
        velmar::ui::notify(handle, WindowChange::Painted);
    }
    return TRUE;
}

HDC GetDC(HWND handle) {
    if (handle != nullptr && velmar::ui::windowOrError(handle) == nullptr) {
        return nullptr;
    }
    return velmar::ui::DeviceContexts::instance().open(handle, false);
}

int ReleaseDC(HWND handle, HDC dc) {
    return velmar::ui::DeviceContexts::instance().close(dc, handle) ? 1 : 0;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!velmar::ui::DeviceContexts::instance().find(dc).has_value()) {
        return 0;
    }
    const velmar::ui::ScreenDescription screen = velmar::ui::currentScreen();
    const RECT primary = screen.monitors.empty() ? RECT{} : screen.monitors.front().rect;
    switch (index) {
    case LOGPIXELSX:
        return screen.pixelsPerInchX;
    case LOGPIXELSY:
        return screen.pixelsPerInchY;
    case HORZRES:
        return primary.right - primary.left;
    case VERTRES:
        return primary.bottom - primary.top;
    default:
        return 0;
    }
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    const std::optional<velmar::ui::DeviceContext> context =
        velmar::ui::DeviceContexts::instance().find(dc);
    if (!context.has_value()) {
        SetLastError(ERROR_DC_NOT_FOUND);
        return FALSE;
    }
    if (!velmar::ui::iconPicture(icon).has_value()) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (context->window == nullptr) {
        return TRUE; // the screen keeps nothing
    }
    {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = WindowTable::instance().lookupLocked(context->window);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        window->drawnIcons.push_back(velmar::ui::DrawnIcon{x, y, icon});
    }
    if (!context->painting) {
        velmar::ui::notify(context->window, WindowChange::Painted);
    }
    return TRUE;
}
