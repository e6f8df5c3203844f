// The standard file-system facilities on Windows paths.
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using velmar::fs::FileKind;

class Filesystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        c = velmar::prefix::driveCPath();
    }
    velmar::test::TempPrefix prefix;
    std::string c;
};

TEST_F(Filesystem, StatusClassifiesAsTheDataModelSays) {
    velmar::test::writeFileBytes(c + "/f.txt", "x");
    ASSERT_EQ(::symlink((c + "/f.txt").c_str(), (c + "/link").c_str()), 0);
    ASSERT_EQ(::symlink((c + "/gone").c_str(), (c + "/dangling").c_str()), 0);
    const struct {
        const wchar_t* path;
        FileKind kind;
        DWORD error;
    } rows[] = {
        {L"C:\\F.TXT", FileKind::regular, ERROR_SUCCESS},
        {L"C:\\ProgramData", FileKind::directory, ERROR_SUCCESS},
        {L"C:\\link", FileKind::regular, ERROR_SUCCESS},
        {L"C:\\dangling", FileKind::notFound, ERROR_FILE_NOT_FOUND},
        {L"C:\\missing", FileKind::notFound, ERROR_FILE_NOT_FOUND},
        {L"C:\\missing\\x", FileKind::notFound, ERROR_PATH_NOT_FOUND},
        {L"C:\\f.txt\\x", FileKind::notFound, ERROR_PATH_NOT_FOUND},
        {L"Q:\\x", FileKind::notFound, ERROR_PATH_NOT_FOUND},
        {L"\\\\srv\\share", FileKind::notFound, ERROR_BAD_NETPATH},
        {L"C:\\a*b", FileKind::notFound, ERROR_INVALID_NAME},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(velmar::text::wideToUtf8(row.path));
        DWORD error = 12345;
        EXPECT_EQ(velmar::fs::status(row.path, error), row.kind);
        EXPECT_EQ(error, row.error);
    }
    DWORD error = 0;
    const std::wstring tooLong = L"C:\\" + std::wstring(5000, L'x');
    EXPECT_EQ(velmar::fs::status(tooLong, error), FileKind::none);
    EXPECT_EQ(error, ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(Filesystem, RemoveAllTakesReadOnlyFoldersToo) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/t/sub"));
    velmar::test::writeFileBytes(c + "/t/sub/a", "x");
    velmar::test::writeFileBytes(c + "/t/b", "x");
    ASSERT_EQ(::chmod((c + "/t/sub/a").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((c + "/t/sub").c_str(), 0555), 0);
    DWORD error = 0;
    EXPECT_EQ(velmar::fs::removeAll(L"C:\\T", error), 4u);
    EXPECT_EQ(velmar::fs::removeAll(L"C:\\T", error), 0u);
}

TEST_F(Filesystem, WalkThrowsForWhatItCannotRead) {
    velmar::test::writeFileBytes(c + "/file", "x");
    EXPECT_THROW(velmar::fs::DirectoryWalk(L"C:\\file", true), std::filesystem::filesystem_error);
    EXPECT_THROW(velmar::fs::DirectoryWalk(L"C:\\none", true), std::filesystem::filesystem_error);
}

} // namespace
