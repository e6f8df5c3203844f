// The program the shell-open tests start: writes its arguments, one a line, into the file
// that SHELL_OPEN_CHILD_OUT names, after waiting SHELL_OPEN_CHILD_DELAY milliseconds. The
// file appears whole (written beside it, then renamed), so a test may poll for it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* out = std::getenv("SHELL_OPEN_CHILD_OUT");
    if (out == nullptr) {
        return 100;
    }
    if (const char* delay = std::getenv("SHELL_OPEN_CHILD_DELAY")) {
        ::usleep(static_cast<useconds_t>(std::atoi(delay)) * 1000);
    }
    std::string text;
    for (int i = 1; i < argc; ++i) {
        text += std::string(argv[i]) + "\n";
    }
    const std::string partial = std::string(out) + ".partial";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (file == nullptr) {
        return 101;
    }
    std::fputs(text.c_str(), file);
    std::fclose(file);
    return std::rename(partial.c_str(), out) == 0 ? 0 : 102;
}
