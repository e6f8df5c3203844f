// The host seam: its table holds the real calls, and a fault replaces one entry for a scope.
#include "platform/host/host.h"

#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>

namespace {

using velmar::host::SystemCalls;
using velmar::test::FaultRepeat;
using velmar::test::readFileBytes;
using velmar::test::ScopedSyscallFault;
using velmar::test::TempDir;
using velmar::test::writeFileBytes;
namespace host = velmar::host;

bool sameTable(const SystemCalls& a, const SystemCalls& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(HostSeam, AFaultReplacesOneEntryAndPutsItBack) {
    ASSERT_TRUE(sameTable(host::systemCalls(), host::realSystemCalls()));
    {
        ScopedSyscallFault fault(&SystemCalls::write, 1, ENOSPC);
        EXPECT_NE(host::systemCalls().write, host::realSystemCalls().write);
        SystemCalls others = host::systemCalls();
        others.write = host::realSystemCalls().write;
        EXPECT_TRUE(sameTable(others, host::realSystemCalls()));
        {
            ScopedSyscallFault nested(&SystemCalls::write, 1, EIO);
            errno = 0;
            EXPECT_EQ(host::write(-1, "x", 1), -1);
            EXPECT_EQ(errno, EIO); // the inner fault answers first
            EXPECT_EQ(fault.calls(), 0u);
        }
    }
    EXPECT_TRUE(sameTable(host::systemCalls(), host::realSystemCalls()));
}

// Five writes of one letter each; the letters that failed are not in the file.
TEST(HostSeam, TheNthCallFromTheScopesStartFails) {
    struct Row {
        unsigned failOnCall;
        FaultRepeat repeat;
        const char* outcomes;
        const char* written;
    };
    const Row rows[] = {
        {3, FaultRepeat::once, "..F..", "abde"},
        {3, FaultRepeat::fromThenOn, "..FFF", "ab"},
        {1, FaultRepeat::once, "F....", "bcde"},
        {6, FaultRepeat::once, ".....", "abcde"},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.outcomes);
        const std::string file = dir.file("letters");
        const int fd = host::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(host::write(fd, "", 0), 0); // before the scope: not counted
        std::string outcomes;
        {
            ScopedSyscallFault fault(&SystemCalls::write, row.failOnCall, ENOSPC, row.repeat);
            for (const char* letter : {"a", "b", "c", "d", "e"}) {
                errno = 0;
                const ssize_t n = host::write(fd, letter, 1);
                outcomes += n == 1 ? '.' : (n == -1 && errno == ENOSPC ? 'F' : '?');
            }
            EXPECT_EQ(fault.calls(), 5u);
            EXPECT_EQ(fault.failures(), std::count(outcomes.begin(), outcomes.end(), 'F'));
        }
        EXPECT_EQ(host::close(fd), 0);
        EXPECT_EQ(outcomes, row.outcomes);
        EXPECT_EQ(readFileBytes(file), row.written);
    }
}

TEST(HostSeam, APathFilterCountsOnlyCallsNamingIt) {
    TempDir dir;
    writeFileBytes(dir.file("a"), "a");
    writeFileBytes(dir.file("c"), "c");
    {
        ScopedSyscallFault fault(&SystemCalls::rename, 1, EXDEV, FaultRepeat::fromThenOn, "target");
        EXPECT_EQ(host::rename(dir.file("a").c_str(), dir.file("b").c_str()), 0);
        errno = 0;
        EXPECT_EQ(host::rename(dir.file("c").c_str(), dir.file("target").c_str()), -1);
        EXPECT_EQ(errno, EXDEV);
        EXPECT_EQ(fault.calls(), 1u);
        EXPECT_EQ(fault.failures(), 1u);
    }
    EXPECT_EQ(readFileBytes(dir.file("b")), "a");
    EXPECT_EQ(readFileBytes(dir.file("c")), "c");

    // stat and lstat share a signature, yet a fault on one leaves the other alone; a call
    // returning a pointer fails with null.
    ScopedSyscallFault onLstat(&SystemCalls::lstat, 1, EACCES, FaultRepeat::fromThenOn);
    ScopedSyscallFault onStat(&SystemCalls::stat, 1, ENOENT, FaultRepeat::fromThenOn, "nothing");
    ScopedSyscallFault onOpendir(&SystemCalls::opendir, 1, EMFILE);
    struct stat st {};
    EXPECT_EQ(host::stat(dir.file("b").c_str(), &st), 0);
    EXPECT_EQ(host::lstat(dir.file("b").c_str(), &st), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(host::opendir(dir.path().c_str()), nullptr);
    EXPECT_EQ(errno, EMFILE);
    DIR* again = host::opendir(dir.path().c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(host::closedir(again), 0);
}

TEST(HostSeam, ReadFileReadsWholeFilesAndReportsAFailedRead) {
    std::string bytes;
    ASSERT_TRUE(host::readFile("/proc/self/cmdline", bytes)); // its size reads as 0
    EXPECT_NE(bytes.find("platform_host_tests"), std::string::npos);

    TempDir dir;
    std::string content;
    for (int i = 0; content.size() < 300000; ++i) {
        content += std::to_string(i) + '\n';
    }
    writeFileBytes(dir.file("big"), content);
    ASSERT_TRUE(host::readFile(dir.file("big").c_str(), bytes));
    EXPECT_EQ(bytes, content);
    {
        ScopedSyscallFault fault(&SystemCalls::read, 2, EIO);
        errno = 0;
        EXPECT_FALSE(host::readFile(dir.file("big").c_str(), bytes));
        EXPECT_EQ(errno, EIO);
        EXPECT_LT(bytes.size(), content.size());
    }
    errno = 0;
    EXPECT_FALSE(host::readFile(dir.file("missing").c_str(), bytes));
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
