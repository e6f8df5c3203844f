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
    name = velmar::files::fromHostName<char>(finder.name());
    return true;
}

std::string actualCase(const char* path) {
    if (path == nullptr || *path == '\0') {
        return "";
    }
    char drive[velmar::fs::crt::MAX_DRIVE];
    char dir[velmar::fs::crt::MAX_DIR];
    char fname[velmar::fs::crt::MAX_FNAME];
    char ext[velmar::fs::crt::MAX_EXT];
    // Parts that do not fit the splitter's buffers are outside the lookup's range.
    if (velmar::fs::crt::splitpath_s(path, drive, sizeof drive, dir, sizeof dir, fname, sizeof fname,
                                 ext, sizeof ext) != 0) {
        return "";
    }
    std::string walk = drive;
    std::string result = drive;
    const std::string_view folders = dir;
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
