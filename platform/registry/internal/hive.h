// The database of one hive: one SQLite connection per hive and process, opened lazily, with
// its statements prepared once. Internal to the registry.
//
// Schema: keys(id, parent, name, fold, path) where fold is the upper-case mapping of the
// name and path the folds of the full path joined by '\' (the root has id 1 and an empty
// path); vals(key, name, fold, type, data) in creation order (rowid). Names are stored as
// 1252 bytes in BLOBs, so ordering by fold is the registry's case-blind order.
#pragma once

#include "platform/registry/internal/checkpointer.h"
#include "platform/registry/registry.h"

#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace velmar::registry {

inline constexpr std::int64_t kRootId = 1;

enum class Sql {
    FindPath,
    KeyExists,
    InsertKey,
    HasChild,
    ChildByIndex,
    ChildAfter,
    QueryValue,
    UpsertValue,
    DeleteValue,
    ValueByIndex,
    ValueAfter,
    CountChildren,
    CountValues,
    MaxChildName,
    MaxValueSizes,
    DeleteKeyValues,
    DeleteKeyRow,
    DeleteRangeValues,
    DeleteRangeKeys,
    KeysInRange,
    ValuesOfKey,
    Begin,
    BeginImmediate,
    Commit,
    Rollback,
    Savepoint,
    Release,
    RollbackToSavepoint,
    Count
};

// A prepared statement in use: reset and unbound when it goes.
class Statement {
public:
    explicit Statement(sqlite3_stmt* statement) : m_statement(statement) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    Statement& bind(int index, std::int64_t value);
    Statement& bindBlob(int index, std::string_view bytes);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    [[nodiscard]] int step();
    std::int64_t integer(int column) const;
    // Valid until the statement steps again or goes.
    std::string_view blobView(int column) const;
    bool isNull(int column) const;

private:
    sqlite3_stmt* m_statement;
};

class Hive {
public:
    Hive(HKEY root, std::string file);
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;
    ~Hive();

    // The open database of a hive for the current prefix (reopened when VELMAR_PREFIX
    // changes), or null with the Win32 code in error.
    [[nodiscard]] static std::shared_ptr<Hive> get(HKEY root, DWORD& error);

    HKEY root() const { return m_root; }
    // Held by every use of the connection and its statements: SQLite does not lock it.
    std::recursive_mutex& mutex() { return m_mutex; }
    Statement statement(Sql which);
    sqlite3* db() const { return m_db; }
    // Grows with every change made through this connection.
    std::int64_t changeCount() const;

    // Begins a change: BEGIN IMMEDIATE at the outermost level, a savepoint inside a
    // Transaction. Retries while another process holds the write lock. A change of one
    // statement needs no savepoint: a statement that fails leaves nothing behind. commit() and
    // rollback() take what begin() was given.
    [[nodiscard]] DWORD begin(bool oneStatement = false);
    [[nodiscard]] DWORD commit(bool oneStatement = false);
    void rollback(bool oneStatement = false);
    // A Transaction that could not begin: until it ends, changes fail with its code rather
    // than commit on their own.
    void enterBrokenScope(DWORD code) {
        ++m_brokenScopes;
        m_broken = code;
    }
    void leaveBrokenScope() { --m_brokenScopes; }

    // A read transaction around several statements, so that they see one snapshot. True when
    // this call began one (none began inside a change or another read); endRead() ends it.
    // Needs the hive's lock.
    [[nodiscard]] bool beginRead();
    void endRead();

    class Snapshot {
    public:
        explicit Snapshot(Hive& hive) : m_hive(hive), m_began(hive.beginRead()) {}
        ~Snapshot() {
            if (m_began) {
                m_hive.endRead();
            }
        }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

    private:
        Hive& m_hive;
        bool m_began;
    };

private:
    DWORD openDatabase();
    DWORD exec(const char* sql);
    // Runs one of the prepared transaction statements.
    DWORD run(Sql which);
    static int onBusy(void* self, int count);
    static int onWalCommit(void* self, sqlite3* db, const char* schema, int pages);

    HKEY m_root;
    std::string m_file;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statements[static_cast<int>(Sql::Count)] = {};
    std::recursive_mutex m_mutex;
    int m_changeDepth = 0;
    bool m_reading = false; // a read transaction of beginRead() is open
    int m_brokenScopes = 0;
    DWORD m_broken = ERROR_SUCCESS;
    long long m_busySince = 0;
    // Goes before the connection closes, so that no checkpoint outlives it.
    std::unique_ptr<Checkpointer> m_checkpointer;
};

// The Win32 code of an SQLite result.
DWORD win32FromSqlite(int rc);

// Holds a change open under the hive's lock; rolls it back unless commit() is called.
class Change {
public:
    enum Size { SeveralStatements, OneStatement };
    explicit Change(Hive& hive, Size size = SeveralStatements)
        : m_hive(hive), m_lock(hive.mutex()), m_oneStatement(size == OneStatement),
          m_status(hive.begin(m_oneStatement)) {}
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    ~Change() {
        if (m_status == ERROR_SUCCESS && !m_done) {
            m_hive.rollback(m_oneStatement);
        }
    }
    [[nodiscard]] DWORD status() const { return m_status; }
    [[nodiscard]] DWORD commit() {
        m_done = true;
        return m_hive.commit(m_oneStatement);
    }

private:
    Hive& m_hive;
    std::lock_guard<std::recursive_mutex> m_lock; // held until the rollback has run
    bool m_oneStatement;
    DWORD m_status;
    bool m_done = false;
};

} // namespace velmar::registry
