// Raises exceptions through logAndThrow, as a suite program would, and catches them.
// Usage: diag_log_writer <records> <message length> [acad|empty]
#include "misc/diagnostics/diagnostics.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const int records = std::atoi(argv[1]);
    const std::string kind = argc > 3 ? argv[3] : "";
    // Each message names its writer, so a test can tell whole lines of two writers apart.
    const std::string tag = "pid" + std::to_string(::getpid()) + ":";
    const auto length = static_cast<std::size_t>(std::atoi(argv[2]));
    std::string message = kind == "empty" ? "" : tag + std::string(length, 'm');

    int caught = 0;
    for (int i = 0; i < records; ++i) {
        try {
            if (kind == "acad") {
                CVelmarAcadException(argv[0], i, message.c_str(), std::string("host says hi"))
                    .logAndThrow();
            } else {
                CVelmarFileException("Writer", i, message.c_str()).logAndThrow();
            }
        } catch (const CVelmarAcadException&) {
            return 3; // must arrive as its file-exception part
        } catch (const CVelmarFileException& e) {
            caught += std::strcmp(e.getErrorMessage(), message.c_str()) == 0 ? 1 : 0;
        }
    }
    return caught == records ? 0 : 1;
}
