// How a path is spelled on disk.
#include "misc/files/files.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

namespace {

// The name of the one entry that path names, as the disk spells it; false when missing.
bool spelledName(const std::string& path, std::string& name) {
    velmar::fs::FileFinder finder;
    DWORD error = ERROR_SUCCESS;
    if (!finder.open(toWide(path), error)) {
        return false;
    }
    name = velmar::misc::files::fromHostName<char>(finder.name());
    return true;
}

std::string actualCase(const char* path) {
    if (path == nullptr || *path == '\0') {
        return "";
    }
    // Parts longer than the runtime's splitter takes are outside the lookup's range.
    const velmar::fs::PathParts parts = velmar::fs::splitPath(path);
    if (parts.drive.size() >= velmar::fs::MAX_DRIVE || parts.folder.size() >= velmar::fs::MAX_DIR ||
        parts.name.size() >= velmar::fs::MAX_FNAME ||
        parts.extension.size() >= velmar::fs::MAX_EXT) {
        return "";
    }
    std::string walk(parts.drive);
    std::string result(parts.drive);
    const std::string_view folders = parts.folder;
    std::string name;
    for (std::size_t i = 0; i < folders.size();) {
        const std::size_t end = std::min(folders.find_first_of("\\/", i), folders.size());
        if (end > i) {
            walk += "\\";
            walk.append(folders.substr(i, end - i));
            if (!spelledName(walk, name)) {
                return "";
            }
            result += "\\" + name;
        }
        i = end + 1;
    }
    if (!spelledName(path, name)) {
        return "";
    }
    return result + "\\" + name;
}

} // namespace

CString actualCasePath(const char* path) {
    return CString(actualCase(path));
}
std::string actualCasePathSC(const char* path) {
    return actualCase(path);
}
