#include "misc/process/search_places.h"

#include "misc/files/files.h"
#include "platform/process/process.h"

#include <vector>

namespace velmar::misc::process {

std::optional<std::string> environmentText(const char* name, DWORD size, bool& set) {
    std::vector<char> buffer(size);
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name, buffer.data(), size);
    set = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (length >= size) {
        return std::nullopt;
    }
    return std::string(buffer.data(), length);
}

std::optional<std::string> ownFolder() {
    char path[kOwnPathSize];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::nullopt;
    }
    return directoryOf(std::string(path, length), false);
}

std::string personalBuildFolder() {
    bool set = false;
    const std::optional<std::string> profile = environmentText("userprofile", kProfileSize, set);
    return profile.value_or(std::string()) + "\\VEL_Pack\\x64\\2017Build\\Release";
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

} // namespace velmar::misc::process
