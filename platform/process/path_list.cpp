#include "platform/process/internal/path_list.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <algorithm>

namespace velmar::process {

namespace {

bool isWindowsFolder(std::string_view entry) {
    const bool drive =
        entry.size() >= 2 && entry[1] == ':' &&
        ((entry[0] >= 'A' && entry[0] <= 'Z') || (entry[0] >= 'a' && entry[0] <= 'z'));
    return drive || entry.find('\\') != std::string_view::npos;
}

// A folder that cannot be mapped (an unknown drive, a network path) stays as typed. Its
// drive's colon then splits it in the host's list, so "Q:\x" reads back as "Q;\x": two
// folders where nothing is found, as Windows finds nothing in the unreachable one.
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

std::string windowsPathList(std::string_view hostList) {
    std::string list = text::utf8ToAnsi(hostList);
    std::replace(list.begin(), list.end(), ':', ';');
    return list;
}

} // namespace velmar::process
