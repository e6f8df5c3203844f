#include "platform/base/base.h"
#include "platform/host/host.h"
#include "platform/process/internal/loaded_libraries.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>

namespace {

std::string executablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = velmar::host::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) {
            return "";
        }
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The host file of a module handle; the program itself for null or its own handle.
bool moduleHostPath(HMODULE module, std::string& path) {
    if (module != nullptr) {
        link_map* map = nullptr;
        if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
            return false;
        }
        if (map->l_name != nullptr && map->l_name[0] != '\0') {
            path = map->l_name;
            return true;
        }
    }
    path = executablePath();
    return !path.empty();
}

} // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    std::string host;
    if (!moduleHostPath(module, host)) {
        SetLastError(module != nullptr ? ERROR_MOD_NOT_FOUND : ERROR_INVALID_FUNCTION);
        return 0;
    }
    if (fileName == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::string ansi = velmar::text::utf8ToAnsi(host);
    if (ansi.size() >= size) {
        std::memcpy(fileName, ansi.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, ansi.c_str(), ansi.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(ansi.size());
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName != nullptr && !velmar::process::isLibraryPath(moduleName)) {
        // A bare name: the libraries LoadLibraryA loaded first, by their file names.
        std::vector<std::string> fileNames;
        for (const std::string& name : velmar::process::libraryNameCandidates(moduleName)) {
            fileNames.push_back(velmar::text::ansiToUtf8(name));
        }
        if (HMODULE loaded = velmar::process::loadedLibraryNamed(fileNames)) {
            return loaded;
        }
    }
    void* handle = nullptr;
    if (moduleName == nullptr) {
        handle = ::dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
    } else {
        handle = ::dlopen(velmar::text::ansiToUtf8(moduleName).c_str(), RTLD_LAZY | RTLD_NOLOAD);
    }
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // RTLD_NOLOAD took a reference; the module stays loaded by whoever loaded it.
    ::dlclose(handle);
    return static_cast<HMODULE>(handle);
}
