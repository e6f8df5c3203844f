// The table of libraries LoadLibraryA loaded. The dynamic loader counts loads of its own; the
// table mirrors that count for the loads we made, so that FreeLibrary never closes a library
// more often than it was loaded here.
#include "platform/process/internal/loaded_libraries.h"
#include "platform/fs/fs.h"
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <mutex>

namespace velmar::process {

namespace {

struct LoadedLibrary {
    HMODULE handle;
    std::string hostPath;
    std::string fileName; // UTF-8, the name under which it was first loaded
    unsigned count;
};

// Recursive: a library's constructors may load libraries themselves.
std::recursive_mutex& tableMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

std::vector<LoadedLibrary>& table() {
    static std::vector<LoadedLibrary> libraries;
    return libraries;
}

std::string fileNameOfHostPath(const std::string& hostPath) {
    const std::size_t slash = hostPath.rfind('/');
    return slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
}

// Why the loader refused a file: not a library at all (193), unreadable, a library it needs
// is missing (126), or a function it imports is (127).
DWORD errorOfFailedLoad(const std::string& hostPath, const char* message) {
    const int fd = host::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return fs::errorForHostPath(errno, hostPath);
    }
    char magic[4] = {};
    const ssize_t n = host::read(fd, magic, sizeof magic);
    host::close(fd);
    if (n != static_cast<ssize_t>(sizeof magic) || std::memcmp(magic,
                                                               "\x7f"
                                                               "ELF",
                                                               sizeof magic) != 0) {
        return ERROR_BAD_EXE_FORMAT;
    }
    const std::string_view text = message != nullptr ? message : "";
    if (text.find("undefined symbol") != std::string_view::npos) {
        return ERROR_PROC_NOT_FOUND;
    }
    if (text.find("cannot open shared object file") != std::string_view::npos) {
        return ERROR_MOD_NOT_FOUND;
    }
    return ERROR_BAD_EXE_FORMAT;
}

LoadedLibrary* entryNamed(const std::vector<std::string>& fileNames) {
    for (const std::string& name : fileNames) {
        for (LoadedLibrary& entry : table()) {
            if (fs::namesEqualNoCase(entry.fileName, name)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

struct ChainQuery {
    const link_map* head;
    const void* handle;
    bool found;
};

// Walks the loader's list of modules while dl_iterate_phdr holds the loader's lock, so that
// no other thread changes the list under the walk.
int searchChain(dl_phdr_info*, std::size_t, void* data) {
    auto* query = static_cast<ChainQuery*>(data);
    for (const link_map* map = query->head; map != nullptr; map = map->l_next) {
        if (map == query->handle) {
            query->found = true;
            break;
        }
    }
    return 1;
}

const link_map* firstModule() {
    static const link_map* head = [] {
        link_map* map = nullptr;
        void* self = ::dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
        if (self != nullptr) {
            ::dlinfo(self, RTLD_DI_LINKMAP, &map);
            ::dlclose(self);
        }
        return map;
    }();
    return head;
}

} // namespace

std::vector<std::string> libraryNameCandidates(std::string_view name) {
    if (!name.empty() && name.back() == '.') {
        name.remove_suffix(1);
        return {std::string(name)};
    }
    const std::size_t separator = name.find_last_of("/\\:");
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator)) {
        return {std::string(name)};
    }
    return {std::string(name) + ".dll", std::string(name)};
}

bool isLibraryPath(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos ||
           (name.size() >= 2 && name[1] == ':');
}

HMODULE loadLibraryFile(const std::string& hostPath) {
    std::lock_guard lock(tableMutex());
    ::dlerror();
    void* loaded = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (loaded == nullptr) {
        SetLastError(errorOfFailedLoad(hostPath, ::dlerror()));
        return nullptr;
    }
    const auto handle = static_cast<HMODULE>(loaded);
    for (LoadedLibrary& entry : table()) {
        if (entry.handle == handle) {
            ++entry.count;
            return handle;
        }
    }
    table().push_back({handle, hostPath, fileNameOfHostPath(hostPath), 1});
    return handle;
}

HMODULE loadedLibraryNamed(const std::vector<std::string>& fileNames) {
    std::lock_guard lock(tableMutex());
    const LoadedLibrary* entry = entryNamed(fileNames);
    return entry != nullptr ? entry->handle : nullptr;
}

HMODULE loadAgainByName(const std::vector<std::string>& fileNames) {
    std::lock_guard lock(tableMutex());
    const LoadedLibrary* entry = entryNamed(fileNames);
    if (entry == nullptr) {
        return nullptr;
    }
    const std::string hostPath = entry->hostPath; // the table may grow while it loads
    return loadLibraryFile(hostPath);
}

bool releaseLibrary(HMODULE module) {
    std::lock_guard lock(tableMutex());
    std::vector<LoadedLibrary>& libraries = table();
    for (auto entry = libraries.begin(); entry != libraries.end(); ++entry) {
        if (entry->handle == module) {
            if (--entry->count == 0) {
                libraries.erase(entry);
            }
            ::dlclose(module);
            return true;
        }
    }
    return false;
}

bool isModuleHandle(HMODULE module) {
    if (module == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(tableMutex());
        for (const LoadedLibrary& entry : table()) {
            if (entry.handle == module) {
                return true;
            }
        }
    }
    ChainQuery query{firstModule(), module, false};
    ::dl_iterate_phdr(searchChain, &query);
    return query.found;
}

} // namespace velmar::process
