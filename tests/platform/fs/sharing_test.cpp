// Opening without sharing fails while another process, or another handle, has the file open.
#include "platform/framework/framework.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"

#include "tests/support/helper_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

class Sharing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        file = velmar::prefix::driveCPath() + "/busy.txt";
        velmar::test::writeFileBytes(file, "data");
    }
    velmar::test::TempPrefix prefix;
    std::string file;
};

TEST_F(Sharing, AnotherProcessHoldingTheFileBlocksExclusiveOpens) {
    velmar::test::FileHolder holder(file);
    CFile exclusive;
    EXPECT_FALSE(exclusive.Open("C:\\busy.txt", CFile::modeWrite | CFile::shareExclusive));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    std::FILE* stream = nullptr;
    EXPECT_EQ(velmar::fs::crt::fopen_s(&stream, "C:\\busy.txt", "a"), EACCES);
    EXPECT_EQ(stream, nullptr);
    // Shared opens are fine, as the runtime's fopen shares.
    std::FILE* shared = velmar::fs::crt::fopen("C:\\busy.txt", "rb");
    ASSERT_NE(shared, nullptr);
    std::fclose(shared);

    holder.release();
    EXPECT_TRUE(exclusive.Open("C:\\busy.txt", CFile::modeWrite | CFile::shareExclusive));
    EXPECT_EQ(velmar::test::readFileBytes(file), "data"); // not truncated by the failed tries
}

TEST_F(Sharing, AnExclusiveHandleKeepsOthersOut) {
    CFile exclusive;
    ASSERT_TRUE(exclusive.Open("C:\\busy.txt", CFile::modeRead | CFile::shareExclusive));
    EXPECT_EQ(velmar::fs::crt::fopen("C:\\busy.txt", "r"), nullptr);
    CFile second;
    EXPECT_FALSE(second.Open("C:\\busy.txt", CFile::modeRead | CFile::shareDenyNone));
    exclusive.Close();
    EXPECT_TRUE(second.Open("C:\\busy.txt", CFile::modeRead | CFile::shareDenyNone));
}

TEST_F(Sharing, ReadOnlyRefusesWritingEvenToRoot) {
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    CFile writer;
    EXPECT_FALSE(writer.Open("C:\\busy.txt", CFile::modeWrite | CFile::shareDenyNone));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(velmar::fs::crt::fopen("C:\\busy.txt", "a"), nullptr);
    EXPECT_EQ(errno, EACCES);
}

TEST_F(Sharing, CreateModes) {
    CFile file1;
    ASSERT_TRUE(file1.Open("C:\\New.bin", CFile::modeCreate | CFile::modeWrite));
    ASSERT_TRUE(file1.Write("abc", 3));
    file1.Close();
    CFile file2;
    ASSERT_TRUE(file2.Open("C:\\new.BIN",
                           CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
    EXPECT_EQ(file2.GetLength(), 3u);
    file2.Close();
    EXPECT_EQ(velmar::test::readFileBytes(velmar::prefix::driveCPath() + "/New.bin"), "abc");
    CFile missing;
    EXPECT_FALSE(missing.Open("C:\\absent.bin", CFile::modeRead));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Sharing, GetStatusLeavesTheStatusAloneOnFailure) {
    CFileStatus status;
    status.m_size = 0xdeadbeef;
    status.m_attribute = 0x5a;
    std::strcpy(status.m_szFullName, "sentinel");
    EXPECT_FALSE(CFile::GetStatus("C:\\missing.txt", status));
    const std::string tooLong = "C:\\" + std::string(300, 'x');
    velmar::test::writeFileBytes(velmar::prefix::driveCPath() + "/" + std::string(200, 'y'), "");
    EXPECT_FALSE(CFile::GetStatus(tooLong.c_str(), status));
    EXPECT_EQ(status.m_size, 0xdeadbeefu);
    EXPECT_EQ(status.m_attribute, 0x5a);
    EXPECT_STREQ(status.m_szFullName, "sentinel");

    ASSERT_TRUE(CFile::GetStatus("c:\\BUSY.txt", status));
    EXPECT_EQ(status.m_size, 4u);
    EXPECT_EQ(status.m_attribute, 0);
    EXPECT_STREQ(status.m_szFullName, "c:\\BUSY.txt");
    status.m_attribute = 0x02;
    status.m_mtime = 1000000000;
    ASSERT_TRUE(CFile::SetStatus("C:\\busy.txt", status));
    CFileStatus again;
    ASSERT_TRUE(CFile::GetStatus("C:\\busy.txt", again));
    EXPECT_EQ(again.m_attribute, 0x02);
    EXPECT_EQ(again.m_mtime, 1000000000);
}

} // namespace
