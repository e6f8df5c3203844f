// FormatMessageA for system message texts, and the LocalFree that releases its blocks.
#include "platform/process/process.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

HLOCAL LocalFree(HLOCAL block) {
    std::free(block);
    return nullptr;
}

DWORD FormatMessageA(DWORD flags, const void* /*source*/, DWORD messageId, DWORD /*languageId*/,
                     LPSTR buffer, DWORD size, void* /*arguments*/) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // System texts hold no inserts, so the text is the same with or without IGNORE_INSERTS.
    const std::string text = velmar::base::systemErrorText(messageId);
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        // size is then the least the block must hold.
        const std::size_t bytes = std::max<std::size_t>(text.size() + 1, size);
        auto* block = static_cast<char*>(std::malloc(bytes));
        if (block == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(block, text.c_str(), text.size() + 1);
        *reinterpret_cast<LPSTR*>(buffer) = block;
        return static_cast<DWORD>(text.size());
    }
    if (text.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}
