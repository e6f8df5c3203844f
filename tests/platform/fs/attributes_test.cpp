// DOS attributes: read-only as the owner's write bit, the rest in an extended attribute that
// every process sees.
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"

#include "tests/support/helper_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class Attributes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        file = velmar::prefix::driveCPath() + "/scan.tif";
        velmar::test::writeFileBytes(file, "x");
    }
    velmar::test::TempPrefix prefix;
    std::string file;
};

TEST_F(Attributes, HiddenSetByAnotherProcessIsSeenHere) {
    EXPECT_EQ(GetFileAttributesA("C:\\scan.tif") & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_EQ(velmar::test::runHelper({"hide", "C:\\SCAN.TIF", "1"}), 0);
    EXPECT_NE(GetFileAttributesA("C:\\scan.tif") & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_EQ(velmar::test::runHelper({"hide", "C:\\scan.tif", "0"}), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\scan.tif"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Attributes, ReadOnlyIsTheOwnersWriteBit) {
    ASSERT_TRUE(
        SetFileAttributesA("C:\\scan.tif", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(GetFileAttributesA("C:\\scan.tif"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributesA("C:\\scan.tif", FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(GetFileAttributesA("C:\\scan.tif"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Attributes, DotNamesAndFoldersAndMissingFiles) {
    velmar::test::writeFileBytes(velmar::prefix::driveCPath() + "/.profile", "x");
    EXPECT_EQ(GetFileAttributesA("C:\\.profile"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesW(L"C:\\ProgramData"), FILE_ATTRIBUTE_DIRECTORY);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesA("C:\\missing.tif"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("C:\\missing\\x.tif"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(SetFileAttributesA("Q:\\x", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

} // namespace
