// Checkpoints of a hive's write-ahead log, run on a thread of their own so that no write of
// a setting waits for one. The hive asks for one as often as SQLite's own automatic
// checkpoint would run; the thread copies the log into the database with a connection of its
// own, beside the writers. Internal to the registry.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

namespace velmar::registry {

class Checkpointer {
public:
    // Pages the log grows by between requests: SQLite's own automatic threshold.
    static constexpr int kRequestPages = 1000;

    // writers is the lock that this process's changes of the hive take.
    Checkpointer(std::string file, std::recursive_mutex& writers);
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;
    // Lets a checkpoint that runs finish.
    ~Checkpointer();

    // Asks for a checkpoint and returns at once; requests while one runs make one more.
    void request();
    // Called after each commit with the pages in the log: requests a checkpoint each time the
    // log has grown by kRequestPages since the last request or since it started again.
    void afterCommit(int logPages);

private:
    void loop();

    std::string m_file;
    std::recursive_mutex& m_writers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stopping = false;
    int m_lastLogPages = 0;     // as the last commit saw it
    int m_requestedAtPages = 0; // when the last request was made, 0 after the log restarted
    pid_t m_owner;              // the process whose thread this is; a forked child has none
    std::thread m_thread;
};

} // namespace velmar::registry
