// Network paths ("\\server\share\rest") through the drive table's share lines, on a host folder
// that stands for the mounted share: the library's file operations work there as on a drive,
// and paths to shares that are not mapped, or not there, give ERROR_BAD_NETPATH and touch
// nothing.
#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "tests/support/install_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using velmar::test::readFileBytes;
using velmar::test::writeFileBytes;

class NetworkShare : public velmar::test::InstallTest {
protected:
    NetworkShare() {
        std::filesystem::create_directories(m_prefix.prefix());
        writeFileBytes(m_prefix.prefix() + "/drives", "C: drive_c\n\\\\fileserver\\velmar " +
                                                          m_share.path() + "\n//FileServer/gone " +
                                                          m_share.path() + "/unmounted\n");
    }
    std::string onShare(const std::string& relative) const {
        return m_share.path() + "/" + relative;
    }

    velmar::test::TempDir m_share;
    velmar::test::TempDir m_local;
};

TEST_F(NetworkShare, TheFileOperationsWorkOnAShareAsOnADrive) {
    ASSERT_TRUE(createDirectories("\\\\fileserver\\velmar\\data\\tiles"));
    EXPECT_TRUE(std::filesystem::is_directory(onShare("data/tiles")));
    EXPECT_TRUE(isDirectory("\\\\FILESERVER\\Velmar\\data"));

    writeFileBytes(m_local.file("a.tif"), "tile");
    ASSERT_TRUE(copyFile(m_local.file("a.tif"), "\\\\fileserver\\velmar\\data\\tiles\\a.tif"));
    EXPECT_TRUE(fileExists("//fileserver/velmar/data/tiles/a.tif"));
    EXPECT_TRUE(setReadOnly(std::string("\\\\fileserver\\velmar\\data\\tiles\\a.tif"), true));
    EXPECT_FALSE(canWriteFile(std::string("\\\\fileserver\\velmar\\data\\tiles\\a.tif")));
    EXPECT_TRUE(setReadOnly(std::string("\\\\fileserver\\velmar\\data\\tiles\\a.tif"), false));
    ASSERT_TRUE(renamePath(std::string("\\\\fileserver\\velmar\\data\\tiles\\a.tif"),
                           std::string("\\\\fileserver\\velmar\\data\\tiles\\b.tif")));
    EXPECT_EQ(readFileBytes(onShare("data/tiles/b.tif")), "tile");

    std::vector<std::string> listed;
    ASSERT_TRUE(listFiles(listed, "\\\\fileserver\\velmar\\data", ".*\\.tif", true));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], "\\\\fileserver\\velmar\\data\\tiles\\b.tif");

    velmar::registry::Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Software\\Share Test", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("Folder", REG_SZ, "x", 2), ERROR_SUCCESS);
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, "Software\\Share Test",
                                  "\\\\fileserver\\velmar\\data\\share test.reg"));
    EXPECT_EQ(readFileBytes(onShare("data/share test.reg")).rfind("REGEDIT4\r\n", 0), 0u);
    ASSERT_EQ(key.deleteValue("Folder"), ERROR_SUCCESS);
    ASSERT_TRUE(importRegistryFile("\\\\fileserver\\velmar\\data\\share test.reg"));
    EXPECT_EQ(velmar::test::storedValue(HKEY_CURRENT_USER, "Software\\Share Test", "Folder").data,
              std::string("x\0", 2));

    ASSERT_TRUE(removePath(std::string("\\\\fileserver\\velmar\\data\\tiles\\b.tif")));
    EXPECT_FALSE(std::filesystem::exists(onShare("data/tiles/b.tif")));

    // ".." stops at the share's root, as at a drive's.
    ASSERT_TRUE(createDirectories("\\\\fileserver\\velmar\\..\\..\\inside"));
    EXPECT_TRUE(std::filesystem::is_directory(onShare("inside")));
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::path(m_share.path()).parent_path() / "inside"));
}

TEST_F(NetworkShare, BadNetworkPathsTouchNothing) {
    writeFileBytes(m_local.file("a.tif"), "tile");
    const std::string paths[] = {
        "\\\\otherserver\\velmar\\x.tif", // a server that is not mapped
        "\\\\fileserver\\other\\x.tif",   // a share that is not mapped
        "\\\\fileserver\\gone\\x.tif",    // mapped, but its folder is not there
        "\\\\fileserver",                 // a server only
        "\\\\fileserver\\",               // a server and a separator
        "\\\\",                           // nothing
        "\\\\\\x.tif",                    // no server
        "\\\\fileserver\\" + std::string(300, 'v') + "\\x.tif",
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        DWORD error = ERROR_SUCCESS;
        EXPECT_EQ(velmar::fs::fileAttributes(velmar::text::ansiToWide(path), error),
                  INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(error, ERROR_BAD_NETPATH);
        EXPECT_FALSE(fileExists(path));
        EXPECT_FALSE(createDirectories(path + "\\sub"));
        EXPECT_FALSE(copyFile(m_local.file("a.tif"), path + "\\copy.tif"));
    }
    EXPECT_EQ(velmar::test::entriesOf(m_share.path()), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(onShare("unmounted")));
}

} // namespace
