#include "platform/registry/internal/checkpointer.h"

#include <sqlite3.h>

#include <unistd.h>
#include <utility>

namespace velmar::registry {

namespace {

// Pages in the log after a passive checkpoint from which the rest is copied under the lock.
constexpr int kFinishPages = 4 * Checkpointer::kRequestPages;

} // namespace

Checkpointer::Checkpointer(std::string file, std::recursive_mutex& writers)
    : m_file(std::move(file)), m_writers(writers), m_owner(::getpid()) {}

Checkpointer::~Checkpointer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (!m_thread.joinable()) {
        return;
    }
    if (::getpid() == m_owner) {
        m_thread.join();
    } else {
        // A copy made by fork: the thread does not exist here and must not be touched.
        new std::thread(std::move(m_thread));
    }
}

void Checkpointer::request() {
    std::lock_guard lock(m_mutex);
    if (m_requested) {
        return;
    }
    m_requested = true;
    if (!m_thread.joinable() && ::getpid() == m_owner) {
        m_thread = std::thread([this] { loop(); });
    }
    m_wake.notify_one();
}

void Checkpointer::afterCommit(int logPages) {
    // Commits of this connection come one at a time, under the hive's lock.
    if (logPages < m_lastLogPages) {
        m_requestedAtPages = 0;
    }
    m_lastLogPages = logPages;
    if (logPages >= m_requestedAtPages + kRequestPages) {
        m_requestedAtPages = logPages;
        request();
    }
}

void Checkpointer::loop() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        // The writers' connection goes on without checkpoints; the log grows until the
        // last connection closes and checkpoints it.
        sqlite3_close_v2(db);
        return;
    }
    // Until it has read the database, a connection does not know that it has a log.
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    // A checkpoint that must wait longer for a writer or a reader is left to the next request.
    sqlite3_busy_timeout(db, 200);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_requested || m_stopping; });
        if (m_stopping) {
            break;
        }
        m_requested = false;
        lock.unlock();
        // Passive: copies what no reader still needs beside the writers, never waiting for
        // a lock. The log starts again from its beginning only once a checkpoint has copied
        // all of it; under a steady stream of writes a passive one never does, so a log grown
        // long is finished under the write lock, which holds writers back only for the few
        // pages written meanwhile.
        int logPages = 0;
        const int rc =
            sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, &logPages, nullptr);
        if (rc == SQLITE_OK && logPages >= kFinishPages) {
            // This process's writers would take the lock back the moment it is free.
            std::lock_guard writers(m_writers);
            sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
        }
        lock.lock();
    }
    lock.unlock();
    sqlite3_close_v2(db);
}

} // namespace velmar::registry
