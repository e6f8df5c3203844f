// Replacing and restoring files on a failing host: a move that fails keeps both files whole.
#include "misc/files/files.h"

#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velmar::host::SystemCalls;
using velmar::test::FaultRepeat;
using velmar::test::readFileBytes;
using velmar::test::ScopedSyscallFault;
using velmar::test::writeFileBytes;

int g_waits = 0;

class ReplaceFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        c = velmar::prefix::driveCPath();
        g_waits = 0;
        setReplaceRetryWait([](unsigned) { ++g_waits; });
    }
    void TearDown() override { setReplaceRetryWait(nullptr); }
    std::vector<std::string> entries(const std::string& folder) const {
        return velmar::test::entriesOf(c + "/" + folder);
    }
    velmar::test::TempPrefix prefix;
    std::string c;
};

TEST_F(ReplaceFaults, AReplacementWhoseRenameFailsKeepsBothFiles) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/work"));
    for (const int error : {EIO, EACCES, EBUSY}) {
        SCOPED_TRACE(error);
        writeFileBytes(c + "/work/old.dat", "old");
        writeFileBytes(c + "/work/new.dat", "new");
        g_waits = 0;
        {
            ScopedSyscallFault fault(&SystemCalls::rename, 1, error, FaultRepeat::fromThenOn,
                                     "new.dat");
            EXPECT_FALSE(replaceFileWithRetry("C:\\work\\old.dat", "C:\\work\\new.dat"));
            EXPECT_EQ(fault.failures(), 91u); // every attempt met the failure
        }
        EXPECT_EQ(g_waits, 90);
        EXPECT_EQ(readFileBytes(c + "/work/old.dat"), "old");
        EXPECT_EQ(readFileBytes(c + "/work/new.dat"), "new");
        EXPECT_EQ(entries("work"), (std::vector<std::string>{"new.dat", "old.dat"}));
    }
}

// Across file systems the replacement is copied; a copy that fails half-way leaves the replaced
// file whole, and a backup made by the replacement keeps the replaced file's bytes.
TEST_F(ReplaceFaults, AReplacementAcrossDevicesNeverLeavesAHalfFile) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/work"));
    const std::string replacement(200000, 'n');
    writeFileBytes(c + "/work/old.dat", "old");
    writeFileBytes(c + "/work/new.dat", replacement);
    {
        ScopedSyscallFault crossing(&SystemCalls::rename, 1, EXDEV, FaultRepeat::fromThenOn,
                                    "new.dat");
        ScopedSyscallFault full(&SystemCalls::write, 1, ENOSPC, FaultRepeat::fromThenOn);
        EXPECT_FALSE(replaceFileWithRetry("C:\\work\\old.dat", "C:\\work\\new.dat"));
        EXPECT_EQ(crossing.failures(), 91u);
        EXPECT_GE(full.failures(), 91u);
    }
    EXPECT_TRUE(readFileBytes(c + "/work/old.dat") == "old");
    EXPECT_TRUE(readFileBytes(c + "/work/new.dat") == replacement);
    EXPECT_EQ(entries("work"), (std::vector<std::string>{"new.dat", "old.dat"}));

    {
        ScopedSyscallFault crossing(&SystemCalls::rename, 1, EXDEV, FaultRepeat::fromThenOn,
                                    "new.dat");
        EXPECT_NE(ReplaceFileA("C:\\work\\old.dat", "C:\\work\\new.dat", "C:\\work\\old.bak", 0,
                               nullptr, nullptr),
                  FALSE);
        EXPECT_EQ(crossing.failures(), 1u);
    }
    EXPECT_TRUE(readFileBytes(c + "/work/old.dat") == replacement);
    EXPECT_TRUE(readFileBytes(c + "/work/old.bak") == "old"); // not the linked file's new bytes
    EXPECT_EQ(entries("work"), (std::vector<std::string>{"old.bak", "old.dat"}));
}

TEST_F(ReplaceFaults, ARestoredCopyWhoseMoveFailsKeepsBothFiles) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/data/history/03"));
    writeFileBytes(c + "/data/scan.tif", "original");
    writeFileBytes(c + "/data/history/03/scan.tif", "copy");
    for (const int error : {EXDEV, EIO, EACCES}) {
        SCOPED_TRACE(error);
        {
            ScopedSyscallFault fault(&SystemCalls::rename, 1, error);
            EXPECT_FALSE(restoreNumberedCopy("C:\\data\\history\\03\\scan.tif"));
            EXPECT_EQ(fault.failures(), 1u);
        }
        EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "original");
        EXPECT_EQ(readFileBytes(c + "/data/history/03/scan.tif"), "copy");
    }
    EXPECT_TRUE(restoreNumberedCopy("C:\\data\\history\\03\\scan.tif"));
    EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "copy");
}

} // namespace
