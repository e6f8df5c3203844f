// LoadLibraryA, GetProcAddress and FreeLibrary on the dynamic loader, with Windows' search for
// a bare name: the program's folder, the system folder, the Windows folder, the current
// folder, then the folders of PATH.
#include "platform/fs/fs.h"
#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/process/internal/loaded_libraries.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

namespace velmar::process {

namespace {

// The folders a bare name is looked for in, as host paths, in Windows' order.
std::vector<std::string> searchFolders() {
    std::vector<std::string> folders;
    char buffer[4096];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) {
        const std::string own = text::ansiToUtf8(std::string_view(buffer, length));
        folders.push_back(own.substr(0, own.rfind('/')));
    }
    const std::string windows = prefix::driveCPath() + "/windows";
    folders.push_back(windows + "/system32");
    folders.push_back(windows);
    if (host::getcwd(buffer, sizeof buffer) != nullptr) {
        folders.emplace_back(buffer);
    }
    std::string path;
    if (environmentValue("PATH", path)) {
        std::string_view list(path);
        while (!list.empty()) {
            const std::size_t semicolon = list.find(';');
            const std::string_view entry = list.substr(0, semicolon);
            // Entries may be Windows folders ("C:\tools") or host ones.
            if (fs::HostPath mapped = fs::hostPathOfAnsi(entry); !entry.empty() && mapped) {
                folders.push_back(mapped.path);
            }
            list.remove_prefix(semicolon == std::string_view::npos ? list.size() : semicolon + 1);
        }
    }
    return folders;
}

bool isRegularFile(const std::string& hostPath) {
    struct stat status {};
    return host::stat(hostPath.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The first candidate that is a regular file, its name found without regard to case.
bool findIn(const std::wstring& folder, const std::vector<std::string>& names, std::string& found) {
    for (const std::string& name : names) {
        const std::wstring path =
            folder.empty() ? text::ansiToWide(name) : folder + L"/" + text::ansiToWide(name);
        const fs::HostPath mapped = fs::hostPathOf(path);
        if (mapped && isRegularFile(mapped.path)) {
            found = mapped.path;
            return true;
        }
    }
    return false;
}

HMODULE loadLibrary(const std::string& name) {
    const std::vector<std::string> names = libraryNameCandidates(name);
    std::string found;
    if (isLibraryPath(name)) {
        if (!findIn({}, names, found)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        return loadLibraryFile(found);
    }
    std::vector<std::string> fileNames;
    for (const std::string& candidate : names) {
        fileNames.push_back(text::ansiToUtf8(candidate));
    }
    // A library of that name that is loaded already is used wherever it came from.
    if (HMODULE loaded = loadAgainByName(fileNames)) {
        return loaded;
    }
    for (const std::string& folder : searchFolders()) {
        if (findIn(text::utf8ToWide(folder), names, found)) {
            return loadLibraryFile(found);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

} // namespace

} // namespace velmar::process

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (fileName[0] == '\0') {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return velmar::process::loadLibrary(fileName);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    if (!velmar::process::isModuleHandle(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Values below 64K are export ordinals, which shared objects do not have.
    if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = ::dlsym(module, procName);
    // dlsym also searches the libraries the module depends on; Windows looks only at what
    // the module itself exports.
    Dl_info info{};
    link_map* owner = nullptr;
    if (symbol == nullptr ||
        ::dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
        owner != reinterpret_cast<link_map*>(module)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    // The loader hands out functions as object pointers; on this platform both are addresses.
    FARPROC function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

BOOL FreeLibrary(HMODULE module) {
    if (!velmar::process::releaseLibrary(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
