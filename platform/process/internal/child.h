// A child process started by CreateProcess, shared by its process and thread handles.
#pragma once

#include "platform/process/internal/handle_table.h"

#include <memory>
#include <mutex>
#include <sys/types.h>

namespace velmar::process {

class ChildProcess {
public:
    ChildProcess(pid_t pid, int pidfd) : m_pid(pid), m_pidfd(pidfd) {}
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child still running is handed to the reaper, which collects it when it ends.
    ~ChildProcess();

    pid_t pid() const { return m_pid; }
    int pidfd() const { return m_pidfd; }

    // Collects the child if it has ended (never blocks); true with its exit code then.
    bool ended(DWORD& exitCode);

private:
    pid_t m_pid;
    int m_pidfd;
    std::mutex m_mutex;
    bool m_reaped = false;
    DWORD m_exitCode = 0;
};

// What a process or thread handle holds; the main thread ends with its process.
class ProcessObject : public KernelObject {
public:
    ProcessObject(std::shared_ptr<ChildProcess> child, bool thread)
        : m_child(std::move(child)), m_thread(thread) {}
    ChildProcess& child() const { return *m_child; }
    bool isThread() const { return m_thread; }

private:
    std::shared_ptr<ChildProcess> m_child;
    bool m_thread;
};

} // namespace velmar::process
