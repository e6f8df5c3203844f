// Imports a registry file for the atomic-import test: import_child <file>
// <marker>. Creates the marker file just before the import begins, so that the
// test knows when to kill it.
#include "misc/registry/registry.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    if (std::FILE* marker = std::fopen(argv[2], "w")) {
        std::fclose(marker);
    }
    return importRegistryFile(argv[1]) ? 0 : 1;
}
