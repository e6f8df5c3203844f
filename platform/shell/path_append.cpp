#include "platform/shell/shell.h"

#include "platform/text/text.h"

#include <cstring>
#include <string_view>

namespace {

namespace winpath = velmar::text::winpath;

// Any path starting with two backslashes counts as a network path, a bare "\\" included;
// "//x" does not.
bool isFullyQualified(std::string_view path) {
    const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return winpath::hasDriveLetter(path) || network;
}

} // namespace

namespace velmar::shell {

void appendShellPath(std::string& path, const std::string& more) {
    if (isFullyQualified(more)) {
        path = more;
        return;
    }
    std::size_t start = 0;
    while (start < more.size() && winpath::isSeparator(more[start])) {
        ++start;
    }
    if (start == more.size()) {
        return;
    }
    if (!path.empty() && !winpath::isSeparator(path.back())) {
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
