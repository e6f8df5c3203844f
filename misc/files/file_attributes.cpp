// Setting and clearing the read-only and hidden attributes.
#include "misc/files/files.h"
#include "misc/files/text_forms.h"

#include "platform/framework/framework.h"
#include "platform/fs/fs.h"

namespace {

bool setReadOnlyBit(const std::wstring& path, bool readOnly) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    const DWORD wanted =
        readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    if (wanted != attributes) {
        SetFileAttributesW(path.c_str(), wanted);
    }
    return true;
}

// Both bits go through the framework's status; a status that cannot be written back is a
// failure, not a success.
bool setStatusBit(const char* path, BYTE bit, bool on) {
    CFileStatus status;
    if (path == nullptr || !CFile::GetStatus(path, status)) {
        return false;
    }
    status.m_attribute = on ? static_cast<BYTE>(status.m_attribute | bit)
                            : static_cast<BYTE>(status.m_attribute & ~bit);
    return CFile::SetStatus(path, status) != FALSE;
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
