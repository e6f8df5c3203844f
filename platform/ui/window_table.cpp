#include "platform/ui/internal/window_table.h"

#include <algorithm>

namespace velmar::ui {

namespace {
constexpr std::size_t kMaxSlots = 0xFFFF;
}

WindowTable& WindowTable::instance() {
    // Never destroyed: threads that end during exit still remove their windows.
    static WindowTable* table = new WindowTable;
    return *table;
}

std::uintptr_t WindowTable::handleValue(std::size_t index, std::uint32_t generation) {
    return (static_cast<std::uintptr_t>(generation) << 16) | index;
}

HWND WindowTable::add(const std::shared_ptr<Window>& window) {
    std::lock_guard lock(m_mutex);
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
    slot.made = ++m_made;
    window->handle = reinterpret_cast<HWND>(handleValue(index, slot.generation));
    return window->handle;
}

std::shared_ptr<Window> WindowTable::find(HWND handle) const {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const std::size_t index = value & 0xFFFF;
    std::lock_guard lock(m_mutex);
    if (index == 0 || index >= m_slots.size()) {
        return nullptr;
    }
    const Slot& slot = m_slots[index];
    if (slot.window == nullptr || handleValue(index, slot.generation) != value) {
        return nullptr;
    }
    return slot.window;
}

void WindowTable::remove(HWND handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const std::size_t index = value & 0xFFFF;
    std::lock_guard lock(m_mutex);
    if (index == 0 || index >= m_slots.size()) {
        return;
    }
    Slot& slot = m_slots[index];
    if (slot.window != nullptr && handleValue(index, slot.generation) == value) {
        slot.window.reset();
        m_free.push_back(index);
    }
}

std::vector<std::shared_ptr<Window>> WindowTable::topLevelWindows() const {
    std::vector<std::pair<std::uint64_t, std::shared_ptr<Window>>> made;
    {
        std::lock_guard lock(m_mutex);
        for (const Slot& slot : m_slots) {
            if (slot.window != nullptr) {
                made.emplace_back(slot.made, slot.window);
            }
        }
    }
    std::sort(made.begin(), made.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::shared_ptr<Window>> windows;
    windows.reserve(made.size());
    for (auto& entry : made) {
        windows.push_back(std::move(entry.second));
    }
    return windows;
}

void WindowTable::removeWindowsOf(const ThreadQueue* queue) {
    std::lock_guard lock(m_mutex);
    for (std::size_t index = 1; index < m_slots.size(); ++index) {
        Slot& slot = m_slots[index];
        if (slot.window != nullptr && slot.window->queue.get() == queue) {
            slot.window.reset();
            m_free.push_back(index);
        }
    }
}

} // namespace velmar::ui
