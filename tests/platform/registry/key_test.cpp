#include "platform/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <ranges>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace velmar::registry;
using velmar::test::ScopedEnv;
using velmar::test::TempPrefix;

namespace {

static_assert(std::ranges::input_range<Key::Range<std::string>>);
static_assert(std::ranges::input_range<Key::Range<NamedValue>>);

std::vector<std::string> subkeysOf(const Key& key) {
    std::vector<std::string> names;
    auto subkeys = key.subkeys();
    for (const std::string& name : subkeys) {
        names.push_back(name);
    }
    EXPECT_EQ(subkeys.error(), ERROR_SUCCESS);
    return names;
}

std::vector<std::string> valueNamesOf(const Key& key) {
    std::vector<std::string> names;
    auto values = key.values();
    for (const NamedValue& value : values) {
        names.push_back(value.name);
    }
    EXPECT_EQ(values.error(), ERROR_SUCCESS);
    return names;
}

DWORD setText(Key& key, const std::string& name, const std::string& text) {
    return key.setValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class RegistryKey : public ::testing::Test {
protected:
    TempPrefix m_prefix;
};

} // namespace

TEST_F(RegistryKey, NamesCompareWithoutCaseAndKeepTheirCase) {
    Key key;
    DWORD disposition = 0;
    ASSERT_EQ(
        key.create(HKEY_CURRENT_USER, "Software\\MiXed\\\xE9t\xE9", KEY_ALL_ACCESS, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setText(key, "Colour", "red"), ERROR_SUCCESS);

    Key again;
    ASSERT_EQ(again.create(HKEY_CURRENT_USER, "SOFTWARE\\mixed\\\xC9T\xC9\\", KEY_ALL_ACCESS,
                           &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    Value value;
    ASSERT_EQ(again.queryValue("COLOUR", value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(value.data, std::string("red", 4));
    ASSERT_EQ(setText(again, "colour", "blue"), ERROR_SUCCESS);
    EXPECT_EQ(valueNamesOf(again), std::vector<std::string>{"Colour"});

    Key software;
    ASSERT_EQ(software.open(HKEY_CURRENT_USER, "software", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(subkeysOf(software), std::vector<std::string>{"MiXed"});
    EXPECT_EQ(::access((m_prefix.prefix() + "/registry/HKEY_CURRENT_USER.db").c_str(), F_OK), 0);
}

TEST_F(RegistryKey, SubkeysSortWithoutCaseAndValuesKeepCreationOrder) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Order", KEY_ALL_ACCESS), ERROR_SUCCESS);
    for (const char* name : {"b", "_x", "\xE9", "A", "C", "a1", "\xC8"}) {
        Key child;
        ASSERT_EQ(child.create(key, name, KEY_ALL_ACCESS), ERROR_SUCCESS) << name;
    }
    // By upper-case mapping: A(41) A1 B C _(5F) È(C8) É(C9).
    EXPECT_EQ(subkeysOf(key),
              (std::vector<std::string>{"A", "a1", "b", "C", "_x", "\xC8", "\xE9"}));

    for (const char* name : {"zeta", "Alpha", "", "mid"}) {
        ASSERT_EQ(setText(key, name, "1"), ERROR_SUCCESS);
    }
    ASSERT_EQ(setText(key, "ALPHA", "overwritten"), ERROR_SUCCESS);
    ASSERT_EQ(key.deleteValue("zeta"), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, "Zeta", "again"), ERROR_SUCCESS);
    EXPECT_EQ(valueNamesOf(key), (std::vector<std::string>{"Alpha", "", "mid", "Zeta"}));

    KeyInfo info;
    ASSERT_EQ(key.queryInfo(info), ERROR_SUCCESS);
    EXPECT_EQ(info.subkeys, 7u);
    EXPECT_EQ(info.maxSubkeyLength, 2u);
    EXPECT_EQ(info.values, 4u);
    EXPECT_EQ(info.maxValueNameLength, 5u);
    EXPECT_EQ(info.maxValueDataLength, 12u);
    std::string name = "sentinel";
    EXPECT_EQ(key.enumKey(7, name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(key.enumValue(4, name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(name, "sentinel");
}

TEST_F(RegistryKey, ShortBufferGivesMoreDataAndTheNeededSize) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Buffers", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, "text", "hello"), ERROR_SUCCESS);

    unsigned char buffer[7];
    std::memset(buffer, 0xAB, sizeof buffer);
    DWORD type = 0xdeadbeef;
    DWORD size = 5;
    EXPECT_EQ(key.queryValue("text", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, REG_SZ);
    for (unsigned char byte : buffer) {
        EXPECT_EQ(byte, 0xAB);
    }

    size = 0;
    EXPECT_EQ(key.queryValue("text", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    size = 6;
    EXPECT_EQ(key.queryValue("text", &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), std::string("hello", 6));
    EXPECT_EQ(buffer[6], 0xAB);

    size = 0xdeadbeef;
    EXPECT_EQ(key.queryValue("missing", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0xdeadbeefu);
}

TEST_F(RegistryKey, DeleteKeyRefusesSubkeysAndDeletedHandlesSayKeyDeleted) {
    Key parent;
    ASSERT_EQ(parent.create(HKEY_CURRENT_USER, "Tree\\Leaf\\Deeper", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    Key tree;
    ASSERT_EQ(tree.open(HKEY_CURRENT_USER, "Tree", KEY_ALL_ACCESS), ERROR_SUCCESS);
    Key leaf;
    ASSERT_EQ(leaf.open(tree, "leaf", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(leaf, "v", "x"), ERROR_SUCCESS);

    EXPECT_EQ(tree.deleteKey("Leaf"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tree.deleteKey("Leaf\\Deeper"), ERROR_SUCCESS);
    EXPECT_EQ(tree.deleteKey("Leaf\\Deeper"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(parent.queryValue("v", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);

    Key root;
    ASSERT_EQ(root.open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(root.deleteTree("TREE"), ERROR_SUCCESS);
    std::string name;
    Key child;
    Value value;
    EXPECT_EQ(leaf.queryValue("v", value), ERROR_KEY_DELETED);
    EXPECT_EQ(setText(leaf, "v", "y"), ERROR_KEY_DELETED);
    EXPECT_EQ(leaf.enumKey(0, name), ERROR_KEY_DELETED);
    EXPECT_EQ(leaf.enumValue(0, name), ERROR_KEY_DELETED);
    EXPECT_EQ(child.create(leaf, "new", KEY_ALL_ACCESS), ERROR_KEY_DELETED);
    EXPECT_EQ(child.open(leaf, "new", KEY_READ), ERROR_KEY_DELETED);
    EXPECT_EQ(child.open(HKEY_CURRENT_USER, "Tree", KEY_READ), ERROR_FILE_NOT_FOUND);

    // Recreated under the same name, the old handle still refers to the deleted key.
    ASSERT_EQ(child.create(HKEY_CURRENT_USER, "Tree\\Leaf", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(leaf.queryValue("v", value), ERROR_KEY_DELETED);
    ASSERT_EQ(child.create(HKEY_CURRENT_USER, "Tree\\Leaf\\Deeper", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(child.open(leaf, "Deeper", KEY_READ), ERROR_KEY_DELETED);
}

TEST_F(RegistryKey, NamesLongerThanWindowsAllowsAreRefused) {
    const std::string longest(kMaxKeyNameLength, 'k');
    Key key;
    EXPECT_EQ(key.create(HKEY_CURRENT_USER, longest, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(key.create(HKEY_CURRENT_USER, "a\\" + longest + "k", KEY_ALL_ACCESS),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key.open(HKEY_CURRENT_USER, longest + "k", KEY_READ), ERROR_INVALID_PARAMETER);
    Key other;
    EXPECT_EQ(other.open(HKEY_CURRENT_USER, "a", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(other.create(HKEY_CURRENT_USER, "\\a", KEY_ALL_ACCESS), ERROR_BAD_PATHNAME);
    EXPECT_EQ(other.create(HKEY_CURRENT_USER, "a\\\\b", KEY_ALL_ACCESS), ERROR_BAD_PATHNAME);

    const std::string valueName(kMaxValueNameLength, 'v');
    EXPECT_EQ(setText(key, valueName, "ok"), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, valueName + "v", "too long"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(valueNamesOf(key), std::vector<std::string>{valueName});
}

TEST_F(RegistryKey, The32BitViewOfMachineSoftwareIsWow6432Node) {
    ScopedEnv elevated("VELMAR_ELEVATED", "1");
    Key key32;
    ASSERT_EQ(
        key32.create(HKEY_LOCAL_MACHINE, "Software\\Maker\\App", KEY_ALL_ACCESS | KEY_WOW64_32KEY),
        ERROR_SUCCESS);
    ASSERT_EQ(setText(key32, "bits", "32"), ERROR_SUCCESS);
    Key key64;
    ASSERT_EQ(
        key64.create(HKEY_LOCAL_MACHINE, "Software\\Maker\\App", KEY_ALL_ACCESS | KEY_WOW64_64KEY),
        ERROR_SUCCESS);
    ASSERT_EQ(setText(key64, "bits", "64"), ERROR_SUCCESS);

    Value value;
    Key reader;
    ASSERT_EQ(reader.open(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\Maker\\App", KEY_READ),
              ERROR_SUCCESS);
    ASSERT_EQ(reader.queryValue("bits", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("32", 3));
    ASSERT_EQ(reader.open(HKEY_LOCAL_MACHINE, "Software\\Maker\\App", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(reader.queryValue("bits", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("64", 3));

    Key software32;
    ASSERT_EQ(software32.open(HKEY_LOCAL_MACHINE, "Software", KEY_READ | KEY_WOW64_32KEY),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeysOf(software32), std::vector<std::string>{"Maker"});
    EXPECT_EQ(
        key32.open(HKEY_LOCAL_MACHINE, "Software", KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY),
        ERROR_INVALID_PARAMETER);

    // The current user's hive is the same in both views.
    Key user;
    ASSERT_EQ(user.create(HKEY_CURRENT_USER, "Software\\Maker", KEY_ALL_ACCESS | KEY_WOW64_32KEY),
              ERROR_SUCCESS);
    ASSERT_EQ(setText(user, "shared", "yes"), ERROR_SUCCESS);
    ASSERT_EQ(reader.open(HKEY_CURRENT_USER, "Software\\Maker", KEY_READ | KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    EXPECT_EQ(reader.queryValue("shared", value), ERROR_SUCCESS);
}

TEST_F(RegistryKey, MachineHiveWritesNeedElevation) {
    {
        ScopedEnv elevated("VELMAR_ELEVATED", "1");
        Key key;
        ASSERT_EQ(key.create(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(setText(key, "v", "before"), ERROR_SUCCESS);
    }
    ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    Key key;
    EXPECT_EQ(key.create(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_ALL_ACCESS),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.create(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.open(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_WRITE), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(key.isOpen());
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, "v", "after"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.deleteValue("v"), ERROR_ACCESS_DENIED);
    Key root;
    ASSERT_EQ(root.open(HKEY_LOCAL_MACHINE, "", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(root.deleteTree("Software"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(root.deleteKey("Software\\Maker"), ERROR_ACCESS_DENIED);
    Value value;
    ASSERT_EQ(key.queryValue("v", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("before", 7));
    Key reader;
    EXPECT_EQ(reader.open(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKey, ReadOnlyHandlesRefuseWrites) {
    Key writer;
    ASSERT_EQ(writer.create(HKEY_CURRENT_USER, "ReadOnly", KEY_ALL_ACCESS), ERROR_SUCCESS);
    Key reader;
    ASSERT_EQ(reader.open(HKEY_CURRENT_USER, "ReadOnly", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(setText(reader, "v", "x"), ERROR_ACCESS_DENIED);
    Key child;
    EXPECT_EQ(child.create(reader, "child", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    Key setOnly;
    ASSERT_EQ(setOnly.open(HKEY_CURRENT_USER, "ReadOnly", KEY_SET_VALUE), ERROR_SUCCESS);
    std::string name;
    EXPECT_EQ(setOnly.enumKey(0, name), ERROR_ACCESS_DENIED);
    Value value;
    EXPECT_EQ(setOnly.queryValue("v", value), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryKey, TransactionCommitsAllOrNothing) {
    {
        Transaction transaction(HKEY_CURRENT_USER);
        ASSERT_EQ(transaction.status(), ERROR_SUCCESS);
        Key key;
        ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Tx\\Dropped", KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(setText(key, "v", "x"), ERROR_SUCCESS);
    }
    Key key;
    EXPECT_EQ(key.open(HKEY_CURRENT_USER, "Tx", KEY_READ), ERROR_FILE_NOT_FOUND);
    {
        Transaction transaction(HKEY_CURRENT_USER);
        ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Tx\\Kept", KEY_ALL_ACCESS), ERROR_SUCCESS);
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(setText(key, "v" + std::to_string(i), "x"), ERROR_SUCCESS);
        }
        {
            Transaction inner(HKEY_CURRENT_USER);
            ASSERT_EQ(setText(key, "inner", "rolled back"), ERROR_SUCCESS);
        }
        // A failing call inside the scope changes nothing and leaves the scope usable.
        EXPECT_EQ(setText(key, std::string(kMaxValueNameLength + 1, 'x'), "x"),
                  ERROR_INVALID_PARAMETER);
        ASSERT_EQ(transaction.commit(), ERROR_SUCCESS);
        EXPECT_EQ(transaction.commit(), ERROR_INVALID_FUNCTION);
    }
    ASSERT_EQ(key.open(HKEY_CURRENT_USER, "tx\\kept", KEY_READ), ERROR_SUCCESS);
    KeyInfo info;
    ASSERT_EQ(key.queryInfo(info), ERROR_SUCCESS);
    EXPECT_EQ(info.values, 100u);
}

TEST_F(RegistryKey, CopyTreeCopiesValuesAndSubkeysIntoAnotherHive) {
    ScopedEnv elevated("VELMAR_ELEVATED", "1");
    Key source;
    ASSERT_EQ(source.create(HKEY_CURRENT_USER, "Src\\Sub\\Deep", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(source, "deep", "1"), ERROR_SUCCESS);
    ASSERT_EQ(source.open(HKEY_CURRENT_USER, "Src", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(source, "top", "2"), ERROR_SUCCESS);
    const BYTE bytes[] = {0, 1, 2};
    ASSERT_EQ(source.setValue("bin", REG_BINARY, bytes, 3), ERROR_SUCCESS);

    Key target;
    ASSERT_EQ(target.create(HKEY_LOCAL_MACHINE, "Dst", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(target, "top", "old"), ERROR_SUCCESS);
    Key user;
    ASSERT_EQ(user.open(HKEY_CURRENT_USER, "", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(user.copyTree("src", target), ERROR_SUCCESS);

    EXPECT_EQ(valueNamesOf(target), (std::vector<std::string>{"top", "bin"}));
    Value value;
    ASSERT_EQ(target.queryValue("top", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("2", 2));
    ASSERT_EQ(target.queryValue("bin", value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(value.data, std::string("\0\1\2", 3));
    Key deep;
    ASSERT_EQ(deep.open(HKEY_LOCAL_MACHINE, "DST\\sub\\deep", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(deep.queryValue("deep", value), ERROR_SUCCESS);
    EXPECT_EQ(subkeysOf(target), std::vector<std::string>{"Sub"});

    // A copy into the source's own subtree copies what was there before it began.
    ASSERT_EQ(target.create(HKEY_CURRENT_USER, "Src\\Copy", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(source.copyTree("", target), ERROR_SUCCESS);
    EXPECT_EQ(subkeysOf(target), (std::vector<std::string>{"Copy", "Sub"}));
    EXPECT_EQ(user.copyTree("missing", target), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKey, Win32FunctionsFollowTheirBufferContracts) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Win32\\Key", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char text[] = "value";
    ASSERT_EQ(RegSetValueExA(key, "LongName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);

    char name[9];
    std::memset(name, 'x', sizeof name);
    DWORD chars = 8; // "LongName" needs 9 with its terminator
    EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(name[0], 'x');
    chars = 9;
    DWORD type = 0;
    BYTE data[6];
    DWORD size = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_STREQ(name, "LongName");
    EXPECT_EQ(chars, 8u);
    EXPECT_EQ(size, 6u);

    DWORD subkeys = 0xdeadbeef;
    DWORD values = 0xdeadbeef;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 1u);

    const BYTE wide[] = {'w', 0, 'i', 0, 0, 0};
    ASSERT_EQ(RegSetValueExW(key, L"Wide", 0, REG_SZ, wide, sizeof wide), ERROR_SUCCESS);
    BYTE narrow[3];
    size = sizeof narrow;
    ASSERT_EQ(RegQueryValueExA(key, "wide", nullptr, &type, narrow, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(narrow), size), std::string("wi", 3));
    BYTE back[6];
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExW(key, L"WIDE", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(back, wide, sizeof wide), 0);

    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Win32"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, "Win32"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Win32", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKey, EachTestGetsItsOwnStoreWhenThePrefixChanges) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "First", KEY_ALL_ACCESS), ERROR_SUCCESS);
    TempPrefix other;
    Key again;
    EXPECT_EQ(again.open(HKEY_CURRENT_USER, "First", KEY_READ), ERROR_FILE_NOT_FOUND);
    // The handle opened before keeps its own store.
    EXPECT_EQ(setText(key, "v", "x"), ERROR_SUCCESS);
}

TEST_F(RegistryKey, ThreadsShareTheHiveAndTransactionsKeepThemOut) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Threads", KEY_ALL_ACCESS), ERROR_SUCCESS);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &key] {
            // One thread groups its writes; the others write one by one meanwhile.
            std::unique_ptr<Transaction> transaction;
            if (t == 0) {
                transaction = std::make_unique<Transaction>(HKEY_CURRENT_USER);
            }
            for (int i = 0; i < 200; ++i) {
                EXPECT_EQ(setText(key, std::to_string(t) + "-" + std::to_string(i), "x"),
                          ERROR_SUCCESS);
            }
            if (transaction != nullptr) {
                EXPECT_EQ(transaction->commit(), ERROR_SUCCESS);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    KeyInfo info;
    ASSERT_EQ(key.queryInfo(info), ERROR_SUCCESS);
    EXPECT_EQ(info.values, 800u);
}

TEST(RegistryStore, AnUnusablePrefixFailsCleanly) {
    TempPrefix prefix;
    velmar::test::writeFileBytes(prefix.path() + "/file", "not a folder");
    ScopedEnv below("VELMAR_PREFIX", (prefix.path() + "/file/prefix").c_str());
    Key key;
    EXPECT_EQ(key.create(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(key.isOpen());
    Value value;
    std::string name;
    EXPECT_EQ(key.queryValue("v", value), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.setValue("v", REG_SZ, "", 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.enumKey(0, name), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.open(velmar::registry::hiveFromName("HKXX"), "", KEY_READ), ERROR_INVALID_HANDLE);
    EXPECT_EQ(velmar::registry::hiveFromName("hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(velmar::registry::hiveFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
    Transaction transaction(HKEY_USERS);
    EXPECT_EQ(transaction.status(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(transaction.commit(), ERROR_PATH_NOT_FOUND);
}

TEST_F(RegistryKey, EnumerationByIndexAfterChangesAndOutOfOrder) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Enum", KEY_ALL_ACCESS), ERROR_SUCCESS);
    for (const char* name : {"a", "b", "c", "d"}) {
        ASSERT_EQ(setText(key, name, "1"), ERROR_SUCCESS);
        Key child;
        ASSERT_EQ(child.create(key, name, KEY_ALL_ACCESS), ERROR_SUCCESS);
    }
    std::string value;
    std::string subkey;
    ASSERT_EQ(key.enumValue(0, value), ERROR_SUCCESS);
    ASSERT_EQ(key.enumValue(1, value), ERROR_SUCCESS);
    ASSERT_EQ(key.enumKey(0, subkey), ERROR_SUCCESS);
    ASSERT_EQ(key.enumKey(1, subkey), ERROR_SUCCESS);
    EXPECT_EQ(value + subkey, "bb");
    // A change through another handle: indexes count in the key as it is now.
    Key other;
    ASSERT_EQ(other.open(HKEY_CURRENT_USER, "Enum", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(other.deleteValue("a"), ERROR_SUCCESS);
    ASSERT_EQ(other.deleteKey("a"), ERROR_SUCCESS);
    ASSERT_EQ(key.enumValue(2, value), ERROR_SUCCESS);
    ASSERT_EQ(key.enumKey(2, subkey), ERROR_SUCCESS);
    EXPECT_EQ(value + subkey, "dd");
    ASSERT_EQ(key.enumValue(0, value), ERROR_SUCCESS);
    ASSERT_EQ(key.enumKey(0, subkey), ERROR_SUCCESS);
    EXPECT_EQ(value + subkey, "bb");
    EXPECT_EQ(key.enumValue(3, value), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(key.enumKey(3, subkey), ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(key.enumValue(1, value), ERROR_SUCCESS);
    ASSERT_EQ(key.enumKey(1, subkey), ERROR_SUCCESS);
    EXPECT_EQ(value + subkey, "cc");
}

TEST_F(RegistryKey, RangesWalkSubkeysSortedAndValuesWithTheirDataInCreationOrder) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Walk", KEY_ALL_ACCESS), ERROR_SUCCESS);
    for (const char* name : {"b", "\xE9", "A", "c"}) {
        Key child;
        ASSERT_EQ(child.create(key, name, KEY_ALL_ACCESS), ERROR_SUCCESS);
    }
    const DWORD seven = 7;
    ASSERT_EQ(setText(key, "zeta", "old"), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("Number", REG_DWORD, &seven, sizeof seven), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("", REG_BINARY, "\0\1", 2), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("none", REG_NONE, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, "ZETA", "new"), ERROR_SUCCESS);

    auto subkeys = key.subkeys();
    std::vector<std::string> names;
    std::ranges::copy(subkeys, std::back_inserter(names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c", "\xE9"}));
    EXPECT_EQ(subkeys.error(), ERROR_SUCCESS);

    using Row = std::tuple<std::string, DWORD, std::string>;
    std::vector<Row> rows;
    auto values = key.values();
    for (const auto& [name, value] : values) {
        rows.emplace_back(name, value.type, value.data);
    }
    EXPECT_EQ(values.error(), ERROR_SUCCESS);
    EXPECT_EQ(rows, (std::vector<Row>{{"zeta", REG_SZ, std::string("new", 4)},
                                      {"Number", REG_DWORD, std::string("\7\0\0\0", 4)},
                                      {"", REG_BINARY, std::string("\0\1", 2)},
                                      {"none", REG_NONE, ""}}));
    // begin() starts the walk again.
    EXPECT_EQ(std::ranges::distance(values), 4);
}

TEST_F(RegistryKey, AWalkThatCannotGoOnEndsAndSaysWhy) {
    Key empty;
    ASSERT_EQ(empty.create(HKEY_CURRENT_USER, "Walk\\Empty", KEY_ALL_ACCESS), ERROR_SUCCESS);
    Key deleted;
    ASSERT_EQ(deleted.create(HKEY_CURRENT_USER, "Walk\\Gone\\Sub", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(deleted.open(HKEY_CURRENT_USER, "Walk\\Gone", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(setText(deleted, "v", "x"), ERROR_SUCCESS);
    Key parent;
    ASSERT_EQ(parent.open(HKEY_CURRENT_USER, "Walk", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(parent.deleteTree("Gone"), ERROR_SUCCESS);
    Key setOnly;
    ASSERT_EQ(setOnly.open(HKEY_CURRENT_USER, "Walk", KEY_SET_VALUE), ERROR_SUCCESS);
    const Key closed;

    struct Case {
        const char* label;
        const Key& key;
        DWORD error;
    };
    const Case cases[] = {
        {"empty key", empty, ERROR_SUCCESS},
        {"deleted under the handle", deleted, ERROR_KEY_DELETED},
        {"no right to enumerate", setOnly, ERROR_ACCESS_DENIED},
        {"closed handle", closed, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto subkeys = c.key.subkeys();
        EXPECT_EQ(std::ranges::distance(subkeys), 0);
        EXPECT_EQ(subkeys.error(), c.error);
        auto values = c.key.values();
        EXPECT_EQ(std::ranges::distance(values), 0);
        EXPECT_EQ(values.error(), c.error);
    }

    // Deleted half-way: the items before count, then the walk ends with the code.
    Key walked;
    ASSERT_EQ(walked.create(HKEY_CURRENT_USER, "Walk\\Half\\a", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(walked.create(HKEY_CURRENT_USER, "Walk\\Half\\b", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(walked.open(HKEY_CURRENT_USER, "Walk\\Half", KEY_READ), ERROR_SUCCESS);
    std::vector<std::string> seen;
    auto subkeys = walked.subkeys();
    for (const std::string& name : subkeys) {
        seen.push_back(name);
        ASSERT_EQ(parent.deleteTree("Half"), ERROR_SUCCESS);
    }
    EXPECT_EQ(seen, std::vector<std::string>{"a"});
    EXPECT_EQ(subkeys.error(), ERROR_KEY_DELETED);
}

// Changes during a walk leave it going by index, as a RegEnumKeyEx loop: each step sees the
// key as it is then.
TEST_F(RegistryKey, AWalkGoesOnByIndexWhenTheKeyChanges) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Walk", KEY_ALL_ACCESS), ERROR_SUCCESS);
    for (const char* name : {"a", "b", "c", "d"}) {
        Key child;
        ASSERT_EQ(child.create(key, name, KEY_ALL_ACCESS), ERROR_SUCCESS);
    }
    for (const char* name : {"x", "y", "z"}) {
        ASSERT_EQ(setText(key, name, "1"), ERROR_SUCCESS);
    }
    Key other;
    ASSERT_EQ(other.open(HKEY_CURRENT_USER, "Walk", KEY_ALL_ACCESS), ERROR_SUCCESS);
    auto walk = [&](const std::string& at, auto change) {
        std::vector<std::string> seen;
        auto subkeys = key.subkeys();
        for (const std::string& name : subkeys) {
            seen.push_back(name);
            if (name == at) {
                change();
            }
        }
        EXPECT_EQ(subkeys.error(), ERROR_SUCCESS);
        return seen;
    };
    // Removing an item before the position skips the next one.
    EXPECT_EQ(walk("b", [&] { ASSERT_EQ(other.deleteKey("a"), ERROR_SUCCESS); }),
              (std::vector<std::string>{"a", "b", "d"}));
    // Adding one before the position shows the current one again.
    EXPECT_EQ(walk("b",
                   [&] {
                       Key child;
                       ASSERT_EQ(child.create(other, "a", KEY_ALL_ACCESS), ERROR_SUCCESS);
                   }),
              (std::vector<std::string>{"b", "b", "c", "d"}));

    // Values: a new one comes last, an overwritten one keeps its place and shows its new data.
    std::vector<std::string> seen;
    auto values = key.values();
    for (const auto& [name, value] : values) {
        seen.push_back(name + "=" + value.data.c_str());
        if (name == "x") {
            ASSERT_EQ(setText(other, "w", "new"), ERROR_SUCCESS);
            ASSERT_EQ(setText(other, "y", "2"), ERROR_SUCCESS);
        }
    }
    EXPECT_EQ(values.error(), ERROR_SUCCESS);
    EXPECT_EQ(seen, (std::vector<std::string>{"x=1", "y=2", "z=1", "w=new"}));
}
