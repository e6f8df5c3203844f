// Memory figures from the kernel's texts, and the real call.
#include "platform/process/process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using velmar::process::MemoryTexts;

namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr std::uint64_t kTiB = kMiB * kMiB;

const char* const kMeminfo = "MemTotal:        8192 kB\n"
                             "MemFree:          512 kB\n"
                             "MemAvailable:    2048 kB\n"
                             "SwapTotal:       1024 kB\n"
                             "SwapFree:         256 kB\n";

TEST(MemoryStatus, FindsTheMemoryCgroup) {
    struct Case {
        const char* cgroup;
        const char* folder;
        bool v2;
    };
    const Case cases[] = {
        {"0::/user.slice/app.scope\n", "/sys/fs/cgroup/user.slice/app.scope", true},
        {"0::/\n", "/sys/fs/cgroup", true},
        {"12:cpu,cpuacct:/docker/a\n4:memory:/docker/a\n0::/\n", "/sys/fs/cgroup/memory/docker/a",
         false},
        {"3:blkio,memory:/x\n", "/sys/fs/cgroup/memory/x", false},
        {"5:memoryx:/x\n", "", true},
        {"", "", true},
        {"garbage\n::\n", "", true},
    };
    for (const Case& c : cases) {
        bool v2 = !c.v2;
        EXPECT_EQ(velmar::process::memoryCgroupFolder(c.cgroup, v2), c.folder) << c.cgroup;
        if (*c.folder != '\0') {
            EXPECT_EQ(v2, c.v2) << c.cgroup;
        }
    }
}

TEST(MemoryStatus, ParsesTheKernelFigures) {
    struct Case {
        const char* what;
        const char* meminfo;
        const char* limit;
        const char* usage;
        std::uint64_t totalPhys;
        std::uint64_t availPhys;
        DWORD load;
        std::uint64_t totalPageFile;
        std::uint64_t availPageFile;
    };
    const Case cases[] = {
        {"no cgroup", kMeminfo, "", "", 8 * kMiB, 2 * kMiB, 75, 9 * kMiB, 2 * kMiB + 256 * kKiB},
        {"v2 max", kMeminfo, "max\n", "1048576\n", 8 * kMiB, 2 * kMiB, 75, 9 * kMiB,
         2 * kMiB + 256 * kKiB},
        {"v1 no limit", kMeminfo, "9223372036854771712\n", "1048576\n", 8 * kMiB, 2 * kMiB, 75,
         9 * kMiB, 2 * kMiB + 256 * kKiB},
        // Limit 4 MiB with 3 MiB used: 1 MiB available, less than the machine's 2 MiB.
        {"limit and usage", kMeminfo, "4194304\n", "3145728\n", 4 * kMiB, kMiB, 75, 5 * kMiB,
         kMiB + 256 * kKiB},
        // A lightly used container still cannot offer more than the machine has free.
        {"limit above free", kMeminfo, "4194304\n", "0\n", 4 * kMiB, 2 * kMiB, 50, 5 * kMiB,
         2 * kMiB + 256 * kKiB},
        {"usage over limit", kMeminfo, "4194304\n", "5000000\n", 4 * kMiB, 0, 100, 5 * kMiB,
         256 * kKiB},
        {"limit without usage", kMeminfo, "4194304", "", 4 * kMiB, 2 * kMiB, 50, 5 * kMiB,
         2 * kMiB + 256 * kKiB},
        {"garbage limit", kMeminfo, "12ab\n", "1\n", 8 * kMiB, 2 * kMiB, 75, 9 * kMiB,
         2 * kMiB + 256 * kKiB},
        {"no MemAvailable", "MemTotal: 1000 kB\nMemFree: 333 kB\n", "", "", 1000 * kKiB, 333 * kKiB,
         67, 1000 * kKiB, 333 * kKiB},
        {"missing meminfo", "", "", "", 0, 0, 0, 0, 0},
        {"garbage meminfo", "MemTotal: lots\nMemTotalx: 5 kB\n", "", "", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        MemoryTexts texts;
        texts.meminfo = c.meminfo;
        texts.limit = c.limit;
        texts.usage = c.usage;
        const MEMORYSTATUSEX s = velmar::process::memoryStatusFromTexts(texts);
        EXPECT_EQ(s.dwLength, sizeof(MEMORYSTATUSEX)) << c.what;
        EXPECT_EQ(s.ullTotalPhys, c.totalPhys) << c.what;
        EXPECT_EQ(s.ullAvailPhys, c.availPhys) << c.what;
        EXPECT_EQ(s.dwMemoryLoad, c.load) << c.what;
        EXPECT_EQ(s.ullTotalPageFile, c.totalPageFile) << c.what;
        EXPECT_EQ(s.ullAvailPageFile, c.availPageFile) << c.what;
    }
}

TEST(MemoryStatus, VirtualFiguresAreTheAddressSpace) {
    MemoryTexts texts;
    texts.status = "Name:\tapp\nVmPeak:\t  3000 kB\nVmSize:\t  2048 kB\n";
    MEMORYSTATUSEX s = velmar::process::memoryStatusFromTexts(texts);
    EXPECT_EQ(s.ullTotalVirtual, 128 * kTiB);
    EXPECT_EQ(s.ullAvailVirtual, 128 * kTiB - 2 * kMiB);
    texts.addressSpaceLimit = 16 * kMiB;
    s = velmar::process::memoryStatusFromTexts(texts);
    EXPECT_EQ(s.ullTotalVirtual, 16 * kMiB);
    EXPECT_EQ(s.ullAvailVirtual, 14 * kMiB);
    EXPECT_EQ(s.ullAvailExtendedVirtual, 0u);
}

TEST(MemoryStatus, RealCallGivesConsistentFigures) {
    MEMORYSTATUSEX s{};
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(GlobalMemoryStatusEx(&s)); // dwLength not set
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(GlobalMemoryStatusEx(nullptr));

    s.dwLength = sizeof(s);
    ASSERT_TRUE(GlobalMemoryStatusEx(&s));
    EXPECT_GT(s.ullTotalPhys, 0u);
    EXPECT_LE(s.ullAvailPhys, s.ullTotalPhys);
    EXPECT_LE(s.dwMemoryLoad, 100u);
    EXPECT_GE(s.ullTotalPageFile, s.ullTotalPhys);
    EXPECT_LE(s.ullAvailPageFile, s.ullTotalPageFile);
    EXPECT_GT(s.ullTotalVirtual, 0u);
    EXPECT_LT(s.ullAvailVirtual, s.ullTotalVirtual); // this process uses some of it
}

} // namespace
