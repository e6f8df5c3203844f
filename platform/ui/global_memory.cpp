// Global memory: blocks found through a table of live handles, so that a bad or freed handle
// fails with ERROR_INVALID_HANDLE instead of touching memory.
//
// A fixed block's handle is its address, as on Windows. A moveable block's handle is a
// number that is never reused and is never 8-aligned as an allocation is, so it cannot be
// taken for a fixed block's address. Blocks do not move: the lock count only records the
// locks. A block of 0 bytes is a real block whose lock gives an address where nothing may be
// read (Windows would mark a moveable one discarded).

#include "platform/ui/ui.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// Larger requests fail as Windows' would, before the host's allocator is asked.
constexpr SIZE_T kLargestBlock = SIZE_T{1} << 40;

struct Block {
    std::unique_ptr<std::byte[]> bytes;
    SIZE_T size = 0;
    bool moveable = false;
    unsigned locks = 0;
};

class BlockTable {
public:
    static BlockTable& instance() {
        static BlockTable table;
        return table;
    }

    HGLOBAL add(Block block) {
        std::lock_guard lock(m_mutex);
        std::uintptr_t handle = reinterpret_cast<std::uintptr_t>(block.bytes.get());
        if (block.moveable) {
            handle = m_nextMoveable;
            m_nextMoveable += 8;
        }
        m_blocks.emplace(handle, std::move(block));
        return reinterpret_cast<HGLOBAL>(handle);
    }

    // Runs action on the handle's block under the table's lock; false when there is none.
    template <typename Action>
    bool with(HGLOBAL handle, Action action) {
        std::lock_guard lock(m_mutex);
        const auto found = m_blocks.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == m_blocks.end()) {
            return false;
        }
        action(found->second);
        return true;
    }

    bool remove(HGLOBAL handle) {
        std::unique_ptr<std::byte[]> bytes;
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_blocks.find(reinterpret_cast<std::uintptr_t>(handle));
            if (found == m_blocks.end()) {
                return false;
            }
            bytes = std::move(found->second.bytes);
            m_blocks.erase(found);
        }
        return true;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, Block> m_blocks;
    std::uintptr_t m_nextMoveable = 0x10004;
};

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (bytes > kLargestBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block block;
    block.size = bytes;
    block.moveable = (flags & GMEM_MOVEABLE) != 0;
    // One byte at least, so that even an empty block has an address of its own.
    const std::size_t allocated = bytes > 0 ? bytes : 1;
    block.bytes.reset((flags & GMEM_ZEROINIT) != 0 ? new (std::nothrow) std::byte[allocated]()
                                                   : new (std::nothrow) std::byte[allocated]);
    if (block.bytes == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return BlockTable::instance().add(std::move(block));
}

LPVOID GlobalLock(HGLOBAL memory) {
    LPVOID address = nullptr;
    const bool found = BlockTable::instance().with(memory, [&](Block& block) {
        // A fixed block's lock count stays 0, as on Windows.
        if (block.moveable && block.locks < UINT32_MAX) {
            ++block.locks;
        }
        address = block.bytes.get();
    });
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return address;
}

BOOL GlobalUnlock(HGLOBAL memory) {
    BOOL stillLocked = FALSE;
    DWORD error = ERROR_INVALID_HANDLE;
    BlockTable::instance().with(memory, [&](Block& block) {
        if (block.moveable && block.locks == 0) {
            error = ERROR_NOT_LOCKED;
            return;
        }
        if (block.locks > 0) {
            --block.locks;
        }
        stillLocked = block.locks > 0 ? TRUE : FALSE;
        error = ERROR_SUCCESS;
    });
    // FALSE with NO_ERROR when the block is now unlocked.
    SetLastError(error);
    return stillLocked;
}

SIZE_T GlobalSize(HGLOBAL memory) {
    SIZE_T size = 0;
    if (!BlockTable::instance().with(memory, [&](Block& block) { size = block.size; })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return size;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    if (memory == nullptr) {
        return nullptr;
    }
    if (!BlockTable::instance().remove(memory)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}
