// The registry-file value writer, the import's line forms and the export's
// layout, on the real store of a private prefix and real files.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using velmar::registry::Key;
using velmar::registry::Value;
using velmar::test::dumpTree;
using velmar::test::hexOf;
using velmar::test::readFileBytes;
using velmar::test::TempPrefix;
using velmar::test::writeFileBytes;

namespace {

const char* const kKey = "Software\\RegFileTest";

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

bool readValue(const std::string& name, Value& value) {
    Key key;
    return key.open(HKEY_CURRENT_USER, kKey, KEY_READ) == ERROR_SUCCESS &&
           key.queryValue(name, value) == ERROR_SUCCESS;
}

struct TextCase {
    const char* text;
    DWORD type;
    std::string data;
};

TEST(ValueFromText, StoresEachDataForm) {
    TempPrefix prefix;
    const std::vector<TextCase> cases = {
        {"dword:0000000a", REG_DWORD, dword(10)},
        {"dword:ff", REG_DWORD, dword(255)},
        {"dword:", REG_DWORD, dword(0)},
        {"dword: 0x1F", REG_DWORD, dword(31)},
        {"dword:12zz", REG_DWORD, dword(0x12)},
        {"dword:123456789", REG_DWORD, dword(0xffffffff)},
        {"hex:01,02,ff", REG_BINARY, bytesOf({1, 2, 0xff})},
        {"hex:", REG_BINARY, ""},
        {"hex:zz,1", REG_BINARY, bytesOf({0})},
        {"hex: 0a, 0b", REG_BINARY, bytesOf({10, 11})},
        {"hex(2):41,00", REG_EXPAND_SZ, bytesOf({'A', 0})},
        {"hex(b):01,00,00,00,00,00,00,00", REG_QWORD, bytesOf({1, 0, 0, 0, 0, 0, 0, 0})},
        {"hex(0):", REG_NONE, ""},
        {"hex(zz):01", REG_SZ, std::string("hex(zz):01") + '\0'},
        {"C:\\\\Data\\\\x", REG_SZ, std::string("C:\\Data\\x") + '\0'},
        {"a\\b", REG_SZ, std::string("a\\b") + '\0'},
        {"", REG_SZ, std::string(1, '\0')},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(setRegistryValueFromText(HKEY_CURRENT_USER, kKey, "v", c.text));
        Value value;
        ASSERT_TRUE(readValue("v", value));
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(hexOf(value.data), hexOf(c.data));
    }
    EXPECT_FALSE(setRegistryValueFromText(HKEY_CURRENT_USER, nullptr, "v", "x"));
    EXPECT_FALSE(setRegistryValueFromText(HKEY_CURRENT_USER, kKey, "v", nullptr));
}

struct LineCase {
    const char* label;
    std::string lines; // after the key line
    std::string name;  // the value looked at
    DWORD type;        // REG_NONE with empty data: the value must be missing
    std::string data;
    const char* header = "REGEDIT4";
};

std::string text(const std::string& value) {
    return value + '\0';
}

// A value as dumpTree shows it.
std::string row(const std::string& name, DWORD type, const std::string& data) {
    return name + "|" + std::to_string(type) + "|" + hexOf(data) + "\n";
}

TEST(ImportRegistryFile, ReadsEachLineForm) {
    TempPrefix prefix;
    const std::vector<LineCase> cases = {
        {"doubled backslashes", "\"v\"=\"C:\\\\Data\\\\x\"", "v", REG_SZ, text("C:\\Data\\x")},
        {"text with =", "\"v\"=\"a=b\"", "v", REG_SZ, text("a=b")},
        {"quoted text with =", "\"v\"=\"x=\"1\"\"", "v", REG_SZ, text("x=\"1\"")},
        {"unescaped quotes", "\"v\"=\"say \"hi\"\"", "v", REG_SZ, text("say \"hi\"")},
        {"escaped quotes", "\"v\"=\"say \\\"hi\\\"\"", "v", REG_SZ, text("say \"hi\"")},
        {"backslash before a quote, old form", "\"v\"=\"a\\\\\"b\"", "v", REG_SZ, text("a\\\"b")},
        {"single backslash kept", "\"v\"=\"%windir%\\system32\"", "v", REG_SZ,
         text("%windir%\\system32")},
        {"text that looks like dword", "\"v\"=\"dword:12\"", "v", REG_SZ, text("dword:12")},
        {"text that looks like hex", "\"v\"=\"hex:00\"", "v", REG_SZ, text("hex:00")},
        {"empty text", "\"v\"=\"\"", "v", REG_SZ, text("")},
        {"bytes 128-255", "\"v\"=\"\xe9\xb0\xff\"", "v", REG_SZ, text("\xe9\xb0\xff")},
        {"blanks around =", "\"v\" = dword:ff", "v", REG_DWORD, dword(255)},
        {"tab before =", "\"v\"\t=\t\"t\"", "v", REG_SZ, text("t")},
        {"default as @", "@=\"def\"", "", REG_SZ, text("def")},
        {"default as empty name", "\"\"=\"def\"", "", REG_SZ, text("def")},
        {"escaped name", "\"a\\\"b\\\\\"=\"x\"", "a\"b\\", REG_SZ, text("x")},
        {"name with unescaped quote", "\"a\"b\"=\"x\"", "a\"b", REG_SZ, text("x")},
        {"name with =", "\"a=b\"=\"x\"", "a=b", REG_SZ, text("x")},
        {"dword without digits", "\"v\"=dword:", "v", REG_DWORD, dword(0)},
        {"nine-digit dword", "\"v\"=dword:123456789", "v", REG_NONE, ""},
        {"dword with 0x", "\"v\"=dword:0x10", "v", REG_NONE, ""},
        {"unterminated text", "\"v\"=\"abc", "v", REG_NONE, ""},
        {"unquoted data", "\"v\"=abc", "v", REG_NONE, ""},
        {"binary", "\"v\"=hex:01,02", "v", REG_BINARY, bytesOf({1, 2})},
        {"wrapped binary with a comment and a blank line inside",
         "\"v\"=hex:01,02,\\\r\n  03,\\\r\n; note\r\n\r\n  04", "v", REG_BINARY,
         bytesOf({1, 2, 3, 4})},
        {"multi-string in a REGEDIT4 file", "\"v\"=hex(7):61,00,00", "v", REG_MULTI_SZ,
         bytesOf({'a', 0, 0})},
        {"multi-string in a version-5 file", "\"v\"=hex(7):61,00,00,00,00,00", "v", REG_MULTI_SZ,
         bytesOf({'a', 0, 0}), "Windows Registry Editor Version 5.00"},
        {"expandable text in a version-5 file", "\"v\"=hex(2):e9,00,00,00", "v", REG_EXPAND_SZ,
         bytesOf({0xe9, 0}), "Windows Registry Editor Version 5.00"},
        {"64-bit number", "\"v\"=hex(b):ff,00,00,00,00,00,00,01", "v", REG_QWORD,
         bytesOf({0xff, 0, 0, 0, 0, 0, 0, 1})},
        {"value deleted", "\"v\"=\"x\"\r\n\"v\"=-", "v", REG_NONE, ""},
        {"LF line ends", "\"w\"=\"1\"\n\"v\"=\"2\"", "v", REG_SZ, text("2")},
        {"CR line ends", "\"w\"=\"1\"\r\"v\"=\"2\"", "v", REG_SZ, text("2")},
        {"last line without line end", "\"v\"=dword:00000007", "v", REG_DWORD, dword(7)},
        {"comment after a number", "\"v\"=dword:0000002a ;answer", "v", REG_DWORD, dword(42)},
        {"comment after a text", "\"v\"=\"a\"b\" ; \"c\"", "v", REG_SZ, text("a\"b")},
        {"comment after bytes", "\"v\"=hex:11,22 ;x", "v", REG_BINARY, bytesOf({0x11, 0x22})},
        {"comment straight after bytes", "\"v\"=hex:11,22;x", "v", REG_BINARY,
         bytesOf({0x11, 0x22})},
        {"comment after wrapped bytes", "\"v\"=hex:11,\\\r\n  22 ;x", "v", REG_BINARY,
         bytesOf({0x11, 0x22})},
        {"junk after a text", "\"v\"=\"a\" b", "v", REG_NONE, ""},
        {"junk after a number", "\"v\"=dword:2a b", "v", REG_NONE, ""},
        {"junk after bytes", "\"v\"=hex:11,22 33", "v", REG_NONE, ""},
        {"junk after the valid line is its own", "\"v\"=hex:11,22 33\r\n\"w\"=dword:1", "w",
         REG_DWORD, dword(1)},
        {"deletion with a comment", "\"v\"=\"x\"\r\n\"v\"=- ;gone", "v", REG_NONE, ""},
        {"deletion with junk", "\"v\"=\"x\"\r\n\"v\"=-x", "v", REG_SZ, text("x")},
        {"text bytes without terminator, version 5", "\"v\"=hex(1):41,00,42,00", "v", REG_SZ,
         text("AB"), "Windows Registry Editor Version 5.00"},
        {"expandable text without terminator, version 5", "\"v\"=hex(2):41,00", "v", REG_EXPAND_SZ,
         text("A"), "Windows Registry Editor Version 5.00"},
        {"multi-string without terminator, version 5", "\"v\"=hex(7):61,00,62,00", "v",
         REG_MULTI_SZ, text("ab"), "Windows Registry Editor Version 5.00"},
        {"text bytes without terminator, REGEDIT4", "\"v\"=hex(1):41,42", "v", REG_SZ, text("AB")},
        {"expandable text without terminator, REGEDIT4", "\"v\"=hex(2):41", "v", REG_EXPAND_SZ,
         text("A")},
        {"multi-string without terminator, REGEDIT4", "\"v\"=hex(7):61,00,62", "v", REG_MULTI_SZ,
         bytesOf({'a', 0, 'b', 0})},
        {"empty expandable text, REGEDIT4", "\"v\"=hex(2):", "v", REG_EXPAND_SZ, text("")},
        {"binary bytes stay as written", "\"v\"=hex(3):41", "v", REG_BINARY, bytesOf({'A'})},
        {"empty multi-string, version 5", "\"v\"=hex(7):", "v", REG_MULTI_SZ, text(""),
         "Windows Registry Editor Version 5.00"},
        {"wrapped straight after the prefix", "\"v\"=hex:\\\r\n  01,02", "v", REG_BINARY,
         bytesOf({1, 2})},
        {"wrapped bytes broken by a value line", "\"v\"=hex:01,\\\r\n\"w\"=\"1\"", "v", REG_NONE,
         ""},
        {"the breaking line is used up", "\"v\"=hex:01,\\\r\n\"w\"=\"1\"", "w", REG_NONE, ""},
        {"the line after the breaking line is read",
         "\"v\"=hex:01,\\\r\n\"w\"=\"1\"\r\n\"x\"=\"2\"", "x", REG_SZ, text("2")},
        {"wrapped bytes broken by a # line", "\"v\"=hex:01,\\\r\n# x\r\n  02", "v", REG_NONE, ""},
        {"byte straight before the backslash", "\"v\"=hex:01,02\\\r\n  03", "v", REG_NONE, ""},
        {"line after a bad backslash is read", "\"v\"=hex:01,02\\\r\n\"w\"=\"1\"", "w", REG_SZ,
         text("1")},
        {"byte split over two lines", "\"v\"=hex:01,0\\\r\n  2,03", "v", REG_NONE, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.label);
        Key root;
        ASSERT_EQ(root.open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS), ERROR_SUCCESS);
        static_cast<void>(root.deleteTree(kKey)); // absent before the first case
        const std::string file = prefix.path() + "/lines.reg";
        writeFileBytes(file, std::string(c.header) + "\r\n\r\n[HKEY_CURRENT_USER\\" + kKey +
                                 "]\r\n" + c.lines);
        ASSERT_TRUE(importRegistryFile(file.c_str()));
        Value value;
        if (c.type == REG_NONE && c.data.empty()) {
            EXPECT_FALSE(readValue(c.name, value));
            continue;
        }
        ASSERT_TRUE(readValue(c.name, value));
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(hexOf(value.data), hexOf(c.data));
    }
}

TEST(ImportRegistryFile, KeyLinesSelectHiveAndKey) {
    TempPrefix prefix;
    ASSERT_TRUE(setRegistryValueFromText(HKEY_CURRENT_USER, "Software\\Gone\\Deep", "x", "1"));
    ASSERT_TRUE(setRegistryValueFromText(HKEY_CURRENT_USER, "Software\\Kept", "x", "1"));
    const std::string before = dumpTree(HKEY_CURRENT_USER, "");
    const std::string file = prefix.path() + "/keys.reg";
    writeFileBytes(file, "\"early\"=\"before any key line\"\r\n"
                         "[hkey_users\\.DEFAULT\\Software\\T]\r\n"
                         "\"u\"=\"users\"\r\n"
                         "[HKEY_NOWHERE\\Software\\T]\r\n"
                         "\"lost\"=\"unknown hive\"\r\n"
                         "[HKCU\\Software\\T]\r\n"
                         "\"lost\"=\"short names are not hive names here\"\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Broken\r\n"
                         "\"lost\"=\"malformed key line\"\r\n"
                         "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                         "\"lost\"=\"below a deletion\"\r\n"
                         "[-HKEY_CURRENT_USER]\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Empty]\r\n");
    ASSERT_TRUE(importRegistryFile(file.c_str()));

    EXPECT_EQ(dumpTree(HKEY_USERS, ".DEFAULT\\Software\\T"),
              "[.DEFAULT\\Software\\T]\nu|1|" + hexOf(text("users")) + "\n");
    // The deletion took the whole tree, the empty key line made its key, nothing
    // else changed.
    std::string expected = before;
    const std::string gone = "[Software\\Gone]\n[Software\\Gone\\Deep]\nx|1|3100\n";
    expected.replace(expected.find(gone), gone.size(), "[Software\\Empty]\n");
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, ""), expected);
}

TEST(ImportRegistryFile, MachineValuesOfAnOrdinaryUserAreSkipped) {
    TempPrefix prefix;
    ASSERT_TRUE(setRegistryValueFromText(HKEY_LOCAL_MACHINE, "Software\\Existing", "x", "1"));
    velmar::test::ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    const std::string file = prefix.path() + "/machine.reg";
    writeFileBytes(file, std::string("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\T]\r\n"
                                     "\"m\"=\"machine\"\r\n[HKEY_CURRENT_USER\\") +
                             kKey + "]\r\n\"v\"=\"user\"\r\n");
    EXPECT_TRUE(importRegistryFile(file.c_str()));
    Value value;
    EXPECT_TRUE(readValue("v", value));
    EXPECT_EQ(dumpTree(HKEY_LOCAL_MACHINE, "Software\\T"), "");
}

// A file as the earlier writer made it: names and quotes unescaped, backslashes doubled.
TEST(ImportRegistryFile, EarlierExportsImportAsBefore) {
    TempPrefix prefix;
    const std::string file = std::string(VELMAR_TEST_SOURCE_DIR) + "/fixtures/old_writer.reg";
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    std::string blob;
    for (int i = 0; i < 47; ++i) {
        blob += static_cast<char>(i);
    }
    const std::string key = "Software\\VELMAR Systems International\\Old";
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, key),
              "[" + key + "]\n" + row("", REG_SZ, text("default")) +
                  row("path", REG_SZ, text("C:\\Data\\x")) +
                  row("quote", REG_SZ, text("say \"hi\"")) + row("eq", REG_SZ, text("a=b")) +
                  row("tail", REG_SZ, text("C:\\")) + row("bsq", REG_SZ, text("a\\\"b")) +
                  row("dir\\", REG_SZ, text("name ends in a backslash")) +
                  row("ten", REG_DWORD, dword(10)) + row("blob", REG_BINARY, blob) +
                  row("none", REG_BINARY, "") + "[" + key + "\\Sub]\n" +
                  row("v", REG_SZ, text("\xe9\xb0")));
}

// A version-5 file with CR LF line ends where each broken line has valid lines around it:
// only the broken value is lost, and a line that breaks wrapped bytes is used up, even a key
// line.
TEST(ImportRegistryFile, BrokenLinesCostOnlyTheirOwnValue) {
    TempPrefix prefix;
    const std::string file = std::string(VELMAR_TEST_SOURCE_DIR) + "/fixtures/mixed_forms.reg";
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    const std::string key = "Software\\VELMAR Systems International\\Mixed";
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, key),
              "[" + key + "]\n" + row("first", REG_SZ, text("valid")) +
                  row("answer", REG_DWORD, dword(42)) + row("quote", REG_SZ, text("say \"hi\"")) +
                  row("pair", REG_BINARY, bytesOf({0x11, 0x22})) +
                  row("tight", REG_BINARY, bytesOf({0x33, 0x44})) +
                  row("afterJunkText", REG_DWORD, dword(1)) +
                  row("kept", REG_SZ, text("not deleted")) +
                  row("expand", REG_EXPAND_SZ, text("AB")) + row("multi", REG_MULTI_SZ, text("a")) +
                  row("sz", REG_SZ, text("")) + row("next", REG_SZ, text("read as usual")) +
                  row("wrapped", REG_BINARY, bytesOf({1, 2, 3})) +
                  row("afterNoComma", REG_DWORD, dword(3)) + row("afterHash", REG_DWORD, dword(2)) +
                  "[" + key + "\\Sub]\n" + row("last", REG_SZ, text("valid")));
}

TEST(ImportRegistryFile, HeaderIsNotRequired) {
    TempPrefix prefix;
    const std::string file = prefix.path() + "/bare.reg";
    writeFileBytes(file, std::string("[HKEY_CURRENT_USER\\") + kKey + "]\n\"v\"=dword:00000001");
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    Value value;
    ASSERT_TRUE(readValue("v", value));
    EXPECT_EQ(value.data, dword(1));
}

TEST(ImportRegistryFile, VersionFiveInUtf16) {
    TempPrefix prefix;
    const std::wstring body = L"Windows Registry Editor Version 5.00\r\n\r\n"
                              L"[HKEY_CURRENT_USER\\Software\\RegFileTest]\r\n"
                              L"\"t\"=\"caf\u00e9 \u2248\"\r\n"
                              L"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n";
    std::string bytes = "\xff\xfe";
    for (const wchar_t c : body) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>((c >> 8) & 0xff);
    }
    const std::string file = prefix.path() + "/v5.reg";
    writeFileBytes(file, bytes);
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    Value value;
    ASSERT_TRUE(readValue("t", value));
    EXPECT_EQ(value.data, text("caf\xe9 ?"));
    ASSERT_TRUE(readValue("m", value));
    EXPECT_EQ(value.type, REG_MULTI_SZ);
    EXPECT_EQ(hexOf(value.data), hexOf(std::string("a\0b\0\0", 5)));
}

TEST(ImportRegistryFile, BadInputNeverWritesElsewhere) {
    TempPrefix prefix;
    ASSERT_TRUE(setRegistryValueFromText(HKEY_CURRENT_USER, "Software\\Other", "x", "1"));
    const std::string file = prefix.path() + "/bad.reg";
    std::string garbage = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\RegFileTest]\r\n";
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 16);
    }
    // Garbage may hold key lines of its own, which end the key; the rest goes to a new one.
    garbage += "\r\n[HKEY_CURRENT_USER\\Software\\RegFileTest]\r\n";
    garbage += "\"huge\"=\"" + std::string(3 << 20, 'x') + "\"\r\n";
    garbage += "\"open\"=\"unterminated\r\n\"hex\"=hex:0g,zz,1\r\n\"after\"=\"ok\"";
    writeFileBytes(file, garbage);
    const std::string otherBefore = dumpTree(HKEY_CURRENT_USER, "Software\\Other");
    ASSERT_TRUE(importRegistryFile(file.c_str()));

    Value value;
    ASSERT_TRUE(readValue("huge", value));
    EXPECT_EQ(value.data.size(), (3u << 20) + 1);
    EXPECT_FALSE(readValue("open", value));
    ASSERT_TRUE(readValue("hex", value));
    EXPECT_EQ(hexOf(value.data), "0000");
    ASSERT_TRUE(readValue("after", value));
    EXPECT_EQ(dumpTree(HKEY_CURRENT_USER, "Software\\Other"), otherBefore);
    // Everything the garbage made lies below the imported key.
    Key root;
    ASSERT_EQ(root.open(HKEY_CURRENT_USER, "", KEY_READ), ERROR_SUCCESS);
    std::vector<std::string> top;
    for (const std::string& name : root.subkeys()) {
        top.push_back(name);
    }
    EXPECT_EQ(top, std::vector<std::string>{"Software"});
}

TEST(ImportRegistryFile, MissingOrUnreadableFileIsFalse) {
    TempPrefix prefix;
    EXPECT_FALSE(importRegistryFile((prefix.path() + "/missing.reg").c_str()));
    EXPECT_FALSE(importRegistryFile(prefix.path().c_str()));
    EXPECT_FALSE(importRegistryFile(nullptr));
    const std::string file = prefix.path() + "/locked.reg";
    writeFileBytes(file, "REGEDIT4\r\n");
    ::chmod(file.c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_FALSE(importRegistryFile(file.c_str()));
    }
}

// The value forms of the export, and a tree's blocks depth first.
TEST(ExportRegistryKey, WritesTheLayout) {
    TempPrefix prefix;
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const std::string path = "C:\\Data\\x";
    ASSERT_EQ(key.setValue("path", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1)),
              ERROR_SUCCESS);
    const DWORD ten = 10;
    ASSERT_EQ(key.setValue("ten", REG_DWORD, &ten, sizeof ten), ERROR_SUCCESS);
    std::string bytes;
    for (int i = 0; i < 47; ++i) {
        bytes += static_cast<char>(i);
    }
    ASSERT_EQ(key.setValue("blob", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("none", REG_BINARY, "", 0), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("q", REG_SZ, "say \"hi\"", 9), ERROR_SUCCESS);
    for (const char* sub : {"b\\one", "a", "c"}) {
        Key subkey;
        ASSERT_EQ(subkey.create(key, sub, KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(subkey.setValue("", REG_SZ, "d", 2), ERROR_SUCCESS);
    }
    const std::string file = prefix.path() + "/made/here/out.reg";
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, kKey, file.c_str()));

    const std::string k = std::string("[HKEY_CURRENT_USER\\") + kKey;
    EXPECT_EQ(readFileBytes(file), "REGEDIT4\r\n\r\n" + k +
                                       "]\r\n"
                                       "\"path\"=\"C:\\\\Data\\\\x\"\r\n"
                                       "\"ten\"=dword:0000000a\r\n"
                                       "\"blob\"=hex:00,01,02,03,04,05,06,07,08,"
                                       "09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,"
                                       "15,\\\r\n"
                                       "  "
                                       "16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,"
                                       "23,24,25,26,27,28,29,2a,2b,2c,2d,2e\r\n"
                                       "\"none\"=hex:\r\n"
                                       "\"q\"=\"say \\\"hi\\\"\"\r\n"
                                       "\r\n" +
                                       k + "\\a]\r\n\"\"=\"d\"\r\n\r\n" + k + "\\b]\r\n\r\n" + k +
                                       "\\b\\one]\r\n\"\"=\"d\"\r\n\r\n" + k +
                                       "\\c]\r\n\"\"=\"d\"\r\n\r\n");
}

TEST(ExportRegistryKey, FailuresAndMissingKey) {
    TempPrefix prefix;
    const std::string blocker = prefix.path() + "/file";
    writeFileBytes(blocker, "x");
    EXPECT_FALSE(exportRegistryKey(HKEY_CURRENT_USER, kKey, (blocker + "/sub/out.reg").c_str()));
    EXPECT_FALSE(exportRegistryKey(HKEY_CURRENT_USER, kKey, prefix.path().c_str()));
    EXPECT_FALSE(exportRegistryKey(HKEY_CURRENT_USER, kKey, nullptr));

    // A file that cannot be written whole is no backup.
    ASSERT_TRUE(setRegistryValueFromText(HKEY_CURRENT_USER, kKey, "v", "x"));
    EXPECT_FALSE(exportRegistryKey(HKEY_CURRENT_USER, kKey, "/dev/full"));
    const std::string trailing = prefix.path() + "/trailing.reg";
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, "Software\\RegFileTest\\", trailing.c_str()));
    EXPECT_EQ(readFileBytes(trailing),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\RegFileTest]\r\n\"v\"=\"x\"\r\n\r\n");

    const std::string file = prefix.path() + "/empty.reg";
    ASSERT_TRUE(exportRegistryKey(HKEY_CURRENT_USER, "Software\\Missing", file.c_str()));
    EXPECT_EQ(readFileBytes(file), "REGEDIT4\r\n\r\n");
}

} // namespace
