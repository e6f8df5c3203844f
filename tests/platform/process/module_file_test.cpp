// The running program's own file name.
#include "platform/framework/framework.h"
#include "platform/process/process.h"

#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string realPathOf(const std::string& path) {
    char resolved[PATH_MAX] = {};
    return ::realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

TEST(ModuleFile, NamesTheRunningExecutable) {
    const std::string expected = realPathOf(velmar::test::binPath("platform_process_tests"));
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(buffer, expected);

    char again[MAX_PATH * 4] = {};
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), again, sizeof again), length);
    EXPECT_STREQ(again, buffer);
}

TEST(ModuleFile, ShortBufferIsCutAndTerminated) {
    const std::string full = realPathOf(velmar::test::binPath("platform_process_tests"));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(buffer), full.substr(0, 4));
    EXPECT_EQ(buffer[5], '#');
}

} // namespace
