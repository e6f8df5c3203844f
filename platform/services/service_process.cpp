// The side of a service program: reporting ready and learning of a stop.
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/services/internal/state.h"
#include "platform/services/services.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>

namespace velmar::services {

ServiceProcess::ServiceProcess(std::string serviceName) : m_name(std::move(serviceName)) {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    m_stopFd = ::signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
}

ServiceProcess::~ServiceProcess() {
    if (m_stopFd >= 0) {
        host::close(m_stopFd);
    }
}

DWORD ServiceProcess::reportRunning() {
    StateScope scope;
    DWORD error = scope.open(m_name, true);
    bool running = false;
    if (error == ERROR_SUCCESS) {
        error = scope.probeRunning(running);
    }
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (!running) {
        return ERROR_SERVICE_NOT_ACTIVE;
    }
    StateRecord record = scope.read();
    record.ready = true;
    return scope.write(record);
}

bool ServiceProcess::waitForStop(DWORD milliseconds) {
    if (m_stopped) {
        return true;
    }
    if (m_stopFd < 0) {
        return false;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        signalfd_siginfo info{};
        if (host::read(m_stopFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            m_stopped = true;
            return true;
        }
        int timeout = -1;
        if (milliseconds != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            timeout = static_cast<int>(std::min<long long>(left.count() + 1, INT_MAX));
        }
        pollfd fd{m_stopFd, POLLIN, 0};
        if (host::poll(&fd, 1, timeout) < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace velmar::services
