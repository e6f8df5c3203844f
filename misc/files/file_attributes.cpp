// Setting and clearing the read-only and hidden attributes.
#include "misc/files/files.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

namespace {

bool setReadOnlyBit(const std::wstring& path, bool readOnly) {
    const std::wstring_view name = path.c_str();
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = velmar::fs::fileAttributes(name, error);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    const DWORD wanted =
        readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    if (wanted != attributes) {
        // The contract is "always true": a file that refuses the change keeps its attribute.
        static_cast<void>(velmar::fs::setFileAttributes(name, wanted, error));
    }
    return true;
}

// Both bits are written back with the file's times and its other attributes (those of the
// low byte, as a file status holds them); a status that cannot be written back is a failure,
// not a success. A path whose full name passes MAX_PATH has no status.
bool setStatusBit(const char* path, DWORD bit, bool on) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    const std::wstring name = velmar::text::ansiToWide(path);
    velmar::fs::FileStatus status;
    DWORD error = ERROR_SUCCESS;
    std::wstring full;
    if (!velmar::fs::fileStatus(name, status, error) ||
        !velmar::fs::fullPathOf(name, full, error) ||
        velmar::text::wideToAnsi(full).size() >= MAX_PATH) {
        return false;
    }
    DWORD attributes = status.attributes == FILE_ATTRIBUTE_NORMAL ? 0 : status.attributes & 0xFF;
    attributes = on ? attributes | bit : attributes & ~bit;
    return velmar::fs::setFileTimes(name, status.lastAccess, status.lastWrite, error) &&
           velmar::fs::setFileAttributes(name, attributes, error);
}

} // namespace

bool setReadOnly(const std::string& path, bool readOnly) {
    return setReadOnlyBit(toWide(path), readOnly);
}
bool setReadOnly(const std::wstring& path, bool readOnly) {
    return setReadOnlyBit(path, readOnly);
}

bool setReadOnlyAttribute(const char* path, bool readOnly) {
    return setStatusBit(path, 0x01, readOnly);
}
bool setHiddenAttribute(const char* path, const bool& hidden) {
    return setStatusBit(path, 0x02, hidden);
}
