// Backing up the module settings to the common folder and restoring them, also on another
// machine prefix.
#include "misc/install/install.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "tests/support/install_fixture.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using velmar::registry::Key;
using velmar::test::InstallTest;
using velmar::test::readFileBytes;
using velmar::test::ScopedEnv;
using velmar::test::sz;
using velmar::test::TempDir;
using velmar::test::TempPrefix;
using velmar::test::writeFileBytes;

namespace {

const std::string kSuite = "Software\\VELMAR Systems International";

const char* const kModuleFiles[] = {
    "ImportRelative.reg",       "AT.reg",
    "Options_InputDevices.reg", "PointCloudLoaderFormats.reg",
    "SurveyPointLoader.reg",    "KeyAssignments.reg",
    "TerrainInputDevice.reg",
};

void store(const std::string& section, const std::string& name, DWORD type,
           const std::string& data) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, kSuite + "\\" + section, KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_EQ(key.setValue(name, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// Every key below path with every value (name, type, bytes), in the registry's order.
void dump(Key& key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    for (const auto& [name, value] : key.values()) {
        out += name + "|" + std::to_string(value.type) + "|" + value.data + "\n";
    }
    for (const std::string& name : key.subkeys()) {
        Key child;
        if (child.open(key, name, KEY_READ) == ERROR_SUCCESS) {
            dump(child, path + "\\" + name, out);
        }
    }
}

std::string dumpOf(const std::string& section) {
    Key key;
    std::string out;
    if (key.open(HKEY_CURRENT_USER, kSuite + "\\" + section, KEY_READ) == ERROR_SUCCESS) {
        dump(key, section, out);
    }
    return out;
}

// The settings of every module key, awkward ones among them.
void storeModuleSettings() {
    const std::string bytes47(47, '\x5A');
    store("Model Viewer\\ImportRelative", "LastFolder", REG_SZ, sz("C:\\Data\\x"));
    store("Model Viewer\\ImportRelative", "", REG_SZ, sz("default value"));
    store("Model Viewer\\AT", "Looks like a number", REG_SZ, sz("dword:12"));
    store("Model Viewer\\AT", "Quotes", REG_SZ, sz("a \"b\" = c\\d \xB0\xE9"));
    store("Model Viewer\\AT\\Blocks\\Deeper", "Count", REG_DWORD, std::string("\x0a\0\0\0", 4));
    store("Model Viewer\\Options\\Input Devices", "Mouse", REG_BINARY, bytes47);
    store("Model Viewer\\Options\\Input Devices", "Empty", REG_BINARY, "");
    store("Point Cloud Loader\\Formats", "Expand", REG_EXPAND_SZ, sz("%TEMP%\\clouds"));
    store("Point Cloud Loader\\Formats", "Multi", REG_MULTI_SZ, std::string("las\0laz\0\0", 9));
    store("Survey Point Loader", "Big", REG_QWORD, std::string("\1\2\3\4\5\6\7\x08", 8));
    store("Survey Point Loader", "Long", REG_SZ, sz(std::string(5000, 'L')));
    store("Key Assignments", "F1", REG_SZ, sz("Help"));
    store("Terrain\\Options\\InputDevice", "Share", REG_SZ, sz("\\\\server\\share"));
    store("Terrain\\Options\\InputDevice", "Blank", REG_SZ, sz(""));
}

const char* const kModuleSections[] = {
    "Model Viewer\\ImportRelative",  "Model Viewer\\AT",    "Model Viewer\\Options\\Input Devices",
    "Point Cloud Loader\\Formats",   "Survey Point Loader", "Key Assignments",
    "Terrain\\Options\\InputDevice",
};

std::string dumpOfModules() {
    std::string out;
    for (const char* section : kModuleSections) {
        out += dumpOf(section);
    }
    return out;
}

TEST(SettingsBackup, BackupOnOnePrefixRestoredOnAnother) {
    TempDir exchange;
    const std::string common = exchange.path() + "/exchange/settings";
    ScopedEnv folder("VELMAR_COMMON_FOLDER", common.c_str());
    std::string before;
    {
        TempPrefix first;
        storeModuleSettings();
        store("Model Viewer\\Other", "Stays", REG_SZ, sz("here"));
        before = dumpOfModules();
        ASSERT_NE(before.find("Looks like a number|1|dword:12"), std::string::npos);
        ASSERT_TRUE(backupModuleSettings());
        EXPECT_FALSE(velmar::fs::isFsRedirectionDisabled());
    }
    for (const char* file : kModuleFiles) {
        SCOPED_TRACE(file);
        EXPECT_EQ(readFileBytes(common + "/" + file).rfind("REGEDIT4\r\n", 0), 0u);
    }
    TempPrefix second;
    EXPECT_EQ(dumpOfModules(), "");
    ASSERT_TRUE(restoreSettings());
    EXPECT_FALSE(velmar::fs::isFsRedirectionDisabled());
    EXPECT_EQ(dumpOfModules(), before);
    EXPECT_EQ(dumpOf("Model Viewer\\Other"), "");
}

// Two machines that share a folder on a file server, mapped in both drive tables: the first
// backs its settings up to "\\fileserver\velmar\common", the second, a new user with a default
// settings file on the share, restores them, every value byte for byte.
TEST(SettingsBackup, CarriedToAnotherMachineThroughANetworkShare) {
    TempDir server;
    const auto mapShare = [&](const TempPrefix& machine, const std::string& line) {
        std::filesystem::create_directories(machine.prefix());
        writeFileBytes(machine.prefix() + "/drives", line + " " + server.path() + "\n");
    };
    ScopedEnv folder("VELMAR_COMMON_FOLDER", "\\\\fileserver\\velmar\\common");
    std::string before;
    {
        TempPrefix first;
        mapShare(first, "\\\\fileserver\\velmar");
        storeModuleSettings();
        before = dumpOfModules();
        ASSERT_TRUE(backupModuleSettings());
    }
    for (const char* file : kModuleFiles) {
        SCOPED_TRACE(file);
        EXPECT_EQ(readFileBytes(server.path() + "/common/" + file).rfind("REGEDIT4\r\n", 0), 0u);
    }
    writeFileBytes(server.path() + "/defaults.reg",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\VELMAR Systems "
                   "International\\Key Assignments]\r\n\"F2\"=\"Default\"\r\n");
    TempPrefix second;
    // Server and share are found without regard to case, with either separator.
    mapShare(second, "//FileServer/VELMAR");
    ScopedEnv defaults("VELMAR_DEFAULT_SETTINGS_FILE", "\\\\fileserver\\velmar\\defaults.reg");
    ASSERT_TRUE(restoreSettings());
    std::string after = dumpOfModules();
    const std::string fromDefaults = "F2|1|" + sz("Default") + "\n";
    ASSERT_NE(after.find(fromDefaults), std::string::npos) << after;
    after.erase(after.find(fromDefaults), fromDefaults.size());
    EXPECT_EQ(after, before);
}

using Backup = InstallTest;

TEST_F(Backup, WithoutCommonFolderNothingHappens) {
    ScopedEnv unset("VELMAR_COMMON_FOLDER", nullptr);
    ScopedEnv noDefaults("VELMAR_DEFAULT_SETTINGS_FILE", nullptr);
    storeModuleSettings();
    EXPECT_FALSE(backupModuleSettings());
    EXPECT_FALSE(restoreSettings());
    EXPECT_FALSE(velmar::fs::isFsRedirectionDisabled());
}

TEST_F(Backup, CommonFolderFromTheSettingAndMissingModulesGiveHeaderOnlyFiles) {
    TempDir exchange;
    ScopedEnv unset("VELMAR_COMMON_FOLDER", nullptr);
    ASSERT_TRUE(setCommonFolderValue((exchange.path() + "\\").c_str()));
    store("Key Assignments", "F1", REG_SZ, sz("Help"));
    ASSERT_TRUE(backupModuleSettings());
    EXPECT_EQ(readFileBytes(exchange.file("AT.reg")), "REGEDIT4\r\n\r\n");
    EXPECT_NE(readFileBytes(exchange.file("KeyAssignments.reg")).find("\"F1\"=\"Help\""),
              std::string::npos);

    // Restoring a header-only file creates nothing.
    Key root;
    ASSERT_EQ(root.open(HKEY_CURRENT_USER, kSuite, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(root.deleteTree("Key Assignments"), ERROR_SUCCESS);
    EXPECT_TRUE(restoreSettings());
    EXPECT_EQ(dumpOf("Model Viewer\\AT"), "");
    EXPECT_EQ(dumpOf("Key Assignments"), "[Key Assignments]\nF1|1|" + sz("Help") + "\n");
}

const std::string kDefaults = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kSuite +
                              "\\Model Viewer]\r\n\"Units\"=\"metres\"\r\n\r\n";

TEST_F(Backup, RestoreImportsEveryRegistryFileOfTheFolder) {
    TempDir exchange;
    ScopedEnv folder("VELMAR_COMMON_FOLDER", exchange.path().c_str());
    ScopedEnv noDefaults("VELMAR_DEFAULT_SETTINGS_FILE", nullptr);
    writeFileBytes(exchange.file("defaults.reg"), kDefaults);
    writeFileBytes(exchange.file("Extra.REG"),
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kSuite + "\\Extra]\r\n\"A\"=\"1\"\r\n");
    writeFileBytes(exchange.file("notes.txt"),
                   "[HKEY_CURRENT_USER\\" + kSuite + "\\Notes]\r\n\"A\"=\"1\"\r\n");
    std::filesystem::create_directory(exchange.file("old.reg"));
    EXPECT_TRUE(restoreSettings());
    EXPECT_EQ(dumpOf("Model Viewer"), "[Model Viewer]\nUnits|1|" + sz("metres") + "\n");
    EXPECT_EQ(dumpOf("Extra"), "[Extra]\nA|1|" + sz("1") + "\n");
    EXPECT_EQ(dumpOf("Notes"), "");
}

TEST_F(Backup, RestoreFailsWhenAFileCannotBeImported) {
    TempDir exchange;
    ScopedEnv folder("VELMAR_COMMON_FOLDER", exchange.path().c_str());
    ScopedEnv noDefaults("VELMAR_DEFAULT_SETTINGS_FILE", nullptr);
    ASSERT_EQ(::symlink((exchange.path() + "/gone").c_str(), exchange.file("broken.reg").c_str()),
              0);
    EXPECT_FALSE(restoreSettings());
    EXPECT_FALSE(velmar::fs::isFsRedirectionDisabled());
}

TEST_F(Backup, DefaultSettingsOnlyForAUserWithoutSettings) {
    TempDir files;
    // A path longer than 260 characters is used whole.
    const std::string deep =
        files.path() + "/" + std::string(200, 'd') + "/" + std::string(100, 'e');
    std::filesystem::create_directories(deep);
    const std::string defaults = deep + "/defaults.reg";
    writeFileBytes(defaults, kDefaults);

    {
        ScopedEnv unset("VELMAR_DEFAULT_SETTINGS_FILE", nullptr);
        EXPECT_TRUE(applyDefaultSettingsFile());
    }
    {
        ScopedEnv missing("VELMAR_DEFAULT_SETTINGS_FILE", files.file("missing.reg").c_str());
        EXPECT_FALSE(applyDefaultSettingsFile());
    }
    ScopedEnv variable("VELMAR_DEFAULT_SETTINGS_FILE", defaults.c_str());
    EXPECT_TRUE(applyDefaultSettingsFile());
    EXPECT_EQ(dumpOf("Model Viewer"), "[Model Viewer]\nUnits|1|" + sz("metres") + "\n");

    // A user who has settings keeps them as they are.
    store("Model Viewer", "Units", REG_SZ, sz("feet"));
    EXPECT_FALSE(applyDefaultSettingsFile());
    EXPECT_EQ(dumpOf("Model Viewer"), "[Model Viewer]\nUnits|1|" + sz("feet") + "\n");
}

TEST_F(Backup, RestoreGoesOnWhenTheDefaultSettingsFileIsMissing) {
    TempDir exchange;
    ScopedEnv folder("VELMAR_COMMON_FOLDER", exchange.path().c_str());
    ScopedEnv missing("VELMAR_DEFAULT_SETTINGS_FILE", exchange.file("missing.txt").c_str());
    writeFileBytes(exchange.file("KeyAssignments.reg"),
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kSuite +
                       "\\Key Assignments]\r\n\"F2\"=\"Save\"\r\n\r\n");
    EXPECT_TRUE(restoreSettings());
    EXPECT_EQ(dumpOf("Key Assignments"), "[Key Assignments]\nF2|1|" + sz("Save") + "\n");
}

TEST_F(Backup, RestoreAppliesTheDefaultsFirstEvenWithoutCommonFolder) {
    TempDir files;
    writeFileBytes(files.file("defaults.reg"), kDefaults);
    ScopedEnv unset("VELMAR_COMMON_FOLDER", nullptr);
    ScopedEnv variable("VELMAR_DEFAULT_SETTINGS_FILE", files.file("defaults.reg").c_str());
    EXPECT_FALSE(restoreSettings());
    EXPECT_EQ(dumpOf("Model Viewer"), "[Model Viewer]\nUnits|1|" + sz("metres") + "\n");
}

} // namespace
