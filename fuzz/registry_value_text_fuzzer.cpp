// setRegistryValueFromText with the input split at its first zero byte into the value's name
// and its text (no zero byte: the default value).
#include "fuzz/fuzz_prefix.h"
#include "misc/registry/registry.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmar::fuzz::privateFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string name = zero == std::string::npos ? "" : input.substr(0, zero);
    const std::string text = zero == std::string::npos ? input : input.substr(zero + 1);
    setRegistryValueFromText(HKEY_CURRENT_USER, "Software\\Fuzz", name.c_str(), text.c_str());
    return 0;
}
