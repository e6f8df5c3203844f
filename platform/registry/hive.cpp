#include "platform/registry/internal/hive.h"

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace velmar::registry {

namespace {

struct HiveEntry {
    HKEY root;
    const char* name;
    const char* shortName;
};

const HiveEntry kHives[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
};

const HiveEntry* findHive(HKEY root) {
    for (const HiveEntry& entry : kHives) {
        if (entry.root == root) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name BLOB NOT NULL,
    fold BLOB NOT NULL,
    path BLOB NOT NULL UNIQUE);
CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, fold);
CREATE TABLE IF NOT EXISTS vals(
    key INTEGER NOT NULL,
    name BLOB NOT NULL,
    fold BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, fold));
CREATE INDEX IF NOT EXISTS vals_order ON vals(key);
INSERT OR IGNORE INTO keys(id, parent, name, fold, path) VALUES(1, 0, x'', x'', x'');
PRAGMA user_version = 1;
)";

// Indexed by Sql.
constexpr const char* kStatements[] = {
    "SELECT id FROM keys WHERE path = ?1",
    "SELECT 1 FROM keys WHERE id = ?1",
    "INSERT INTO keys(parent, name, fold, path) VALUES(?1, ?2, ?3, ?4)",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "SELECT name, fold FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2",
    "SELECT name, fold FROM keys WHERE parent = ?1 AND fold > ?2 ORDER BY fold LIMIT 1",
    "SELECT v.type, v.data FROM keys k LEFT JOIN vals v ON v.key = k.id AND v.fold = ?2 "
    "WHERE k.id = ?1",
    "INSERT INTO vals(key, name, fold, type, data) SELECT ?1, ?2, ?3, ?4, ?5 "
    "WHERE EXISTS(SELECT 1 FROM keys WHERE id = ?1) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    "SELECT name, type, data, rowid FROM vals WHERE key = ?1 ORDER BY rowid LIMIT 1 OFFSET ?2",
    "SELECT name, type, data, rowid FROM vals WHERE key = ?1 AND rowid > ?2 ORDER BY rowid "
    "LIMIT 1",
    "SELECT count(*) FROM keys WHERE parent = ?1",
    "SELECT count(*) FROM vals WHERE key = ?1",
    "SELECT coalesce(max(length(name)), 0) FROM keys WHERE parent = ?1",
    "SELECT coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) FROM vals "
    "WHERE key = ?1",
    "DELETE FROM vals WHERE key = ?1",
    "DELETE FROM keys WHERE id = ?1",
    "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE path >= ?1 AND path < ?2)",
    "DELETE FROM keys WHERE path >= ?1 AND path < ?2",
    "SELECT id, parent, name FROM keys WHERE path >= ?1 AND path < ?2 ORDER BY path",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY rowid",
    "BEGIN",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SAVEPOINT change",
    "RELEASE change",
    "ROLLBACK TO change",
};
static_assert(std::size(kStatements) == static_cast<std::size_t>(Sql::Count));

// How long a call waits for another process's write lock before it gives up.
constexpr auto kBusyTimeout = std::chrono::seconds(20);

long long nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::mutex g_hivesMutex;
struct OpenHive {
    std::string prefix; // the prefix the hive was opened for
    std::shared_ptr<Hive> hive;
};
OpenHive g_hives[std::size(kHives)];

} // namespace

std::string foldName(std::string_view name) {
    std::string fold;
    appendFold(fold, name);
    return fold;
}

void appendFold(std::string& out, std::string_view name) {
    const std::size_t start = out.size();
    out.append(name);
    for (std::size_t i = start; i < out.size(); ++i) {
        out[i] = velmar::text::ansiToUpper(out[i]);
    }
}

bool isProcessElevated() {
    const char* flag = std::getenv("VELMAR_ELEVATED");
    if (flag != nullptr && flag[0] == '0' && flag[1] == '\0') {
        return false;
    }
    if (flag != nullptr && flag[0] == '1' && flag[1] == '\0') {
        return true;
    }
    return ::geteuid() == 0;
}

std::string hiveName(HKEY hive) {
    const HiveEntry* entry = findHive(hive);
    return entry != nullptr ? entry->name : "";
}

HKEY hiveFromName(std::string_view name) {
    const std::string fold = foldName(name);
    for (const HiveEntry& entry : kHives) {
        if (fold == entry.name || fold == entry.shortName) {
            return entry.root;
        }
    }
    return nullptr;
}

namespace {

std::string hiveFileIn(const std::string& prefix, const HiveEntry& hive) {
    return prefix + "/registry/" + hive.name + ".db";
}

} // namespace

std::string hiveFilePath(HKEY hive) {
    const HiveEntry* entry = findHive(hive);
    return entry != nullptr ? hiveFileIn(velmar::prefix::prefixPath(), *entry) : std::string();
}

DWORD win32FromSqlite(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT:
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_TOOBIG:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

// --- Statement ---

Statement::~Statement() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

Statement& Statement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_statement, index, value);
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    // A null pointer would bind NULL; an empty blob needs a valid one.
    static const char kEmpty = 0;
    sqlite3_bind_blob(m_statement, index, bytes.empty() ? &kEmpty : bytes.data(),
                      static_cast<int>(bytes.size()), SQLITE_STATIC);
    return *this;
}

int Statement::step() {
    return sqlite3_step(m_statement);
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::string_view Statement::blobView(int column) const {
    const void* bytes = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes != nullptr
               ? std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size))
               : std::string_view();
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

// --- Hive ---

Hive::Hive(HKEY root, std::string file) : m_root(root), m_file(std::move(file)) {}

Hive::~Hive() {
    m_checkpointer.reset();
    for (sqlite3_stmt*& statement : m_statements) {
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(m_db);
}

std::shared_ptr<Hive> Hive::get(HKEY root, DWORD& error) {
    const HiveEntry* entry = findHive(root);
    if (entry == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    const auto slot = static_cast<std::size_t>(entry - kHives);
    std::string prefix = velmar::prefix::prefixPath();
    std::lock_guard lock(g_hivesMutex);
    OpenHive& open = g_hives[slot];
    if (open.hive != nullptr && open.prefix == prefix) {
        error = ERROR_SUCCESS;
        return open.hive;
    }
    auto hive = std::make_shared<Hive>(root, hiveFileIn(prefix, *entry));
    error = hive->openDatabase();
    if (error != ERROR_SUCCESS) {
        return nullptr;
    }
    open.prefix = std::move(prefix);
    open.hive = hive;
    return hive;
}

int Hive::onBusy(void* self, int count) {
    auto* hive = static_cast<Hive*>(self);
    const long long now = nowNanoseconds();
    if (count == 0) {
        hive->m_busySince = now;
    } else if (now - hive->m_busySince >
               std::chrono::duration_cast<std::chrono::nanoseconds>(kBusyTimeout).count()) {
        return 0;
    }
    // Write locks are held for microseconds: poll quickly first, then back off.
    if (count < 16) {
        sched_yield();
    } else {
        std::this_thread::sleep_for(std::chrono::microseconds(count < 256 ? 50 : 1000));
    }
    return 1;
}

int Hive::onWalCommit(void* self, sqlite3*, const char*, int pages) {
    static_cast<Hive*>(self)->m_checkpointer->afterCommit(pages);
    return SQLITE_OK;
}

// A lock upgrade can be refused without the busy handler; such statements are tried again a
// few times.
template <typename Attempt>
DWORD retryBusy(Attempt attempt) {
    for (int tries = 0;; ++tries) {
        const int rc = attempt();
        if ((rc & 0xFF) == SQLITE_BUSY && tries < 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        return win32FromSqlite(rc);
    }
}

DWORD Hive::exec(const char* sql) {
    return retryBusy([&] { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); });
}

DWORD Hive::run(Sql which) {
    sqlite3_stmt* statement = m_statements[static_cast<int>(which)];
    return retryBusy([&] {
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        return rc;
    });
}

DWORD Hive::openDatabase() {
    const std::string folder = m_file.substr(0, m_file.find_last_of('/'));
    if (!velmar::prefix::makeHostDirectories(folder)) {
        const DWORD code = velmar::base::win32ErrorFromErrno(errno);
        return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;
    }
    // Made here rather than by SQLite, so that a hive that cannot be created or opened gives
    // the host's reason (a full disk, no permission) instead of "cannot open". Read-only, as
    // SQLite too opens a hive it may not write for reading; 0644 is SQLite's own mode.
    const int fd = host::open(m_file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        const DWORD code = velmar::base::win32ErrorFromErrno(errno);
        return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;
    }
    host::close(fd);
    // Every use of the connection holds the hive's lock, so SQLite need not take its own.
    int rc =
        sqlite3_open_v2(m_file.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        return win32FromSqlite(rc);
    }
    sqlite3_busy_handler(m_db, &Hive::onBusy, this);
    DWORD error = exec("PRAGMA journal_mode = WAL");
    if (error == ERROR_SUCCESS) {
        error = exec("PRAGMA synchronous = NORMAL");
    }
    if (error == ERROR_SUCCESS) {
        // Room for the pages of a large import, so that they are not written out to the
        // log before the commit; pages are taken only as they are used.
        error = exec("PRAGMA cache_size = -65536");
    }
    if (error != ERROR_SUCCESS) {
        return error;
    }
    // The hook replaces SQLite's automatic checkpoint, which would run inside the commit.
    m_checkpointer = std::make_unique<Checkpointer>(m_file, m_mutex);
    sqlite3_wal_hook(m_db, &Hive::onWalCommit, this);
    int version = 0;
    {
        sqlite3_stmt* statement = nullptr;
        rc = sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &statement, nullptr);
        if (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            version = sqlite3_column_int(statement, 0);
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_OK) {
            return win32FromSqlite(rc);
        }
    }
    if (version == 0) {
        error = exec("BEGIN IMMEDIATE");
        if (error == ERROR_SUCCESS) {
            error = exec(kSchema);
            error = error == ERROR_SUCCESS ? exec("COMMIT") : error;
            if (error != ERROR_SUCCESS) {
                exec("ROLLBACK");
            }
        }
        if (error != ERROR_SUCCESS) {
            return error;
        }
    }
    for (std::size_t i = 0; i < std::size(kStatements); ++i) {
        rc = sqlite3_prepare_v3(m_db, kStatements[i], -1, SQLITE_PREPARE_PERSISTENT,
                                &m_statements[i], nullptr);
        if (rc != SQLITE_OK) {
            return win32FromSqlite(rc);
        }
    }
    return ERROR_SUCCESS;
}

std::int64_t Hive::changeCount() const {
    return sqlite3_total_changes64(m_db);
}

Statement Hive::statement(Sql which) {
    return Statement(m_statements[static_cast<int>(which)]);
}

DWORD Hive::begin(bool oneStatement) {
    if (m_brokenScopes > 0) {
        return m_broken;
    }
    // A read transaction cannot become a change without the risk of seeing old data.
    if (m_reading && m_changeDepth == 0) {
        return ERROR_INVALID_FUNCTION;
    }
    DWORD error = ERROR_SUCCESS;
    if (m_changeDepth == 0) {
        error = run(Sql::BeginImmediate);
    } else if (!oneStatement) {
        error = run(Sql::Savepoint);
    }
    if (error == ERROR_SUCCESS) {
        ++m_changeDepth;
    }
    return error;
}

DWORD Hive::commit(bool oneStatement) {
    --m_changeDepth;
    if (m_changeDepth > 0) {
        return oneStatement ? ERROR_SUCCESS : run(Sql::Release);
    }
    const DWORD error = run(Sql::Commit);
    if (error != ERROR_SUCCESS && sqlite3_get_autocommit(m_db) == 0) {
        run(Sql::Rollback);
    }
    return error;
}

void Hive::rollback(bool oneStatement) {
    --m_changeDepth;
    if (m_changeDepth > 0) {
        if (!oneStatement) {
            run(Sql::RollbackToSavepoint);
            run(Sql::Release);
        }
    } else if (sqlite3_get_autocommit(m_db) == 0) {
        run(Sql::Rollback);
    }
}

bool Hive::beginRead() {
    if (sqlite3_get_autocommit(m_db) == 0) {
        return false;
    }
    m_reading = run(Sql::Begin) == ERROR_SUCCESS;
    return m_reading;
}

void Hive::endRead() {
    m_reading = false;
    run(Sql::Commit);
}

} // namespace velmar::registry
