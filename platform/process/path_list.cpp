#include "platform/process/internal/path_list.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cctype>

namespace velmar::process {

namespace {

bool isWindowsFolder(std::string_view entry) {
    const bool drive =
        entry.size() >= 2 && entry[1] == ':' &&
        ((entry[0] >= 'A' && entry[0] <= 'Z') || (entry[0] >= 'a' && entry[0] <= 'z'));
    return drive || entry.find('\\') != std::string_view::npos;
}

// A folder that cannot be mapped (an unknown drive, a network path) stays as typed, and reads
// back as typed (see windowsPathList); the host finds nothing there, as Windows finds nothing
// in an unreachable folder.
std::string hostFolder(std::string_view entry) {
    if (isWindowsFolder(entry)) {
        if (fs::HostPath mapped = fs::hostPathOfAnsi(entry)) {
            return mapped.path;
        }
    }
    return text::ansiToUtf8(entry);
}

} // namespace

bool isPathName(std::string_view ansiName) {
    return text::compareAnsiNoCase(ansiName, "PATH") == 0;
}

std::string hostPathList(std::string_view windowsList) {
    std::string list;
    for (;;) {
        const std::size_t semicolon = windowsList.find(';');
        list += hostFolder(windowsList.substr(0, semicolon));
        if (semicolon == std::string_view::npos) {
            return list;
        }
        list += ':';
        windowsList.remove_prefix(semicolon + 1);
    }
}

// A colon after a lone letter at an entry's start and before a separator is a drive's (an
// unmapped "Q:\x" kept as typed) and stays.
std::string windowsPathList(std::string_view hostList) {
    std::string list = text::utf8ToAnsi(hostList);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const bool driveColon = i >= 1 && (i == 1 || list[i - 2] == ';') &&
                                std::isalpha(static_cast<unsigned char>(list[i - 1])) != 0 &&
                                i + 1 < list.size() && (list[i + 1] == '\\' || list[i + 1] == '/');
        if (list[i] == ':' && !driveColon) {
            list[i] = ';';
        }
    }
    return list;
}

} // namespace velmar::process
