// A second program for the log file's tests, for what needs a process of its own: a message
// box under the headless presenter, and the program a log opens with.
//
//   diag_elapsed_child show-span <seconds>
//       shows the elapsed time span in its box, then prints "shown"
//   diag_elapsed_child record <file> <argument>
//       writes the argument and a line feed to the file, whole (written beside it, then
//       renamed), so that a test may poll for it
#include "misc/diagnostics/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "show-span") == 0) {
        showElapsedTimeSpan(CTimeSpan(std::strtoll(argv[2], nullptr, 10)));
        std::printf("shown\n");
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "record") == 0) {
        const std::string partial = std::string(argv[2]) + ".partial";
        std::FILE* file = std::fopen(partial.c_str(), "w");
        if (file == nullptr) {
            return 3;
        }
        std::fprintf(file, "%s\n", argv[3]);
        std::fclose(file);
        return std::rename(partial.c_str(), argv[2]) == 0 ? 0 : 4;
    }
    return 2;
}
