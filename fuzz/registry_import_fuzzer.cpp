// importRegistryFile on the input as the bytes of a registry file.
#include "fuzz/fuzz_prefix.h"
#include "misc/registry/registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmar::fuzz::privateFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = velmar::fuzz::privateFolder() + "/tmp/input.reg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    importRegistryFile(path.c_str());
    return 0;
}
