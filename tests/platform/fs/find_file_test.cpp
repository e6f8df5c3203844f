// Wildcard enumeration and CFileFind.
#include "platform/framework/framework.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

class FindFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        root = velmar::prefix::driveCPath() + "/Data";
        ASSERT_TRUE(velmar::prefix::makeHostDirectories(root + "/Sub"));
        for (const char* name :
             {"a.TIF", "b.tif", "readme", ".hidden.tif", "c.tif.bak", "\xce\xa9mega.tif"}) {
            velmar::test::writeFileBytes(root + "/" + name, "1234");
        }
    }
    std::set<std::string> find(const char* pattern) {
        std::set<std::string> names;
        CFileFind finder;
        BOOL more = finder.FindFile(pattern);
        while (more) {
            more = finder.FindNextFile();
            names.insert(finder.GetFileName().native());
        }
        return names;
    }
    velmar::test::TempPrefix prefix;
    std::string root;
};

TEST_F(FindFile, WildcardsCaseBlindAndNothingSkipped) {
    EXPECT_EQ(find("C:\\data\\*.tif"),
              (std::set<std::string>{"a.TIF", "b.tif", ".hidden.tif", "?mega.tif"}));
    EXPECT_EQ(find("c:/DATA/*."), (std::set<std::string>{"readme", "Sub", ".", ".."}));
    EXPECT_EQ(find("C:\\Data\\*.*").size(), 9u);
    EXPECT_TRUE(find("C:\\Data\\*.png").empty());
}

TEST_F(FindFile, ExactNameReportsTheDiskSpelling) {
    EXPECT_EQ(find("C:\\DATA\\SUB"), (std::set<std::string>{"Sub"}));
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("c:\\data\\A.tif"));
    EXPECT_FALSE(finder.FindNextFile()); // the only one
    EXPECT_EQ(finder.GetFileName(), "a.TIF");
    EXPECT_EQ(finder.GetFilePath(), "c:\\data\\a.TIF");
    EXPECT_EQ(finder.GetFileTitle(), "a");
    EXPECT_EQ(finder.GetLength(), 4u);
    EXPECT_FALSE(finder.IsDirectory());
    EXPECT_FALSE(finder.IsHidden());
}

TEST_F(FindFile, FailuresTellWhy) {
    velmar::fs::FileFinder finder;
    DWORD error = 0;
    EXPECT_FALSE(finder.open(L"C:\\Data\\", error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(finder.open(L"C:\\", error));
    EXPECT_FALSE(finder.open(L"C:\\Data\\*.png", error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(finder.open(L"C:\\Nowhere\\*.tif", error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(finder.open(L"Q:\\*.*", error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(finder.open(L"C:\\Data\\missing.tif", error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

TEST_F(FindFile, WideNamesReachWhatNarrowCannotCarry) {
    velmar::fs::FileFinder finder;
    DWORD error = 0;
    ASSERT_TRUE(finder.open(L"C:\\Data\\\x03a9MEGA.TIF", error));
    EXPECT_EQ(finder.name(), "\xce\xa9mega.tif");
}

} // namespace
