// Whether a service runs, and starting one, through the local service control manager.
#include "misc/process/process.h"

#include "platform/services/services.h"

namespace {

// Closes a manager or service handle when the scope ends.
class ServiceHandle {
public:
    explicit ServiceHandle(SC_HANDLE handle) : m_handle(handle) {}
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    ~ServiceHandle() {
        if (m_handle != nullptr) {
            CloseServiceHandle(m_handle);
        }
    }
    SC_HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SC_HANDLE m_handle;
};

} // namespace

bool isServiceRunning(const CString& serviceName) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, GENERIC_READ));
    if (!manager) {
        return false;
    }
    const ServiceHandle service(
        OpenServiceA(manager.get(), serviceName.GetString(), SERVICE_QUERY_STATUS));
    if (!service) {
        return false;
    }
    SERVICE_STATUS status{};
    return QueryServiceStatus(service.get(), &status) != FALSE &&
           status.dwCurrentState == SERVICE_RUNNING;
}

bool isServiceRunning(const std::string& serviceName) {
    return isServiceRunning(CString(serviceName));
}

bool startService(const CString& serviceName) {
    if (isServiceRunning(serviceName)) {
        return true;
    }
    const ServiceHandle manager(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, GENERIC_READ));
    if (!manager) {
        return false;
    }
    const ServiceHandle service(
        OpenServiceA(manager.get(), serviceName.GetString(), GENERIC_EXECUTE));
    if (!service) {
        return false;
    }
    // Accepted is enough: the service reports running later, when it is ready.
    return StartServiceA(service.get(), 0, nullptr) != FALSE;
}

bool startService(const std::string& serviceName) {
    return startService(CString(serviceName));
}
