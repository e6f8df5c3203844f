// The probe library that the loading tests build (velmar_probe.dll, exporting
// velmar_probe_value, which returns kProbeValue), copied into the folders a test needs.
#pragma once

#include "platform/process/process.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>

#ifndef VELMAR_PROBE_LIBRARY
#error "the test target defines VELMAR_PROBE_LIBRARY as the built probe's path"
#endif

namespace velmar::test {

inline constexpr int kProbeValue = 4711;

// Copies the probe to folder/name (folders created) and returns that path.
inline std::string placeProbe(const std::string& folder, const std::string& name) {
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + name;
    writeFileBytes(path, readFileBytes(VELMAR_PROBE_LIBRARY));
    return path;
}

// The host file a module was loaded from; empty for none.
inline std::string moduleFile(HMODULE module) {
    if (module == nullptr) {
        return {};
    }
    char buffer[4096] = {};
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// The probe's function called through the module, or -1 when it is not there.
inline int probeValue(HMODULE module) {
    const FARPROC function = GetProcAddress(module, "velmar_probe_value");
    // Through void (*)(), the generic function pointer, as the function returns int.
    return function != nullptr
               ? reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(function))()
               : -1;
}

} // namespace velmar::test
