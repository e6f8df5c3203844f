// Free names in the temporary folder.
#include "misc/files/files.h"

#include "platform/text/text.h"

#include "tests/support/helper_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using velmar::test::writeFileBytes;

class UniqueNames : public ::testing::Test {
protected:
    std::string temp(const std::string& name) { return prefix.tmp() + "/" + name; }
    velmar::test::TempPrefix prefix;
};

TEST_F(UniqueNames, AFreeNameComesBackInEveryForm) {
    const std::string expected = temp("scan.tif");
    const std::wstring wide = velmar::text::utf8ToWide(expected);
    EXPECT_EQ(uniqueTempFileName("scan.tif", false).native(), expected);
    EXPECT_EQ(uniqueTempFileName(L"scan.tif", false).native(), wide);
    EXPECT_EQ(uniqueTempFileName(std::string("scan.tif"), true), expected);
    EXPECT_EQ(uniqueTempFileNameSC("scan.tif", false), expected);
    EXPECT_EQ(uniqueTempFileName(std::wstring(L"scan.tif"), false), wide);
    EXPECT_FALSE(fileExists(expected)); // nothing is created
}

TEST_F(UniqueNames, TakenNamesAreNumbered) {
    writeFileBytes(temp("scan.tif"), "x");
    writeFileBytes(temp("scan_0.tif"), "x");
    EXPECT_EQ(uniqueTempFileNameSC("scan.tif", false), temp("scan_1.tif"));
    EXPECT_EQ(uniqueTempFileName(std::wstring(L"scan.tif"), false),
              velmar::text::utf8ToWide(temp("scan_1.tif")));
    writeFileBytes(temp("notes"), "x");
    EXPECT_EQ(uniqueTempFileNameSC("notes", false), temp("notes_0."));
}

TEST_F(UniqueNames, WritableFilesCountAsFreeOnlyWhenAsked) {
    writeFileBytes(temp("out.txt"), "x");
    EXPECT_EQ(uniqueTempFileNameSC("out.txt", true), temp("out.txt"));
    EXPECT_EQ(uniqueTempFileNameSC("out.txt", false), temp("out_0.txt"));
    velmar::test::FileHolder holder(temp("out.txt"));
    EXPECT_EQ(uniqueTempFileNameSC("out.txt", true), temp("out_0.txt"));
}

TEST_F(UniqueNames, NeverAnUntestedName) {
    writeFileBytes(temp("busy.tif"), "x");
    for (int i = 0; i < 1000; ++i) {
        writeFileBytes(temp("busy_" + std::to_string(i) + ".tif"), "x");
    }
    EXPECT_EQ(uniqueTempFileNameSC("busy.tif", false), temp("busy_1000.tif"));
}

TEST_F(UniqueNames, SubFoldersAreCreated) {
    const std::string found = uniqueTempFileNameIn(std::string("scan.tif"), "jobs\\42", false);
    EXPECT_EQ(found, temp("jobs\\42\\scan.tif"));
    struct stat st {};
    EXPECT_EQ(::stat(temp("jobs/42").c_str(), &st), 0);
    writeFileBytes(temp("jobs/42/scan.tif"), "x");
    EXPECT_EQ(uniqueTempFileNameIn("scan.tif", "jobs\\42", false).native(),
              temp("jobs\\42\\scan_0.tif"));
    EXPECT_EQ(uniqueTempFileNameIn(L"scan.tif", L"JOBS\\42", false).native(),
              velmar::text::utf8ToWide(temp("JOBS\\42\\scan_0.tif")));
    EXPECT_EQ(uniqueTempFileNameIn(std::wstring(L"a.b"), std::wstring(), false),
              velmar::text::utf8ToWide(temp("a.b")));
}

TEST_F(UniqueNames, WideNamesKeepWhatNarrowCannotCarry) {
    writeFileBytes(temp("\xce\xa9.tif"), "x");
    EXPECT_EQ(uniqueTempFileName(std::wstring(L"\x03a9.tif"), false),
              velmar::text::utf8ToWide(temp("\xce\xa9_0.tif")));
}

TEST_F(UniqueNames, AMissingTemporaryFolderRaises) {
    ::setenv("TMPDIR", (prefix.tmp() + "/gone").c_str(), 1);
    EXPECT_THROW(uniqueTempFileNameSC("x", false), std::filesystem::filesystem_error);
    EXPECT_THROW(uniqueTempFileNameIn(L"x", L"y", false), std::filesystem::filesystem_error);
}

} // namespace
