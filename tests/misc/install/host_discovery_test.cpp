// Host applications found through their own registry keys, and the last host executable.
#include "misc/install/install.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "tests/support/install_fixture.h"

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

using velmar::fs::isFsRedirectionDisabled;
using velmar::registry::Key;
using velmar::test::InstallTest;
using velmar::test::storedValue;
using velmar::test::sz;

namespace {

const std::string kRelease = "Software\\Autodesk\\AutoCAD\\R24.0";
const std::string kGlobalMapper = "SOFTWARE\\Global Mapper";
const std::string kHostLink = "Software\\VELMAR Systems International\\HostLink";

// Stores raw bytes as a value, creating the key in the given view.
void storeBytes(HKEY hive, const std::string& keyPath, const char* name, const std::string& bytes,
                REGSAM view = 0) {
    Key key;
    ASSERT_EQ(key.create(hive, keyPath, KEY_ALL_ACCESS | view), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue(name, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// Stores a REG_SZ text, terminator included.
void storeText(HKEY hive, const std::string& keyPath, const char* name, const std::string& text,
               REGSAM view = 0) {
    storeBytes(hive, keyPath, name, sz(text), view);
}

void deleteTree(HKEY hive, const std::string& keyPath) {
    ASSERT_EQ(SHDeleteKeyA(hive, keyPath.c_str()), ERROR_SUCCESS);
}

std::vector<CString> texts(std::initializer_list<std::string> items) {
    std::vector<CString> list;
    for (const std::string& item : items) {
        list.emplace_back(item.c_str());
    }
    return list;
}

using HostDiscovery = InstallTest;

TEST_F(HostDiscovery, ReleaseKeyTablesKeepTheirOrderAndFitTheirFields) {
    ASSERT_EQ(std::size(kAutoCadReleaseKeys), 24u);
    ASSERT_EQ(std::size(kMicroStationReleaseKeys), 7u);
    EXPECT_STREQ(kAutoCadReleaseKeys[0], "Software\\Autodesk\\AutoCAD\\R15.0");
    EXPECT_STREQ(kAutoCadReleaseKeys[23], "Software\\Autodesk\\AutoCAD\\R25.1");
    EXPECT_STREQ(kMicroStationReleaseKeys[0], "Software\\Bentley\\MicroStation\\08.00");
    EXPECT_STREQ(kMicroStationReleaseKeys[6], "Software\\Bentley\\MapEnterprise\\08.11.07");
    for (const auto& entry : kAutoCadReleaseKeys) {
        EXPECT_NE(std::memchr(entry, '\0', sizeof entry), nullptr);
        EXPECT_TRUE(std::string_view(entry).starts_with("Software\\Autodesk\\AutoCAD\\R")) << entry;
    }
    for (const auto& entry : kMicroStationReleaseKeys) {
        EXPECT_NE(std::memchr(entry, '\0', sizeof entry), nullptr);
        EXPECT_TRUE(std::string_view(entry).starts_with("Software\\Bentley\\")) << entry;
    }
}

TEST_F(HostDiscovery, AutoCadLocationsOfEveryProductThatHasOne) {
    const std::string longest = "C:\\" + std::string(256, 'L');
    ASSERT_EQ(longest.size(), 259u);
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7101:409", "AcadLocation", longest);
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7102:409", "ProductName", "no location");
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7103:409", "AcadLocation", "C:\\ACAD");
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7104:409", "AcadLocation",
              std::string(260, 'x'));

    std::vector<CString> locations = texts({"left over"});
    EXPECT_TRUE(findAutoCadLocations(kRelease.c_str(), locations, false));
    EXPECT_EQ(locations, texts({longest, "C:\\ACAD"}));
    EXPECT_TRUE(findAutoCadLocations(kRelease.c_str(), locations, true));
    EXPECT_EQ(locations, texts({longest, "C:\\ACAD"}));

    // A release without a located product, and one that is not installed.
    storeText(HKEY_LOCAL_MACHINE, "Software\\Autodesk\\AutoCAD\\R25.0\\ACAD-8101:409",
              "ProductName", "no location");
    for (const char* release : {kAutoCadReleaseKeys[22], kAutoCadReleaseKeys[0]}) {
        SCOPED_TRACE(release);
        locations = texts({"left over"});
        EXPECT_FALSE(findAutoCadLocations(release, locations, false));
        EXPECT_TRUE(locations.empty());
    }
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(HostDiscovery, The64BitViewSwitchOnA64BitProcess) {
    // Our processes are 64-bit: their own view is the 64-bit one, so a host registered there is
    // found with the switch and without it, and one registered only in the 32-bit view by
    // neither.
    const std::string pathName = "Software\\Host\\Setup";
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7101:409", "AcadLocation", "C:\\ACAD64",
              KEY_WOW64_64KEY);
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "ExePath", "C:\\GM64\\gm.exe", KEY_WOW64_64KEY);
    storeText(HKEY_LOCAL_MACHINE, pathName, "PathName", "C:\\Host64\\host.exe", KEY_WOW64_64KEY);
    for (const bool view64 : {true, false}) {
        SCOPED_TRACE(view64 ? "with the switch" : "without the switch");
        std::vector<CString> locations;
        EXPECT_TRUE(findAutoCadLocations(kRelease.c_str(), locations, view64));
        EXPECT_EQ(locations, texts({"C:\\ACAD64"}));
        CString folder;
        EXPECT_TRUE(getGlobalMapperValueFolder("ExePath", folder, view64));
        EXPECT_EQ(folder, "C:\\GM64");
        EXPECT_TRUE(getPathNameFolder(pathName.c_str(), folder, view64));
        EXPECT_EQ(folder, "C:\\Host64");
    }

    deleteTree(HKEY_LOCAL_MACHINE, "Software\\Autodesk");
    deleteTree(HKEY_LOCAL_MACHINE, kGlobalMapper);
    deleteTree(HKEY_LOCAL_MACHINE, "Software\\Host");
    storeText(HKEY_LOCAL_MACHINE, kRelease + "\\ACAD-7101:409", "AcadLocation", "C:\\ACAD32",
              KEY_WOW64_32KEY);
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "ExePath", "C:\\GM32\\gm.exe", KEY_WOW64_32KEY);
    storeText(HKEY_LOCAL_MACHINE, pathName, "PathName", "C:\\Host32\\host.exe", KEY_WOW64_32KEY);
    for (const bool view64 : {true, false}) {
        SCOPED_TRACE(view64 ? "32-bit entries with the switch" : "32-bit entries without it");
        std::vector<CString> locations;
        EXPECT_FALSE(findAutoCadLocations(kRelease.c_str(), locations, view64));
        CString folder("sentinel");
        EXPECT_FALSE(getGlobalMapperValueFolder("ExePath", folder, view64));
        EXPECT_EQ(folder, "");
        folder = "sentinel";
        EXPECT_FALSE(getPathNameFolder(pathName.c_str(), folder, view64));
        EXPECT_EQ(folder, "");
    }
}

TEST_F(HostDiscovery, GlobalMapperFoldersFromEveryInstallDirValue) {
    std::vector<CString> folders;
    EXPECT_FALSE(findGlobalMapperFolders(folders));
    EXPECT_TRUE(folders.empty());

    // Names compare without regard to case in the registry, so "InstallDir" stands alone.
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "InstallDir", "C:\\Other case");
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "Version", "24.1");
    EXPECT_FALSE(findGlobalMapperFolders(folders));
    EXPECT_TRUE(folders.empty());
    folders = texts({"D:\\Caller"});
    EXPECT_TRUE(findGlobalMapperFolders(folders));
    EXPECT_EQ(folders, texts({"D:\\Caller"}));

    deleteTree(HKEY_LOCAL_MACHINE, kGlobalMapper);
    const std::string longest(2047, 'g');
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "INSTALLDIR", "C:\\Program Files\\GlobalMapper");
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "Version", "24.1");
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "INSTALLDIR_64", "C:\\GlobalMapper64");
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "INSTALLDIR_LONGEST", longest);
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "INSTALLDIR_TOO_LONG", std::string(2048, 'g'));
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "installdir_old", "C:\\Old");
    folders = texts({"D:\\Caller"});
    EXPECT_TRUE(findGlobalMapperFolders(folders));
    EXPECT_EQ(folders, texts({"D:\\Caller", "C:\\Program Files\\GlobalMapper", "C:\\GlobalMapper64",
                              longest}));
}

TEST_F(HostDiscovery, FolderPartIsTheTextBeforeTheLastBackslash) {
    struct Case {
        const char* stored;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Host\\bin\\host.exe", "C:\\Host\\bin"},
        {"C:\\Host\\", "C:\\Host"},
        {"host.exe", "host.exe"},
        {"C:\\host.exe", "C:"},
        {"\\\\server\\share\\host.exe", "\\\\server\\share"},
        {"", ""},
    };
    const char* keyPath = "Software\\Host\\Setup";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        storeText(HKEY_LOCAL_MACHINE, keyPath, "PathName", c.stored);
        storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "ExePath", c.stored);
        storeText(HKEY_LOCAL_MACHINE, keyPath, "InstallDir", c.stored);
        storeText(HKEY_LOCAL_MACHINE, keyPath, "RealVersion", "10.8");
        CString folder("sentinel");
        EXPECT_TRUE(getPathNameFolder(keyPath, folder, false));
        EXPECT_EQ(folder, c.folder);
        folder = "sentinel";
        EXPECT_TRUE(getGlobalMapperValueFolder("ExePath", folder, true));
        EXPECT_EQ(folder, c.folder);
        folder = "sentinel";
        int version = -1;
        EXPECT_TRUE(getInstallDirAndVersion(keyPath, folder, version));
        EXPECT_EQ(folder, c.folder);
    }
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(HostDiscovery, NullKeyPathsGiveFalseAndANullValueNameReadsTheDefaultValue) {
    std::vector<CString> locations = texts({"left over"});
    EXPECT_FALSE(findAutoCadLocations(nullptr, locations, false));
    EXPECT_TRUE(locations.empty());
    CString folder("sentinel");
    EXPECT_FALSE(getPathNameFolder(nullptr, folder, false));
    EXPECT_EQ(folder, "");
    folder = "sentinel";
    int version = -1;
    EXPECT_FALSE(getInstallDirAndVersion(nullptr, folder, version));
    EXPECT_EQ(folder, "");
    EXPECT_EQ(version, -1);

    EXPECT_FALSE(getGlobalMapperValueFolder(nullptr, folder, false));
    storeText(HKEY_LOCAL_MACHINE, kGlobalMapper, "", "C:\\GlobalMapper\\gm.exe");
    EXPECT_TRUE(getGlobalMapperValueFolder(nullptr, folder, false));
    EXPECT_EQ(folder, "C:\\GlobalMapper");
}

TEST_F(HostDiscovery, ValuesBeyondTheBufferCountAsMissing) {
    struct Case {
        const char* label;
        std::string bytes;
        bool read;
    };
    const std::string longest = "C:\\" + std::string(255, 'v') + "\\";
    const Case cases[] = {
        {"259 characters and terminator", sz(longest), true},
        {"260 characters and terminator", sz(longest + "x"), false},
        {"260 bytes without terminator", longest + "x", false},
    };
    const std::string keyPath = "Software\\Host\\Setup";
    const std::string product = kRelease + "\\ACAD-7101:409";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        storeBytes(HKEY_LOCAL_MACHINE, product, "AcadLocation", c.bytes);
        storeBytes(HKEY_LOCAL_MACHINE, kGlobalMapper, "ExePath", c.bytes);
        storeBytes(HKEY_LOCAL_MACHINE, keyPath, "PathName", c.bytes);
        storeBytes(HKEY_LOCAL_MACHINE, keyPath, "InstallDir", c.bytes);
        storeBytes(HKEY_LOCAL_MACHINE, keyPath, "RealVersion", "8" + c.bytes.substr(1));

        std::vector<CString> locations;
        EXPECT_EQ(findAutoCadLocations(kRelease.c_str(), locations, false), c.read);
        EXPECT_EQ(locations, c.read ? texts({longest}) : texts({}));
        const CString folder = c.read ? CString(longest.substr(0, 258).c_str()) : CString();
        CString read("sentinel");
        EXPECT_EQ(getGlobalMapperValueFolder("ExePath", read, false), c.read);
        EXPECT_EQ(read, folder);
        read = "sentinel";
        EXPECT_EQ(getPathNameFolder(keyPath.c_str(), read, false), c.read);
        EXPECT_EQ(read, folder);
        read = "sentinel";
        int version = -1;
        EXPECT_EQ(getInstallDirAndVersion(keyPath.c_str(), read, version), c.read);
        EXPECT_EQ(read, folder);
        EXPECT_EQ(version, c.read ? 8 : -1);
    }
}

TEST_F(HostDiscovery, InstallDirAndVersionFromTheMachineElseTheUser) {
    const char* keyPath = "Software\\Bentley\\MicroStation\\08.11.07";
    struct Case {
        const char* realVersion;
        int version;
    };
    const Case cases[] = {
        {"10.8", 1}, {"8.11.07", 8}, {"2024", 2}, {"0", 0}, {"v8.1", 0}, {" 8", 0}, {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.realVersion);
        storeText(HKEY_CURRENT_USER, keyPath, "InstallDir", "C:\\User\\MicroStation\\");
        storeText(HKEY_CURRENT_USER, keyPath, "RealVersion", c.realVersion);
        CString folder("sentinel");
        int version = -1;
        EXPECT_TRUE(getInstallDirAndVersion(keyPath, folder, version));
        EXPECT_EQ(folder, "C:\\User\\MicroStation");
        EXPECT_EQ(version, c.version);
    }

    // The machine's 32-bit view is not read; its 64-bit view wins over the user's key, even
    // when it lacks a value.
    storeText(HKEY_LOCAL_MACHINE, keyPath, "InstallDir", "C:\\Wow\\", KEY_WOW64_32KEY);
    storeText(HKEY_LOCAL_MACHINE, keyPath, "RealVersion", "7.0", KEY_WOW64_32KEY);
    CString folder;
    int version = -1;
    EXPECT_TRUE(getInstallDirAndVersion(keyPath, folder, version));
    EXPECT_EQ(folder, "C:\\User\\MicroStation");

    storeText(HKEY_LOCAL_MACHINE, keyPath, "InstallDir", "C:\\Machine\\MicroStation\\",
              KEY_WOW64_64KEY);
    version = -1;
    EXPECT_FALSE(getInstallDirAndVersion(keyPath, folder, version));
    EXPECT_EQ(folder, "C:\\Machine\\MicroStation");
    EXPECT_EQ(version, -1);

    storeText(HKEY_LOCAL_MACHINE, keyPath, "RealVersion", "9.2", KEY_WOW64_64KEY);
    EXPECT_TRUE(getInstallDirAndVersion(keyPath, folder, version));
    EXPECT_EQ(folder, "C:\\Machine\\MicroStation");
    EXPECT_EQ(version, 9);

    // Only the version: the folder stays empty.
    deleteTree(HKEY_CURRENT_USER, "Software\\Bentley");
    deleteTree(HKEY_LOCAL_MACHINE, "Software\\Bentley");
    storeText(HKEY_CURRENT_USER, keyPath, "RealVersion", "6.0");
    folder = "sentinel";
    EXPECT_FALSE(getInstallDirAndVersion(keyPath, folder, version));
    EXPECT_EQ(folder, "");
    EXPECT_EQ(version, 6);

    deleteTree(HKEY_CURRENT_USER, "Software\\Bentley");
    folder = "sentinel";
    version = -1;
    EXPECT_FALSE(getInstallDirAndVersion(keyPath, folder, version));
    EXPECT_EQ(folder, "");
    EXPECT_EQ(version, -1);
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(HostDiscovery, LastHostLeavesOutInstallersAndTheRegistrationTool) {
    CString path("sentinel");
    EXPECT_FALSE(getLastHostExecutable(path));
    EXPECT_EQ(path, "");

    const std::string acad = "C:\\Program Files\\Autodesk\\AutoCAD 2024\\acad.exe";
    recordHostExecutable(acad.c_str());
    EXPECT_EQ(storedValue(HKEY_CURRENT_USER, kHostLink, "LastCADExecutable").data, sz(acad));
    EXPECT_TRUE(getLastHostExecutable(path));
    EXPECT_EQ(path, acad.c_str());

    struct Case {
        const char* executable;
        bool recorded;
    };
    const Case cases[] = {
        {"C:\\Windows\\SysWOW64\\regsvr32.exe", false},
        {"D:\\Setup.exe", false},
        {"SETUP", false},
        {"C:\\Temp\\setup.msi", false},
        {"C:\\Temp\\Setup.x64.exe", true},
        {"C:\\Bentley\\MicroStation\\ustation.exe", true},
        {"C:\\Setup\\gm.exe", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executable);
        recordHostExecutable(acad.c_str());
        recordHostExecutable(c.executable);
        const std::string expected = c.recorded ? c.executable : acad;
        EXPECT_EQ(storedValue(HKEY_CURRENT_USER, kHostLink, "LastCADExecutable").data,
                  sz(expected));

        // What another program left there is not reported either.
        ASSERT_TRUE(writeUserSetting("HostLink", "LastCADExecutable", c.executable));
        path = "sentinel";
        EXPECT_EQ(getLastHostExecutable(path), c.recorded);
        EXPECT_EQ(path, c.recorded ? c.executable : "");
    }
}

TEST_F(HostDiscovery, RecordingWithoutAPathRecordsTheRunningProgram) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (const char* given : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(given == nullptr ? "null" : "empty");
        recordHostExecutable("C:\\Host\\host.exe");
        recordHostExecutable(given);
        CString path;
        EXPECT_TRUE(getLastHostExecutable(path));
        EXPECT_EQ(path, self.c_str());
    }
}

} // namespace
