#include "platform/process/internal/handle_table.h"

#include "platform/process/process.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace velmar::process {

namespace {

constexpr std::uintptr_t kGenerationBits = 30;
constexpr std::uintptr_t kGenerationMask = (std::uintptr_t{1} << kGenerationBits) - 1;

struct Slot {
    std::uint32_t generation = 0;
    std::shared_ptr<KernelObject> object;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<std::size_t> freeSlots;
};

Table& table() {
    // Never destroyed: a handle may be closed by a static destructor at exit.
    static Table* instance = new Table;
    return *instance;
}

// Index 0 encodes as 1 << 32: never null. The low two bits stay clear: never -1.
HANDLE encode(std::size_t index, std::uint32_t generation) {
    const std::uintptr_t value =
        ((static_cast<std::uintptr_t>(index) + 1) << (kGenerationBits + 2)) |
        ((generation & kGenerationMask) << 2);
    return reinterpret_cast<HANDLE>(value);
}

// The slot of a live handle, or null; the table's mutex is held.
Slot* slotOf(Table& t, HANDLE handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & 3) != 0) {
        return nullptr;
    }
    const std::uintptr_t index = value >> (kGenerationBits + 2);
    if (index == 0 || index > t.slots.size()) {
        return nullptr;
    }
    Slot& slot = t.slots[index - 1];
    if (!slot.object || (slot.generation & kGenerationMask) != ((value >> 2) & kGenerationMask)) {
        return nullptr;
    }
    return &slot;
}

} // namespace

HANDLE insertHandle(std::shared_ptr<KernelObject> object) {
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    std::size_t index = 0;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() >= (std::size_t{1} << 24)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        index = t.slots.size();
        t.slots.emplace_back();
    }
    t.slots[index].object = std::move(object);
    return encode(index, t.slots[index].generation);
}

std::shared_ptr<KernelObject> objectOf(HANDLE handle) {
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    Slot* slot = slotOf(t, handle);
    return slot != nullptr ? slot->object : nullptr;
}

bool removeHandle(HANDLE handle) {
    Table& t = table();
    std::shared_ptr<KernelObject> released;
    {
        const std::lock_guard lock(t.mutex);
        Slot* slot = slotOf(t, handle);
        if (slot == nullptr) {
            return false;
        }
        released = std::move(slot->object);
        ++slot->generation;
        t.freeSlots.push_back(static_cast<std::size_t>(slot - t.slots.data()));
    }
    // The object goes outside the lock: its destructor may hand a child to the reaper.
    return true;
}

} // namespace velmar::process

BOOL CloseHandle(HANDLE handle) {
    if (!velmar::process::removeHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
