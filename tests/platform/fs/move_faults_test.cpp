// Moving a file across file systems on a failing host: the target is whole, old or new.
#include "platform/fs/fs.h"

#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using velmar::host::SystemCalls;
using velmar::test::entriesOf;
using velmar::test::FaultRepeat;
using velmar::test::readFileBytes;
using velmar::test::ScopedSyscallFault;
using velmar::test::TempDir;
using velmar::test::writeFileBytes;

// The rename of the source fails with EXDEV, so the move copies; a copy that fails half-way
// leaves the target as it was and the source where it was.
TEST(MoveFaults, AMoveAcrossDevicesNeverLeavesAHalfTarget) {
    TempDir dir;
    const std::string source = dir.file("new.dat");
    const std::string target = dir.file("old.dat");
    const std::string bytes(200000, 'n');
    writeFileBytes(source, bytes);
    writeFileBytes(target, "old");
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    {
        ScopedSyscallFault crossing(&SystemCalls::rename, 1, EXDEV, FaultRepeat::fromThenOn,
                                    "new.dat");
        ScopedSyscallFault full(&SystemCalls::write, 2, ENOSPC, FaultRepeat::fromThenOn);
        EXPECT_EQ(MoveFileExA(source.c_str(), target.c_str(), flags), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
        EXPECT_GE(full.failures(), 1u);
    }
    EXPECT_TRUE(readFileBytes(target) == "old");
    EXPECT_TRUE(readFileBytes(source) == bytes);
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"new.dat", "old.dat"}));

    {
        ScopedSyscallFault crossing(&SystemCalls::rename, 1, EXDEV, FaultRepeat::fromThenOn,
                                    "new.dat");
        EXPECT_NE(MoveFileExA(source.c_str(), target.c_str(), flags), FALSE);
    }
    EXPECT_TRUE(readFileBytes(target) == bytes);
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"old.dat"}));
}

} // namespace
