// A service's run state: the lock its process holds while it runs, and the state record
// beside it. Every reader and writer of the record holds the record's own lock (flock of
// <name>.state), shared to read, exclusive to change; the service's lock (<name>.lock) is only
// probed or taken under it, so a probe never makes a concurrent start fail.
#pragma once

#include "platform/base/base.h"

#include <string>
#include <string_view>

namespace velmar::services {

struct StateRecord {
    DWORD processId = 0;
    bool ready = false;         // the service reported that it runs
    bool stopRequested = false; // a stop was asked for
};

// The host path of a service's file: <prefix>/services/<name upper-cased><suffix>.
std::string serviceFilePath(std::string_view name, const char* suffix);

// The record of one service, locked for as long as the object lives.
class StateScope {
public:
    StateScope() = default;
    StateScope(const StateScope&) = delete;
    StateScope& operator=(const StateScope&) = delete;
    ~StateScope();

    // Opens and locks the record (creating the folder and file when missing).
    [[nodiscard]] DWORD open(std::string_view name, bool exclusive);

    // The record as stored; an empty or unreadable one is all zero.
    StateRecord read() const;
    [[nodiscard]] DWORD write(const StateRecord& record);

    // Whether the service's lock is held by a process. Needs the scope open.
    [[nodiscard]] DWORD probeRunning(bool& running) const;

    // Takes the service's lock for a start: ERROR_SERVICE_ALREADY_RUNNING when it is held.
    // On success lockFd is an open close-on-exec descriptor holding it; the caller closes it.
    [[nodiscard]] DWORD takeLock(int& lockFd) const;

    // The service's state for that record and lock.
    static DWORD currentState(bool running, const StateRecord& record);

private:
    std::string m_name;
    int m_fd = -1;
};

} // namespace velmar::services
