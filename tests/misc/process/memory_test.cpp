// The memory figures, against each other and against the system's own record.
#include "misc/process/process.h"
#include "platform/process/process.h"

#include <gtest/gtest.h>

// GlobalMemoryStatusEx fails only for a wrong record, which these functions never pass, so the
// "untouched on failure" rule cannot be provoked from outside.
TEST(MemoryFigures, AreConsistent) {
    ULONGLONG totalPhysical = 0;
    ULONGLONG availablePhysical = 0;
    ULONGLONG totalVirtual = 0;
    ULONGLONG availableVirtual = 0;
    ASSERT_TRUE(memoryStatus(totalPhysical, availablePhysical, totalVirtual, availableVirtual));
    EXPECT_GT(totalPhysical, 0u);
    EXPECT_LE(availablePhysical, totalPhysical);
    EXPECT_GT(totalVirtual, 0u);
    EXPECT_LE(availableVirtual, totalVirtual);

    MEMORYSTATUSEX system{};
    system.dwLength = sizeof system;
    ASSERT_TRUE(GlobalMemoryStatusEx(&system));
    EXPECT_EQ(totalPhysical, system.ullTotalPhys);
    EXPECT_EQ(totalVirtual, system.ullTotalVirtual);

    const ULONGLONG available = availablePhysicalMemory();
    EXPECT_GT(available, 0u);
    EXPECT_LE(available, totalPhysical);

    int percentage = -1;
    ASSERT_TRUE(memoryLoad(percentage));
    EXPECT_GE(percentage, 0);
    EXPECT_LE(percentage, 100);
}
