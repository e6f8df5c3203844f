// Folder names completed as a shell's Tab completes them, and the existence test of OK.
#include "platform/shell/shell.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace velmar::shell {

namespace {

bool startsWithNoCase(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() &&
           text::compareAnsiNoCase(name.substr(0, prefix.size()), prefix) == 0;
}

std::size_t sharedLength(std::string_view a, std::string_view b) {
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && text::ansiToUpper(a[n]) == text::ansiToUpper(b[n])) {
        ++n;
    }
    return n;
}

} // namespace

bool isExistingFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string completeFolderPath(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    const std::string prefix = cut == std::string::npos ? path : path.substr(cut + 1);
    std::vector<std::string> names;
    try {
        fs::DirectoryWalk walk(text::ansiToWide(folder.empty() ? "." : folder), false);
        fs::DirectoryWalk::Entry entry;
        while (walk.next(entry)) {
            const std::string name = text::utf8ToAnsi(entry.name());
            if (entry.kind == fs::FileKind::directory && startsWithNoCase(name, prefix) &&
                (name.front() != '.' || (!prefix.empty() && prefix.front() == '.'))) {
                names.push_back(name);
            }
        }
    } catch (const std::filesystem::filesystem_error&) {
        return path;
    }
    if (names.empty()) {
        return path;
    }
    std::sort(names.begin(), names.end());
    if (names.size() == 1) {
        const bool windowsStyle =
            path.find('\\') != std::string::npos || (path.size() >= 2 && path[1] == ':');
        return folder + names.front() + (windowsStyle ? "\\" : "/");
    }
    std::size_t shared = names.front().size();
    for (const std::string& name : names) {
        shared = std::min(shared, sharedLength(names.front(), name));
    }
    return shared > prefix.size() ? folder + names.front().substr(0, shared) : path;
}

} // namespace velmar::shell
