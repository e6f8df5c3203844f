#include "platform/fs/fs.h"

#include "platform/text/text.h"

#include <cstdlib>
#include <cstring>

namespace velmar::fs {

std::string tempFolderPath() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
    if (path.back() != '/') {
        path += '/';
    }
    return path;
}

} // namespace velmar::fs

namespace {

template <typename Ch>
DWORD copyOut(const std::basic_string<Ch>& text, DWORD bufferLength, Ch* buffer) {
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (buffer == nullptr || bufferLength < needed) {
        return needed;
    }
    std::char_traits<Ch>::copy(buffer, text.c_str(), text.size() + 1);
    return needed - 1;
}

} // namespace

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    return copyOut(velmar::text::utf8ToAnsi(velmar::fs::tempFolderPath()), bufferLength, buffer);
}

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
    return copyOut(velmar::text::utf8ToWide(velmar::fs::tempFolderPath()), bufferLength, buffer);
}
