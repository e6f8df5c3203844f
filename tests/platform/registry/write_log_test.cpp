// The hive's write-ahead log is checkpointed beside the writers: a long stream of single
// writes, each its own commit, keeps the log short instead of growing with every write.
#include "platform/registry/registry.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using velmar::registry::Key;
using velmar::test::TempPrefix;

TEST(HiveWriteLog, AStreamOfSingleWritesKeepsTheLogShort) {
    TempPrefix prefix;
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, "Stream", KEY_ALL_ACCESS), ERROR_SUCCESS);
    // Each commit adds at least one 4 KiB page to the log: without checkpoints 40,000 writes
    // leave it over 160 MB. Checkpoints keep it to some 5,000 pages (20 MB): under a steady
    // stream the log starts again once it has grown to 4,000.
    constexpr int kWrites = 40000;
    for (int i = 0; i < kWrites; ++i) {
        // New data each time: SQLite writes no page for a row stored again unchanged.
        const std::string data = std::to_string(i) + std::string(100, 'd');
        ASSERT_EQ(key.setValue("v" + std::to_string(i % 500), REG_BINARY, data.data(),
                               static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    const std::string log = velmar::registry::hiveFilePath(HKEY_CURRENT_USER) + "-wal";
    EXPECT_LT(std::filesystem::file_size(log), 48u << 20);
}
