// The framework's file classes: CFile (open modes, exclusive access, status) and CFileFind
// (wildcard enumeration). Paths are Windows or native paths in narrow (1252) text.
//
// Where the framework throws a CFileException, these report failure through their result
// and the last error instead.
#pragma once

#include "platform/base/errors.h"
#include "platform/framework/cstring.h"

#include <ctime>
#include <memory>
#include <string>

namespace velmar::host {
class FileFinder;
}

// A file's status as CFile reads and writes it. Times are seconds since 1970 (0: unknown,
// and left alone by SetStatus).
struct CFileStatus {
    std::time_t m_ctime = 0;
    std::time_t m_mtime = 0;
    std::time_t m_atime = 0;
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Any share mode but shareDenyNone opens without sharing: it fails with
    // ERROR_SHARING_VIOLATION while anybody else has the file open, and keeps others out.
    // modeCreate creates or truncates (with modeNoTruncate it keeps what is there).
    BOOL Open(LPCSTR fileName, UINT openFlags);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    UINT Read(void* buffer, UINT count);
    BOOL Write(const void* buffer, UINT count);
    ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG GetLength() const;
    CString GetFilePath() const { return m_path; }

    // FALSE when the file cannot be examined, or when its full name does not fit
    // m_szFullName; status is then unchanged.
    static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);
    // Writes times (those not 0) and attributes back; FALSE when either cannot be set.
    static BOOL SetStatus(LPCSTR fileName, const CFileStatus& status);

private:
    int m_fd = -1;
    CString m_path;
};

class CFileFind {
public:
    CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    virtual ~CFileFind();

    // Starts a search ("*.*" in the current folder when name is null). As in the framework,
    // FindNextFile must be called before the first entry can be read; it returns FALSE when
    // the entry it moved to is the last.
    BOOL FindFile(LPCSTR name = nullptr, DWORD unused = 0);
    BOOL FindNextFile();
    void Close();

    // Names carry "?" for characters that 1252 has not.
    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const { return m_root; }
    ULONGLONG GetLength() const;
    BOOL IsDots() const;
    BOOL IsDirectory() const;
    BOOL IsHidden() const { return MatchesMask(0x02); }
    BOOL IsReadOnly() const { return MatchesMask(0x01); }
    BOOL IsArchived() const { return MatchesMask(0x20); }
    BOOL IsSystem() const { return MatchesMask(0x04); }
    BOOL MatchesMask(DWORD mask) const;

private:
    struct Entry;
    std::unique_ptr<velmar::host::FileFinder> m_finder;
    std::unique_ptr<Entry> m_entry;
    CString m_root;
    bool m_hasNext = false;
};
