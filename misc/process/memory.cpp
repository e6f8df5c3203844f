// The machine's memory figures.
#include "misc/process/process.h"

#include "platform/process/process.h"

namespace {

// A zeroed record of the system's memory status; false when the query fails.
bool queryMemory(MEMORYSTATUSEX& status) {
    status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) != FALSE;
}

} // namespace

ULONGLONG availablePhysicalMemory() {
    MEMORYSTATUSEX status;
    return queryMemory(status) ? status.ullAvailPhys : 0;
}

bool memoryLoad(int& percentage) {
    MEMORYSTATUSEX status;
    if (!queryMemory(status)) {
        return false;
    }
    percentage = static_cast<int>(status.dwMemoryLoad);
    return true;
}

bool memoryStatus(ULONGLONG& totalPhysical, ULONGLONG& availablePhysical, ULONGLONG& totalVirtual,
                  ULONGLONG& availableVirtual) {
    MEMORYSTATUSEX status;
    if (!queryMemory(status)) {
        return false;
    }
    totalPhysical = status.ullTotalPhys;
    availablePhysical = status.ullAvailPhys;
    totalVirtual = status.ullTotalVirtual;
    availableVirtual = status.ullAvailVirtual;
    return true;
}
