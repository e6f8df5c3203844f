// File tests and contents on real files, with a real second process holding files open.
#include "misc/files/files.h"

#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include "tests/support/helper_process.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using velmar::test::readFileBytes;
using velmar::test::writeFileBytes;

class FileTests : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        work = velmar::prefix::driveCPath() + "/Work";
        ASSERT_TRUE(velmar::prefix::makeHostDirectories(work + "/Sub"));
        writeFileBytes(work + "/a.txt", "hello");
        writeFileBytes(work + "/\xce\xa9mega.txt", "omega"); // not in 1252
    }
    velmar::test::TempPrefix prefix;
    std::string work;
};

TEST_F(FileTests, FileExists) {
    const struct {
        const char* path;
        bool expected;
    } rows[] = {
        {"C:\\Work\\a.txt", true},
        {"c:/work/A.TXT", true},
        {"C:\\Work\\Sub", true},
        {"C:\\Work\\Sub\\", true},
        {"C:\\", true},
        {"/vsizip/archive.zip/x.tif", true},
        {"C:\\Work\\missing.txt", false},
        {"C:\\Missing\\a.txt", false},
        {"Q:\\a.txt", false},
        {"\\\\server\\share\\a.txt", false},
        {"C:\\Work\\<>:\"|?*", false},
        {"C:\\Work\\?mega.txt", false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const std::wstring wide = velmar::text::ansiToWide(row.path);
        EXPECT_EQ(fileExists(row.path), row.expected);
        EXPECT_EQ(fileExists(wide.c_str()), row.expected);
        EXPECT_EQ(fileExists(std::string(row.path)), row.expected);
        EXPECT_EQ(fileExists(wide), row.expected);
    }
    EXPECT_TRUE(fileExists(std::wstring(L"C:\\Work\\\x03a9MEGA.TXT")));
    EXPECT_FALSE(fileExists(std::string("C:\\") + std::string(5000, 'x')));
    EXPECT_TRUE(fileExists(work + "/a.txt")); // native paths too
}

TEST_F(FileTests, IsDirectory) {
    EXPECT_TRUE(isDirectory("C:\\work\\sub"));
    EXPECT_FALSE(isDirectory("C:\\Work\\a.txt"));
    EXPECT_FALSE(isDirectory("C:\\Work\\Sub\\"));
    EXPECT_FALSE(isDirectory("C:\\"));
    EXPECT_FALSE(isDirectory("C:\\Work\\none"));
    EXPECT_FALSE(isDirectory(""));
}

TEST_F(FileTests, IsEmptyFolder) {
    EXPECT_TRUE(isEmptyFolder(std::string("C:\\Work\\none")));
    EXPECT_TRUE(isEmptyFolder(std::string("C:\\Work\\a.txt")));
    EXPECT_TRUE(isEmptyFolder(std::wstring(L"C:\\Work\\Sub")));
    writeFileBytes(work + "/Sub/.hidden", "");
    EXPECT_FALSE(isEmptyFolder(std::string("C:\\Work\\Sub")));
    EXPECT_FALSE(isEmptyFolder(std::wstring(L"c:\\work\\sub")));
}

TEST_F(FileTests, IsEmptyFolderRaisesForAnUnreadableFolder) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(work + "/Locked/inner"));
    ASSERT_EQ(::chmod((work + "/Locked").c_str(), 0711), 0);
    velmar::test::openWayTo(work + "/Locked");
    EXPECT_TRUE(velmar::test::asOrdinaryUser([] {
        try {
            isEmptyFolder(std::string("C:\\Work\\Locked"));
        } catch (const std::filesystem::filesystem_error&) {
            return true;
        }
        return false;
    }));
}

TEST_F(FileTests, ReadAndWriteTests) {
    EXPECT_TRUE(canOpenForReading("C:\\Work\\a.txt"));
    EXPECT_FALSE(canOpenForReading("C:\\Work\\none.txt"));
    EXPECT_FALSE(canOpenForReading(nullptr));

    EXPECT_TRUE(canWriteFile(std::string("C:\\Work\\a.txt")));
    EXPECT_TRUE(canWriteFile(std::string("C:\\Work\\new.txt")));
    EXPECT_FALSE(fileExists("C:\\Work\\new.txt")); // not created
    EXPECT_EQ(readFileBytes(work + "/a.txt"), "hello");

    ASSERT_TRUE(setReadOnly(std::string("C:\\Work\\a.txt"), true));
    EXPECT_FALSE(canWriteFile(std::wstring(L"C:\\Work\\a.txt")));
    EXPECT_FALSE(testWriteAccess("C:\\Work\\a.txt"));
    ASSERT_TRUE(setReadOnly(std::wstring(L"C:\\Work\\a.txt"), false));
    EXPECT_TRUE(canWriteFile(std::wstring(L"C:\\Work\\a.txt")));
    EXPECT_TRUE(setReadOnly(std::string("C:\\Work\\none.txt"), true));
}

TEST_F(FileTests, AFileHeldOpenByAnotherProcessIsNotWritable) {
    velmar::test::FileHolder holder(work + "/a.txt");
    velmar::test::FileHolder holder2(work + "/\xce\xa9mega.txt");
    EXPECT_FALSE(canWriteFile(std::string("C:\\Work\\a.txt")));
    EXPECT_FALSE(testWriteAccess("C:\\Work\\a.txt"));
    // The wide form tests the file itself, not a "?" spelling of it.
    EXPECT_FALSE(canWriteFile(std::wstring(L"C:\\Work\\\x03a9mega.txt")));
    EXPECT_TRUE(canOpenForReading("C:\\Work\\a.txt"));
    holder.release();
    holder2.release();
    EXPECT_TRUE(canWriteFile(std::string("C:\\Work\\a.txt")));
    EXPECT_TRUE(canWriteFile(std::wstring(L"C:\\Work\\\x03a9mega.txt")));
}

TEST_F(FileTests, TestWriteAccessCreatesAnEmptyFileAndTruncatesNothing) {
    EXPECT_TRUE(testWriteAccess("C:\\Work\\Created.bin"));
    EXPECT_EQ(readFileBytes(work + "/Created.bin"), "");
    EXPECT_TRUE(testWriteAccess("C:\\Work\\a.txt"));
    EXPECT_EQ(readFileBytes(work + "/a.txt"), "hello");
    EXPECT_FALSE(testWriteAccess("C:\\Missing\\x.bin"));
    EXPECT_FALSE(testWriteAccess(nullptr));
}

TEST_F(FileTests, AttributesThroughTheFileStatus) {
    EXPECT_FALSE(setReadOnlyAttribute("C:\\Work\\none.txt", true));
    EXPECT_FALSE(setHiddenAttribute("C:\\Work\\none.txt", true));
    ASSERT_TRUE(setHiddenAttribute("C:\\Work\\a.txt", true));
    ASSERT_TRUE(setReadOnlyAttribute("C:\\Work\\a.txt", true));
    EXPECT_EQ(GetFileAttributesA("C:\\Work\\a.txt"),
              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(setHiddenAttribute("C:\\Work\\a.txt", false));
    EXPECT_EQ(GetFileAttributesA("C:\\Work\\a.txt"), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(setReadOnlyAttribute("C:\\Work\\a.txt", false));
    EXPECT_EQ(GetFileAttributesA("C:\\Work\\a.txt"), FILE_ATTRIBUTE_NORMAL);
    // Set by a second process, seen here.
    ASSERT_EQ(velmar::test::runHelper({"hide", "C:\\Work\\a.txt", "1"}), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\work\\A.txt"), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileTests, Sizes) {
    writeFileBytes(work + "/k.bin", std::string(1536, 'k'));
    EXPECT_EQ(fileSizeOf("C:\\Work\\a.txt"), 5);
    EXPECT_EQ(fileSizeOf("C:\\Work\\Sub"), 0);
    EXPECT_EQ(fileSizeOf("C:\\Work\\none"), 0);
    EXPECT_EQ(fileSizeText("C:\\Work\\k.bin").native(), "1.50 KB");
    EXPECT_EQ(fileSizeTextSC("C:\\Work\\a.txt"), "5.00 Bytes");
    EXPECT_EQ(fileSizeTextSC("C:\\Work\\none"), "0.00 Bytes");
}

TEST_F(FileTests, IsTextFile) {
    const struct {
        const char* name;
        std::string bytes;
        bool expected;
    } rows[] = {
        {"empty", "", false},
        {"plain", "line one\r\n\tline two\n", true},
        {"zero1001", std::string(1000, 'a') + std::string(1, '\0'), true},
        {"zero1000", std::string(999, 'a') + std::string(1, '\0'), false},
        {"bom", "\xef\xbb\xbfhello", false},
        {"accent", "caf\xe9", false},
        {"del", "a\x7f", false},
        {"formfeed", "a\fb", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFileBytes(work + "/" + row.name, row.bytes);
        EXPECT_EQ(isTextFile(("C:\\Work\\" + std::string(row.name)).c_str()), row.expected);
    }
    EXPECT_FALSE(isTextFile("C:\\Work\\none"));
    EXPECT_FALSE(isTextFile(""));
    EXPECT_FALSE(isTextFile(nullptr));
}

TEST_F(FileTests, FileContainsText) {
    const struct {
        const char* name;
        std::string bytes;
        const char* text;
        bool ignoreCase;
        bool expected;
    } rows[] = {
        {"last", "one\ntwo\nthe needle", "needle", false, true},
        {"after600", std::string(600, 'x') + "\nneedle\n", "needle", false, false},
        {"in600", std::string(600, 'x') + "needle\n", "needle", false, false},
        {"after511", std::string(511, 'x') + "\nneedle\n", "needle", false, true},
        {"after512", std::string(512, 'x') + "\nneedle\n", "needle", false, false},
        {"crlf510", std::string(510, 'x') + "\r\nneedle\r\n", "needle", false, true},
        {"upper", "xABCx\n", "abc", true, true},
        {"exact", "xABCx\n", "abc", false, false},
        {"split", "ab\nc\n", "abc", false, false},
        {"empty", "", "a", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFileBytes(work + "/" + row.name, row.bytes);
        EXPECT_EQ(fileContainsText(("C:\\Work\\" + std::string(row.name)).c_str(), row.text,
                                   row.ignoreCase),
                  row.expected);
    }
    EXPECT_FALSE(fileContainsText("C:\\Work\\none", "a", false));
    EXPECT_FALSE(fileContainsText(nullptr, "a", false));
    EXPECT_FALSE(fileContainsText("C:\\Work\\a.txt", nullptr, false));
}

TEST_F(FileTests, ActualCasePath) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(velmar::prefix::driveCPath() + "/Data/Scans"));
    writeFileBytes(velmar::prefix::driveCPath() + "/Data/Scans/Tile_07.TIF", "x");
    const struct {
        const char* path;
        const char* expected;
    } rows[] = {
        {"C:\\data\\scans\\tile_07.tif", "C:\\Data\\Scans\\Tile_07.TIF"},
        {"c:/DATA//Scans/TILE_07.tif", "c:\\Data\\Scans\\Tile_07.TIF"},
        {"C:\\data\\scans", "C:\\Data\\Scans"},
        {"C:\\data\\missing\\tile_07.tif", ""},
        {"C:\\data\\scans\\missing.tif", ""},
        {"Q:\\data", ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(actualCasePath(row.path).native(), row.expected);
        EXPECT_EQ(actualCasePathSC(row.path), row.expected);
    }
    const std::string longName = "C:\\Data\\" + std::string(256, 'n') + ".tif";
    EXPECT_EQ(actualCasePathSC(longName.c_str()), "");
    const std::string longFolder = "C:\\" + std::string(300, 'd') + "\\x.tif";
    EXPECT_EQ(actualCasePathSC(longFolder.c_str()), "");
}

} // namespace
