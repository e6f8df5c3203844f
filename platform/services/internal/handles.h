// The process's table of service manager and service handles.
#pragma once

#include "platform/services/services.h"

#include <memory>
#include <string>

namespace velmar::services {

struct ScObject {
    bool manager = false;
    std::string name; // the service's name as opened (services only)
    DWORD access = 0; // the rights granted, generic rights mapped
};

// A new handle; handles are never reused, so a closed one stays invalid.
SC_HANDLE insertHandle(std::shared_ptr<const ScObject> object);
// The object of an open handle, or null.
std::shared_ptr<const ScObject> objectOf(SC_HANDLE handle);
// False when the handle was not open.
bool removeHandle(SC_HANDLE handle);

// The service (or manager) of a handle with all of the rights needed; null with the last error
// set (ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED) otherwise.
std::shared_ptr<const ScObject> serviceOf(SC_HANDLE handle, DWORD rightsNeeded);
std::shared_ptr<const ScObject> managerOf(SC_HANDLE handle, DWORD rightsNeeded);

} // namespace velmar::services
