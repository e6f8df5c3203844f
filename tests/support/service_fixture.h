// Services for tests: the test service program registered in the prefix's registry, its state
// as the manager reports it, and a guard that stops it whatever the test's outcome.
#pragma once

#include "platform/registry/registry.h"
#include "platform/services/services.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace velmar::test {

inline const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

// Registers velmar_test_service as the service name, reporting ready after delayMs.
inline void registerTestService(const std::string& name, DWORD start = SERVICE_DEMAND_START,
                                int delayMs = 0) {
    registry::Key key;
    ASSERT_EQ(key.create(HKEY_LOCAL_MACHINE, kServicesKey + name, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const std::string image =
        "\"" + binPath("velmar_test_service") + "\" " + name + " " + std::to_string(delayMs);
    const DWORD type = SERVICE_WIN32_OWN_PROCESS;
    ASSERT_EQ(key.setValue("ImagePath", REG_EXPAND_SZ, image.c_str(),
                           static_cast<DWORD>(image.size() + 1)),
              ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("Start", REG_DWORD, &start, sizeof start), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("Type", REG_DWORD, &type, sizeof type), ERROR_SUCCESS);
}

// The status of a service as a process allowed to query it sees it; dwCurrentState 0 when the
// query fails.
inline SERVICE_STATUS_PROCESS serviceStatus(const std::string& name) {
    SERVICE_STATUS_PROCESS status{};
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        manager != nullptr ? OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS) : nullptr;
    DWORD needed = 0;
    if (service == nullptr ||
        !QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        status.dwCurrentState = 0;
    }
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
    return status;
}

// Waits until the service reaches state; false after the time-out (generous: a loaded machine
// may start programs slowly; nothing here measures speed).
inline bool waitForServiceState(const std::string& name, DWORD state,
                                std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (serviceStatus(name).dwCurrentState != state) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Stops the service when it goes, even after a failed assertion: asks it to stop (waiting out a
// start that is pending), waits until it is stopped, and kills its process as a last resort.
class ServiceGuard {
public:
    explicit ServiceGuard(std::string name) : m_name(std::move(name)) {}
    ServiceGuard(const ServiceGuard&) = delete;
    ServiceGuard& operator=(const ServiceGuard&) = delete;
    ~ServiceGuard() {
        const ScopedEnv elevated("VELMAR_ELEVATED", "1");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
            SC_HANDLE service = OpenServiceA(manager, m_name.c_str(), SERVICE_STOP);
            SERVICE_STATUS status{};
            const bool asked = service != nullptr &&
                               ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
            const DWORD error = asked ? ERROR_SUCCESS : GetLastError();
            CloseServiceHandle(service);
            CloseServiceHandle(manager);
            if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
                return; // a test that deletes its service stops it first
            }
            if (asked || error != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!waitForServiceState(m_name, SERVICE_STOPPED)) {
            ADD_FAILURE() << m_name << " did not stop; killing it";
            if (const DWORD pid = serviceStatus(m_name).dwProcessId; pid != 0) {
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
    }

private:
    std::string m_name;
};

} // namespace velmar::test
