// The runtime's streams on a failing host: binary and text streams read and write through the
// host seam, and a failure shows as the stream's error, never as bytes that are not there.
#include "platform/base/base.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"

#include "tests/support/host_fault.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

using velmar::host::SystemCalls;
using velmar::test::FaultRepeat;
using velmar::test::readFileBytes;
using velmar::test::ScopedSyscallFault;
using velmar::test::writeFileBytes;

class CrtFileFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS); }
    std::string host(const char* name) { return velmar::prefix::driveCPath() + "/" + name; }
    velmar::test::TempPrefix prefix;
};

// 200 kB of lines, and what a stream of that mode stores for them.
std::string lines() {
    std::string text;
    while (text.size() < 200000) {
        text += "line " + std::to_string(text.size()) + "\n";
    }
    return text;
}

std::string stored(const std::string& text, bool binary) {
    std::string out;
    for (const char c : text) {
        out += !binary && c == '\n' ? "\r\n" : std::string(1, c);
    }
    return out;
}

// The first write fails inside fwrite, whose count then says what the file holds; the second
// fails in the flush, and the file holds a beginning of the text.
TEST_F(CrtFileFaults, AFailedWriteIsTheStreamsErrorAndTheFileHoldsOnlyWhatWasWritten) {
    const std::string text = lines();
    for (const char* mode : {"wb", "w"}) {
        for (const unsigned failingWrite : {1u, 2u}) {
            SCOPED_TRACE(std::string(mode) + " " + std::to_string(failingWrite));
            std::FILE* file = velmar::fs::crt::fopen("C:\\out.txt", mode);
            ASSERT_NE(file, nullptr);
            std::size_t taken = 0;
            bool flushed = false;
            {
                ScopedSyscallFault full(&SystemCalls::write, failingWrite, ENOSPC,
                                        FaultRepeat::fromThenOn);
                taken = std::fwrite(text.data(), 1, text.size(), file);
                flushed = std::fflush(file) == 0;
                EXPECT_NE(std::ferror(file), 0);
                EXPECT_GE(full.failures(), 1u);
            }
            std::fclose(file);
            const bool binary = mode[1] == 'b';
            const std::string got = readFileBytes(host("out.txt"));
            if (failingWrite == 1) {
                EXPECT_LT(taken, text.size());
                EXPECT_TRUE(got == stored(text.substr(0, taken), binary));
            } else {
                EXPECT_FALSE(flushed);
                const std::string whole = stored(text, binary);
                EXPECT_LT(got.size(), whole.size());
                EXPECT_TRUE(whole.compare(0, got.size(), got) == 0);
            }
        }
    }
}

TEST_F(CrtFileFaults, AFailedReadIsTheStreamsError) {
    const std::string text = lines();
    for (const char* mode : {"rb", "r"}) {
        SCOPED_TRACE(mode);
        writeFileBytes(host("in.txt"), stored(text, mode[1] == 'b'));
        std::FILE* file = velmar::fs::crt::fopen("C:\\in.txt", mode);
        ASSERT_NE(file, nullptr);
        std::string got(text.size(), '\0');
        {
            ScopedSyscallFault failing(&SystemCalls::read, 2, EIO);
            EXPECT_LT(std::fread(got.data(), 1, got.size(), file), text.size());
            EXPECT_NE(std::ferror(file), 0);
            EXPECT_EQ(failing.failures(), 1u);
        }
        std::fclose(file);
    }
}

TEST_F(CrtFileFaults, CommitWritesThroughOrSaysWhyNot) {
    std::FILE* file = velmar::fs::crt::fopen("C:\\c.txt", "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_GE(std::fputs("data", file), 0);
    {
        ScopedSyscallFault failing(&SystemCalls::fsync, 1, EIO);
        errno = 0;
        EXPECT_EQ(velmar::fs::crt::commit(file), -1);
        EXPECT_EQ(errno, EIO);
    }
    EXPECT_EQ(velmar::fs::crt::commit(file), 0);
    EXPECT_EQ(readFileBytes(host("c.txt")), "data");
    EXPECT_EQ(std::fclose(file), 0);
    errno = 0;
    EXPECT_EQ(velmar::fs::crt::commit(stdout), -1); // not a stream of ours
    EXPECT_EQ(errno, EBADF);
}

} // namespace
