// A program to be started by the tests: appends to the file named by VELMAR_LAUNCH_REPORT what
// it was started with, after waiting VELMAR_LAUNCH_DELAY milliseconds when that is set.
//   self <own file>, arg <argument> (one per argument), cwd <folder>, path <"Path">,
//   startup <flags> <show> <width> <height>, end
#include "platform/process/process.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    if (const char* delay = std::getenv("VELMAR_LAUNCH_DELAY")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
    }
    const char* reportFile = std::getenv("VELMAR_LAUNCH_REPORT");
    if (reportFile == nullptr) {
        return 2;
    }
    std::string report;
    char self[4096];
    const DWORD selfLength = GetModuleFileNameA(nullptr, self, sizeof self);
    report += "self " + std::string(self, selfLength) + "\n";
    for (int i = 1; i < argc; ++i) {
        report += "arg " + std::string(argv[i]) + "\n";
    }
    char cwd[4096];
    report += "cwd " + std::string(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?") + "\n";
    std::string path(32767, '\0');
    path.resize(GetEnvironmentVariableA("Path", path.data(), static_cast<DWORD>(path.size())));
    report += "path " + path + "\n";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    report += "startup " + std::to_string(startup.dwFlags) + " " +
              std::to_string(startup.wShowWindow) + " " + std::to_string(startup.dwXSize) + " " +
              std::to_string(startup.dwYSize) + "\nend\n";
    std::ofstream(reportFile, std::ios::app) << report;
    return 0;
}
