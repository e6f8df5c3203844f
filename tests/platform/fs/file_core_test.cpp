// The core's open files, file copies and full names on Windows paths, which no Win32 or
// runtime form reaches.
#include "platform/base/base.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using velmar::fs::Access;
using velmar::fs::Creation;

class FileCore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS); }
    std::string host(const char* name) { return velmar::prefix::driveCPath() + "/" + name; }
    velmar::test::TempPrefix prefix;
};

TEST_F(FileCore, CreationModes) {
    const struct {
        Creation creation;
        bool exists;
        DWORD error;
        const char* after; // the file's bytes after the open and a write of "new"
    } rows[] = {
        {Creation::openExisting, true, ERROR_SUCCESS, "newer"},
        {Creation::openExisting, false, ERROR_FILE_NOT_FOUND, nullptr},
        {Creation::openAlways, true, ERROR_SUCCESS, "newer"},
        {Creation::openAlways, false, ERROR_SUCCESS, "new"},
        {Creation::createAlways, true, ERROR_SUCCESS, "new"},
        {Creation::createNew, true, ERROR_FILE_EXISTS, nullptr},
        {Creation::createNew, false, ERROR_SUCCESS, "new"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.creation) * 2 + (row.exists ? 1 : 0));
        ::unlink(host("f.bin").c_str());
        if (row.exists) {
            velmar::test::writeFileBytes(host("f.bin"), "older");
        }
        velmar::fs::File file;
        DWORD error = 0xdeadbeef;
        EXPECT_EQ(file.open(L"C:\\f.bin", {Access::write, row.creation}, error),
                  row.error == ERROR_SUCCESS);
        EXPECT_EQ(error, row.error);
        if (row.after != nullptr) {
            EXPECT_EQ(file.write("new", 3, error), 3u);
            file.close();
            EXPECT_EQ(velmar::test::readFileBytes(host("f.bin")), row.after);
        }
    }
}

TEST_F(FileCore, ReadWriteSeekSizeAndCommit) {
    velmar::fs::File file;
    DWORD error = 0;
    ASSERT_TRUE(file.open(L"C:\\data.bin", {Access::readWrite, Creation::createNew}, error));
    EXPECT_EQ(file.write("0123456789", 10, error), 10u);
    EXPECT_EQ(file.size(error), 10u);
    EXPECT_EQ(file.seek(-4, velmar::fs::SeekFrom::end, error), 6);
    char buffer[8] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer, error), 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file.read(buffer, sizeof buffer, error), 0u);
    EXPECT_EQ(error, ERROR_SUCCESS); // the end, no failure
    EXPECT_EQ(file.seek(2, velmar::fs::SeekFrom::begin, error), 2);
    EXPECT_EQ(file.seek(3, velmar::fs::SeekFrom::current, error), 5);
    EXPECT_TRUE(file.commit(error));

    // Appending writes at the end wherever the position is.
    velmar::fs::File log;
    ASSERT_TRUE(log.open(L"C:\\data.bin", {Access::write, Creation::openExisting, true}, error));
    EXPECT_EQ(log.seek(0, velmar::fs::SeekFrom::begin, error), 0);
    EXPECT_EQ(log.write("!", 1, error), 1u);
    log.close();
    EXPECT_EQ(velmar::test::readFileBytes(host("data.bin")), "0123456789!");

    // A closed file answers with ERROR_INVALID_HANDLE.
    file.close();
    EXPECT_EQ(file.read(buffer, 1, error), 0u);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(file.seek(0, velmar::fs::SeekFrom::begin, error), -1);
    EXPECT_EQ(error, ERROR_INVALID_HANDLE);
}

TEST_F(FileCore, CopyFile) {
    const struct {
        bool failIfExists;
        const char* target; // "" for none
        bool readOnlyTarget;
        DWORD error;
    } rows[] = {
        {true, "", false, ERROR_SUCCESS},          {false, "", false, ERROR_SUCCESS},
        {true, "old", false, ERROR_FILE_EXISTS},   {false, "old", false, ERROR_SUCCESS},
        {false, "old", true, ERROR_ACCESS_DENIED},
    };
    velmar::test::writeFileBytes(host("source.txt"), "source");
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.target) + (row.failIfExists ? " fail" : " overwrite") +
                     (row.readOnlyTarget ? " read-only" : ""));
        ::chmod(host("copy.txt").c_str(), 0644);
        ::unlink(host("copy.txt").c_str());
        if (*row.target != '\0') {
            velmar::test::writeFileBytes(host("copy.txt"), row.target);
            if (row.readOnlyTarget) {
                ::chmod(host("copy.txt").c_str(), 0444);
            }
        }
        DWORD error = 0xdeadbeef;
        EXPECT_EQ(velmar::fs::copyFile(L"C:\\SOURCE.txt", L"C:\\copy.txt", row.failIfExists, error),
                  row.error == ERROR_SUCCESS);
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(velmar::test::readFileBytes(host("copy.txt")),
                  row.error == ERROR_SUCCESS ? "source" : row.target);
    }
    DWORD error = 0;
    EXPECT_FALSE(velmar::fs::copyFile(L"C:\\missing.txt", L"C:\\copy.txt", false, error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(velmar::fs::copyFile(L"C:\\source.txt", L"Q:\\copy.txt", false, error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

// The Win32 forms report the core's reason for a failure as their last error.
TEST_F(FileCore, Win32FormsReportTheCoresError) {
    const std::string readOnly = host("readonly.txt");
    velmar::test::writeFileBytes(readOnly, "x");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const struct {
        const char* what;
        BOOL (*call)();
        DWORD error;
    } rows[] = {
        {"delete a missing file", [] { return DeleteFileA("C:\\missing.txt"); },
         ERROR_FILE_NOT_FOUND},
        {"delete a read-only file", [] { return DeleteFileA("C:\\readonly.txt"); },
         ERROR_ACCESS_DENIED},
        {"move a missing file", [] { return MoveFileExA("C:\\missing.txt", "C:\\b.txt", 0); },
         ERROR_FILE_NOT_FOUND},
        {"move below a file",
         [] { return MoveFileExA("C:\\readonly.txt", "C:\\readonly.txt\\x", 0); },
         ERROR_PATH_NOT_FOUND},
        {"replace a missing file",
         [] {
             return ReplaceFileA("C:\\missing.txt", "C:\\readonly.txt", nullptr, 0, nullptr,
                                 nullptr);
         },
         ERROR_FILE_NOT_FOUND},
        {"null path", [] { return DeleteFileA(nullptr); }, ERROR_INVALID_PARAMETER},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(row.call(), FALSE);
        EXPECT_EQ(GetLastError(), row.error);
    }
}

TEST(FullPath, RelativeNamesJoinTheCurrentFolder) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::wstring here = velmar::text::utf8ToWide(cwd);
    const struct {
        const wchar_t* path;
        std::wstring full;
    } rows[] = {
        {L"C:\\data\\x.tif", L"C:\\data\\x.tif"}, {L"c:x.tif", L"c:x.tif"},
        {L"\\data\\x.tif", L"\\data\\x.tif"},     {L"/home/u/x.tif", L"/home/u/x.tif"},
        {L"data\\x.tif", here + L"/data\\x.tif"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(velmar::text::wideToUtf8(row.path));
        std::wstring full = L"sentinel";
        DWORD error = 0xdeadbeef;
        EXPECT_TRUE(velmar::fs::fullPathOf(row.path, full, error));
        EXPECT_EQ(error, ERROR_SUCCESS);
        EXPECT_EQ(full, row.full);
    }
}

} // namespace
