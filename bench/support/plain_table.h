// The baseline of the registry benchmarks: a hive's values as rows of one plain SQLite table
// keyed by (key path, name), journalled as the store journals its hives.
#pragma once

#include <sqlite3.h>

#include <string>

namespace velmar::bench {

// Opens or creates file with the empty table kv(path, name, type, data); the caller closes it.
inline sqlite3* openPlainTable(const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                 "CREATE TABLE IF NOT EXISTS kv(path BLOB NOT NULL, name BLOB NOT NULL, "
                 "type INTEGER, data BLOB, PRIMARY KEY(path, name));",
                 nullptr, nullptr, nullptr);
    return db;
}

} // namespace velmar::bench
