// Opening, creating, deleting and closing: the manager and the service handles.
#include "platform/registry/registry.h"
#include "platform/services/internal/database.h"
#include "platform/services/internal/handles.h"
#include "platform/services/services.h"
#include "platform/text/text.h"

#include <unistd.h>

namespace velmar::services {

namespace {

constexpr DWORD kStandardRead = 0x00020000; // READ_CONTROL

DWORD mapManagerRights(DWORD access) {
    if ((access & GENERIC_READ) != 0) {
        access |= kStandardRead | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
    }
    if ((access & GENERIC_WRITE) != 0) {
        access |= SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG;
    }
    if ((access & GENERIC_EXECUTE) != 0) {
        access |= SC_MANAGER_CONNECT | SC_MANAGER_LOCK;
    }
    if ((access & GENERIC_ALL) != 0) {
        access |= SC_MANAGER_ALL_ACCESS;
    }
    return access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

DWORD mapServiceRights(DWORD access) {
    if ((access & GENERIC_READ) != 0) {
        access |= kStandardRead | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                  SERVICE_INTERROGATE | SERVICE_ENUMERATE_DEPENDENTS;
    }
    if ((access & GENERIC_WRITE) != 0) {
        access |= kStandardRead | SERVICE_CHANGE_CONFIG;
    }
    if ((access & GENERIC_EXECUTE) != 0) {
        access |= kStandardRead | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE |
                  SERVICE_USER_DEFINED_CONTROL;
    }
    if ((access & GENERIC_ALL) != 0) {
        access |= SERVICE_ALL_ACCESS;
    }
    return access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

// What everyone may have; anything more needs an elevated process.
constexpr DWORD kOrdinaryManagerRights = kStandardRead | SC_MANAGER_CONNECT |
                                         SC_MANAGER_ENUMERATE_SERVICE |
                                         SC_MANAGER_QUERY_LOCK_STATUS;
constexpr DWORD kOrdinaryServiceRights = kStandardRead | SERVICE_QUERY_CONFIG |
                                         SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                                         SERVICE_INTERROGATE;

bool mayHave(DWORD rights, DWORD ordinary) {
    return (rights & ~ordinary) == 0 || registry::isProcessElevated();
}

bool isLocalMachine(std::string_view name) {
    while (!name.empty() && name.front() == '\\') {
        name.remove_prefix(1);
    }
    if (name.empty() || name == "." || text::compareAnsiNoCase(name, "localhost") == 0) {
        return true;
    }
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        return false;
    }
    std::string_view own(host);
    own = own.substr(0, own.find('.')); // the NetBIOS-like short name
    return text::compareAnsiNoCase(name, own) == 0 || text::compareAnsiNoCase(name, host) == 0;
}

SC_HANDLE fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

SC_HANDLE newHandle(ScObject object) {
    SC_HANDLE handle = insertHandle(std::make_shared<const ScObject>(std::move(object)));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

} // namespace

} // namespace velmar::services

SC_HANDLE OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD desiredAccess) {
    using namespace velmar::services;
    if (machineName != nullptr && !isLocalMachine(machineName)) {
        return fail(RPC_S_SERVER_UNAVAILABLE);
    }
    if (databaseName != nullptr &&
        velmar::text::compareAnsiNoCase(databaseName, SERVICES_ACTIVE_DATABASEA) != 0) {
        return fail(ERROR_DATABASE_DOES_NOT_EXIST);
    }
    // Every connection may connect, whatever else it asked for.
    const DWORD rights = mapManagerRights(desiredAccess) | SC_MANAGER_CONNECT;
    if (!mayHave(rights, kOrdinaryManagerRights)) {
        return fail(ERROR_ACCESS_DENIED);
    }
    return newHandle({true, {}, rights});
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD desiredAccess) {
    using namespace velmar::services;
    if (managerOf(manager, SC_MANAGER_CONNECT) == nullptr) {
        return nullptr;
    }
    if (serviceName == nullptr) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    ServiceConfig config;
    if (const DWORD error = readConfig(serviceName, config); error != ERROR_SUCCESS) {
        return fail(error);
    }
    const DWORD rights = mapServiceRights(desiredAccess);
    if (!mayHave(rights, kOrdinaryServiceRights)) {
        return fail(ERROR_ACCESS_DENIED);
    }
    return newHandle({false, serviceName, rights});
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR serviceName, LPCSTR displayName,
                         DWORD desiredAccess, DWORD serviceType, DWORD startType,
                         DWORD errorControl, LPCSTR binaryPathName, LPCSTR, DWORD*, LPCSTR, LPCSTR,
                         LPCSTR) {
    using namespace velmar::services;
    if (managerOf(manager, SC_MANAGER_CREATE_SERVICE) == nullptr) {
        return nullptr;
    }
    if (serviceName == nullptr || binaryPathName == nullptr) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if ((serviceType & (SERVICE_WIN32_OWN_PROCESS | SERVICE_WIN32_SHARE_PROCESS)) == 0 ||
        startType > SERVICE_DISABLED || startType < SERVICE_AUTO_START) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    ServiceConfig config;
    config.type = serviceType;
    config.start = startType;
    config.errorControl = errorControl;
    config.imagePath = binaryPathName;
    config.displayName = displayName != nullptr ? displayName : "";
    if (const DWORD error = writeNewService(serviceName, config); error != ERROR_SUCCESS) {
        return fail(error);
    }
    return newHandle({false, serviceName, mapServiceRights(desiredAccess)});
}

BOOL DeleteService(SC_HANDLE service) {
    using namespace velmar::services;
    const std::shared_ptr<const ScObject> object = serviceOf(service, SERVICE_DELETE);
    if (object == nullptr) {
        return FALSE;
    }
    if (const DWORD error = removeService(object->name); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
    if (!velmar::services::removeHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
