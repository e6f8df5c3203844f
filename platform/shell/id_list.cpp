// Item id lists: ours name a path, with a mark for file-system folders.
#include "platform/shell/shell.h"

#include <cstring>

namespace {

// One item: cb (2 bytes), the mark (1 byte), the path and its terminator; then a zero cb.
constexpr std::size_t kItemHeader = sizeof(USHORT) + 1;
constexpr std::size_t kLongestPath = 0xFFFF - kItemHeader - 1;

} // namespace

namespace velmar::shell {

PIDLIST_ABSOLUTE makeIdList(const std::string& path, bool fileSystem) {
    // A path too long for an item names nothing the file system could give either.
    const std::string kept = path.size() <= kLongestPath ? path : std::string();
    fileSystem = fileSystem && kept.size() == path.size();
    const std::size_t itemSize = kItemHeader + kept.size() + 1;
    auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + sizeof(USHORT)));
    if (bytes == nullptr) {
        return nullptr;
    }
    const auto cb = static_cast<USHORT>(itemSize);
    std::memcpy(bytes, &cb, sizeof cb);
    bytes[sizeof cb] = fileSystem ? 1 : 0;
    std::memcpy(bytes + kItemHeader, kept.c_str(), kept.size() + 1);
    const USHORT end = 0;
    std::memcpy(bytes + itemSize, &end, sizeof end);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
}

std::string pathOfIdList(PCIDLIST_ABSOLUTE list, bool* fileSystem) {
    if (fileSystem != nullptr) {
        *fileSystem = false;
    }
    if (list == nullptr) {
        return {};
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    USHORT cb = 0;
    std::memcpy(&cb, bytes, sizeof cb);
    if (cb <= kItemHeader) {
        return {}; // the empty list: the desktop, no file-system folder
    }
    if (fileSystem != nullptr) {
        *fileSystem = bytes[sizeof cb] == 1;
    }
    return std::string(reinterpret_cast<const char*>(bytes + kItemHeader), cb - kItemHeader - 1);
}

} // namespace velmar::shell

BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE list, LPSTR path) {
    if (list == nullptr || path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool fileSystem = false;
    const std::string found = velmar::shell::pathOfIdList(list, &fileSystem);
    if (!fileSystem || found.size() >= MAX_PATH) {
        path[0] = '\0';
        return FALSE;
    }
    std::memcpy(path, found.c_str(), found.size() + 1);
    return TRUE;
}
