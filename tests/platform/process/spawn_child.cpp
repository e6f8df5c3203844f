// The child of the CreateProcess tests: spawn_child <output file> <what> [arguments...]
//   args: its arguments after <what>, one a line     cwd: its working folder
//   sid: its session and its own id                  fds: its open descriptors
//   exit <code> <milliseconds>: waits, then exits with the code (no output file: "-")
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
    } else if (what == "sid") {
        std::fprintf(out, "%d %d\n", static_cast<int>(::getsid(0)), static_cast<int>(::getpid()));
    } else {
        std::fputs(text.c_str(), out);
    }
    std::fclose(out);
    return 0;
}
