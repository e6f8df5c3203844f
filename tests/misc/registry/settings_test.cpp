#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using velmar::registry::Key;
using velmar::registry::Value;
using velmar::test::ScopedEnv;
using velmar::test::TempPrefix;

namespace {

const std::string kSuite = "Software\\VELMAR Systems International\\";

// Stores raw data below the suite key, bypassing the library.
void store(HKEY hive, const std::string& section, const std::string& name, DWORD type,
           const std::string& data) {
    Key key;
    ASSERT_EQ(key.create(hive, kSuite + section, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue(name, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

void storeText(const std::string& section, const std::string& name, const std::string& text) {
    store(HKEY_CURRENT_USER, section, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

// What is stored below the suite key; type REG_NONE and "<missing>" when nothing is.
Value stored(HKEY hive, const std::string& section, const std::string& name) {
    Key key;
    Value value{REG_NONE, "<missing>"};
    if (key.open(hive, kSuite + section, KEY_READ) == ERROR_SUCCESS) {
        static_cast<void>(key.queryValue(name, value)); // unchanged when missing
    }
    return value;
}

std::string sz(const char* text) {
    return std::string(text, std::strlen(text) + 1);
}

class Settings : public ::testing::Test {
protected:
    TempPrefix m_prefix;
    ScopedEnv m_elevated{"VELMAR_ELEVATED", "1"};
};

} // namespace

TEST_F(Settings, SuiteKeyAndInstallationSection) {
    EXPECT_EQ(getSuiteKeyPath(), "Software\\VELMAR Systems International");
    EXPECT_TRUE(isInstallationSection("Velmar Software\\CurrentVersion"));
    EXPECT_TRUE(isInstallationSection("VELMAR SOFTWARE\\currentversion"));
    EXPECT_FALSE(isInstallationSection("Velmar Software\\CurrentVersion\\"));
    EXPECT_FALSE(isInstallationSection(nullptr));
}

TEST_F(Settings, TypedValuesAreStoredAsText) {
    ASSERT_TRUE(writeUserSetting("Mod", "char", 'x'));
    ASSERT_TRUE(writeUserSetting("Mod", "int", -5));
    ASSERT_TRUE(writeUserSetting("Mod", "long", -7L));
    ASSERT_TRUE(writeUserSetting("Mod", "dword", DWORD{4000000000u}));
    ASSERT_TRUE(writeUserSetting("Mod", "float", 2.5f));
    ASSERT_TRUE(writeUserSetting("Mod", "double", 0.1234567));
    ASSERT_TRUE(writeUserSetting("Mod", "bool", true));
    ASSERT_TRUE(writeUserSetting("Mod", "int64", -9000000000000000000LL));
    ASSERT_TRUE(writeUserSetting("Mod", "text", "plain"));
    ASSERT_TRUE(writeUserSetting("Mod", "string", std::string("standard")));
    ASSERT_TRUE(writeSetting(HKEY_CURRENT_USER, "Mod", "list", std::vector<CString>{"a", "b"}));
    ASSERT_TRUE(writeUserSetting("Mod", "empty list", std::vector<CString>{}));
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"char", "x"},         {"int", "-5"},
        {"long", "-7"},        {"dword", "4000000000"},
        {"float", "2.500000"}, {"double", "0.123457"},
        {"bool", "1"},         {"int64", "-9000000000000000000"},
        {"text", "plain"},     {"string", "standard"},
        {"list", "a;b;"},      {"empty list", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Value value = stored(HKEY_CURRENT_USER, "Mod", c.name);
        EXPECT_EQ(value.type, REG_SZ);
        EXPECT_EQ(value.data, sz(c.text));
    }
    double d = 0;
    ASSERT_TRUE(readUserSetting("Mod", "double", d));
    EXPECT_DOUBLE_EQ(d, 0.123457);
    long long big = 0;
    ASSERT_TRUE(readSetting(HKEY_CURRENT_USER, "Mod", "int64", big));
    EXPECT_EQ(big, -9000000000000000000LL);
    char c = 0;
    ASSERT_TRUE(readUserSetting("Mod", "char", c));
    EXPECT_EQ(c, 'x');
}

TEST_F(Settings, TextsConvertAsTheRuntimeConverts) {
    const struct {
        const char* text;
        int asInt;
        DWORD asDword;
        bool asBool;
        double asDouble;
    } cases[] = {
        {"255 128 0", 255, 33023, true, 255},
        {"300 0 0", 300, 44, true, 300},
        {"16711680", 16711680, 16711680, true, 16711680},
        {"2", 2, 2, true, 2},
        {"yes", 0, 0, false, 0},
        {"  42abc", 42, 42, true, 42},
        {"", 0, 0, false, 0},
        {"-1", -1, 4294967295u, true, -1},
        {"99999999999", INT_MAX, 4294967295u, true, 99999999999.0},
        {"1 2", 1, 1, true, 1},
        {"1.75", 1, 1, true, 1.75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        storeText("Conv", "v", c.text);
        int i = 0x5a5a5a5a;
        DWORD u = 0xdeadbeef;
        bool b = !c.asBool;
        double d = -123.0;
        ASSERT_TRUE(readUserSetting("Conv", "v", i));
        ASSERT_TRUE(readUserSetting("Conv", "v", u));
        ASSERT_TRUE(readSuiteSetting("Conv", "v", b));
        ASSERT_TRUE(readSetting(HKEY_CURRENT_USER, "Conv", "v", d));
        EXPECT_EQ(i, c.asInt);
        EXPECT_EQ(u, c.asDword);
        EXPECT_EQ(b, c.asBool);
        EXPECT_DOUBLE_EQ(d, c.asDouble);
    }
    char ch = 'q';
    storeText("Conv", "v", "");
    ASSERT_TRUE(readUserSetting("Conv", "v", ch));
    EXPECT_EQ(ch, '\0');
}

TEST_F(Settings, FailedReadsLeaveTheOutputAlone) {
    storeText("Big", "huge", std::string(2048, 'h')); // 2049 bytes with the terminator
    storeText("Big", "fits", std::string(2047, 'f'));
    for (const char* section : {"Missing", "Big"}) {
        SCOPED_TRACE(section);
        const char* name = std::strcmp(section, "Big") == 0 ? "huge" : "v";
        int i = 0x5a5a5a5a;
        DWORD u = 0xdeadbeef;
        double d = -123.0;
        CString text = "sentinel";
        std::string standard = "sentinel";
        CStringW wide = L"sentinel";
        EXPECT_FALSE(readUserSetting(section, name, i));
        EXPECT_FALSE(readUserSetting(section, name, u));
        EXPECT_FALSE(readSuiteSetting(section, name, d));
        EXPECT_FALSE(readSetting(HKEY_CURRENT_USER, section, name, text));
        EXPECT_FALSE(readUserSetting(section, name, standard));
        EXPECT_FALSE(readUserSetting(section, name, wide));
        EXPECT_EQ(i, 0x5a5a5a5a);
        EXPECT_EQ(u, 0xdeadbeefu);
        EXPECT_EQ(d, -123.0);
        EXPECT_EQ(text, "sentinel");
        EXPECT_EQ(standard, "sentinel");
        EXPECT_EQ(wide, L"sentinel");
        std::vector<CString> list{"stale"};
        EXPECT_FALSE(readUserSetting(section, name, list));
        EXPECT_TRUE(list.empty());
    }
    CString text;
    ASSERT_TRUE(readUserSetting("Big", "fits", text));
    EXPECT_EQ(text.GetLength(), 2047);
}

TEST_F(Settings, RawTextReadStaysInsideTheBuffer) {
    storeText("Raw", "hello", "hello");
    store(HKEY_CURRENT_USER, "Raw", "unterminated", REG_BINARY, "abc");
    store(HKEY_CURRENT_USER, "Raw", "empty", REG_SZ, "");
    const DWORD number = 0x00434241;
    store(HKEY_CURRENT_USER, "Raw", "dword", REG_DWORD,
          std::string(reinterpret_cast<const char*>(&number), 4));
    const struct {
        const char* name;
        DWORD size;
        bool read;
        std::string expected; // the buffer's first size bytes afterwards
    } cases[] = {
        {"hello", 6, true, sz("hello")},
        {"hello", 5, false, "\xAA\xAA\xAA\xAA\xAA"},
        {"unterminated", 8, true, std::string("ab\0\xAA\xAA\xAA\xAA\xAA", 8)},
        {"empty", 4, true, std::string("\0\xAA\xAA\xAA", 4)},
        {"dword", 8, true, std::string("ABC\0\xAA\xAA\xAA\xAA", 8)},
        {"missing", 4, false, "\xAA\xAA\xAA\xAA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // One guard byte before and after the buffer.
        std::string memory(c.size + 2, '\xAA');
        char* buffer = memory.data() + 1;
        EXPECT_EQ(readUserSetting("Raw", c.name, buffer, c.size), c.read);
        EXPECT_EQ(std::string(buffer, c.size), c.expected);
        EXPECT_EQ(memory.front(), '\xAA');
        EXPECT_EQ(memory.back(), '\xAA');
    }
}

TEST_F(Settings, ByteReadsNeverWriteBeforeTheBuffer) {
    store(HKEY_CURRENT_USER, "Raw", "empty", REG_BINARY, "");
    store(HKEY_CURRENT_USER, "Raw", "bytes", REG_BINARY, std::string("\x01\x02\x03", 3));
    std::string memory(6, '\xAA');
    BYTE* buffer = reinterpret_cast<BYTE*>(memory.data() + 1);
    EXPECT_TRUE(readSettingBytes(HKEY_CURRENT_USER, "Raw", "empty", buffer, 4));
    EXPECT_EQ(memory, std::string(6, '\xAA'));
    EXPECT_TRUE(readUserSetting("Raw", "empty", buffer, 4));
    EXPECT_EQ(memory, std::string(6, '\xAA'));

    EXPECT_TRUE(readSettingBytes(HKEY_CURRENT_USER, "Raw", "bytes", buffer, 4));
    EXPECT_EQ(memory, std::string("\xAA\x01\x02\x00\xAA\xAA", 6));
    // The raw-bytes readers hand back the bytes as stored.
    memory.assign(6, '\xAA');
    EXPECT_TRUE(readSetting(HKEY_CURRENT_USER, "Raw", "bytes", buffer, 4));
    EXPECT_EQ(memory, std::string("\xAA\x01\x02\x03\xAA\xAA", 6));
    memory.assign(6, '\xAA');
    EXPECT_FALSE(readUserSetting("Raw", "bytes", buffer, 2));
    EXPECT_EQ(memory, std::string(6, '\xAA'));

    const BYTE data[] = {9, 8, 7};
    ASSERT_TRUE(writeUserSetting("Raw", "written", data, 3));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Raw", "written").data, "\x09\x08\x07");
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Raw", "written").type, REG_BINARY);
    // A value that cannot be stored is reported, even though the key opened.
    const std::string tooLong(velmar::registry::kMaxValueNameLength + 1, 'n');
    EXPECT_FALSE(writeSettingBytes(HKEY_CURRENT_USER, "Raw", tooLong.c_str(), data, 3));
}

TEST_F(Settings, WideTextsInTheirBinaryAndNarrowForms) {
    ASSERT_TRUE(writeSetting(HKEY_CURRENT_USER, "Wide", "binary", L"h\u00e9\U0001F600"));
    const Value binary = stored(HKEY_CURRENT_USER, "Wide", "binary");
    EXPECT_EQ(binary.type, REG_BINARY);
    EXPECT_EQ(binary.data, std::string("h\0\xE9\0\x3D\xD8\x00\xDE\0\0", 10));
    CStringW wide;
    ASSERT_TRUE(readSetting(HKEY_CURRENT_USER, "Wide", "binary", wide));
    EXPECT_EQ(wide, L"h\u00e9\U0001F600");

    // Binary form written, narrow form read: the text up to the first zero byte.
    ASSERT_TRUE(writeUserSetting("Wide", "ascii", L"abc"));
    ASSERT_TRUE(readUserSetting("Wide", "ascii", wide));
    EXPECT_EQ(wide, L"a");

    ASSERT_TRUE(writeUserSetting("Wide", "narrow", CStringW(L"h\u00e9\u0141")));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Wide", "narrow").data, sz("h\xE9?"));
    ASSERT_TRUE(readUserSetting("Wide", "narrow", wide));
    EXPECT_EQ(wide, L"h\u00e9?");

    // A wide buffer: too small is refused untouched; the text always ends inside it.
    wchar_t buffer[5];
    std::wmemset(buffer, L'#', 5);
    EXPECT_FALSE(readUserSetting("Wide", "ascii", buffer, 3));
    EXPECT_EQ(std::wstring(buffer, 5), L"#####");
    EXPECT_TRUE(readUserSetting("Wide", "ascii", buffer, 4));
    EXPECT_EQ(std::wstring(buffer, 5), std::wstring(L"abc\0#", 5));
    store(HKEY_CURRENT_USER, "Wide", "unterminated", REG_BINARY, std::string("x\0y\0", 4));
    std::wmemset(buffer, L'#', 5);
    EXPECT_TRUE(readSettingWideBytes(HKEY_CURRENT_USER, "Wide", "unterminated", buffer, 2));
    EXPECT_EQ(std::wstring(buffer, 3), std::wstring(L"x\0#", 3));

    std::vector<CStringW> list{L"stale"};
    ASSERT_TRUE(writeUserSetting("Wide", "list", std::vector<CStringW>{L"\u00e9", L"", L"b"}));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Wide", "list").type, REG_BINARY);
    ASSERT_TRUE(readUserSetting("Wide", "list", list));
    EXPECT_EQ(list, (std::vector<CStringW>{L"\u00e9", L"", L"b"}));
    ASSERT_TRUE(readSetting(HKEY_CURRENT_USER, "Wide", "list", list));
    EXPECT_EQ(list.size(), 3u);
}

TEST_F(Settings, TextListsSplitAtEverySemicolon) {
    const struct {
        const char* text;
        std::vector<CString> items;
    } cases[] = {
        {"a;b", {"a"}}, {"a;;b;", {"a", "", "b"}},   {"", {}},
        {";", {""}},    {"x;y;z;", {"x", "y", "z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        storeText("Lists", "v", c.text);
        std::vector<CString> items{"stale"};
        EXPECT_TRUE(readUserSetting("Lists", "v", items));
        EXPECT_EQ(items, c.items);
    }
}

TEST_F(Settings, SuiteSettingsChooseTheirHiveBySection) {
    const std::string install = "Velmar Software\\CurrentVersion";
    store(HKEY_LOCAL_MACHINE, install, "where", REG_SZ, sz("machine"));
    store(HKEY_CURRENT_USER, install, "where", REG_SZ, sz("user"));
    store(HKEY_LOCAL_MACHINE, "Module", "where", REG_SZ, sz("machine"));
    store(HKEY_CURRENT_USER, "Module", "where", REG_SZ, sz("user"));
    CString where;
    ASSERT_TRUE(readSuiteSetting("VELMAR SOFTWARE\\CURRENTVERSION", "where", where));
    EXPECT_EQ(where, "machine");
    ASSERT_TRUE(readSuiteSetting("module", "where", where));
    EXPECT_EQ(where, "user");

    ASSERT_TRUE(writeSuiteSetting(install.c_str(), "both", 7));
    EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, install, "both").data, sz("7"));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, install, "both").data, sz("7"));
    ASSERT_TRUE(writeSuiteSetting("Module", "user only", std::string("u")));
    EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, "Module", "user only").data, "<missing>");

    ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    EXPECT_TRUE(writeSuiteSetting(install.c_str(), "denied", "x"));
    EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, install, "denied").data, "<missing>");
    EXPECT_EQ(stored(HKEY_CURRENT_USER, install, "denied").data, sz("x"));
    EXPECT_FALSE(writeSetting(HKEY_LOCAL_MACHINE, "Module", "denied", 1));
}

TEST_F(Settings, ReadKeyTextFormsAndViews) {
    const std::string key = kSuite + "Velmar Software\\CurrentVersion";
    ASSERT_TRUE(writeSettingText(HKEY_LOCAL_MACHINE, "Velmar Software\\CurrentVersion", "dir",
                                 "C:\\Velmar32", KEY_WOW64_32KEY));
    ASSERT_TRUE(writeSettingText(HKEY_LOCAL_MACHINE, "Velmar Software\\CurrentVersion", "long",
                                 std::string(600, 'l').c_str(), 0));
    CString text = "sentinel";
    std::string standard = "sentinel";
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, false));
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, FALSE));
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, KEY_WOW64_64KEY));
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", standard, false));
    EXPECT_EQ(text, "sentinel");
    EXPECT_EQ(standard, "sentinel");
    ASSERT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, true));
    EXPECT_EQ(text, "C:\\Velmar32");
    ASSERT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "DIR", standard, true));
    EXPECT_EQ(standard, "C:\\Velmar32");
    text = "";
    ASSERT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, TRUE));
    EXPECT_EQ(text, "C:\\Velmar32");
    text = "";
    ASSERT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "dir", text, KEY_WOW64_32KEY));
    EXPECT_EQ(text, "C:\\Velmar32");

    std::vector<CString> names;
    ASSERT_TRUE(listSubkeys(HKEY_LOCAL_MACHINE, "Software", names, KEY_WOW64_32KEY));
    EXPECT_EQ(names, std::vector<CString>{"VELMAR Systems International"});
    ASSERT_TRUE(listSubkeys(HKEY_LOCAL_MACHINE, "Software", names, 0));
    EXPECT_EQ(names, (std::vector<CString>{"VELMAR Systems International", "WOW6432Node"}));
    ASSERT_TRUE(listValueNames(HKEY_LOCAL_MACHINE, key.c_str(), names, true));
    EXPECT_EQ(names, std::vector<CString>{"dir"});

    // 601 bytes fit the long forms' 2048 bytes but not the short forms' 512.
    ASSERT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "long", text, false));
    EXPECT_EQ(text.GetLength(), 600);
    text = "sentinel";
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "long", text, FALSE));
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key.c_str(), "long", text, DWORD{0}));
    EXPECT_EQ(text, "sentinel");
}

TEST_F(Settings, ListingSubkeysAndValueNames) {
    std::vector<CString> names{"stale"};
    EXPECT_FALSE(listSectionSubkeys("Listing", names));
    EXPECT_TRUE(names.empty());
    storeText("Listing", "", "default only");
    EXPECT_FALSE(listSectionSubkeys("Listing", names));
    EXPECT_FALSE(listSectionValueNames("Listing", names));
    EXPECT_TRUE(names.empty());

    for (const char* sub : {"beta", "Alpha", "\xE9t\xE9"}) {
        ASSERT_TRUE(writeUserSetting(("Listing\\" + std::string(sub)).c_str(), "v", 1));
    }
    ASSERT_TRUE(listSectionSubkeys("listing", names));
    EXPECT_EQ(names, (std::vector<CString>{"Alpha", "beta", "\xE9t\xE9"}));
    std::vector<CStringW> wideNames;
    ASSERT_TRUE(listSubkeys(HKEY_CURRENT_USER, (kSuite + "Listing").c_str(), wideNames, 0));
    EXPECT_EQ(wideNames, (std::vector<CStringW>{L"Alpha", L"beta", L"\u00e9t\u00e9"}));

    const std::string fits(511, 'f');
    const std::string tooLong(512, 't');
    for (const std::string& name :
         {std::string("zeta"), fits, std::string("alpha"), tooLong, std::string("after")}) {
        storeText("Listing", name, "x");
    }
    ASSERT_TRUE(listSectionValueNames("Listing", names));
    EXPECT_EQ(names, (std::vector<CString>{"zeta", CString(fits.c_str()), "alpha"}));
    ASSERT_TRUE(listValueNames(HKEY_CURRENT_USER, (kSuite + "Listing").c_str(), names, false));
    EXPECT_EQ(names.size(), 3u);
    // The current user's hive is the same in the 32-bit view.
    ASSERT_TRUE(listValueNames(HKEY_CURRENT_USER, (kSuite + "Listing").c_str(), names, true));
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(Settings, DeletingSectionsAndValues) {
    ASSERT_TRUE(writeUserSetting("Del\\Child", "v", 1));
    ASSERT_TRUE(writeUserSetting("Del", "v", 1));
    EXPECT_TRUE(sectionExists(HKEY_CURRENT_USER, "DEL\\child"));
    EXPECT_FALSE(deleteSection(HKEY_CURRENT_USER, "Del", false));
    EXPECT_TRUE(sectionExists(HKEY_CURRENT_USER, "Del"));
    EXPECT_TRUE(deleteSection(HKEY_CURRENT_USER, "Del\\Child", false));
    EXPECT_TRUE(deleteSettingValue(HKEY_CURRENT_USER, "Del", "V"));
    EXPECT_FALSE(deleteSettingValue(HKEY_CURRENT_USER, "Del", "v"));
    EXPECT_FALSE(deleteSettingValue(HKEY_CURRENT_USER, "Nowhere", "v"));
    ASSERT_TRUE(writeUserSetting(nullptr, "top", 1));
    EXPECT_TRUE(deleteSettingValue(HKEY_CURRENT_USER, nullptr, "top"));

    ASSERT_TRUE(writeUserSetting("Other\\Deep", "v", 1));
    EXPECT_TRUE(deleteSection(HKEY_CURRENT_USER, nullptr, true));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, nullptr));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Other"));
    Key software;
    EXPECT_EQ(software.open(HKEY_CURRENT_USER, "Software", KEY_READ), ERROR_SUCCESS);
    EXPECT_FALSE(deleteSection(HKEY_CURRENT_USER, "Other", true));
}

TEST_F(Settings, CopyAndMoveSections) {
    ASSERT_TRUE(writeUserSetting("Src", "a", 1));
    ASSERT_TRUE(writeUserSetting("Src\\Sub", "b", 2));
    ASSERT_TRUE(writeUserSetting("Taken", "c", 3));

    EXPECT_FALSE(copySection(HKEY_CURRENT_USER, "Src", "taken"));
    std::vector<CString> names;
    ASSERT_TRUE(listSectionValueNames("Taken", names));
    EXPECT_EQ(names, std::vector<CString>{"c"});
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Taken\\Sub"));

    ASSERT_TRUE(copySection(HKEY_CURRENT_USER, "Src", "Copy"));
    int value = 0;
    ASSERT_TRUE(readUserSetting("Copy\\Sub", "b", value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(sectionExists(HKEY_CURRENT_USER, "Src\\Sub"));

    // A copy of a missing source leaves no target behind.
    EXPECT_FALSE(copySection(HKEY_CURRENT_USER, "Missing", "Ghost"));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Ghost"));
    EXPECT_FALSE(moveSection(HKEY_CURRENT_USER, "Src", "Taken"));
    EXPECT_TRUE(sectionExists(HKEY_CURRENT_USER, "Src"));

    // Into its own subtree the source would be deleted with the copy.
    EXPECT_FALSE(moveSection(HKEY_CURRENT_USER, "Src", "SRC\\Inner"));
    EXPECT_FALSE(moveSection(HKEY_CURRENT_USER, "Src", "src"));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Src\\Inner"));
    ASSERT_TRUE(readUserSetting("Src\\Sub", "b", value));

    ASSERT_TRUE(moveSection(HKEY_CURRENT_USER, "Src", "Moved"));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Src"));
    ASSERT_TRUE(readUserSetting("Moved\\Sub", "b", value));

    ASSERT_TRUE(writeSetting(HKEY_LOCAL_MACHINE, "Src", "a", 1));
    ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    EXPECT_FALSE(moveSection(HKEY_LOCAL_MACHINE, "Src", "Moved"));
    EXPECT_TRUE(sectionExists(HKEY_LOCAL_MACHINE, "Src"));
    EXPECT_FALSE(sectionExists(HKEY_LOCAL_MACHINE, "Moved"));
}

TEST_F(Settings, NumberedLists) {
    ASSERT_TRUE(writeSettingList("Mod", "Recent", std::vector<CString>{"one", "two", "three"}));
    std::vector<CString> names;
    ASSERT_TRUE(listSectionValueNames("Mod\\Recent", names));
    EXPECT_EQ(names, (std::vector<CString>{"00000", "00001", "00002"}));
    ASSERT_TRUE(writeSettingList("Mod", "Recent", std::vector<CString>{"uno", "dos"}));
    ASSERT_TRUE(listSectionValueNames("Mod\\Recent", names));
    EXPECT_EQ(names, (std::vector<CString>{"00000", "00001"}));

    storeText("Mod\\Recent", "extra", "added by hand");
    std::vector<CString> items{"stale"};
    ASSERT_TRUE(readSettingList("Mod", "Recent", items));
    EXPECT_EQ(items, (std::vector<CString>{"uno", "dos", "added by hand"}));

    ASSERT_TRUE(writeSettingList("Mod", "Wide", std::vector<CStringW>{L"\u00e9", L"x"}));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Mod\\Wide", "00000").data, sz("\xE9"));
    std::vector<CStringW> wide;
    ASSERT_TRUE(readSettingList("Mod", "Wide", wide));
    EXPECT_EQ(wide, (std::vector<CStringW>{L"\u00e9", L"x"}));

    ASSERT_TRUE(writeSettingList("Mod", "Recent", std::vector<CString>{}));
    EXPECT_FALSE(sectionExists(HKEY_CURRENT_USER, "Mod\\Recent"));
    EXPECT_FALSE(readSettingList("Mod", "Recent", items));
    EXPECT_TRUE(items.empty());
}
