// The child of the CreateProcess tests: spawn_child <output file> <what> [arguments...]
//   args: its arguments after <what>, one a line     cwd: its working folder
//   sid: its session and its own id                  fds: its open descriptors
//   exit <code> <milliseconds>: waits, then exits with the code (no output file: "-")
//   startup: its start-up information, after changing the variable that carried it
//   path: its PATH as the host holds it, then as GetEnvironmentVariableA reads it
//   stdin: what its standard input is
#include "platform/process/process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 100;
    }
    const std::string what = argv[2];
    if (what == "exit") {
        ::usleep(static_cast<useconds_t>(std::atoi(argv[4])) * 1000);
        return std::atoi(argv[3]);
    }
    // Lists descriptors before opening the output, which would add one.
    std::string text;
    if (what == "fds") {
        DIR* dir = ::opendir("/proc/self/fd");
        const int own = ::dirfd(dir);
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != own) {
                text += std::string(entry->d_name) + "\n";
            }
        }
        ::closedir(dir);
    }
    FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        return 101;
    }
    if (what == "args") {
        for (int i = 3; i < argc; ++i) {
            std::fprintf(out, "%s\n", argv[i]);
        }
    } else if (what == "cwd") {
        char folder[4096];
        std::fprintf(out, "%s\n", ::getcwd(folder, sizeof folder));
    } else if (what == "startup") {
        ::setenv("VELMAR_STARTUPINFO", "1 3 1 1 1 1", 1);
        STARTUPINFOA info;
        std::memset(&info, 0xFF, sizeof info);
        GetStartupInfoA(&info);
        const bool restZero =
            info.lpReserved == nullptr && info.lpDesktop == nullptr && info.lpTitle == nullptr &&
            info.dwXCountChars == 0 && info.dwYCountChars == 0 && info.dwFillAttribute == 0 &&
            info.cbReserved2 == 0 && info.lpReserved2 == nullptr && info.hStdInput == nullptr &&
            info.hStdOutput == nullptr && info.hStdError == nullptr;
        std::fprintf(
            out, "%s %lu %u %lu %lu %lu %lu\n", info.cb == sizeof info && restZero ? "ok" : "bad",
            static_cast<unsigned long>(info.dwFlags), info.wShowWindow,
            static_cast<unsigned long>(info.dwX), static_cast<unsigned long>(info.dwY),
            static_cast<unsigned long>(info.dwXSize), static_cast<unsigned long>(info.dwYSize));
    } else if (what == "path") {
        const char* host = std::getenv("PATH");
        char list[4096] = {};
        const DWORD length = GetEnvironmentVariableA("PATH", list, sizeof list);
        std::fprintf(out, "%s\n%s\n", host != nullptr ? host : "<unset>",
                     length > 0 && length < sizeof list ? list : "<unset>");
    } else if (what == "stdin") {
        char target[256] = {};
        const ssize_t length = ::readlink("/proc/self/fd/0", target, sizeof target - 1);
        std::fprintf(out, "%s\n", length > 0 ? target : "<closed>");
    } else if (what == "sid") {
        std::fprintf(out, "%d %d\n", static_cast<int>(::getsid(0)), static_cast<int>(::getpid()));
    } else {
        std::fputs(text.c_str(), out);
    }
    std::fclose(out);
    return 0;
}
