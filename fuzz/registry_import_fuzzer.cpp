// importRegistryFile on the input as the bytes of a registry file. The hives are emptied
// after each input, so that every input meets an empty store and the store stays small.
#include "fuzz/fuzz_prefix.h"
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"

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
    for (const HKEY hive : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                            HKEY_CURRENT_CONFIG}) {
        velmar::registry::Key root;
        if (root.open(hive, "", KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            static_cast<void>(root.deleteTree(""));
        }
    }
    return 0;
}
