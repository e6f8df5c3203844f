// An import killed with SIGKILL leaves each hive as it was or with all of the
// file's changes.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

using velmar::registry::Key;
using velmar::test::binPath;
using velmar::test::TempPrefix;

namespace {

constexpr int kKeys = 200;
constexpr int kValuesPerKey = 150;

// Values in two hives, interleaved key by key, with one value whose name is too
// long to store among them.
std::string bigFile() {
    std::string text = "REGEDIT4\r\n\r\n";
    for (int k = 0; k < kKeys; ++k) {
        for (const char* hive : {"HKEY_CURRENT_USER\\Software", "HKEY_USERS"}) {
            text += "[" + std::string(hive) + "\\Atomic\\K" + std::to_string(k) + "]\r\n";
            for (int v = 0; v < kValuesPerKey; ++v) {
                text +=
                    "\"v" + std::to_string(v) + "\"=\"value " + std::to_string(k * v) + "\"\r\n";
            }
        }
        if (k == kKeys / 2) {
            text += "\"" + std::string(20000, 'n') + "\"=\"cannot be stored\"\r\n";
        }
    }
    return text;
}

// The number of values below the hive's Atomic key.
int countValues(HKEY hive, const std::string& path) {
    Key atomic;
    if (atomic.open(hive, path, KEY_READ) != ERROR_SUCCESS) {
        return 0;
    }
    int count = 0;
    for (const std::string& name : atomic.subkeys()) {
        Key key;
        velmar::registry::KeyInfo info;
        if (key.open(atomic, name, KEY_READ) == ERROR_SUCCESS &&
            key.queryInfo(info) == ERROR_SUCCESS) {
            count += static_cast<int>(info.values);
        }
    }
    return count;
}

bool exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

TEST(AtomicImport, KilledImportLeavesEachHiveWholeOrUntouched) {
    TempPrefix prefix;
    const std::string file = prefix.path() + "/big.reg";
    velmar::test::writeFileBytes(file, bigFile());
    const int all = kKeys * kValuesPerKey;
    int killedMidway = 0;
    for (const int delayMs : {0, 30, 120, 400}) {
        SCOPED_TRACE(delayMs);
        Key root;
        ASSERT_EQ(root.create(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS), ERROR_SUCCESS);
        // Nothing to delete before the first round.
        static_cast<void>(root.deleteTree("Atomic"));
        ASSERT_EQ(root.open(HKEY_USERS, "", KEY_ALL_ACCESS), ERROR_SUCCESS);
        static_cast<void>(root.deleteTree("Atomic"));
        root.close();

        const std::string marker = prefix.path() + "/started" + std::to_string(delayMs);
        const pid_t child =
            velmar::test::startProgram({binPath("registry_file_import_child"), file, marker});
        ASSERT_GT(child, 0);
        while (!exists(marker)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) {
            ++killedMidway;
        }
        const int user = countValues(HKEY_CURRENT_USER, "Software\\Atomic");
        const int users = countValues(HKEY_USERS, "Atomic");
        EXPECT_TRUE(user == 0 || user == all) << user;
        EXPECT_TRUE(users == 0 || users == all) << users;
    }
    EXPECT_GT(killedMidway, 0);

    // Left alone, the import stores everything but the value that cannot be
    // stored.
    const velmar::test::ChildResult done = velmar::test::runProgram(
        {binPath("registry_file_import_child"), file, prefix.path() + "/started"});
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_EQ(countValues(HKEY_CURRENT_USER, "Software\\Atomic"), all);
    EXPECT_EQ(countValues(HKEY_USERS, "Atomic"), all);
}

// Two imports at once, naming the same two hives in opposite orders, both get through whole.
TEST(AtomicImport, ImportsAtOnceDoNotLockEachOtherOut) {
    TempPrefix prefix;
    auto file = [&](const std::string& name, const std::vector<std::string>& hives) {
        std::string text = "REGEDIT4\r\n";
        for (const std::string& hive : hives) {
            text += "[" + hive + "\\Atomic\\" + name + "]\r\n";
            for (int v = 0; v < 3000; ++v) {
                text += "\"v" + std::to_string(v) + "\"=dword:00000001\r\n";
            }
        }
        const std::string path = prefix.path() + "/" + name + ".reg";
        velmar::test::writeFileBytes(path, text);
        return path;
    };
    const std::string first = file("First", {"HKEY_CURRENT_USER\\Software", "HKEY_USERS"});
    const std::string second = file("Second", {"HKEY_USERS", "HKEY_CURRENT_USER\\Software"});
    const std::string child = binPath("registry_file_import_child");
    const pid_t a = velmar::test::startProgram({child, first, prefix.path() + "/a"});
    const pid_t b = velmar::test::startProgram({child, second, prefix.path() + "/b"});
    EXPECT_EQ(velmar::test::waitProgram(a), 0);
    EXPECT_EQ(velmar::test::waitProgram(b), 0);
    EXPECT_EQ(countValues(HKEY_CURRENT_USER, "Software\\Atomic"), 6000);
    EXPECT_EQ(countValues(HKEY_USERS, "Atomic"), 6000);
}

} // namespace
