// The process's table of windows, the one place that turns handles into windows. Internal to
// platform/ui.
//
// A handle is a slot index in its low 16 bits and the slot's generation above them, so a
// handle of a destroyed window stays invalid after its slot is used again; slot 0 is never
// used, which keeps handles away from 0 and HWND_BROADCAST.
#pragma once

#include "platform/ui/ui.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace velmar::ui {

class ThreadQueue;

struct Window {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    std::shared_ptr<ThreadQueue> queue; // the owner thread's
    // Parent and owner, styles, text and placement join here as the window system grows.
};

class WindowTable {
public:
    static WindowTable& instance();

    // Enters the window and gives it its handle; null when the table is full.
    HWND add(const std::shared_ptr<Window>& window);
    std::shared_ptr<Window> find(HWND handle) const;
    void remove(HWND handle);
    // The top-level windows, in the order they were made.
    std::vector<std::shared_ptr<Window>> topLevelWindows() const;
    // Forgets every window of a queue whose thread has ended.
    void removeWindowsOf(const ThreadQueue* queue);

private:
    struct Slot {
        std::shared_ptr<Window> window;
        std::uint32_t generation = 0;
        std::uint64_t made = 0;
    };
    static std::uintptr_t handleValue(std::size_t index, std::uint32_t generation);

    mutable std::mutex m_mutex;
    std::vector<Slot> m_slots = std::vector<Slot>(1);
    std::vector<std::size_t> m_free;
    std::uint64_t m_made = 0;
};

} // namespace velmar::ui
