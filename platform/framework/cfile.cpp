#include "platform/framework/framework.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cstring>

namespace winpath = velmar::text::winpath;

// --- CFile ---

using velmar::fs::Access;
using velmar::fs::Creation;

CFile::CFile() : m_file(std::make_unique<velmar::fs::File>()) {}

CFile::~CFile() = default;

BOOL CFile::Open(LPCSTR fileName, UINT openFlags) {
    Close();
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    velmar::fs::OpenMode mode;
    if ((openFlags & 0x3) == modeWrite) {
        mode.access = Access::write;
    } else if ((openFlags & 0x3) == modeReadWrite) {
        mode.access = Access::readWrite;
    }
    if ((openFlags & modeCreate) != 0) {
        mode.creation =
            (openFlags & modeNoTruncate) != 0 ? Creation::openAlways : Creation::createAlways;
    }
    mode.exclusive = (openFlags & 0x70) != shareDenyNone;
    DWORD error = ERROR_SUCCESS;
    const bool opened = m_file->open(velmar::text::ansiToWide(fileName), mode, error);
    SetLastError(error);
    if (!opened) {
        return FALSE;
    }
    m_path = fileName;
    return TRUE;
}

void CFile::Close() {
    m_file->close();
}

bool CFile::IsOpen() const {
    return m_file->isOpen();
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!m_file->isOpen() || buffer == nullptr) {
        return 0;
    }
    DWORD error = ERROR_SUCCESS;
    return static_cast<UINT>(m_file->read(buffer, count, error));
}

BOOL CFile::Write(const void* buffer, UINT count) {
    if (!m_file->isOpen() || (buffer == nullptr && count > 0)) {
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    if (m_file->write(buffer, count, error) != count) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    const velmar::fs::SeekFrom origin =
        from == end
            ? velmar::fs::SeekFrom::end
            : (from == current ? velmar::fs::SeekFrom::current : velmar::fs::SeekFrom::begin);
    DWORD error = ERROR_SUCCESS;
    const std::int64_t at = m_file->seek(offset, origin, error);
    return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::GetLength() const {
    DWORD error = ERROR_SUCCESS;
    return m_file->size(error);
}

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
    if (fileName == nullptr || *fileName == '\0') {
        return FALSE;
    }
    const std::wstring path = velmar::text::ansiToWide(fileName);
    velmar::fs::FileStatus found;
    DWORD error = ERROR_SUCCESS;
    if (!velmar::fs::fileStatus(path, found, error)) {
        return FALSE;
    }
    std::wstring wideFull;
    if (!velmar::fs::fullPathOf(path, wideFull, error)) {
        return FALSE;
    }
    const std::string full = velmar::text::wideToAnsi(wideFull);
    if (full.size() >= MAX_PATH) {
        return FALSE;
    }
    status.m_ctime = found.created;
    status.m_mtime = found.lastWrite;
    status.m_atime = found.lastAccess;
    status.m_size = found.size;
    status.m_attribute =
        static_cast<BYTE>(found.attributes == FILE_ATTRIBUTE_NORMAL ? 0 : found.attributes);
    std::memcpy(status.m_szFullName, full.c_str(), full.size() + 1);
    return TRUE;
}

BOOL CFile::SetStatus(LPCSTR fileName, const CFileStatus& status) {
    if (fileName == nullptr) {
        return FALSE;
    }
    const std::wstring path = velmar::text::ansiToWide(fileName);
    DWORD error = ERROR_SUCCESS;
    const bool ok = velmar::fs::setFileTimes(path, status.m_atime, status.m_mtime, error) &&
                    velmar::fs::setFileAttributes(path, status.m_attribute, error);
    SetLastError(error);
    return ok ? TRUE : FALSE;
}

// --- CFileFind ---

struct CFileFind::Entry {
    velmar::fs::FileFinder::Entry found;
};

CFileFind::CFileFind() : m_finder(std::make_unique<velmar::fs::FileFinder>()) {}

CFileFind::~CFileFind() = default;

void CFileFind::Close() {
    m_finder->close();
    m_entry.reset();
    m_hasNext = false;
}

BOOL CFileFind::FindFile(LPCSTR name, DWORD) {
    Close();
    const std::string pattern = name != nullptr ? name : "*.*";
    m_root = CString(pattern.substr(0, winpath::patternNameStart(std::string_view(pattern))));
    DWORD error = ERROR_SUCCESS;
    m_hasNext = m_finder->open(velmar::text::ansiToWide(pattern), error);
    SetLastError(error);
    return m_hasNext ? TRUE : FALSE;
}

BOOL CFileFind::FindNextFile() {
    if (!m_hasNext) {
        return FALSE;
    }
    if (!m_entry) {
        m_entry = std::make_unique<Entry>();
    }
    m_entry->found = m_finder->entry();
    m_hasNext = m_finder->next();
    return m_hasNext ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
    return m_entry ? CString(velmar::text::utf8ToAnsi(m_entry->found.name())) : CString();
}

CString CFileFind::GetFilePath() const {
    return m_entry ? m_root + GetFileName() : CString();
}

CString CFileFind::GetFileTitle() const {
    // The name's last dot ends the title, without the path rules' care for streams and "..".
    const CString name = GetFileName();
    const std::size_t dot = winpath::extensionDot(name.view());
    return dot == std::string_view::npos ? name : name.Left(static_cast<int>(dot));
}

ULONGLONG CFileFind::GetLength() const {
    return m_entry ? m_entry->found.size() : 0;
}

BOOL CFileFind::IsDots() const {
    return m_entry && (m_entry->found.name() == "." || m_entry->found.name() == "..") ? TRUE
                                                                                      : FALSE;
}

BOOL CFileFind::IsDirectory() const {
    return m_entry && m_entry->found.isDirectory() ? TRUE : FALSE;
}

BOOL CFileFind::MatchesMask(DWORD mask) const {
    if (!m_entry) {
        return FALSE;
    }
    const DWORD attributes = m_entry->found.attributes();
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & mask) != 0 ? TRUE : FALSE;
}
