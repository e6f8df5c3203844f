// The child of the process benchmarks: exits at once, or with "wait" when its standard input
// reaches its end.
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "wait") == 0) {
        char buffer[64];
        while (::read(0, buffer, sizeof buffer) > 0) {
        }
    }
    return 0;
}
