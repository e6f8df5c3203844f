// The runtime's streams, status and path splitter on Windows paths.
#include "platform/base/base.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

class CrtFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS); }
    std::string host(const char* name) { return velmar::prefix::driveCPath() + "/" + name; }
    velmar::test::TempPrefix prefix;
};

std::string readAll(std::FILE* file) {
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    return text;
}

TEST_F(CrtFile, TextStreamsTranslateLineEnds) {
    velmar::test::writeFileBytes(host("t.txt"), "a\r\nb\rc\r\n\r\nd\x1a"
                                                "after");
    std::FILE* text = velmar::fs::crt::fopen("C:\\T.TXT", "r");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(readAll(text), "a\nb\rc\n\nd");
    std::fclose(text);
    std::FILE* binary = velmar::fs::crt::fopen("C:\\t.txt", "rb");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(readAll(binary), "a\r\nb\rc\r\n\r\nd\x1a"
                               "after");
    std::fclose(binary);

    std::FILE* out = velmar::fs::crt::fopen("C:\\out.txt", "w");
    ASSERT_NE(out, nullptr);
    std::fputs("x\ny\n", out);
    std::fclose(out);
    EXPECT_EQ(velmar::test::readFileBytes(host("out.txt")), "x\r\ny\r\n");
}

TEST_F(CrtFile, TextStreamsSurviveLongRuns) {
    std::string raw;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        raw += std::string(static_cast<std::size_t>(i % 7), 'x') + "\r\n";
        expected += std::string(static_cast<std::size_t>(i % 7), 'x') + "\n";
    }
    velmar::test::writeFileBytes(host("long.txt"), raw);
    std::FILE* text = velmar::fs::crt::fopen("C:\\long.txt", "r");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(readAll(text), expected);
    std::fclose(text);
}

TEST_F(CrtFile, RemoveRenameAndStatus) {
    velmar::test::writeFileBytes(host("a.bin"), "12345");
    velmar::test::writeFileBytes(host("b.bin"), "x");
    velmar::fs::crt::FileStatus64 status;
    ASSERT_EQ(velmar::fs::crt::stat64("C:\\A.bin", &status), 0);
    EXPECT_EQ(status.st_size, 5);
    EXPECT_NE(status.st_mode & velmar::fs::crt::S_IFREG_, 0);
    EXPECT_EQ(velmar::fs::crt::rename("C:\\a.bin", "C:\\b.bin"), -1); // no replacing
    EXPECT_EQ(velmar::fs::crt::rename("C:\\a.bin", "C:\\c.bin"), 0);
    EXPECT_EQ(velmar::fs::crt::remove("C:\\ProgramData"), -1);
    EXPECT_EQ(velmar::fs::crt::remove("C:\\c.bin"), 0);
    EXPECT_EQ(velmar::fs::crt::remove("C:\\c.bin"), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(velmar::fs::crt::fopen("Q:\\x", "r"), nullptr);
    EXPECT_EQ(velmar::fs::crt::fopen("C:\\a|b", "w"), nullptr);
    EXPECT_EQ(errno, EINVAL);
}

TEST(SplitPath, SplitsAsTheRuntimeDoes) {
    const struct {
        const char* path;
        const char* drive;
        const char* dir;
        const char* fname;
        const char* ext;
    } rows[] = {
        {"C:\\data\\scan.tif", "C:", "\\data\\", "scan", ".tif"},
        {"C:scan", "C:", "", "scan", ""},
        {"/a/b.c/d", "", "/a/b.c/", "d", ""},
        {"a.tar.gz", "", "", "a.tar", ".gz"},
        {"\\\\srv\\s\\x.y", "", "\\\\srv\\s\\", "x", ".y"},
        {"", "", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        char drive[3] = "?";
        char dir[256] = "?";
        char fname[256] = "?";
        char ext[256] = "?";
        ASSERT_EQ(velmar::fs::crt::splitpath_s(row.path, drive, sizeof drive, dir, sizeof dir,
                                               fname, sizeof fname, ext, sizeof ext),
                  0);
        EXPECT_STREQ(drive, row.drive);
        EXPECT_STREQ(dir, row.dir);
        EXPECT_STREQ(fname, row.fname);
        EXPECT_STREQ(ext, row.ext);
    }
    // A part that does not fit is refused, and nothing is written beyond the buffers.
    const std::string longName = "C:\\" + std::string(300, 'n') + ".tif";
    char buffers[4][258];
    for (auto& buffer : buffers) {
        std::fill(std::begin(buffer), std::end(buffer), '#');
    }
    EXPECT_EQ(velmar::fs::crt::splitpath_s(longName.c_str(), buffers[0], 3, buffers[1], 256,
                                           buffers[2], 256, buffers[3], 256),
              ERANGE);
    for (auto& buffer : buffers) {
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_EQ(buffer[257], '#');
    }
}

} // namespace
