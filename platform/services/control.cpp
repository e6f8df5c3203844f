// Querying, starting and stopping a service.
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/services/internal/database.h"
#include "platform/services/internal/handles.h"
#include "platform/services/internal/state.h"
#include "platform/services/services.h"

#include <csignal>
#include <cstring>

namespace velmar::services {

namespace {

// The status of a service in the given state.
SERVICE_STATUS_PROCESS statusOf(const ServiceConfig& config, DWORD state, DWORD processId) {
    SERVICE_STATUS_PROCESS status{};
    status.dwServiceType = config.type;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwProcessId = state == SERVICE_STOPPED ? 0 : processId;
    return status;
}

// The current status of a service, read under the record's shared lock.
DWORD queryStatus(const std::string& name, SERVICE_STATUS_PROCESS& status) {
    ServiceConfig config;
    // A service removed under an open handle still reports its state.
    static_cast<void>(readConfig(name, config));
    StateScope scope;
    bool running = false;
    DWORD error = scope.open(name, false);
    if (error == ERROR_SUCCESS) {
        error = scope.probeRunning(running);
    }
    if (error != ERROR_SUCCESS) {
        return error;
    }
    const StateRecord record = scope.read();
    status = statusOf(config, StateScope::currentState(running, record), record.processId);
    return ERROR_SUCCESS;
}

DWORD startService(const std::string& name) {
    ServiceConfig config;
    DWORD error = readConfig(name, config);
    if (error != ERROR_SUCCESS) {
        return error == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_SERVICE_MARKED_FOR_DELETE : error;
    }
    if (config.start == SERVICE_DISABLED) {
        return ERROR_SERVICE_DISABLED;
    }
    StateScope scope;
    if (error = scope.open(name, true); error != ERROR_SUCCESS) {
        return error;
    }
    int lockFd = -1;
    if (error = scope.takeLock(lockFd); error != ERROR_SUCCESS) {
        return error;
    }
    // The record is ours until the scope ends, so the new process cannot report ready before
    // its record says that it starts.
    std::string commandLine = config.imagePath;
    PROCESS_INFORMATION information{};
    const BOOL started =
        process::createProcessHolding(commandLine.data(), DETACHED_PROCESS, lockFd, information);
    error = started ? ERROR_SUCCESS : GetLastError();
    host::close(lockFd); // the lock lives on in the service process alone
    if (!started) {
        return error;
    }
    // Not waited for here: the reaper collects the process when it ends.
    CloseHandle(information.hThread);
    CloseHandle(information.hProcess);
    return scope.write({information.dwProcessId, false, false});
}

DWORD stopService(const std::string& name, SERVICE_STATUS_PROCESS& status) {
    ServiceConfig config;
    static_cast<void>(readConfig(name, config));
    StateScope scope;
    bool running = false;
    DWORD error = scope.open(name, true);
    if (error == ERROR_SUCCESS) {
        error = scope.probeRunning(running);
    }
    if (error != ERROR_SUCCESS) {
        return error;
    }
    StateRecord record = scope.read();
    const DWORD state = StateScope::currentState(running, record);
    if (state == SERVICE_STOPPED) {
        return ERROR_SERVICE_NOT_ACTIVE;
    }
    if (state != SERVICE_RUNNING) {
        return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    }
    record.stopRequested = true;
    if (error = scope.write(record); error != ERROR_SUCCESS) {
        return error;
    }
    // The process holds the lock and cannot end unseen while we hold the record.
    if (record.processId != 0) {
        ::kill(static_cast<pid_t>(record.processId), SIGTERM);
    }
    status = statusOf(config, SERVICE_STOP_PENDING, record.processId);
    return ERROR_SUCCESS;
}

BOOL failWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

} // namespace velmar::services

BOOL QueryServiceStatusEx(SC_HANDLE service, SC_STATUS_TYPE infoLevel, BYTE* buffer, DWORD size,
                          DWORD* bytesNeeded) {
    using namespace velmar::services;
    const auto object = serviceOf(service, SERVICE_QUERY_STATUS);
    if (object == nullptr) {
        return FALSE;
    }
    if (infoLevel != SC_STATUS_PROCESS_INFO) {
        return failWith(ERROR_INVALID_LEVEL);
    }
    if (bytesNeeded == nullptr) {
        return failWith(ERROR_INVALID_PARAMETER);
    }
    *bytesNeeded = sizeof(SERVICE_STATUS_PROCESS);
    if (buffer == nullptr || size < sizeof(SERVICE_STATUS_PROCESS)) {
        return failWith(ERROR_INSUFFICIENT_BUFFER);
    }
    SERVICE_STATUS_PROCESS status{};
    if (const DWORD error = queryStatus(object->name, status); error != ERROR_SUCCESS) {
        return failWith(error);
    }
    std::memcpy(buffer, &status, sizeof status);
    return TRUE;
}

BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
    using namespace velmar::services;
    const auto object = serviceOf(service, SERVICE_QUERY_STATUS);
    if (object == nullptr) {
        return FALSE;
    }
    if (status == nullptr) {
        return failWith(ERROR_INVALID_PARAMETER);
    }
    SERVICE_STATUS_PROCESS full{};
    if (const DWORD error = queryStatus(object->name, full); error != ERROR_SUCCESS) {
        return failWith(error);
    }
    std::memcpy(status, &full, sizeof *status); // the leading fields are the same
    return TRUE;
}

BOOL StartServiceA(SC_HANDLE service, DWORD, LPCSTR*) {
    using namespace velmar::services;
    const auto object = serviceOf(service, SERVICE_START);
    if (object == nullptr) {
        return FALSE;
    }
    if (const DWORD error = startService(object->name); error != ERROR_SUCCESS) {
        return failWith(error);
    }
    return TRUE;
}

BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
    using namespace velmar::services;
    const DWORD rights = control == SERVICE_CONTROL_STOP          ? SERVICE_STOP
                         : control == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                                  : 0;
    const auto object = serviceOf(service, rights);
    if (object == nullptr) {
        return FALSE;
    }
    if (rights == 0) {
        return failWith(ERROR_INVALID_SERVICE_CONTROL);
    }
    if (status == nullptr) {
        return failWith(ERROR_INVALID_PARAMETER);
    }
    SERVICE_STATUS_PROCESS full{};
    DWORD error = ERROR_SUCCESS;
    if (control == SERVICE_CONTROL_STOP) {
        error = stopService(object->name, full);
    } else {
        error = queryStatus(object->name, full);
        if (error == ERROR_SUCCESS && full.dwCurrentState == SERVICE_STOPPED) {
            error = ERROR_SERVICE_NOT_ACTIVE;
        }
    }
    if (error != ERROR_SUCCESS) {
        return failWith(error);
    }
    std::memcpy(status, &full, sizeof *status);
    return TRUE;
}
