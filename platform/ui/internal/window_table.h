// The process's table of windows, the one place that turns handles into windows, and the
// window tree. Internal to platform/ui.
//
// A handle is a slot index in its low 24 bits and the slot's generation above them, so a
// handle of a destroyed window stays invalid after its slot is used again; slot 0 is never
// used and generations start at 1, which keeps handles away from 0 and HWND_BROADCAST.
//
// One process-wide lock (windowLock()) guards the table and every window's state below its
// handle and queue. It is never held while a window procedure or the presenter runs, and a
// thread that holds it takes no queue's lock (queue locks come first when both are needed).
#pragma once

#include "platform/ui/ui.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velmar::ui {

class ThreadQueue;
struct WindowClass;

struct DrawnIcon {
    int x = 0;
    int y = 0;
    HICON icon = nullptr;
};

struct Window : std::enable_shared_from_this<Window> {
    HWND handle = nullptr;
    std::shared_ptr<ThreadQueue> queue; // the owner thread's; null for the desktop
    DWORD threadId = 0;

    // Guarded by windowLock().
    WNDPROC procedure = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::string text;
    std::vector<unsigned char> extra; // cbWndExtra bytes

    // The tree: children in order (a top-level window is a child of the desktop, its
    // siblings in z-order, the topmost first). The owner is a handle: it may go first.
    Window* parent = nullptr;
    Window* firstChild = nullptr;
    Window* lastChild = nullptr;
    Window* next = nullptr;
    Window* previous = nullptr;
    HWND owner = nullptr;

    // Geometry: relative to the parent's client area (the screen for top-level windows).
    RECT rect;
    RECT normal; // the restored rectangle while minimized or maximized
    POINT minPosition{-1, -1};
    POINT maxPosition{-1, -1};
    bool restoreToMaximized = false;

    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;

    // Painting: the update region as its bounding rectangle.
    bool invalid = false;
    bool erasePending = false;
    RECT update;
    std::vector<DrawnIcon> drawnIcons; // since the last BeginPaint

    std::uint64_t made = 0; // creation order
    bool alive = true;
    bool destroying = false;
};

// The process-wide window lock.
std::mutex& windowMutex();
using WindowLock = std::unique_lock<std::mutex>;
inline WindowLock lockWindows() {
    return WindowLock(windowMutex());
}

class WindowTable {
public:
    static WindowTable& instance();

    // With the window lock held.
    HWND addLocked(const std::shared_ptr<Window>& window);
    Window* lookupLocked(HWND handle) const;
    // Unlinks the window (not its children) and frees its slot.
    void removeLocked(Window& window);
    Window& desktop() const { return *m_desktop; }

    // Taking the lock themselves.
    HWND add(const std::shared_ptr<Window>& window);
    std::shared_ptr<Window> find(HWND handle) const;
    void remove(HWND handle);
    // The top-level windows, in the order they were made.
    std::vector<std::shared_ptr<Window>> topLevelWindows() const;
    // Forgets every window of a queue whose thread has ended, and their descendants.
    void removeWindowsOf(const ThreadQueue* queue);

private:
    WindowTable();
    struct Slot {
        std::shared_ptr<Window> window;
        std::uint32_t generation = 0;
    };
    static std::uintptr_t handleValue(std::size_t index, std::uint32_t generation);

    std::vector<Slot> m_slots = std::vector<Slot>(1);
    std::vector<std::size_t> m_free;
    std::uint64_t m_made = 0;
    std::shared_ptr<Window> m_desktop;
};

// Tree operations, with the window lock held.
void linkFirst(Window& parent, Window& child);
void linkLast(Window& parent, Window& child);
void detach(Window& child);
// True when window is ancestor itself or lies below it.
bool isSelfOrDescendant(const Window& ancestor, const Window* window);
// The top-level window that window is or lies in; null for the desktop.
Window* topLevelOf(Window& window);
// The window and its descendants, depth first (each window before its children).
void collectSubtree(Window& root, std::vector<Window*>& out);
bool isTopLevel(const Window& window);
// The window's top-left corner in screen coordinates.
POINT screenOrigin(const Window& window);

} // namespace velmar::ui
