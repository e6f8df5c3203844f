#include "platform/ui/internal/window_table.h"

#include "platform/ui/internal/window_classes.h"

#include <algorithm>

namespace velmar::ui {

namespace {
constexpr unsigned kIndexBits = 24;
constexpr std::size_t kIndexMask = (std::size_t{1} << kIndexBits) - 1;
constexpr std::size_t kMaxSlots = kIndexMask;
} // namespace

std::mutex& windowMutex() {
    // Never destroyed: threads that end during exit still remove their windows.
    static auto* mutex = new std::mutex;
    return *mutex;
}

WindowTable& WindowTable::instance() {
    static WindowTable* table = new WindowTable;
    return *table;
}

WindowTable::WindowTable() : m_desktop(std::make_shared<Window>()) {
    m_desktop->style = WS_VISIBLE | WS_CLIPCHILDREN;
    m_desktop->procedure = DefWindowProcA;
    m_slots.emplace_back();
    m_slots[1].generation = 1;
    m_slots[1].window = m_desktop;
    m_desktop->handle = reinterpret_cast<HWND>(handleValue(1, 1));
}

std::uintptr_t WindowTable::handleValue(std::size_t index, std::uint32_t generation) {
    return (static_cast<std::uintptr_t>(generation) << kIndexBits) | index;
}

HWND WindowTable::addLocked(const std::shared_ptr<Window>& window) {
    std::size_t index = 0;
    if (!m_free.empty()) {
        index = m_free.back();
        m_free.pop_back();
    } else if (m_slots.size() < kMaxSlots) {
        index = m_slots.size();
        m_slots.emplace_back();
    } else {
        return nullptr;
    }
    Slot& slot = m_slots[index];
    ++slot.generation;
    slot.window = window;
    window->made = ++m_made;
    window->handle = reinterpret_cast<HWND>(handleValue(index, slot.generation));
    return window->handle;
}

Window* WindowTable::lookupLocked(HWND handle) const {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const std::size_t index = value & kIndexMask;
    if (index == 0 || index >= m_slots.size()) {
        return nullptr;
    }
    const Slot& slot = m_slots[index];
    if (slot.window == nullptr || handleValue(index, slot.generation) != value) {
        return nullptr;
    }
    return slot.window.get();
}

void WindowTable::removeLocked(Window& window) {
    const auto value = reinterpret_cast<std::uintptr_t>(window.handle);
    const std::size_t index = value & kIndexMask;
    if (&window == m_desktop.get() || lookupLocked(window.handle) != &window) {
        return;
    }
    detach(window);
    window.alive = false;
    if (window.windowClass != nullptr) {
        --window.windowClass->windows;
    }
    // The slot's reference goes last: the caller may hold the only other one.
    std::shared_ptr<Window> keep = std::move(m_slots[index].window);
    m_free.push_back(index);
}

HWND WindowTable::add(const std::shared_ptr<Window>& window) {
    WindowLock lock = lockWindows();
    return addLocked(window);
}

std::shared_ptr<Window> WindowTable::find(HWND handle) const {
    WindowLock lock = lockWindows();
    Window* window = lookupLocked(handle);
    return window != nullptr ? window->shared_from_this() : nullptr;
}

void WindowTable::remove(HWND handle) {
    WindowLock lock = lockWindows();
    if (Window* window = lookupLocked(handle)) {
        removeLocked(*window);
    }
}

std::vector<std::shared_ptr<Window>> WindowTable::topLevelWindows() const {
    std::vector<std::shared_ptr<Window>> windows;
    {
        WindowLock lock = lockWindows();
        for (Window* w = m_desktop->firstChild; w != nullptr; w = w->next) {
            windows.push_back(w->shared_from_this());
        }
    }
    std::sort(windows.begin(), windows.end(),
              [](const auto& a, const auto& b) { return a->made < b->made; });
    return windows;
}

void WindowTable::removeWindowsOf(const ThreadQueue* queue) {
    WindowLock lock = lockWindows();
    std::vector<Window*> doomed;
    for (std::size_t index = 2; index < m_slots.size(); ++index) {
        Window* window = m_slots[index].window.get();
        if (window == nullptr || window->queue.get() != queue) {
            continue;
        }
        // Each subtree once, from its highest window of the queue.
        bool below = false;
        for (Window* a = window->parent; a != nullptr && !below; a = a->parent) {
            below = a->queue.get() == queue;
        }
        if (!below) {
            collectSubtree(*window, doomed);
        }
    }
    // Children first, so that no window is unlinked from a parent already freed.
    std::vector<std::shared_ptr<Window>> keep;
    keep.reserve(doomed.size());
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        keep.push_back((*it)->shared_from_this());
        removeLocked(**it);
    }
}

void linkFirst(Window& parent, Window& child) {
    child.parent = &parent;
    child.previous = nullptr;
    child.next = parent.firstChild;
    if (parent.firstChild != nullptr) {
        parent.firstChild->previous = &child;
    } else {
        parent.lastChild = &child;
    }
    parent.firstChild = &child;
}

void linkLast(Window& parent, Window& child) {
    child.parent = &parent;
    child.next = nullptr;
    child.previous = parent.lastChild;
    if (parent.lastChild != nullptr) {
        parent.lastChild->next = &child;
    } else {
        parent.firstChild = &child;
    }
    parent.lastChild = &child;
}

void detach(Window& child) {
    Window* parent = child.parent;
    if (parent == nullptr) {
        return;
    }
    (child.previous != nullptr ? child.previous->next : parent->firstChild) = child.next;
    (child.next != nullptr ? child.next->previous : parent->lastChild) = child.previous;
    child.parent = nullptr;
    child.next = nullptr;
    child.previous = nullptr;
}

bool isSelfOrDescendant(const Window& ancestor, const Window* window) {
    for (; window != nullptr; window = window->parent) {
        if (window == &ancestor) {
            return true;
        }
    }
    return false;
}

bool isTopLevel(const Window& window) {
    return window.parent != nullptr && window.parent->parent == nullptr;
}

Window* topLevelOf(Window& window) {
    Window* w = &window;
    while (w->parent != nullptr && w->parent->parent != nullptr) {
        w = w->parent;
    }
    return w->parent != nullptr ? w : nullptr;
}

void collectSubtree(Window& root, std::vector<Window*>& out) {
    // Iterative, so that deep trees do not exhaust the stack.
    out.push_back(&root);
    Window* w = root.firstChild;
    while (w != nullptr) {
        out.push_back(w);
        if (w->firstChild != nullptr) {
            w = w->firstChild;
            continue;
        }
        while (w != &root && w->next == nullptr) {
            w = w->parent;
        }
        if (w == &root) {
            break;
        }
        w = w->next;
    }
}

POINT screenOrigin(const Window& window) {
    POINT origin;
    for (const Window* w = &window; w != nullptr && w->parent != nullptr; w = w->parent) {
        origin.x += w->rect.left;
        origin.y += w->rect.top;
    }
    return origin;
}

} // namespace velmar::ui
