// Global memory: blocks, lock counts, and handles that are bad or freed.
#include "platform/ui/ui.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

TEST(GlobalMemory, BlocksOfEveryKind) {
    const struct {
        UINT flags;
        SIZE_T size;
    } cases[] = {
        {GMEM_FIXED, 0},    {GMEM_FIXED, 1}, {GPTR, 4096}, {GMEM_MOVEABLE, 0},
        {GMEM_MOVEABLE, 1}, {GHND, 4096},    {GHND, 0},    {GMEM_MOVEABLE, 1 << 20},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(std::to_string(entry.flags) + " " + std::to_string(entry.size));
        const HGLOBAL block = GlobalAlloc(entry.flags, entry.size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(GlobalSize(block), entry.size);
        auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
        ASSERT_NE(bytes, nullptr);
        const bool moveable = (entry.flags & GMEM_MOVEABLE) != 0;
        // A fixed block's handle is its address; a moveable one's is not an address at all.
        EXPECT_EQ(bytes == block, !moveable);
        if ((entry.flags & GMEM_ZEROINIT) != 0) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), entry.size),
                      std::string(entry.size, '\0'));
        }
        std::memset(bytes, 0x5A, entry.size);
        SetLastError(1234);
        EXPECT_FALSE(GlobalUnlock(block));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
}

TEST(GlobalMemory, LockCount) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    void* first = GlobalLock(block);
    EXPECT_EQ(GlobalLock(block), first);
    EXPECT_TRUE(GlobalUnlock(block));
    SetLastError(1234);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
    // A locked block can still be freed.
    GlobalLock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, BadHandlesFailWithoutHarm) {
    const HGLOBAL freedMoveable = GlobalAlloc(GHND, 8);
    const HGLOBAL freedFixed = GlobalAlloc(GPTR, 8);
    ASSERT_EQ(GlobalFree(freedMoveable), nullptr);
    ASSERT_EQ(GlobalFree(freedFixed), nullptr);
    int onTheStack = 0;
    const HGLOBAL live = GlobalAlloc(GHND, 8);
    for (const HGLOBAL bad : {freedMoveable, freedFixed, static_cast<HGLOBAL>(&onTheStack),
                              reinterpret_cast<HGLOBAL>(std::uintptr_t{0x1234}),
                              static_cast<HGLOBAL>(static_cast<char*>(GlobalLock(live)) + 1)}) {
        SetLastError(0);
        EXPECT_EQ(GlobalLock(bad), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalSize(bad), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(GlobalUnlock(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalFree(bad), bad);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(GlobalSize(live), 8u);
    EXPECT_EQ(GlobalFree(live), nullptr);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);

    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, ~SIZE_T{0}), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}
