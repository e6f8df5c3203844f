// Loading a sibling library: beside us, in the personal build folder or in a folder the caller
// names, each folder added to "Path" so that the library finds the libraries it needs there.
#include "misc/files/files.h"
#include "misc/process/process.h"
#include "platform/process/process.h"

#include <string>
#include <vector>

namespace {

constexpr DWORD kOwnPathSize = 512;
constexpr DWORD kProfileSize = 512;
constexpr DWORD kPathSize = 32766;

// A variable read into a buffer of size bytes; not set, or longer than the buffer holds,
// counts as empty.
std::string variable(const char* name, DWORD size) {
    std::vector<char> buffer(size, '\0');
    const DWORD length = GetEnvironmentVariableA(name, buffer.data(), size);
    return length > 0 && length < size ? std::string(buffer.data(), length) : std::string();
}

std::string ownFolder() {
    char path[kOwnPathSize] = {};
    GetModuleFileNameA(nullptr, path, kOwnPathSize);
    return directoryOf(std::string(path), false);
}

std::string personalBuildFolder() {
    return variable("userprofile", kProfileSize) + "\\VEL_Pack\\x64\\2017Build\\Release";
}

bool endsWithSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
}

std::string withSeparator(std::string folder) {
    if (!endsWithSeparator(folder)) {
        folder += '\\';
    }
    return folder;
}

bool isEmpty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

} // namespace

HMODULE loadLibraryFrom(const char* libraryName, const char* folder) {
    if (libraryName == nullptr || folder == nullptr ||
        !fileExists(std::string(folder) + libraryName)) {
        return nullptr;
    }
    // The folder stays on "Path" for good: the library may load more from it later.
    const std::string path = variable("Path", kPathSize) + ";" + folder;
    SetEnvironmentVariableA("Path", path.c_str());
    return LoadLibraryA(libraryName);
}

HMODULE findAndLoadLibrary(const char* libraryName, const char* subFolder,
                           const char* extraFolder) {
    if (libraryName == nullptr) {
        return nullptr;
    }
    if (isEmpty(subFolder)) {
        if (HMODULE module = LoadLibraryA(libraryName)) {
            return module;
        }
    }
    const std::string sub = isEmpty(subFolder) ? std::string() : std::string(subFolder);
    std::string own = ownFolder() + sub;
    if (!own.empty()) {
        own = withSeparator(own);
    }
    if (HMODULE module = loadLibraryFrom(libraryName, own.c_str())) {
        return module;
    }
    const std::string personal = personalBuildFolder();
    if (HMODULE module = loadLibraryFrom(libraryName, withSeparator(personal).c_str())) {
        return module;
    }
    if (HMODULE module = loadLibraryFrom(libraryName, withSeparator(personal + sub).c_str())) {
        return module;
    }
    if (!isEmpty(extraFolder)) {
        return loadLibraryFrom(libraryName, withSeparator(extraFolder).c_str());
    }
    return nullptr;
}
