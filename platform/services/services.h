// The service control manager of the local machine, and the side of a service program.
//
// The service database is the registry key
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\<name>: ImagePath (the command line,
// REG_EXPAND_SZ or REG_SZ), Start (SERVICE_AUTO_START, SERVICE_DEMAND_START or
// SERVICE_DISABLED), DisplayName and Type. Names compare without regard to case.
//
// Starting a service starts its ImagePath as a detached process (a new session) that inherits,
// as its descriptor 3, a lock on <prefix>/services/<name>.lock; the service runs for as long as
// that lock is held, by it or by children it gave the descriptor to. Beside the lock, a small
// state record (<name>.state) keeps the process id, whether the service reported that it is
// ready and whether a stop was asked for. The state a query reports:
//   lock not held                      SERVICE_STOPPED (also after a crash or a kill)
//   held, not ready yet                SERVICE_START_PENDING
//   held, ready                        SERVICE_RUNNING
//   held, stop asked for               SERVICE_STOP_PENDING
//
// A service program (see ServiceProcess below) reports ready once it can do its work, and ends
// when asked to stop; the stop arrives as SIGTERM to the process that was started.
//
// Rights: an ordinary (not elevated, see registry::isProcessElevated) process may connect to
// the manager and open a service to query it; asking for anything more (creating, starting,
// stopping, deleting) fails with ERROR_ACCESS_DENIED when the manager or the service is
// opened, as a service's default security on Windows does.
#pragma once

#include "platform/base/base.h"

#include <string>

using SC_HANDLE = struct SC_HANDLE__*;

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD GENERIC_EXECUTE = 0x20000000;
inline constexpr DWORD GENERIC_ALL = 0x10000000;

inline constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
inline constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x0002;
inline constexpr DWORD SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
inline constexpr DWORD SC_MANAGER_LOCK = 0x0008;
inline constexpr DWORD SC_MANAGER_QUERY_LOCK_STATUS = 0x0010;
inline constexpr DWORD SC_MANAGER_MODIFY_BOOT_CONFIG = 0x0020;
inline constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;

inline constexpr DWORD SERVICE_QUERY_CONFIG = 0x0001;
inline constexpr DWORD SERVICE_CHANGE_CONFIG = 0x0002;
inline constexpr DWORD SERVICE_QUERY_STATUS = 0x0004;
inline constexpr DWORD SERVICE_ENUMERATE_DEPENDENTS = 0x0008;
inline constexpr DWORD SERVICE_START = 0x0010;
inline constexpr DWORD SERVICE_STOP = 0x0020;
inline constexpr DWORD SERVICE_PAUSE_CONTINUE = 0x0040;
inline constexpr DWORD SERVICE_INTERROGATE = 0x0080;
inline constexpr DWORD SERVICE_USER_DEFINED_CONTROL = 0x0100;
inline constexpr DWORD SERVICE_DELETE = 0x00010000; // DELETE
inline constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;

inline constexpr char SERVICES_ACTIVE_DATABASEA[] = "ServicesActive";

inline constexpr DWORD SERVICE_KERNEL_DRIVER = 0x01;
inline constexpr DWORD SERVICE_FILE_SYSTEM_DRIVER = 0x02;
inline constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x10;
inline constexpr DWORD SERVICE_WIN32_SHARE_PROCESS = 0x20;

inline constexpr DWORD SERVICE_BOOT_START = 0;
inline constexpr DWORD SERVICE_SYSTEM_START = 1;
inline constexpr DWORD SERVICE_AUTO_START = 2;
inline constexpr DWORD SERVICE_DEMAND_START = 3;
inline constexpr DWORD SERVICE_DISABLED = 4;

inline constexpr DWORD SERVICE_ERROR_IGNORE = 0;
inline constexpr DWORD SERVICE_ERROR_NORMAL = 1;

inline constexpr DWORD SERVICE_STOPPED = 1;
inline constexpr DWORD SERVICE_START_PENDING = 2;
inline constexpr DWORD SERVICE_STOP_PENDING = 3;
inline constexpr DWORD SERVICE_RUNNING = 4;
inline constexpr DWORD SERVICE_CONTINUE_PENDING = 5;
inline constexpr DWORD SERVICE_PAUSE_PENDING = 6;
inline constexpr DWORD SERVICE_PAUSED = 7;

inline constexpr DWORD SERVICE_CONTROL_STOP = 1;
inline constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;
inline constexpr DWORD SERVICE_ACCEPT_STOP = 1;

struct SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
};
using LPSERVICE_STATUS = SERVICE_STATUS*;

struct SERVICE_STATUS_PROCESS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
    DWORD dwProcessId; // 0 while stopped
    DWORD dwServiceFlags;
};

enum SC_STATUS_TYPE { SC_STATUS_PROCESS_INFO = 0 };

// The local machine's manager. machineName: null, empty, or this host's name (with or without
// a leading "\\"); another machine gives RPC_S_SERVER_UNAVAILABLE. databaseName: null or
// "ServicesActive", else ERROR_DATABASE_DOES_NOT_EXIST. Rights beyond connecting, enumerating
// and reading need an elevated process (ERROR_ACCESS_DENIED).
SC_HANDLE OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD desiredAccess);

// A service of the database: ERROR_SERVICE_DOES_NOT_EXIST when it has no key,
// ERROR_INVALID_NAME for a name holding "/" or "\", ERROR_ACCESS_DENIED when a process that is
// not elevated asks for more than querying.
SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD desiredAccess);

// Registers a service (the manager needs SC_MANAGER_CREATE_SERVICE): writes Type, Start,
// ErrorControl, ImagePath (REG_EXPAND_SZ), DisplayName and ObjectName in one transaction.
// ERROR_SERVICE_EXISTS when the name is taken. The remaining parameters are accepted and
// ignored. Returns a handle of the new service with desiredAccess.
SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR serviceName, LPCSTR displayName,
                         DWORD desiredAccess, DWORD serviceType, DWORD startType,
                         DWORD errorControl, LPCSTR binaryPathName, LPCSTR loadOrderGroup,
                         DWORD* tagId, LPCSTR dependencies, LPCSTR serviceStartName,
                         LPCSTR password);

// Removes the service's key at once (the handle needs DELETE); a running service process
// runs on until it stops. A service already removed gives ERROR_SERVICE_MARKED_FOR_DELETE.
BOOL DeleteService(SC_HANDLE service);

// FALSE with ERROR_INVALID_HANDLE for a handle that is not open (closed already, or null).
BOOL CloseServiceHandle(SC_HANDLE handle);

// The state as described above (the handle needs SERVICE_QUERY_STATUS).
BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status);
// The same with the service process's id: buffer is a SERVICE_STATUS_PROCESS of size bytes;
// too small a buffer gives ERROR_INSUFFICIENT_BUFFER and the size needed in bytesNeeded.
BOOL QueryServiceStatusEx(SC_HANDLE service, SC_STATUS_TYPE infoLevel, BYTE* buffer, DWORD size,
                          DWORD* bytesNeeded);

// Starts the service's program (the handle needs SERVICE_START) and returns without waiting
// for it to report ready. ERROR_SERVICE_ALREADY_RUNNING while it runs or is starting or
// stopping, ERROR_SERVICE_DISABLED when disabled, CreateProcessA's error when the program does
// not start. The arguments are not passed on.
BOOL StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments);

// SERVICE_CONTROL_STOP (the handle needs SERVICE_STOP) asks a running service to stop and
// reports SERVICE_STOP_PENDING; ERROR_SERVICE_NOT_ACTIVE when it is stopped and
// ERROR_SERVICE_CANNOT_ACCEPT_CTRL while it is starting or stopping.
// SERVICE_CONTROL_INTERROGATE reports the state (ERROR_SERVICE_NOT_ACTIVE when stopped).
// Other controls give ERROR_INVALID_SERVICE_CONTROL.
BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status);

namespace velmar::services {

// The side of a service program. Make one first thing in main, before any other thread starts:
// it blocks SIGTERM, the stop's delivery, in the calling thread (and so in threads started
// later), so that a stop that comes early is kept for waitForStop instead of killing the
// process. Keep descriptor 3 open: it is the lock that says the service runs.
//
//   int main() {
//       velmar::services::ServiceProcess service("MyService");
//       ... get ready ...
//       service.reportRunning();
//       while (!service.waitForStop(1000)) { ... work ... }
//       return 0; // the lock goes with the process: the service shows stopped
//   }
class ServiceProcess {
public:
    explicit ServiceProcess(std::string serviceName);
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;
    ~ServiceProcess();

    // START_PENDING -> RUNNING. ERROR_SERVICE_NOT_ACTIVE when the program was not started as
    // this service (nobody holds its lock).
    [[nodiscard]] DWORD reportRunning();

    // A descriptor that polls readable once a stop was asked for, for a service's own loop.
    int stopDescriptor() const { return m_stopFd; }

    // Waits up to milliseconds (INFINITE: for good) for a stop; true once one was asked for.
    bool waitForStop(DWORD milliseconds);

private:
    std::string m_name;
    int m_stopFd = -1;
    bool m_stopped = false;
};

} // namespace velmar::services
