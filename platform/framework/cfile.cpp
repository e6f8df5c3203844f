#include "platform/framework/framework.h"

#include "platform/fs/fs.h"
#include "platform/host/host.h"
#include "platform/text/text.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace winpath = velmar::text::winpath;

// --- CFile ---

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(LPCSTR fileName, UINT openFlags) {
    Close();
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const velmar::fs::HostPath host = velmar::fs::hostPathOfAnsi(fileName);
    if (!host) {
        SetLastError(host.error);
        return FALSE;
    }
    int flags = O_RDONLY;
    if ((openFlags & 0x3) == modeWrite) {
        flags = O_WRONLY;
    } else if ((openFlags & 0x3) == modeReadWrite) {
        flags = O_RDWR;
    }
    if ((openFlags & modeCreate) != 0) {
        flags |= O_CREAT | ((openFlags & modeNoTruncate) != 0 ? 0 : O_TRUNC);
    }
    const bool exclusive = (openFlags & 0x70) != shareDenyNone;
    DWORD error = ERROR_SUCCESS;
    m_fd = velmar::fs::openShared(host.path.c_str(), flags, exclusive, error);
    SetLastError(error);
    if (m_fd < 0) {
        return FALSE;
    }
    m_path = fileName;
    return TRUE;
}

void CFile::Close() {
    if (m_fd >= 0) {
        velmar::host::close(m_fd);
        m_fd = -1;
    }
}

UINT CFile::Read(void* buffer, UINT count) {
    if (m_fd < 0 || buffer == nullptr) {
        return 0;
    }
    ssize_t n;
    do {
        n = velmar::host::read(m_fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<UINT>(n);
}

BOOL CFile::Write(const void* buffer, UINT count) {
    if (m_fd < 0 || (buffer == nullptr && count > 0)) {
        return FALSE;
    }
    const char* data = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = velmar::host::write(m_fd, data, count);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(win32ErrorFromErrno(errno));
            return FALSE;
        }
        data += n;
        count -= static_cast<UINT>(n);
    }
    return TRUE;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    const int whence = from == end ? SEEK_END : (from == current ? SEEK_CUR : SEEK_SET);
    const off_t at = m_fd < 0 ? -1 : velmar::host::lseek(m_fd, static_cast<off_t>(offset), whence);
    return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::GetLength() const {
    struct stat st {};
    return m_fd >= 0 && velmar::host::fstat(m_fd, &st) == 0 ? static_cast<ULONGLONG>(st.st_size)
                                                            : 0;
}

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
    if (fileName == nullptr || *fileName == '\0') {
        return FALSE;
    }
    const velmar::fs::HostPath host = velmar::fs::hostPathOfAnsi(fileName);
    struct stat st {};
    if (!host || velmar::host::stat(host.path.c_str(), &st) != 0) {
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = velmar::fs::hostFileAttributes(host.path, error);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FALSE;
    }
    // A relative name is made full with the current folder, as the host knows it.
    std::string full = fileName;
    const bool absolute =
        winpath::looseDriveLength(std::string_view(full)) != 0 || winpath::isSeparator(full[0]);
    if (!absolute) {
        char cwd[PATH_MAX];
        if (velmar::host::getcwd(cwd, sizeof cwd) == nullptr) {
            return FALSE;
        }
        full = velmar::text::utf8ToAnsi(cwd) + "/" + full;
    }
    if (full.size() >= MAX_PATH) {
        return FALSE;
    }
    status.m_ctime = st.st_ctime;
    status.m_mtime = st.st_mtime;
    status.m_atime = st.st_atime;
    status.m_size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
    status.m_attribute = static_cast<BYTE>(attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes);
    std::memcpy(status.m_szFullName, full.c_str(), full.size() + 1);
    return TRUE;
}

BOOL CFile::SetStatus(LPCSTR fileName, const CFileStatus& status) {
    if (fileName == nullptr) {
        return FALSE;
    }
    const velmar::fs::HostPath host = velmar::fs::hostPathOfAnsi(fileName);
    if (!host) {
        SetLastError(host.error);
        return FALSE;
    }
    if (status.m_mtime != 0 || status.m_atime != 0) {
        struct timespec times[2] = {{status.m_atime, 0}, {status.m_mtime, 0}};
        if (status.m_atime == 0) {
            times[0].tv_nsec = UTIME_OMIT;
        }
        if (status.m_mtime == 0) {
            times[1].tv_nsec = UTIME_OMIT;
        }
        if (velmar::host::utimensat(AT_FDCWD, host.path.c_str(), times, 0) != 0) {
            SetLastError(velmar::fs::errorForHostPath(errno, host.path));
            return FALSE;
        }
    }
    DWORD error = ERROR_SUCCESS;
    const bool ok = velmar::fs::setHostFileAttributes(host.path, status.m_attribute, error);
    SetLastError(error);
    return ok ? TRUE : FALSE;
}

// --- CFileFind ---

struct CFileFind::Entry {
    std::string name; // UTF-8
    std::string hostPath;
    unsigned char type = 0;
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
    m_entry->name = m_finder->name();
    m_entry->hostPath = m_finder->hostPath();
    m_entry->type = m_finder->type();
    m_hasNext = m_finder->next();
    return m_hasNext ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
    return m_entry ? CString(velmar::text::utf8ToAnsi(m_entry->name)) : CString();
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
    struct stat st {};
    return m_entry && velmar::host::stat(m_entry->hostPath.c_str(), &st) == 0 &&
                   !S_ISDIR(st.st_mode)
               ? static_cast<ULONGLONG>(st.st_size)
               : 0;
}

BOOL CFileFind::IsDots() const {
    return m_entry && (m_entry->name == "." || m_entry->name == "..") ? TRUE : FALSE;
}

BOOL CFileFind::IsDirectory() const {
    if (!m_entry) {
        return FALSE;
    }
    if (m_entry->type == DT_DIR) {
        return TRUE;
    }
    if (m_entry->type != 0 && m_entry->type != DT_LNK) {
        return FALSE;
    }
    struct stat st {};
    return velmar::host::stat(m_entry->hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? TRUE
                                                                                          : FALSE;
}

BOOL CFileFind::MatchesMask(DWORD mask) const {
    if (!m_entry) {
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = velmar::fs::hostFileAttributes(m_entry->hostPath, error);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & mask) != 0 ? TRUE : FALSE;
}
