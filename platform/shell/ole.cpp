// COM's per-thread start and the task allocator the shell's results come from.
#include "platform/shell/shell.h"

#include <cstdlib>

namespace {

thread_local int t_oleStarts = 0;

// One allocator for the process; it lives as long as the process, so references only count.
class TaskAllocator final : public IMalloc {
public:
    LPVOID Alloc(SIZE_T bytes) override { return CoTaskMemAlloc(bytes); }
    LPVOID Realloc(LPVOID block, SIZE_T bytes) override { return std::realloc(block, bytes); }
    void Free(LPVOID block) override { CoTaskMemFree(block); }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

} // namespace

HRESULT OleInitialize(LPVOID /*reserved*/) {
    return t_oleStarts++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize() {
    if (t_oleStarts > 0) {
        --t_oleStarts;
    }
}

LPVOID CoTaskMemAlloc(SIZE_T bytes) {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void CoTaskMemFree(LPVOID block) {
    std::free(block);
}

HRESULT SHGetMalloc(IMalloc** allocator) {
    if (allocator == nullptr) {
        return E_INVALIDARG;
    }
    static TaskAllocator taskAllocator;
    *allocator = &taskAllocator;
    return S_OK;
}
