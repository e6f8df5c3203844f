// Making and destroying windows, the window tree and the window's stored values.
#include "platform/process/process.h"
#include "platform/ui/internal/thread_queue.h"
#include "platform/ui/internal/window_classes.h"
#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include <unistd.h>

using velmar::ui::ThreadQueue;
using velmar::ui::Window;
using velmar::ui::WindowLock;
using velmar::ui::WindowTable;

namespace velmar::ui {

std::shared_ptr<Window> windowOrError(HWND handle) {
    std::shared_ptr<Window> window = WindowTable::instance().find(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return window;
}

Window* lookupOrError(HWND handle) {
    WindowTable& table = WindowTable::instance();
    Window* window = table.lookupLocked(handle);
    if (window == nullptr || window == &table.desktop()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return window;
}

WNDPROC procedureOf(const Window& window) {
    WindowLock lock = lockWindows();
    return window.procedure;
}

HWND createTopLevelWindow(WNDPROC procedure) {
    if (procedure == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto window = std::make_shared<Window>();
    window->procedure = procedure;
    window->windowClass = findWindowClass(kMessageWindowClass);
    window->queue = ThreadQueue::current();
    window->threadId = window->queue->threadId();
    WindowTable& table = WindowTable::instance();
    WindowLock lock = lockWindows();
    const HWND handle = table.addLocked(window);
    if (handle == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ++window->windowClass->windows;
    linkFirst(table.desktop(), *window);
    return handle;
}

} // namespace velmar::ui

namespace {

// Where CW_USEDEFAULT puts an overlapped window: cascaded from the work area's corner, three
// quarters of it in size. The program's first overlapped window takes the position and size
// that the starting program gave CreateProcessA instead, as on Windows.
void defaultGeometry(DWORD style, int& x, int& y, int& width, int& height) {
    const bool overlapped = (style & (WS_CHILD | WS_POPUP)) == 0;
    static int cascade = 0;
    static std::atomic<bool> firstOverlapped{true};
    if (overlapped && firstOverlapped.exchange(false)) {
        STARTUPINFOA startup;
        GetStartupInfoA(&startup);
        if (x == CW_USEDEFAULT && (startup.dwFlags & STARTF_USEPOSITION) != 0) {
            x = static_cast<int>(startup.dwX);
            y = static_cast<int>(startup.dwY);
        }
        if (width == CW_USEDEFAULT && (startup.dwFlags & STARTF_USESIZE) != 0) {
            width = static_cast<int>(startup.dwXSize);
            height = static_cast<int>(startup.dwYSize);
        }
    }
    if (x == CW_USEDEFAULT) {
        if (overlapped) {
            const RECT work = velmar::ui::workAreaFor(RECT{});
            const int step = 26 * (cascade++ % 8);
            x = work.left + step;
            y = work.top + step;
        } else {
            x = 0;
            y = 0;
        }
    }
    if (width == CW_USEDEFAULT) {
        if (overlapped) {
            const RECT work = velmar::ui::workAreaFor(RECT{});
            width = (work.right - work.left) * 3 / 4;
            height = (work.bottom - work.top) * 3 / 4;
        } else {
            width = 0;
            height = 0;
        }
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
}

// The handles of the window's subtree, each window before its children.
std::vector<HWND> subtreeOf(HWND handle) {
    WindowLock lock = velmar::ui::lockWindows();
    std::vector<HWND> handles;
    Window* window = WindowTable::instance().lookupLocked(handle);
    if (window != nullptr) {
        std::vector<Window*> windows;
        velmar::ui::collectSubtree(*window, windows);
        handles.reserve(windows.size());
        for (Window* w : windows) {
            w->destroying = true;
            handles.push_back(w->handle);
        }
    }
    return handles;
}

// The end of a window that WM_NCCREATE refused: no WM_DESTROY, as it was never made.
void abandon(HWND handle) {
    SendMessageA(handle, WM_NCDESTROY, 0, 0);
    WindowTable::instance().remove(handle);
}

} // namespace

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID parameter) {
    const std::shared_ptr<velmar::ui::WindowClass> windowClass =
        velmar::ui::findWindowClass(className);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    if (!child && (style & WS_POPUP) == 0) {
        // Windows gives every overlapped window a caption and clips its siblings.
        style |= WS_CAPTION | WS_CLIPSIBLINGS;
    }
    defaultGeometry(style, x, y, width, height);

    auto window = std::make_shared<Window>();
    window->queue = ThreadQueue::current();
    window->threadId = window->queue->threadId();
    window->procedure = windowClass->procedure;
    window->windowClass = windowClass;
    window->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    window->exStyle = exStyle;
    window->instance = instance;
    window->extra.assign(static_cast<std::size_t>(windowClass->windowExtra), 0);
    window->rect = RECT{x, y, x + width, y + height};
    window->normal = window->rect;
    HWND handle = nullptr;
    {
        WindowTable& table = WindowTable::instance();
        WindowLock lock = velmar::ui::lockWindows();
        Window* parentWindow = nullptr;
        if (parent != nullptr && parent != table.desktop().handle) {
            parentWindow = velmar::ui::lookupOrError(parent);
            if (parentWindow == nullptr) {
                return nullptr;
            }
        }
        if (child && parentWindow == nullptr) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        handle = table.addLocked(window);
        if (handle == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        ++windowClass->windows;
        if (child) {
            window->id = static_cast<LONG_PTR>(reinterpret_cast<std::uintptr_t>(menuOrId));
            velmar::ui::linkLast(*parentWindow, *window);
        } else {
            // A popup or overlapped window given a parent is owned by its top-level window.
            if (parentWindow != nullptr) {
                window->owner = velmar::ui::topLevelOf(*parentWindow)->handle;
            }
            velmar::ui::linkFirst(table.desktop(), *window);
        }
    }

    CREATESTRUCTA create;
    create.lpCreateParams = parameter;
    create.hInstance = instance;
    create.hMenu = menuOrId;
    create.hwndParent = parent;
    create.cy = height;
    create.cx = width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
        abandon(handle);
        return nullptr;
    }
    if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (IsWindow(handle) == FALSE) {
        return nullptr; // it destroyed itself while being made
    }
    SendMessageA(handle, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
    SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    if ((style & WS_MAXIMIZE) != 0) {
        velmar::ui::setSizeState(window, SIZE_MAXIMIZED);
    } else if ((style & WS_MINIMIZE) != 0) {
        velmar::ui::setSizeState(window, SIZE_MINIMIZED);
    }
    if ((style & WS_VISIBLE) != 0) {
        velmar::ui::showWindow(window, child ? SW_SHOWNA : SW_SHOW);
    }
    return IsWindow(handle) != FALSE ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
    std::vector<HWND> owned;
    {
        WindowTable& table = WindowTable::instance();
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = velmar::ui::lookupOrError(handle);
        if (window == nullptr) {
            return FALSE;
        }
        if (window->queue != ThreadQueue::current()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (window->destroying) {
            return TRUE; // asked again from its own WM_DESTROY
        }
        window->destroying = true;
        for (Window* top = table.desktop().firstChild; top != nullptr; top = top->next) {
            if (top->owner == handle && !top->destroying) {
                owned.push_back(top->handle);
            }
        }
    }
    // Owned windows go first, as on Windows.
    for (HWND o : owned) {
        DestroyWindow(o);
    }
    velmar::ui::dropFocusWithin(handle);

    for (HWND h : subtreeOf(handle)) {
        if (IsWindow(h) != FALSE) {
            SendMessageA(h, WM_DESTROY, 0, 0);
        }
    }
    // Taken again: a window may have made children while it was told.
    const std::vector<HWND> doomed = subtreeOf(handle);
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        if (IsWindow(*it) != FALSE) {
            SendMessageA(*it, WM_NCDESTROY, 0, 0);
        }
    }
    {
        WindowTable& table = WindowTable::instance();
        WindowLock lock = velmar::ui::lockWindows();
        std::vector<std::shared_ptr<Window>> keep;
        for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
            if (Window* w = table.lookupLocked(*it)) {
                keep.push_back(w->shared_from_this());
                table.removeLocked(*w);
            }
        }
    }
    velmar::ui::notify(handle, velmar::ui::WindowChange::Destroyed);
    return TRUE;
}

BOOL IsWindow(HWND handle) {
    return WindowTable::instance().find(handle) != nullptr ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND handle) {
    WindowLock lock = velmar::ui::lockWindows();
    WindowTable& table = WindowTable::instance();
    const Window* ancestor = table.lookupLocked(parent);
    const Window* window = table.lookupLocked(handle);
    if (ancestor == nullptr || window == nullptr) {
        return FALSE;
    }
    for (const Window* w = window->parent; w != nullptr && w->parent != nullptr; w = w->parent) {
        if (w == ancestor) {
            return TRUE;
        }
    }
    return FALSE;
}

HWND GetParent(HWND handle) {
    WindowLock lock = velmar::ui::lockWindows();
    const Window* window = velmar::ui::lookupOrError(handle);
    if (window == nullptr) {
        return nullptr;
    }
    if ((window->style & WS_CHILD) != 0) {
        return velmar::ui::isTopLevel(*window) ? nullptr : window->parent->handle;
    }
    if ((window->style & WS_POPUP) != 0 &&
        WindowTable::instance().lookupLocked(window->owner) != nullptr) {
        return window->owner;
    }
    return nullptr;
}

HWND GetWindow(HWND handle, UINT relation) {
    WindowLock lock = velmar::ui::lockWindows();
    WindowTable& table = WindowTable::instance();
    const Window* window = table.lookupLocked(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const auto handleOf = [](const Window* w) { return w != nullptr ? w->handle : nullptr; };
    const Window* siblings = window->parent;
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings != nullptr ? handleOf(siblings->firstChild) : window->handle;
    case GW_HWNDLAST:
        return siblings != nullptr ? handleOf(siblings->lastChild) : window->handle;
    case GW_HWNDNEXT:
        return handleOf(window->next);
    case GW_HWNDPREV:
        return handleOf(window->previous);
    case GW_OWNER:
        return table.lookupLocked(window->owner) != nullptr ? window->owner : nullptr;
    case GW_CHILD:
        return handleOf(window->firstChild);
    case GW_ENABLEDPOPUP:
        // The first enabled, visible window it owns, in z-order; else the window itself.
        for (const Window* top = table.desktop().firstChild; top != nullptr; top = top->next) {
            if (top->owner == window->handle && (top->style & WS_DISABLED) == 0 &&
                (top->style & WS_VISIBLE) != 0) {
                return top->handle;
            }
        }
        return window->handle;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND GetDesktopWindow() {
    return WindowTable::instance().desktop().handle;
}

namespace {

bool extraSlot(const Window& window, int index) {
    return index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= window.extra.size();
}

} // namespace

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
    WindowLock lock = velmar::ui::lockWindows();
    WindowTable& table = WindowTable::instance();
    const Window* window = table.lookupLocked(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle);
    case GWLP_ID:
        return window->id;
    case GWLP_USERDATA:
        return window->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        if ((window->style & WS_CHILD) != 0 && window->parent != nullptr) {
            return reinterpret_cast<LONG_PTR>(window->parent->handle);
        }
        return table.lookupLocked(window->owner) != nullptr
                   ? reinterpret_cast<LONG_PTR>(window->owner)
                   : 0;
    default:
        break;
    }
    if (!extraSlot(*window, index)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR value = 0;
    std::memcpy(&value, window->extra.data() + index, sizeof value);
    return value;
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
    LONG_PTR previous = 0;
    DWORD changedStyle = 0;
    {
        WindowLock lock = velmar::ui::lockWindows();
        WindowTable& table = WindowTable::instance();
        Window* window = velmar::ui::lookupOrError(handle);
        if (window == nullptr) {
            return 0;
        }
        switch (index) {
        case GWL_STYLE:
            previous = static_cast<LONG_PTR>(window->style);
            changedStyle = window->style ^ static_cast<DWORD>(value);
            window->style = static_cast<DWORD>(value);
            break;
        case GWL_EXSTYLE:
            previous = static_cast<LONG_PTR>(window->exStyle);
            window->exStyle = static_cast<DWORD>(value);
            break;
        case GWLP_ID:
            previous = std::exchange(window->id, value);
            break;
        case GWLP_USERDATA:
            previous = std::exchange(window->userData, value);
            break;
        case GWLP_WNDPROC:
            if (value == 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            previous = reinterpret_cast<LONG_PTR>(
                std::exchange(window->procedure, reinterpret_cast<WNDPROC>(value)));
            break;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<LONG_PTR>(
                std::exchange(window->instance, reinterpret_cast<HINSTANCE>(value)));
            break;
        case GWLP_HWNDPARENT: {
            if ((window->style & WS_CHILD) != 0) {
                // A child's parent is not changed this way.
                return reinterpret_cast<LONG_PTR>(window->parent->handle);
            }
            const auto newOwner = reinterpret_cast<HWND>(value);
            Window* ownerWindow = table.lookupLocked(newOwner);
            if (newOwner != nullptr && ownerWindow == nullptr) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            previous = table.lookupLocked(window->owner) != nullptr
                           ? reinterpret_cast<LONG_PTR>(window->owner)
                           : 0;
            window->owner = ownerWindow != nullptr && ownerWindow != &table.desktop()
                                ? velmar::ui::topLevelOf(*ownerWindow)->handle
                                : nullptr;
            break;
        }
        default:
            if (!extraSlot(*window, index)) {
                SetLastError(ERROR_INVALID_INDEX);
                return 0;
            }
            std::memcpy(&previous, window->extra.data() + index, sizeof previous);
            std::memcpy(window->extra.data() + index, &value, sizeof value);
            break;
        }
    }
    if ((changedStyle & WS_VISIBLE) != 0) {
        velmar::ui::notify(handle, (static_cast<DWORD>(value) & WS_VISIBLE) != 0
                                       ? velmar::ui::WindowChange::Shown
                                       : velmar::ui::WindowChange::Hidden);
    }
    if ((changedStyle & WS_DISABLED) != 0) {
        velmar::ui::notify(handle, velmar::ui::WindowChange::Enabled);
    }
    return previous;
}

DWORD GetWindowThreadProcessId(HWND handle, DWORD* processId) {
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr) {
        return 0;
    }
    if (processId != nullptr) {
        *processId = static_cast<DWORD>(::getpid());
    }
    return window->threadId;
}

DWORD GetCurrentThreadId() {
    return ThreadQueue::current()->threadId();
}

int GetClassNameA(HWND handle, LPSTR name, int size) {
    const std::shared_ptr<Window> window = velmar::ui::windowOrError(handle);
    if (window == nullptr) {
        return 0;
    }
    if (name == nullptr || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::string className =
        window->windowClass != nullptr ? window->windowClass->name : "#32769";
    const std::size_t n = std::min(className.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(name, className.data(), n);
    name[n] = '\0';
    return static_cast<int>(n);
}

namespace {

// The windows to enumerate, taken at once so that callbacks may change the tree.
BOOL enumerate(std::vector<HWND> handles, WNDENUMPROC callback, LPARAM lParam) {
    WindowTable& table = WindowTable::instance();
    for (HWND h : handles) {
        {
            // One destroyed by an earlier callback is passed over.
            WindowLock lock = velmar::ui::lockWindows();
            if (table.lookupLocked(h) == nullptr) {
                continue;
            }
        }
        if (callback(h, lParam) == FALSE) {
            return FALSE;
        }
    }
    return TRUE;
}

std::vector<HWND> topLevelHandles() {
    WindowLock lock = velmar::ui::lockWindows();
    std::vector<HWND> handles;
    for (Window* w = WindowTable::instance().desktop().firstChild; w != nullptr; w = w->next) {
        handles.push_back(w->handle);
    }
    return handles;
}

} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
    if (callback == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowTable& table = WindowTable::instance();
    std::vector<HWND> handles;
    if (parent == nullptr || parent == table.desktop().handle) {
        handles = topLevelHandles();
    } else {
        WindowLock lock = velmar::ui::lockWindows();
        Window* window = table.lookupLocked(parent);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        std::vector<Window*> windows;
        velmar::ui::collectSubtree(*window, windows);
        handles.reserve(windows.size() - 1);
        for (std::size_t i = 1; i < windows.size(); ++i) {
            handles.push_back(windows[i]->handle);
        }
    }
    return enumerate(std::move(handles), callback, lParam);
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    if (callback == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return enumerate(topLevelHandles(), callback, lParam);
}
