// Where Windows and native paths land: drive table, case-blind lookup, refused names.
#include "platform/fs/fs.h"
#include "platform/fs/internal/drive_table.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using velmar::fs::hostPathOf;

class HostPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        driveC = velmar::prefix::driveCPath();
        ASSERT_TRUE(velmar::prefix::makeHostDirectories(driveC + "/Data/Scans"));
        velmar::test::writeFileBytes(driveC + "/Data/Scans/Tile_07.TIF", "x");
    }
    velmar::test::TempPrefix prefix;
    std::string driveC;
};

TEST_F(HostPath, MapsWindowsPathsThroughTheDriveTable) {
    // A share whose folder is drive C:'s Data folder.
    velmar::test::writeFileBytes(velmar::fs::driveTablePath(),
                                 "\\\\FileServer\\Data " + driveC + "/Data\n");
    const struct {
        const wchar_t* path;
        const char* expected; // below drive C:
    } rows[] = {
        {L"C:\\Data\\Scans\\Tile_07.TIF", "/Data/Scans/Tile_07.TIF"},
        {L"c:\\data\\scans\\tile_07.tif", "/Data/Scans/Tile_07.TIF"},
        {L"C:/DATA/scans/TILE_07.tif", "/Data/Scans/Tile_07.TIF"},
        {L"C:\\\\data\\\\\\scans\\", "/Data/Scans"},
        {L"C:\\data\\New Folder\\NewFile.Txt", "/Data/New Folder/NewFile.Txt"},
        {L"C:\\data\\notes.", "/Data/notes"},
        {L"C:\\data\\trail. . ", "/Data/trail"},
        {L"C:data\\scans", "/Data/Scans"},
        {L"\\\\?\\C:\\data", "/Data"},
        {L"C:\\", ""},
        {L"C:", ""},
        {L"C:\\..\\..\\data\\scans", "/Data/Scans"},
        {L"C:..\\data", "/Data"},
        {L"C:\\data\\missing\\..\\.\\scans", "/Data/Scans"},
        {L"C:\\data\\..\\..", ""},
        {L"\\\\fileserver\\data\\scans\\tile_07.tif", "/Data/Scans/Tile_07.TIF"},
        {L"//FILESERVER/DATA/Scans/", "/Data/Scans"},
        {L"\\\\fileserver\\data", "/Data"},
        {L"\\\\fileserver\\data\\..\\..\\scans", "/Data/Scans"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(velmar::text::wideToUtf8(row.path));
        const velmar::fs::HostPath host = hostPathOf(row.path);
        ASSERT_EQ(host.error, ERROR_SUCCESS);
        EXPECT_EQ(host.path, driveC + row.expected);
    }
}

TEST_F(HostPath, RefusesWhatWindowsRefuses) {
    const struct {
        const wchar_t* path;
        DWORD error;
    } rows[] = {
        {L"Q:\\x.tif", ERROR_PATH_NOT_FOUND}, {L"\\\\server\\share\\x", ERROR_BAD_NETPATH},
        {L"C:\\a<b", ERROR_INVALID_NAME},     {L"C:\\a>b", ERROR_INVALID_NAME},
        {L"C:\\a\"b", ERROR_INVALID_NAME},    {L"C:\\a|b", ERROR_INVALID_NAME},
        {L"C:\\a?b", ERROR_INVALID_NAME},     {L"C:\\a*b", ERROR_INVALID_NAME},
        {L"C:\\a\tb", ERROR_INVALID_NAME},    {L"C:\\a:b", ERROR_INVALID_NAME},
        {L"", ERROR_PATH_NOT_FOUND},          {L" ", ERROR_PATH_NOT_FOUND},
        {L"...", ERROR_PATH_NOT_FOUND},       {L". .\\ ", ERROR_PATH_NOT_FOUND},
        {L"\\\\server", ERROR_BAD_NETPATH},   {L"\\\\", ERROR_BAD_NETPATH},
        {L"\\\\\\x", ERROR_BAD_NETPATH},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(velmar::text::wideToUtf8(row.path));
        EXPECT_EQ(hostPathOf(row.path).error, row.error);
    }
}

TEST_F(HostPath, NativePathsStayNative) {
    EXPECT_EQ(hostPathOf(L"/usr/bin").path, "/usr/bin");
    EXPECT_EQ(hostPathOf(L"\\usr\\BIN").path, "/usr/bin");
    EXPECT_EQ(hostPathOf(L"relative/x").path, "relative/x");
    EXPECT_EQ(hostPathOf(L"/tmp/a:b").path, "/tmp/a:b"); // a colon is fine in a native name
}

TEST_F(HostPath, DriveTableEditsTakeEffectAtOnce) {
    velmar::test::TempDir data;
    velmar::test::writeFileBytes(data.file("x.tif"), "x");
    velmar::test::writeFileBytes(velmar::fs::driveTablePath(),
                                 "# drives\n\nD: " + data.path() + "\nE:\n; C: is default\n");
    EXPECT_EQ(hostPathOf(L"D:\\X.TIF").path, data.path() + "/x.tif");
    EXPECT_EQ(hostPathOf(L"d:x.tif").path, data.path() + "/x.tif");
    EXPECT_EQ(hostPathOf(L"E:\\x").error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(hostPathOf(L"C:\\data").path, driveC + "/Data");

    velmar::test::writeFileBytes(velmar::fs::driveTablePath(), "C: elsewhere\n");
    EXPECT_EQ(hostPathOf(L"C:\\x").path, prefix.prefix() + "/elsewhere/x");
    EXPECT_EQ(hostPathOf(L"D:\\x").error, ERROR_PATH_NOT_FOUND);
}

TEST_F(HostPath, NotFoundCodesTellFileFromPath) {
    EXPECT_EQ(velmar::fs::errorForHostPath(ENOENT, driveC + "/Data/missing.tif"),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(velmar::fs::errorForHostPath(ENOENT, driveC + "/Nowhere/missing.tif"),
              ERROR_PATH_NOT_FOUND);
}

TEST(NamesEqualNoCase, FoldsEveryLetter) {
    EXPECT_TRUE(velmar::fs::namesEqualNoCase("Tile.TIF", "tile.tif"));
    EXPECT_TRUE(velmar::fs::namesEqualNoCase("\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\x89"));
    EXPECT_FALSE(velmar::fs::namesEqualNoCase("tile", "tiles"));
}

} // namespace
