// Loading a sibling library: beside us, in the personal build folder or in a folder the caller
// names, each folder added to "Path" so that the library finds the libraries it needs there.
#include "misc/files/files.h"
#include "misc/process/process.h"
#include "misc/process/search_places.h"
#include "platform/process/process.h"

#include <optional>
#include <string>

namespace {

using namespace velmar::misc::process;

bool isEmpty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

} // namespace

HMODULE loadLibraryFrom(const char* libraryName, const char* folder) {
    if (libraryName == nullptr || folder == nullptr ||
        !fileExists(std::string(folder) + libraryName)) {
        return nullptr;
    }
    // The folder stays on "Path" for good: the library may load more from it later. A "Path"
    // too long for its buffer is left whole rather than replaced by the folder alone.
    bool set = false;
    if (const std::optional<std::string> path = environmentText("Path", kPathSize, set)) {
        SetEnvironmentVariableA("Path", (*path + ";" + folder).c_str());
    }
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
    if (const std::optional<std::string> own = ownFolder()) {
        if (HMODULE module = loadLibraryFrom(libraryName, withSeparator(*own + sub).c_str())) {
            return module;
        }
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
