// Stands in for setup.exe in the bootstrapper's tests. Appends "start <args> <ms>" and
// "end <args> <ms>" to the file VELMAR_TEST_INSTALLER_LOG names (args as [a][b], ms on the
// steady clock, which all processes share), waits VELMAR_TEST_INSTALLER_MS in between, and
// with "/uninst" removes VelmarDir from the installation key as the real installer would.
#include "platform/registry/registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void record(const std::string& line) {
    const char* log = std::getenv("VELMAR_TEST_INSTALLER_LOG");
    if (log == nullptr) {
        return;
    }
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    if (std::FILE* file = std::fopen(log, "a"); file != nullptr) {
        std::fprintf(file, "%s %lld\n", line.c_str(), static_cast<long long>(now.count()));
        std::fclose(file);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string args;
    for (int i = 1; i < argc; ++i) {
        args += std::string("[") + argv[i] + "]";
    }
    record("start " + args);
    if (const char* wait = std::getenv("VELMAR_TEST_INSTALLER_MS"); wait != nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(wait)));
    }
    if (args == "[/uninst]") {
        velmar::registry::Key key;
        if (key.open(HKEY_LOCAL_MACHINE,
                     "Software\\VELMAR Systems International\\VELMAR Software\\CurrentVersion",
                     KEY_ALL_ACCESS | KEY_WOW64_32KEY) == ERROR_SUCCESS) {
            static_cast<void>(key.deleteValue("VelmarDir"));
        }
    }
    record("end " + args);
    return 0;
}
