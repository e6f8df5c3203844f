// A service program for the tests: test_service <name> [milliseconds before it reports ready].
// Ends with 0 when asked to stop, 3 when it cannot report ready.
#include "platform/process/process.h"
#include "platform/services/services.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    velmar::services::ServiceProcess service(argv[1]);
    const DWORD delay = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 0;
    // A stop during the start-up ends the program at once.
    if (delay > 0 && service.waitForStop(delay)) {
        return 0;
    }
    if (service.reportRunning() != ERROR_SUCCESS) {
        return 3;
    }
    service.waitForStop(INFINITE);
    return 0;
}
