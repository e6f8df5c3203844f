#include "platform/process/internal/child.h"

#include "platform/host/host.h"
#include "platform/process/process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <thread>
#include <vector>

namespace velmar::process {

namespace {

// Children whose last handle was closed while they ran. One background thread polls their
// pidfds and collects each as it ends, so none stays a zombie.
struct Reaper {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::pair<pid_t, int>> orphans;
    bool started = false;
};

Reaper& reaper() {
    // Never destroyed: the thread outlives static destruction at exit.
    static Reaper* instance = new Reaper;
    return *instance;
}

// Reaps without blocking; true once the child is collected. A signal death gives
// 128 + the signal, as a shell reports it.
bool collect(pid_t pid, DWORD& exitCode) {
    siginfo_t info{};
    int rc;
    do {
        rc = host::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        // ECHILD: collected by someone else; the code is lost.
        exitCode = 0;
        return errno == ECHILD;
    }
    if (info.si_pid == 0) {
        return false;
    }
    exitCode = info.si_code == CLD_EXITED ? static_cast<DWORD>(info.si_status)
                                          : 128 + static_cast<DWORD>(info.si_status);
    return true;
}

void reapLoop() {
    Reaper& r = reaper();
    std::vector<pollfd> fds;
    for (;;) {
        {
            std::unique_lock lock(r.mutex);
            r.wake.wait(lock, [&] { return !r.orphans.empty(); });
            fds.clear();
            for (const auto& orphan : r.orphans) {
                fds.push_back({orphan.second, POLLIN, 0});
            }
        }
        // A short time-out picks up orphans added meanwhile.
        host::poll(fds.data(), fds.size(), 100);
        const std::lock_guard lock(r.mutex);
        std::erase_if(r.orphans, [](const std::pair<pid_t, int>& orphan) {
            DWORD code = 0;
            if (!collect(orphan.first, code)) {
                return false;
            }
            host::close(orphan.second);
            return true;
        });
    }
}

void adopt(pid_t pid, int pidfd) {
    Reaper& r = reaper();
    const std::lock_guard lock(r.mutex);
    r.orphans.emplace_back(pid, pidfd);
    if (!r.started) {
        r.started = true;
        std::thread(reapLoop).detach();
    }
    r.wake.notify_one();
}

} // namespace

ChildProcess::~ChildProcess() {
    DWORD code = 0;
    if (ended(code)) {
        host::close(m_pidfd);
    } else {
        adopt(m_pid, m_pidfd);
    }
}

bool ChildProcess::ended(DWORD& exitCode) {
    const std::lock_guard lock(m_mutex);
    if (!m_reaped) {
        pollfd fd{m_pidfd, POLLIN, 0};
        if (host::poll(&fd, 1, 0) <= 0 || !collect(m_pid, m_exitCode)) {
            return false;
        }
        m_reaped = true;
    }
    exitCode = m_exitCode;
    return true;
}

namespace {

ChildProcess* childOf(HANDLE handle, std::shared_ptr<KernelObject>& keep) {
    keep = objectOf(handle);
    auto* object = dynamic_cast<ProcessObject*>(keep.get());
    return object != nullptr ? &object->child() : nullptr;
}

} // namespace

} // namespace velmar::process

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    using namespace velmar;
    std::shared_ptr<process::KernelObject> keep;
    process::ChildProcess* child = process::childOf(handle, keep);
    if (child == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        DWORD code = 0;
        if (child->ended(code)) {
            return WAIT_OBJECT_0;
        }
        int timeout = -1;
        if (milliseconds != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return WAIT_TIMEOUT;
            }
            // Rounds up so that a wait never ends before its time.
            timeout = static_cast<int>(std::min<long long>(left.count() + 1, INT_MAX));
        }
        pollfd fd{child->pidfd(), POLLIN, 0};
        if (host::poll(&fd, 1, timeout) < 0 && errno != EINTR) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    using namespace velmar;
    std::shared_ptr<process::KernelObject> keep;
    process::ChildProcess* child = process::childOf(process, keep);
    auto* object = dynamic_cast<process::ProcessObject*>(keep.get());
    if (child == nullptr || object->isThread() || exitCode == nullptr) {
        SetLastError(child == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD code = 0;
    *exitCode = child->ended(code) ? code : STILL_ACTIVE;
    return TRUE;
}
