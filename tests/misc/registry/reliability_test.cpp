#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/misc/registry/child_values.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>

using velmar::registry::Key;
using velmar::registry::KeyInfo;
using velmar::registry::Value;
using velmar::test::binPath;
using velmar::test::runProgram;
using velmar::test::ScopedEnv;
using velmar::test::startProgram;
using velmar::test::TempPrefix;
using velmar::test::waitProgram;

namespace {

const std::string kChild = binPath("registry_test_child");

std::string integrityOf(const std::string& file) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

// Every key and value of a hive file, as rows of text, to compare contents rather than pages.
std::string dumpOf(const std::string& file) {
    sqlite3* db = nullptr;
    std::string dump;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const char* sql :
             {"SELECT id, parent, hex(name), hex(path) FROM keys ORDER BY id",
              "SELECT key, hex(name), type, hex(data) FROM vals ORDER BY rowid"}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                    dump += reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
                    dump += '|';
                }
                dump += '\n';
            }
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close(db);
    return dump;
}

DWORD valueCount(HKEY hive, const std::string& path) {
    Key key;
    KeyInfo info;
    if (key.open(hive, path, KEY_READ) != ERROR_SUCCESS || key.queryInfo(info) != ERROR_SUCCESS) {
        return 0;
    }
    return info.values;
}

} // namespace

TEST(RegistryProcesses, TwoWritersAtOnceBothSucceed) {
    TempPrefix prefix;
    const pid_t first = startProgram({kChild, "fill", "Shared", "a", "5000"});
    const pid_t second = startProgram({kChild, "fill", "Shared", "b", "5000"});
    EXPECT_EQ(waitProgram(first), 0);
    EXPECT_EQ(waitProgram(second), 0);

    std::vector<CString> names;
    ASSERT_TRUE(listSectionValueNames("Shared", names));
    EXPECT_EQ(names.size(), 10000u);
    for (const char* prefixName : {"a", "b"}) {
        for (int i = 0; i < 5000; i += 499) {
            SCOPED_TRACE(i);
            int value = -1;
            char name[16];
            std::snprintf(name, sizeof name, "%s%05d", prefixName, i);
            ASSERT_TRUE(readUserSetting("Shared", name, value));
            EXPECT_EQ(value, i);
        }
    }
}

TEST(RegistryProcesses, ReadsSeeAnotherProcesssWritesAndASnapshotHoldsStill) {
    TempPrefix prefix;
    auto read = [] {
        int value = -1;
        EXPECT_TRUE(readUserSetting("Seen", "v00001", value));
        return value;
    };
    auto childWrites = [] {
        // Writes v00000 = 0 and v00001 = 1.
        ASSERT_EQ(runProgram({kChild, "fill", "Seen", "v", "2"}).exitCode, 0);
    };
    ASSERT_TRUE(writeUserSetting("Seen", "v00001", 7));
    EXPECT_EQ(read(), 7);
    childWrites();
    EXPECT_EQ(read(), 1);

    ASSERT_TRUE(writeUserSetting("Seen", "v00001", 7));
    {
        velmar::registry::Snapshot snapshot(HKEY_CURRENT_USER);
        EXPECT_EQ(read(), 7);
        childWrites();
        EXPECT_EQ(read(), 7);
        // A change would be made on data the scope no longer sees as it is.
        EXPECT_FALSE(writeUserSetting("Seen", "v00002", 2));
        Key key;
        ASSERT_EQ(
            key.open(HKEY_CURRENT_USER, std::string(getSuiteKeyPath()) + "\\Seen", KEY_ALL_ACCESS),
            ERROR_SUCCESS);
        EXPECT_EQ(key.deleteValue("v00001"), ERROR_INVALID_FUNCTION);
    }
    EXPECT_EQ(read(), 1);
    {
        velmar::registry::Transaction transaction(HKEY_CURRENT_USER);
        velmar::registry::Snapshot snapshot(HKEY_CURRENT_USER);
        EXPECT_TRUE(writeUserSetting("Seen", "v00001", 3));
        EXPECT_EQ(read(), 3);
        ASSERT_EQ(transaction.commit(), ERROR_SUCCESS);
    }
    EXPECT_EQ(read(), 3);
}

TEST(RegistryProcesses, AKilledWriterLeavesWholeValuesOrNone) {
    TempPrefix prefix;
    const std::string file = velmar::registry::hiveFilePath(HKEY_CURRENT_USER);
    int expectedGroups = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const pid_t pid = startProgram({kChild, "churn"});
        // Let it write a while (a different while each round), then kill it mid-flight.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (valueCount(HKEY_CURRENT_USER, velmar::test::kChurnKey) <
                   static_cast<DWORD>(200 + 150 * round) &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(700 * round));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));

        EXPECT_EQ(integrityOf(file), "ok");
        Key key;
        ASSERT_EQ(key.open(HKEY_CURRENT_USER, velmar::test::kChurnKey, KEY_READ), ERROR_SUCCESS);
        // Each round starts over at group 0, so the groups present are those of the longest
        // round; a group is all there or not there, and every value holds its whole data.
        int groups = 0;
        for (;; ++groups) {
            Value value;
            if (key.queryValue(velmar::test::churnName(groups, 0), value) != ERROR_SUCCESS) {
                break;
            }
        }
        EXPECT_GE(groups, expectedGroups);
        expectedGroups = groups;
        for (int group = 0; group < groups + 2; ++group) {
            for (int item = -1; item < velmar::test::kGroupSize; ++item) {
                Value value;
                const DWORD error = key.queryValue(velmar::test::churnName(group, item), value);
                if (group < groups && item >= 0) {
                    ASSERT_EQ(error, ERROR_SUCCESS) << group << " " << item;
                } else if (error != ERROR_SUCCESS) {
                    ASSERT_EQ(error, ERROR_FILE_NOT_FOUND);
                    continue;
                }
                ASSERT_EQ(value.data, velmar::test::churnData(group, item)) << group << " " << item;
            }
        }
    }
}

TEST(RegistryProcesses, AnOrdinaryProcessCannotChangeTheMachineHive) {
    TempPrefix prefix;
    {
        ScopedEnv elevated("VELMAR_ELEVATED", "1");
        ASSERT_TRUE(writeSetting(HKEY_LOCAL_MACHINE, "Locked", "existing", std::string("kept")));
    }
    const std::string file = velmar::registry::hiveFilePath(HKEY_LOCAL_MACHINE);
    const std::string before = dumpOf(file);
    ASSERT_NE(before.find("6B657074"), std::string::npos); // "kept"
    const auto result = runProgram({kChild, "machine-write", "Locked"}, {{"VELMAR_ELEVATED", "0"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "create=5\nwrite=0\ndelete=0\nread=kept\n");
    EXPECT_EQ(dumpOf(file), before);
    std::vector<CString> names;
    ASSERT_TRUE(listValueNames(HKEY_LOCAL_MACHINE, "Software\\VELMAR Systems International\\Locked",
                               names, false));
    EXPECT_EQ(names, std::vector<CString>{"existing"});

    // The same program, elevated, may.
    const auto elevated =
        runProgram({kChild, "machine-write", "Locked"}, {{"VELMAR_ELEVATED", "1"}});
    EXPECT_EQ(elevated.out, "create=0\nwrite=1\ndelete=1\nread=<failed>\n");
}

TEST(RegistryProcesses, InstallationValuesStayInTheirView) {
    TempPrefix prefix;
    const velmar::test::EnvOverrides elevated{{"VELMAR_ELEVATED", "1"}};
    ASSERT_EQ(runProgram({kChild, "view-write", "32", "VelmarDir", "C:\\x86"}, elevated).exitCode,
              0);
    ASSERT_EQ(runProgram({kChild, "view-write", "64", "VelmarDir64", "C:\\x64"}, elevated).exitCode,
              0);
    const char* key = "Software\\VELMAR Systems International\\Velmar Software\\CurrentVersion";
    CString text = "none";
    EXPECT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key, "VelmarDir", text, true));
    EXPECT_EQ(text, "C:\\x86");
    text = "none";
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key, "VelmarDir", text, KEY_WOW64_64KEY));
    EXPECT_FALSE(readKeyText(HKEY_LOCAL_MACHINE, key, "VelmarDir64", text, true));
    EXPECT_EQ(text, "none");
    EXPECT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, key, "VelmarDir64", text, KEY_WOW64_64KEY));
    EXPECT_EQ(text, "C:\\x64");
    // The section readers pass no view flag: they see the 64-bit view.
    CString dir;
    EXPECT_TRUE(readSuiteSetting("Velmar Software\\CurrentVersion", "VelmarDir64", dir));
    EXPECT_FALSE(readSuiteSetting("Velmar Software\\CurrentVersion", "VelmarDir", dir));
}
