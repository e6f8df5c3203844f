// A second program for the log file's tests, for what needs a process of its own: a message
// box under the headless presenter.
//
//   diag_elapsed_child show-span <seconds>
//       shows the elapsed time span in its box, then prints "shown"
#include "misc/diagnostics/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "show-span") == 0) {
        showElapsedTimeSpan(CTimeSpan(std::strtoll(argv[2], nullptr, 10)));
        std::printf("shown\n");
        return 0;
    }
    return 2;
}
