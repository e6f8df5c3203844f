// Real registry files from public projects (corpus/MANIFEST.tsv), imported into
// a fresh prefix and compared with what Windows' regedit makes of them.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::registry::Key;
using velmar::registry::Value;
using velmar::test::dumpTree;
using velmar::test::hexOf;
using velmar::test::TempPrefix;

namespace {

const std::string kCorpus = std::string(VELMAR_TEST_SOURCE_DIR) + "/corpus/";

std::string z(const std::string& text) {
    return text + '\0';
}

std::string dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string line(const std::string& name, DWORD type, const std::string& data) {
    return name + "|" + std::to_string(type) + "|" + hexOf(data) + "\n";
}

bool import(const std::string& file) {
    return importRegistryFile((kCorpus + file).c_str());
}

TEST(RegistryFileCorpus, EveryFileImports) {
    for (const char* file :
         {"mscs__Install.reg", "mscs__Perfgen.Reg", "mscs__alarms.reg", "mscs__kfdef.reg",
          "mscs__sserver.reg", "scoop__install-context.reg", "w11d__Disable_Animations.reg",
          "w11d__Enable_Game_Bar_Integration.reg", "w4rh__enable-photo-viewer.reg",
          "w4rh__lower-ram-usage.reg"}) {
        SCOPED_TRACE(file);
        TempPrefix prefix;
        EXPECT_TRUE(import(file));
    }
}

// Version 5 in UTF-16LE with CR LF: "@" defaults, an empty text, "[-key]" and
// "name"=-.
TEST(RegistryFileCorpus, GameBarDeletesAsRegeditDoes) {
    TempPrefix prefix;
    for (const char* key : {"ms-gamebar", "ms-gamebarservices"}) {
        ASSERT_TRUE(setRegistryValueFromText(HKEY_CLASSES_ROOT, key, "NoOpenWith", "old"));
        ASSERT_TRUE(setRegistryValueFromText(
            HKEY_CLASSES_ROOT, (std::string(key) + "\\shell\\open\\command").c_str(), "", "old"));
        ASSERT_TRUE(setRegistryValueFromText(
            HKEY_CLASSES_ROOT, (std::string(key) + "\\shell\\print").c_str(), "", "kept"));
    }
    ASSERT_TRUE(import("w11d__Enable_Game_Bar_Integration.reg"));
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\GameBar"),
              "[SOFTWARE\\Microsoft\\GameBar]\n" +
                  line("UseNexusForGameBarEnabled", REG_DWORD, dword(1)));
    for (const std::string key : {"ms-gamebar", "ms-gamebarservices"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(dumpTree(HKEY_CLASSES_ROOT, key),
                  "[" + key + "]\n" + line("", REG_SZ, z("URL:" + key)) +
                      line("URL Protocol", REG_SZ, z("")) + "[" + key + "\\shell]\n[" + key +
                      "\\shell\\open]\n[" + key + "\\shell\\print]\n" +
                      line("", REG_SZ, z("kept")));
    }
}

// Version 5 in UTF-16LE with LF only, lower-case hive name, \" and \\ escapes.
TEST(RegistryFileCorpus, AnimationsEscapesAsRegeditDoes) {
    TempPrefix prefix;
    ASSERT_TRUE(import("w11d__Disable_Animations.reg"));
    EXPECT_EQ(dumpTree(HKEY_USERS, "default"),
              "[default]\n[default\\Control Panel]\n[default\\Control "
              "Panel\\Desktop]\n" +
                  line("UserPreferencesMask", REG_BINARY,
                       std::string("\x90\x12\x07\x80\x10\x00\x00\x00", 8)) +
                  "[default\\SOFTWARE]\n[default\\SOFTWARE\\Microsoft]\n"
                  "[default\\SOFTWARE\\Microsoft\\Windows]\n"
                  "[default\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                  "[default\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\n" +
                  line("DisableAnimations", REG_SZ,
                       z("reg add \"HKCU\\Control Panel\\Desktop\" /v "
                         "UserPreferencesMask /t "
                         "REG_BINARY /d 9012078010000000 /f")));
}

// Version 5 in ANSI: wrapped hex(7) and hex(2) bytes are UTF-16LE, stored as
// ANSI text.
TEST(RegistryFileCorpus, AlarmsWrappedTextsAsRegeditDoes) {
    TempPrefix prefix;
    ASSERT_TRUE(import("mscs__alarms.reg"));
    const std::string key = "Software\\Microsoft\\SideShow\\Gadgets\\{0F11B914-"
                            "F461-4785-877C-482AB481CF7A}";
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, key),
              "[" + key + "]\n" + line("OnlineOnly", REG_DWORD, dword(1)) +
                  line("FriendlyName", REG_SZ, z("Alarm Clock Sample")) +
                  line("Endpoints", REG_MULTI_SZ,
                       std::string("{A9A5353F-2D4B-47ce-93EE-759F3A7DDA4F}\0\0", 40)) +
                  line("Icon", REG_EXPAND_SZ,
                       z("%ProgramFiles%\\Microsoft "
                         "SDKs\\Windows\\v7.0\\Samples\\WinUI\\SideShow\\"
                         "Alarms\\Alarms.ico")));
}

// Wrapped binary lines, a key line without values, and a nine-digit dword that
// regedit rejects while it goes on with the rest of the key.
TEST(RegistryFileCorpus, LowerRamUsageAsRegeditDoes) {
    TempPrefix prefix;
    ASSERT_TRUE(import("w4rh__lower-ram-usage.reg"));
    const std::string profile = "SOFTWARE\\Microsoft\\Windows "
                                "NT\\CurrentVersion\\Multimedia\\SystemProfile";
    Key key;
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, profile, KEY_READ), ERROR_SUCCESS);
    Value value;
    EXPECT_EQ(key.queryValue("NetworkThrottlingIndex", value), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(key.queryValue("SystemResponsiveness", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, dword(0));
    EXPECT_EQ(key.open(HKEY_LOCAL_MACHINE, profile + "\\Tasks", KEY_READ), ERROR_SUCCESS);

    ASSERT_EQ(key.open(HKEY_CURRENT_USER, "System\\GameConfigStore", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(key.queryValue("Win32_AutoGameModeDefaultProfile", value), ERROR_SUCCESS);
    std::string profileBytes(40, '\0');
    profileBytes[0] = profileBytes[2] = 1;
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(hexOf(value.data), hexOf(profileBytes));
    ASSERT_EQ(key.queryValue("Win32_GameModeRelatedProcesses", value), ERROR_SUCCESS);
    std::string processBytes(624, '\0');
    processBytes[0] = 1;
    EXPECT_EQ(hexOf(value.data), hexOf(processBytes));
    ASSERT_EQ(key.queryValue("GameDVR_EFSEFeatureFlags", value), ERROR_SUCCESS);

    ASSERT_EQ(key.open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(key.queryValue("WaitToKillAppTimeout", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, z("5000"));
}

// ANSI version 5 with many \" and \\ escapes and "@" defaults.
TEST(RegistryFileCorpus, ScoopEscapesAsRegeditDoes) {
    TempPrefix prefix;
    ASSERT_TRUE(import("scoop__install-context.reg"));
    const std::string gui = "Software\\Classes\\Directory\\shell\\git_gui";
    EXPECT_EQ(
        dumpTree(HKEY_CURRENT_USER, gui),
        "[" + gui + "]\n" + line("", REG_SZ, z("Open Git &GUI here")) +
            line("Icon", REG_SZ, z("\"{{git_dir}}\\cmd\\git-gui.exe\",0")) + "[" + gui +
            "\\command]\n" +
            line("", REG_SZ, z("\"{{git_dir}}\\cmd\\git-gui.exe\" \"--working-dir\" \"%1\"")));
}

// Undoubled backslashes stay, blanks around "=" are allowed, the old "REGEDIT"
// format is not ours and imports nothing.
TEST(RegistryFileCorpus, OtherFormsAsRegeditDoes) {
    TempPrefix prefix;
    ASSERT_TRUE(import("mscs__kfdef.reg"));
    Key key;
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\"
                       "FolderDescriptions\\{9577B273-21CD-4bb5-88FB-3781C577543F}",
                       KEY_READ),
              ERROR_SUCCESS);
    Value value;
    ASSERT_EQ(key.queryValue("Icon", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, z("%windir%\\system32\\shell32.dll,-267"));

    ASSERT_TRUE(import("mscs__Perfgen.Reg"));
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE,
                       "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\PerfGen",
                       KEY_READ),
              ERROR_SUCCESS);
    ASSERT_EQ(key.queryValue("EventMessageFile", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, z("%systemroot%\\system32\\perfgen.dll"));
    ASSERT_EQ(key.queryValue("TypesSupported", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, dword(7));

    const std::string classesBefore = dumpTree(HKEY_CLASSES_ROOT, "");
    ASSERT_TRUE(import("mscs__sserver.reg"));
    EXPECT_EQ(dumpTree(HKEY_CLASSES_ROOT, ""), classesBefore);
}

} // namespace
