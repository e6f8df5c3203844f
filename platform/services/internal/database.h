// The service database: one registry key per service below
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services.
#pragma once

#include "platform/base/base.h"

#include <string>
#include <string_view>

namespace velmar::services {

inline constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

struct ServiceConfig {
    DWORD type = 0x10; // SERVICE_WIN32_OWN_PROCESS
    DWORD start = 3;   // SERVICE_DEMAND_START
    DWORD errorControl = 1;
    std::string imagePath; // the command line, environment references expanded
    std::string displayName;
};

// ERROR_INVALID_NAME for a name Windows refuses (empty, longer than 256, "/" or "\").
DWORD checkServiceName(std::string_view name);

// ERROR_SERVICE_DOES_NOT_EXIST when the service has no key; config unchanged on failure.
DWORD readConfig(std::string_view name, ServiceConfig& config);

// Creates the key with its values in one transaction; ERROR_SERVICE_EXISTS when taken.
DWORD writeNewService(std::string_view name, const ServiceConfig& config);

// Removes the key and everything below it; ERROR_SERVICE_MARKED_FOR_DELETE when it is gone.
DWORD removeService(std::string_view name);

// %NAME% references replaced by the environment's values; unknown ones stay as written.
std::string expandEnvironment(std::string_view text);

} // namespace velmar::services
