// A second process for the file tests.
//   file_helper hold <host path>        opens the file (plain open(2), as any program would),
//                                       prints "ready" and keeps it open until stdin closes
//   file_helper hide <path> <0|1>       sets or clears the hidden attribute through the
//                                       platform, then exits (0 on success)
#include "platform/fs/fs.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "hold") == 0) {
        const int fd = ::open(argv[2], O_RDONLY);
        if (fd < 0) {
            return 2;
        }
        std::puts("ready");
        std::fflush(stdout);
        char c;
        while (::read(0, &c, 1) > 0) {
        }
        ::close(fd);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "hide") == 0) {
        DWORD attributes = GetFileAttributesA(argv[2]);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return 2;
        }
        attributes = argv[3][0] == '1' ? (attributes | FILE_ATTRIBUTE_HIDDEN)
                                       : (attributes & ~FILE_ATTRIBUTE_HIDDEN);
        return SetFileAttributesA(argv[2], attributes) ? 0 : 3;
    }
    return 1;
}
