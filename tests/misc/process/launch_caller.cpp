// A calling program for the tests, for what needs a process of its own: message boxes through
// the headless presenter, start-up information of its own, and its own folder in a tree the
// test builds. Prints "result <0|1>"; "-" stands for a null text.
//   launch_caller launch <program> <arguments> <report> <wait> <show normal> [<working folder>]
//   launch_caller explorer <argument>
//   launch_caller notepad <path>
//   launch_caller find <name> <arguments> <extra folder> <report> <wait>
//       also prints "path-before <Path>" and "path-after <Path>"
#include "misc/process/process.h"

#include "platform/process/process.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* text(const char* arg) {
    return std::strcmp(arg, "-") == 0 ? nullptr : arg;
}

bool flag(const char* arg) {
    return std::strcmp(arg, "1") == 0;
}

std::string path() {
    std::string value(32767, '\0');
    value.resize(GetEnvironmentVariableA("Path", value.data(), static_cast<DWORD>(value.size())));
    return value;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    bool result = false;
    if (command == "launch" && (argc == 7 || argc == 8)) {
        result = launchProgram(argv[2], text(argv[3]), flag(argv[4]), flag(argv[5]),
                               argc == 8 ? argv[7] : nullptr, flag(argv[6]));
    } else if (command == "explorer" && argc == 3) {
        result = openInExplorer(argv[2]);
    } else if (command == "notepad" && argc == 3) {
        result = openInNotepad(argv[2]);
    } else if (command == "find" && argc == 7) {
        std::printf("path-before %s\n", path().c_str());
        result = findAndLaunch(argv[2], text(argv[3]), text(argv[4]), flag(argv[5]), flag(argv[6]),
                               nullptr, false, nullptr);
        std::printf("path-after %s\n", path().c_str());
    } else {
        std::fprintf(stderr, "usage: see the source\n");
        return 2;
    }
    std::printf("result %d\n", result ? 1 : 0);
    return 0;
}
