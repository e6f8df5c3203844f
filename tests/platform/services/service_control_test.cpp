// The service control manager with a real service program in a private prefix.
#include "platform/process/process.h"
#include "platform/registry/registry.h"
#include "platform/services/services.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/service_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

using velmar::test::registerTestService;
using velmar::test::ScopedEnv;
using velmar::test::ServiceGuard;
using velmar::test::serviceStatus;
using velmar::test::waitForServiceState;

namespace {

class Services : public ::testing::Test {
protected:
    velmar::test::TempPrefix m_prefix;
    ScopedEnv m_elevated{"VELMAR_ELEVATED", "1"};
};

// A handle closed when the scope ends.
struct Sc {
    SC_HANDLE handle;
    explicit Sc(SC_HANDLE h) : handle(h) {}
    Sc(const Sc&) = delete;
    Sc& operator=(const Sc&) = delete;
    ~Sc() {
        if (handle != nullptr) {
            CloseServiceHandle(handle);
        }
    }
};

// The error of a call that must fail.
template <typename Result>
DWORD errorOf(Result result) {
    EXPECT_FALSE(result);
    return GetLastError();
}

} // namespace

TEST_F(Services, StartReportsRunningThenStopsOnRequest) {
    // ImagePath as REG_EXPAND_SZ with a reference to the environment.
    const ScopedEnv bin("VELMAR_TEST_BIN", VELMAR_BIN_DIR);
    {
        velmar::registry::Key key;
        ASSERT_EQ(
            key.create(HKEY_LOCAL_MACHINE, velmar::test::kServicesKey + "Echo", KEY_ALL_ACCESS),
            ERROR_SUCCESS);
        const std::string image = "\"%VELMAR_TEST_BIN%/velmar_test_service\" Echo";
        ASSERT_EQ(key.setValue("ImagePath", REG_EXPAND_SZ, image.c_str(),
                               static_cast<DWORD>(image.size() + 1)),
                  ERROR_SUCCESS);
    }
    const Sc manager(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS));
    ASSERT_NE(manager.handle, nullptr);
    const Sc service(OpenServiceA(manager.handle, "echo", SERVICE_ALL_ACCESS));
    ASSERT_NE(service.handle, nullptr);

    SERVICE_STATUS status{};
    ASSERT_TRUE(QueryServiceStatus(service.handle, &status));
    EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
    EXPECT_EQ(errorOf(ControlService(service.handle, SERVICE_CONTROL_STOP, &status)),
              ERROR_SERVICE_NOT_ACTIVE);

    const ServiceGuard guard("Echo");
    ASSERT_TRUE(StartServiceA(service.handle, 0, nullptr)) << GetLastError();
    ASSERT_TRUE(waitForServiceState("Echo", SERVICE_RUNNING));
    const SERVICE_STATUS_PROCESS running = serviceStatus("Echo");
    EXPECT_EQ(running.dwServiceType, SERVICE_WIN32_OWN_PROCESS);
    EXPECT_EQ(running.dwControlsAccepted, SERVICE_ACCEPT_STOP);
    EXPECT_NE(running.dwProcessId, 0u);
    EXPECT_EQ(errorOf(StartServiceA(service.handle, 0, nullptr)), ERROR_SERVICE_ALREADY_RUNNING);

    ASSERT_TRUE(ControlService(service.handle, SERVICE_CONTROL_STOP, &status));
    const DWORD reported = status.dwCurrentState;
    EXPECT_EQ(reported, SERVICE_STOP_PENDING);
    ASSERT_TRUE(waitForServiceState("Echo", SERVICE_STOPPED));
    EXPECT_EQ(serviceStatus("Echo").dwProcessId, 0u);
    EXPECT_EQ(errorOf(ControlService(service.handle, SERVICE_CONTROL_STOP, &status)),
              ERROR_SERVICE_NOT_ACTIVE);

    // Stopped cleanly, it starts again.
    ASSERT_TRUE(StartServiceA(service.handle, 0, nullptr)) << GetLastError();
    EXPECT_TRUE(waitForServiceState("Echo", SERVICE_RUNNING));
}

TEST_F(Services, StartPendingRefusesStartAndStopUntilReady) {
    registerTestService("Slow", SERVICE_DEMAND_START, 3000);
    const Sc manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const Sc service(OpenServiceA(manager.handle, "Slow", SERVICE_START | SERVICE_STOP));
    ASSERT_NE(service.handle, nullptr);
    const ServiceGuard guard("Slow");
    ASSERT_TRUE(StartServiceA(service.handle, 0, nullptr)) << GetLastError();
    EXPECT_EQ(serviceStatus("Slow").dwCurrentState, SERVICE_START_PENDING);
    EXPECT_EQ(errorOf(StartServiceA(service.handle, 0, nullptr)), ERROR_SERVICE_ALREADY_RUNNING);
    SERVICE_STATUS status{};
    EXPECT_EQ(errorOf(ControlService(service.handle, SERVICE_CONTROL_STOP, &status)),
              ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    EXPECT_TRUE(waitForServiceState("Slow", SERVICE_RUNNING));
}

TEST_F(Services, ConcurrentStartsStartOneProcess) {
    registerTestService("Once");
    const ServiceGuard guard("Once");
    std::atomic<int> started{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            const Sc manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
            const Sc service(OpenServiceA(manager.handle, "Once", SERVICE_START));
            if (StartServiceA(service.handle, 0, nullptr)) {
                ++started;
            } else if (GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
                ++refused;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(started, 1);
    EXPECT_EQ(refused, 3);
    EXPECT_TRUE(waitForServiceState("Once", SERVICE_RUNNING));
}

TEST_F(Services, KilledServiceProcessShowsStopped) {
    registerTestService("Victim");
    const ServiceGuard guard("Victim");
    const Sc manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const Sc service(OpenServiceA(manager.handle, "Victim", SERVICE_START));
    ASSERT_TRUE(StartServiceA(service.handle, 0, nullptr)) << GetLastError();
    ASSERT_TRUE(waitForServiceState("Victim", SERVICE_RUNNING));
    const DWORD pid = serviceStatus("Victim").dwProcessId;
    ASSERT_NE(pid, 0u);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    EXPECT_TRUE(waitForServiceState("Victim", SERVICE_STOPPED));
    // Nothing stale is left behind: it starts again.
    ASSERT_TRUE(StartServiceA(service.handle, 0, nullptr)) << GetLastError();
    EXPECT_TRUE(waitForServiceState("Victim", SERVICE_RUNNING));
}

TEST_F(Services, RefusalsGiveWindowsErrors) {
    registerTestService("Off", SERVICE_DISABLED);
    registerTestService("Plain");
    const Sc manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ASSERT_NE(manager.handle, nullptr);

    const Sc disabled(OpenServiceA(manager.handle, "Off", SERVICE_START));
    EXPECT_EQ(errorOf(StartServiceA(disabled.handle, 0, nullptr)), ERROR_SERVICE_DISABLED);
    EXPECT_EQ(errorOf(OpenServiceA(manager.handle, "Missing", SERVICE_QUERY_STATUS)),
              ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(errorOf(OpenServiceA(manager.handle, "a\\b", SERVICE_QUERY_STATUS)),
              ERROR_INVALID_NAME);
    EXPECT_EQ(errorOf(OpenSCManagerA("\\\\elsewhere.invalid", nullptr, SC_MANAGER_CONNECT)),
              RPC_S_SERVER_UNAVAILABLE);
    EXPECT_EQ(errorOf(OpenSCManagerA(nullptr, "ServicesFailed", SC_MANAGER_CONNECT)),
              ERROR_DATABASE_DOES_NOT_EXIST);
    // A handle only for querying may not start.
    const Sc queryOnly(OpenServiceA(manager.handle, "Plain", SERVICE_QUERY_STATUS));
    EXPECT_EQ(errorOf(StartServiceA(queryOnly.handle, 0, nullptr)), ERROR_ACCESS_DENIED);
    SERVICE_STATUS status{};
    EXPECT_EQ(errorOf(ControlService(queryOnly.handle, SERVICE_CONTROL_STOP, &status)),
              ERROR_ACCESS_DENIED);

    // An ordinary user may look, not touch.
    const ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    EXPECT_EQ(errorOf(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)),
              ERROR_ACCESS_DENIED);
    const Sc reader(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
    ASSERT_NE(reader.handle, nullptr);
    for (const DWORD rights : {DWORD{SERVICE_START}, DWORD{SERVICE_STOP}, DWORD{GENERIC_EXECUTE},
                               DWORD{SERVICE_DELETE}, DWORD{SERVICE_ALL_ACCESS}}) {
        SCOPED_TRACE(rights);
        EXPECT_EQ(errorOf(OpenServiceA(reader.handle, "Plain", rights)), ERROR_ACCESS_DENIED);
    }
    const Sc query(OpenServiceA(reader.handle, "Plain", SERVICE_QUERY_STATUS));
    ASSERT_NE(query.handle, nullptr);
    ASSERT_TRUE(QueryServiceStatus(query.handle, &status));
    EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
}

TEST_F(Services, CreateAndDeleteKeepTheDatabaseInTheRegistry) {
    const Sc manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    ASSERT_NE(manager.handle, nullptr);
    const Sc created(CreateServiceA(manager.handle, "Fresh", "A fresh service", SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                    SERVICE_ERROR_NORMAL, "/bin/true", nullptr, nullptr, nullptr,
                                    nullptr, nullptr));
    ASSERT_NE(created.handle, nullptr) << GetLastError();
    velmar::registry::Key key;
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, velmar::test::kServicesKey + "FRESH", KEY_READ),
              ERROR_SUCCESS);
    velmar::registry::Value value;
    ASSERT_EQ(key.queryValue("ImagePath", value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, REG_EXPAND_SZ);
    EXPECT_EQ(value.data, std::string("/bin/true", 10));
    ASSERT_EQ(key.queryValue("DisplayName", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("A fresh service", 16));
    ASSERT_EQ(key.queryValue("Start", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::string("\x02\0\0\0", 4));

    EXPECT_EQ(errorOf(CreateServiceA(manager.handle, "fresh", nullptr, SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                     SERVICE_ERROR_NORMAL, "/bin/false", nullptr, nullptr, nullptr,
                                     nullptr, nullptr)),
              ERROR_SERVICE_EXISTS);
    ASSERT_TRUE(DeleteService(created.handle));
    EXPECT_EQ(errorOf(DeleteService(created.handle)), ERROR_SERVICE_MARKED_FOR_DELETE);
    EXPECT_EQ(errorOf(OpenServiceA(manager.handle, "Fresh", SERVICE_QUERY_STATUS)),
              ERROR_SERVICE_DOES_NOT_EXIST);
}

TEST_F(Services, ClosedHandlesStayInvalid) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr);
    registerTestService("Shut");
    SC_HANDLE service = OpenServiceA(manager, "Shut", SERVICE_QUERY_STATUS);
    ASSERT_NE(service, nullptr);
    EXPECT_TRUE(CloseServiceHandle(service));
    EXPECT_TRUE(CloseServiceHandle(manager));
    SERVICE_STATUS status{};
    for (SC_HANDLE closed : {service, manager, static_cast<SC_HANDLE>(nullptr)}) {
        EXPECT_EQ(errorOf(CloseServiceHandle(closed)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(errorOf(QueryServiceStatus(closed, &status)), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(errorOf(OpenServiceA(manager, "Shut", SERVICE_QUERY_STATUS)), ERROR_INVALID_HANDLE);
}

TEST_F(Services, ServiceProgramRunByHandIsNotTheService) {
    registerTestService("Manual");
    // Started by hand (not by the manager) it holds no lock, so it cannot report ready.
    const velmar::test::ChildResult result =
        velmar::test::runProgram({velmar::test::binPath("velmar_test_service"), "Manual"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(serviceStatus("Manual").dwCurrentState, SERVICE_STOPPED);
}
