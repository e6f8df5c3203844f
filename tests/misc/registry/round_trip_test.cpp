// Export, wipe and import: every value comes back byte for byte, whatever its
// type, size, name or text; only a text without its terminator gains one, as regedit reads it.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmar::registry::Key;
using velmar::test::dumpTree;
using velmar::test::TempPrefix;

namespace {

struct RoundTripValue {
    std::string name;
    DWORD type;
    std::string data;
    std::string restored = data; // what the import gives back
};

std::string z(const std::string& text) {
    return text + '\0';
}

std::string allBytes(std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += static_cast<char>(i * 7 + 3);
    }
    return out;
}

std::vector<RoundTripValue> awkwardValues() {
    std::string high;
    for (int c = 128; c < 256; ++c) {
        high += static_cast<char>(c);
    }
    return {
        {"", REG_SZ, z("default")},
        {"plain", REG_SZ, z("text")},
        {"empty text", REG_SZ, z("")},
        {"quotes", REG_SZ, z("say \"hi\" \"")},
        {"equals", REG_SZ, z("a=b=\"c\"")},
        {"backslashes", REG_SZ, z("\\\\server\\share\\")},
        {"backslash quote", REG_SZ, z("a\\\"b\\")},
        {"looks like dword", REG_SZ, z("dword:12")},
        {"looks like hex", REG_SZ, z("hex:00")},
        {"high bytes", REG_SZ, z(high)},
        {"line ends", REG_SZ, z("one\r\ntwo\nthree\r")},
        {"embedded zero", REG_SZ, std::string("a\0b\0", 4)},
        {"no terminator", REG_SZ, "abc", z("abc")},
        {"no bytes", REG_SZ, "", z("")},
        {"long text", REG_SZ, z(std::string(70000, 'L'))},
        {"number", REG_DWORD, std::string("\x0a\0\0\0", 4)},
        {"big number", REG_DWORD, "\xff\xff\xff\xff"},
        {"short number", REG_DWORD, "\x01\x02"},
        {"binary", REG_BINARY, allBytes(47)},
        {"empty binary", REG_BINARY, ""},
        {"long binary", REG_BINARY, allBytes(100000)},
        {"expandable", REG_EXPAND_SZ, z("%windir%\\x")},
        {"multi", REG_MULTI_SZ, std::string("a\0b \"c\"\0\0", 9)},
        {"qword", REG_QWORD, allBytes(8)},
        {"none", REG_NONE, ""},
        {"none with bytes", REG_NONE, "\x01"},
        {"big-endian", REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x01"},
        {"odd type", 0x12345, "\x42"},
        {"name \"with\" quotes", REG_SZ, z("q")},
        {"name=with=equals", REG_SZ, z("e")},
        {"name\\with\\backslashes\\", REG_SZ, z("b")},
        {"\"", REG_SZ, z("only a quote")},
        {"@", REG_SZ, z("at sign")},
        {"caf\xe9 \xb0", REG_SZ, z("high name")},
        {std::string(1000, 'n'), REG_BINARY, allBytes(600)},
        {std::string(600, 'm'), REG_SZ, z(std::string(600, 'v'))},
    };
}

void fill(Key& key, const std::vector<RoundTripValue>& values, bool restored = false) {
    for (const RoundTripValue& value : values) {
        const std::string& data = restored ? value.restored : value.data;
        ASSERT_EQ(
            key.setValue(value.name, value.type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS)
            << value.name;
    }
}

// Exports the tree, deletes it, imports the file and expects the tree dumped as `expected`
// (by default as it was).
void expectRoundTrip(HKEY hive, const std::string& keyPath, const std::string& file,
                     std::string expected = {}) {
    const std::string before = dumpTree(hive, keyPath);
    ASSERT_FALSE(before.empty());
    if (expected.empty()) {
        expected = before;
    }
    ASSERT_TRUE(exportRegistryKey(hive, keyPath.c_str(), file.c_str()));
    Key root;
    ASSERT_EQ(root.open(hive, "", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(root.deleteTree(keyPath), ERROR_SUCCESS);
    ASSERT_TRUE(dumpTree(hive, keyPath).empty());
    ASSERT_TRUE(importRegistryFile(file.c_str()));
    EXPECT_EQ(dumpTree(hive, keyPath), expected);
}

TEST(RegistryFileRoundTrip, EveryValueComesBackByteForByte) {
    TempPrefix prefix;
    const std::string keyPath = "Software\\VELMAR Systems International\\RoundTrip";
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, keyPath, KEY_ALL_ACCESS), ERROR_SUCCESS);
    // The tree as the import gives it back, then the values as they are exported; setting a
    // value again keeps its place in the creation order.
    fill(key, awkwardValues(), true);
    // Subkeys: with values, empty, nested, awkward names.
    for (const char* sub :
         {"Window Positions", "Empty", "Deep\\Er\\Est", "caf\xe9 [x] \"y\"", "z=1"}) {
        Key subkey;
        ASSERT_EQ(subkey.create(key, sub, KEY_ALL_ACCESS), ERROR_SUCCESS);
        if (std::string(sub) != "Empty") {
            fill(subkey, {{"v", REG_SZ, z(sub)}, {"n", REG_DWORD, "\x01\0\0\0"}});
        }
    }
    const std::string restored = dumpTree(HKEY_CURRENT_USER, keyPath);
    fill(key, awkwardValues());
    key.close();
    expectRoundTrip(HKEY_CURRENT_USER, keyPath, prefix.path() + "/round.reg", restored);
}

TEST(RegistryFileRoundTrip, EachHiveExportsUnderItsOwnName) {
    TempPrefix prefix;
    for (const HKEY hive :
         {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
        const std::string name = velmar::registry::hiveName(hive);
        SCOPED_TRACE(name);
        Key key;
        ASSERT_EQ(key.create(hive, "Velmar.Test\\Sub", KEY_ALL_ACCESS), ERROR_SUCCESS);
        fill(key, {{"", REG_SZ, z(name)}});
        key.close();
        const std::string file = prefix.path() + "/" + name + ".reg";
        expectRoundTrip(hive, "Velmar.Test", file);
        EXPECT_NE(velmar::test::readFileBytes(file).find("\r\n[" + name + "\\Velmar.Test]\r\n"),
                  std::string::npos);
    }
}

} // namespace
