#include "platform/shell/shell.h"

#include <cstring>

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isFullyQualified(const std::string& path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return drive || network;
}

} // namespace

namespace velmar::shell {

void appendShellPath(std::string& path, const std::string& more) {
    if (isFullyQualified(more)) {
        path = more;
        return;
    }
    std::size_t start = 0;
    while (start < more.size() && isSeparator(more[start])) {
        ++start;
    }
    if (start == more.size()) {
        return;
    }
    if (!path.empty() && !isSeparator(path.back())) {
        path += '\\';
    }
    path.append(more, start, std::string::npos);
}

} // namespace velmar::shell

BOOL PathAppendA(LPSTR path, LPCSTR more) {
    if (path == nullptr || more == nullptr) {
        return FALSE;
    }
    std::string joined = path;
    velmar::shell::appendShellPath(joined, more);
    if (joined.size() >= MAX_PATH) {
        return FALSE;
    }
    std::memcpy(path, joined.c_str(), joined.size() + 1);
    return TRUE;
}
