// The file system: where Windows and native paths land on this machine, DOS attributes,
// Windows' rules for deleting, moving and copying, the C runtime's file calls, the standard
// library's file-system facilities for Windows paths, enumeration, the temporary folder, shared
// append-only logs and the WOW64 redirection switch.
#pragma once

#include "platform/base/base.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

// Where a Windows or native path lands on this machine.
//
// Accepted: native paths ("/home/u/x.tif", "data/x.tif" relative to the current folder) and
// Windows paths with backslashes or slashes. A drive letter maps through the drive table (the
// prefix's "drives" file); "C:x" is taken from the drive's root, as there is no current folder
// per drive. Below a drive, "." and ".." are resolved on the text and ".." stops at the drive's
// root ("C:\..\x" is "C:\x"), so a drive path never lands outside its folder. A network path
// ("\\server\share") gives ERROR_BAD_NETPATH, an unmapped drive ERROR_PATH_NOT_FOUND, and a name
// holding a character Windows reserves (< > " | ? * or a control character; a colon after the root)
// ERROR_INVALID_NAME. A relative path of names that are only dots and blanks (" ", "...")
// gives ERROR_PATH_NOT_FOUND, as "" does. "\\?\" is dropped.
//
// Existing names are found without regard to case, as on Windows: the exact name first,
// then a case-blind match component by component; what does not exist keeps the case given.

namespace velmar::fs {

struct HostPath {
    std::string path; // UTF-8, with "/" separators
    DWORD error = ERROR_SUCCESS;
    explicit operator bool() const { return error == ERROR_SUCCESS; }
};

// wildcardLast lets the last component hold "*" and "?" (enumeration patterns); that
// component is then given back as typed, without lookup.
HostPath hostPathOf(std::wstring_view windowsPath, bool wildcardLast = false);
HostPath hostPathOfAnsi(std::string_view ansiPath, bool wildcardLast = false);

// The same for a zero-terminated path as the Win32 calls take it; null gives
// ERROR_INVALID_PARAMETER.
HostPath hostPathOfText(const char* ansiPath);
HostPath hostPathOfText(const wchar_t* windowsPath);

// The Win32 code for a failed host call on hostPath: ENOENT gives ERROR_FILE_NOT_FOUND when
// the parent folder exists and ERROR_PATH_NOT_FOUND when it does not, as Windows tells them
// apart.
DWORD errorForHostPath(int errnoValue, const std::string& hostPath);

// Case-blind equality of two UTF-8 names with the Unicode case mapping of the code page.
bool namesEqualNoCase(std::string_view a, std::string_view b);

// The read-only attribute is the owner's write bit; it refuses writes even to root, as the
// attribute does on Windows.
inline bool isReadOnlyMode(mode_t mode) {
    return (mode & S_IWUSR) == 0;
}

// Opens hostPath (open(2) flags) for a Windows-style open: refuses writing to a read-only
// file (ERROR_ACCESS_DENIED, root included), and reports ERROR_SHARING_VIOLATION when the
// file is held exclusively elsewhere, or, with exclusive, when it is open elsewhere at all.
// Returns the descriptor or -1 with the Win32 code in error.
[[nodiscard]] int openShared(const char* hostPath, int flags, bool exclusive, DWORD& error);
} // namespace velmar::fs

// DOS file attributes on this machine.
//
// Read-only is the owner's write permission. Hidden, system, archive and the other DOS bits
// live in the extended attribute "user.velmar.dosattrib" (a decimal number) of the file, so
// every process sees them; a name starting with "." counts as hidden as well. A symbolic link
// reports FILE_ATTRIBUTE_REPARSE_POINT beside its target's attributes.

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// INVALID_FILE_ATTRIBUTES on failure, with the last error set.
DWORD GetFileAttributesA(LPCSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
// Sets read-only and the stored DOS bits; FILE_ATTRIBUTE_NORMAL alone clears them. The
// directory and reparse bits are the file system's and are ignored.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);

namespace velmar::fs {

// The attributes of a Windows or native path; INVALID_FILE_ATTRIBUTES on failure with the
// Win32 code in error.
[[nodiscard]] DWORD fileAttributes(std::wstring_view path, DWORD& error);
[[nodiscard]] bool setFileAttributes(std::wstring_view path, DWORD attributes, DWORD& error);

// The same on a host path; INVALID_FILE_ATTRIBUTES on failure with the Win32 code in error.
[[nodiscard]] DWORD hostFileAttributes(const std::string& hostPath, DWORD& error);
[[nodiscard]] bool setHostFileAttributes(const std::string& hostPath, DWORD attributes,
                                         DWORD& error);

// The stored DOS bits alone (0 when none are stored).
DWORD storedDosAttributes(const std::string& hostPath);

} // namespace velmar::fs

// Deleting, moving, replacing and copying single files, with Windows' rules: a read-only
// file is neither deleted nor overwritten, a file that another handle holds without sharing
// stays, a move does not replace unless asked to.

inline constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
inline constexpr DWORD ERROR_UNABLE_TO_REMOVE_REPLACED = 1175;
inline constexpr DWORD ERROR_UNABLE_TO_MOVE_REPLACEMENT = 1176;

inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
inline constexpr DWORD REPLACEFILE_WRITE_THROUGH = 0x1;
inline constexpr DWORD REPLACEFILE_IGNORE_MERGE_ERRORS = 0x2;

// A folder, a read-only file or a file held without sharing gives ERROR_ACCESS_DENIED or
// ERROR_SHARING_VIOLATION.
BOOL DeleteFileA(LPCSTR path);
BOOL DeleteFileW(LPCWSTR path);

// Renames or moves a file or folder. MOVEFILE_REPLACE_EXISTING replaces a file at the target
// (not a read-only one, not a folder); MOVEFILE_COPY_ALLOWED copies a file across file systems.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);

// The replacement file takes the place of the replaced one, which keeps its attributes; the
// replaced file may be kept under backupName. Fails with ERROR_UNABLE_TO_REMOVE_REPLACED
// while anybody has the replaced file open, ERROR_FILE_NOT_FOUND when either file is missing.
BOOL ReplaceFileA(LPCSTR replacedFile, LPCSTR replacementFile, LPCSTR backupFile, DWORD flags,
                  LPVOID exclude, LPVOID reserved);
BOOL ReplaceFileW(LPCWSTR replacedFile, LPCWSTR replacementFile, LPCWSTR backupFile, DWORD flags,
                  LPVOID exclude, LPVOID reserved);

namespace velmar::fs {

// The operations above on Windows or native paths: false with the Win32 code in error.
[[nodiscard]] bool deleteFile(std::wstring_view path, DWORD& error);
[[nodiscard]] bool moveFile(std::wstring_view from, std::wstring_view to, DWORD flags,
                            DWORD& error);
// Without a backup path the replaced file is not kept.
[[nodiscard]] bool replaceFile(std::wstring_view replaced, std::wstring_view replacement,
                               std::optional<std::wstring_view> backup, DWORD flags, DWORD& error);
// A regular file's bytes, permissions and stored DOS attributes, as copyHostFile says.
[[nodiscard]] bool copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists,
                            DWORD& error);

// Copies a regular file's bytes, permissions and stored DOS attributes. With failIfExists an
// existing target gives ERROR_FILE_EXISTS; otherwise it is overwritten unless it is read-only
// or held without sharing.
[[nodiscard]] bool copyHostFile(const std::string& from, const std::string& to, bool failIfExists,
                                DWORD& error);

// Moves a host path with the rules of MoveFileEx.
[[nodiscard]] bool moveHostPath(const std::string& from, const std::string& to, DWORD flags,
                                DWORD& error);

// Flushes the folder entry of path to the disk.
void syncFolderOf(const std::string& path);

// Deletes a host file with the rules of DeleteFile.
[[nodiscard]] bool deleteHostFile(const std::string& path, DWORD& error);

} // namespace velmar::fs

// Open files on Windows or native paths, with the rules that CFile and the C runtime share:
// writing to a read-only file is refused (ERROR_ACCESS_DENIED) and an exclusive open fails
// with ERROR_SHARING_VIOLATION while anybody else has the file open (see openShared).

namespace velmar::fs {

enum class Access { read, write, readWrite };

enum class Creation {
    openExisting, // the file must exist
    openAlways,   // created when missing, kept as it is otherwise
    createAlways, // created when missing, emptied otherwise (when opened for writing)
    createNew,    // ERROR_FILE_EXISTS when it exists
};

struct OpenMode {
    Access access = Access::read;
    Creation creation = Creation::openExisting;
    bool append = false;    // every write goes to the end
    bool exclusive = false; // without sharing
};

enum class SeekFrom { begin, current, end };

// An open file, closed when it goes.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    [[nodiscard]] bool open(std::wstring_view path, const OpenMode& mode, DWORD& error);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // The bytes read, 0 at the end or on failure (error tells which).
    std::size_t read(void* buffer, std::size_t count, DWORD& error);
    // The bytes written: all of them, or those before a failure.
    std::size_t write(const void* data, std::size_t count, DWORD& error);
    // The new position, or -1.
    std::int64_t seek(std::int64_t offset, SeekFrom from, DWORD& error);
    // 0 when it cannot be read.
    std::uint64_t size(DWORD& error) const;
    // Writes the file's data through to the disk.
    [[nodiscard]] bool commit(DWORD& error);

    // Hands the descriptor over to the caller, who closes it.
    int release();

private:
    int m_fd = -1;
};

// A C stream over a file opened with mode. A text stream reads CR LF as LF and writes LF as
// CR LF, and Ctrl-Z ends its input, as the runtime's text mode has it. Null on failure.
std::FILE* openStream(std::wstring_view path, const OpenMode& mode, bool text, DWORD& error);

// Writes the stream's buffer, then the file's data through to the disk. On failure errno is
// what the failing call left, as after fflush; a stream not opened by openStream gives
// ERROR_INVALID_HANDLE (EBADF).
[[nodiscard]] bool commitStream(std::FILE* stream, DWORD& error);

// Writes the stream's buffer and starts writing the file's data to the disk without waiting
// for it, so that a later commit has little left to wait for. Failures are left to the commit.
void startStreamWriteBack(std::FILE* stream);

// A new file written beside a target that takes the target's place only once it is whole and
// on the disk, so that a failure at any point leaves the target as it was. It is made
// exclusively as "<target>.<n>.tmp", a name that no search for the target's own pattern finds,
// and removed again unless committed.
class ReplacementStream {
public:
    ReplacementStream() = default;
    ReplacementStream(const ReplacementStream&) = delete;
    ReplacementStream& operator=(const ReplacementStream&) = delete;
    ~ReplacementStream();

    // Makes the new file for writing (a text stream as openStream makes one when text).
    [[nodiscard]] bool open(std::wstring_view target, bool text, DWORD& error);
    std::FILE* stream() const { return m_stream; }
    // Starts writing what was written so far to the disk (see startStreamWriteBack).
    void startWriteBack() { startStreamWriteBack(m_stream); }
    // Writes the new file through to the disk and moves it over the target (a read-only
    // target or a folder refuses, as MoveFileEx does). On failure the new file is removed.
    [[nodiscard]] bool commit(DWORD& error);
    // Closes and removes the new file.
    void abandon();

private:
    std::FILE* m_stream = nullptr;
    std::wstring m_target;
    std::wstring m_temporary;
};

// The runtime's split of a path: "C:\data\scan.tif" gives "C:", "\data\", "scan", ".tif".
// Any character before a colon is a drive, and the name's last dot starts the extension, a
// leading one too. The parts are views into path.
struct PathParts {
    std::string_view drive;
    std::string_view folder;
    std::string_view name;
    std::string_view extension;
};
PathParts splitPath(std::string_view path);

// The runtime's buffer sizes for the parts, terminator included.
inline constexpr std::size_t MAX_DRIVE = 3;
inline constexpr std::size_t MAX_DIR = 256;
inline constexpr std::size_t MAX_FNAME = 256;
inline constexpr std::size_t MAX_EXT = 256;

} // namespace velmar::fs

// The Windows C runtime's file calls, taking Windows or native paths (narrow text in the
// ANSI code page, or wide text).
//
// Streams follow the runtime's modes: "r", "w", "a" with "+", and "b" for binary; without
// "b" a stream is a text stream (CR LF reads as LF, LF writes as CR LF, Ctrl-Z ends the
// input). fopen shares the file as the runtime does; fopen_s opens it without sharing. Writing
// to a read-only file fails with EACCES, and so does a sharing conflict.

namespace velmar::fs::crt {

std::FILE* fopen(const char* path, const char* mode);
std::FILE* wfopen(const wchar_t* path, const wchar_t* mode);

// 0, or the errno value of the failure (*file is then null).
int fopen_s(std::FILE** file, const char* path, const char* mode);
int wfopen_s(std::FILE** file, const wchar_t* path, const wchar_t* mode);

// Writes the stream's buffer, then the file's data through to the disk, as fflush and the
// runtime's _commit do together: 0, or -1 with errno set (EBADF for a stream not opened here).
int commit(std::FILE* stream);

// Deletes a file (not a folder, not a read-only file): 0, or -1 with errno set.
int remove(const char* path);
// Renames a file or folder; fails when the target exists: 0, or -1 with errno set.
int rename(const char* from, const char* to);

inline constexpr unsigned short S_IFDIR_ = 0x4000;
inline constexpr unsigned short S_IFREG_ = 0x8000;
inline constexpr unsigned short S_IREAD_ = 0x0100;
inline constexpr unsigned short S_IWRITE_ = 0x0080;

// The runtime's status with 64-bit size and times (st_atime and friends are macros of the
// host, hence the names), links followed.
struct FileStatus64 {
    unsigned short st_mode = 0; // S_IFDIR_ or S_IFREG_, S_IREAD_, S_IWRITE_ unless read-only
    std::int64_t st_size = 0;
    std::time_t lastAccess = 0;
    std::time_t lastWrite = 0;
    std::time_t created = 0;
};
// 0, or -1 with errno set.
int stat64(const char* path, FileStatus64* status);

using fs::MAX_DIR;
using fs::MAX_DRIVE;
using fs::MAX_EXT;
using fs::MAX_FNAME;

// Splits "C:\data\scan.tif" into "C:", "\data\", "scan", ".tif" (either separator; a
// buffer may be null with size 0 to skip that part). Returns 0, EINVAL for a null path, or
// ERANGE when a part does not fit its buffer; on failure every given buffer is emptied.
int splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                std::size_t extSize);

} // namespace velmar::fs::crt

// The standard library's file-system facilities as a Windows program has them: paths are
// Windows or native paths in wide text (mapped as hostPathOf says), errors are Win32 codes,
// and the operations that throw raise std::filesystem::filesystem_error.

namespace velmar::fs {

enum class FileKind { notFound, none, regular, directory, symlink, junction, other };

// The status of path with links followed. ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_BAD_NETPATH and ERROR_INVALID_NAME give notFound; any other failure gives none.
// error is the Win32 code of the failure, else ERROR_SUCCESS.
FileKind status(std::wstring_view path, DWORD& error);

struct FileStatus {
    FileKind kind = FileKind::none; // links followed
    DWORD attributes = 0;           // as fileAttributes gives them
    std::uint64_t size = 0;         // 0 for a folder
    std::time_t lastWrite = 0;
    std::time_t lastAccess = 0;
    std::time_t created = 0;
};

// The status of path with links followed. Leaves status unchanged on failure.
[[nodiscard]] bool fileStatus(std::wstring_view path, FileStatus& status, DWORD& error);

// Sets the times of path (seconds since 1970); a time of 0 is left as it is.
[[nodiscard]] bool setFileTimes(std::wstring_view path, std::time_t lastAccess,
                                std::time_t lastWrite, DWORD& error);

// path made full: a relative one is joined to the current folder as the host reports it
// ("data\x.tif" in /home/u gives "/home/u/data\x.tif"); nothing else of it changes.
[[nodiscard]] bool fullPathOf(std::wstring_view path, std::wstring& full, DWORD& error);

// Creates the folder and its missing parents; true when the folder exists afterwards.
[[nodiscard]] bool createDirectories(std::wstring_view path, DWORD& error);

// Removes a file, or a folder with everything in it (read-only entries too). Returns the
// number of files and folders removed: 0 for a missing path, static_cast<uintmax_t>(-1) on
// failure (what was removed before the failure stays removed).
[[nodiscard]] std::uintmax_t removeAll(std::wstring_view path, DWORD& error);

// Removes one file (also a read-only one) or one empty folder. False when there was nothing
// to remove (error ERROR_SUCCESS) or on failure.
[[nodiscard]] bool remove(std::wstring_view path, DWORD& error);

// The standard copy for a file or a folder, without options or with overwrite-existing: a
// file is copied (into a folder when to is one), an existing target fails unless overwrite;
// a folder without options gets a new folder with copies of its files (no sub-folders), and
// with overwrite nothing happens.
[[nodiscard]] bool copy(std::wstring_view from, std::wstring_view to, bool overwrite, DWORD& error);

// Whether an existing folder has no entries. Throws filesystem_error when it cannot be read.
bool isEmptyDirectory(std::wstring_view path);

// The user's temporary folder as the host reports it ($TMPDIR, else /tmp), ending with "/".
// Throws filesystem_error("temp_directory_path") when it is missing or not a folder.
std::wstring tempDirectoryPath();

// Walks the entries of a folder, or of its whole tree: a folder's entries come right after
// the folder; links to folders are not entered. Throws filesystem_error when the folder, a
// sub-folder or an entry's status cannot be read.
class DirectoryWalk {
public:
    struct Entry {
        std::string relative; // UTF-8 path below the folder, elements joined by backslashes
        std::size_t nameStart = 0;
        FileKind kind = FileKind::none; // links followed
        bool isLink = false;
        std::string_view name() const { return std::string_view(relative).substr(nameStart); }
    };

    DirectoryWalk(std::wstring_view folder, bool recursive);
    DirectoryWalk(const DirectoryWalk&) = delete;
    DirectoryWalk& operator=(const DirectoryWalk&) = delete;
    ~DirectoryWalk();

    // False at the end.
    bool next(Entry& entry);

private:
    struct Level {
        DIR* dir;
        std::string relative; // with a trailing backslash, "" at the top
        std::string host;     // with a trailing "/"
    };
    void push(const std::string& relative, const std::string& host);

    std::vector<Level> m_levels;
    bool m_recursive;
    std::string m_pendingRelative;
    std::string m_pendingHost;
};

} // namespace velmar::fs

// The system's file enumeration: the entries of one folder that match a wildcard name.
//
// The pattern is a Windows or native path whose last element may hold "*" and "?" (Windows
// rules: "*.*" matches every name, "*." names without a dot), or names one entry exactly (found
// without regard to case, reported as the disk spells it). Entries come in the host's order,
// "." and ".." included when they match, hidden ones too. A pattern ending with a separator finds
// nothing.

namespace velmar::fs {

class FileFinder {
public:
    // One match. It stays readable after the finder moves on; its status is read once, when
    // first asked for, with links followed.
    class Entry {
    public:
        const std::string& name() const { return m_name; } // UTF-8
        // The entry's dirent type (DT_REG, DT_DIR, DT_LNK...), 0 when unknown.
        unsigned char type() const { return m_type; }
        std::string hostPath() const { return m_folder + m_name; }
        bool isDirectory(); // a link to a folder counts as a folder
        // INVALID_FILE_ATTRIBUTES when the entry cannot be read.
        DWORD attributes() const;
        // 0 for a folder, and when the entry cannot be read.
        std::uint64_t size();
        std::time_t lastWriteTime();
        std::time_t lastAccessTime();
        std::time_t creationTime();

    private:
        friend class FileFinder;
        bool loadStatus();

        std::string m_folder; // host folder, with a trailing "/" unless empty
        std::string m_name;
        unsigned char m_type = 0; // d_type, or 0 when unknown
        bool m_statusRead = false;
        bool m_statusOk = false;
        std::uint64_t m_size = 0;
        std::time_t m_mtime = 0;
        std::time_t m_atime = 0;
        std::time_t m_ctime = 0;
        bool m_isDirectory = false;
    };

    FileFinder() = default;
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;
    ~FileFinder();

    // Starts the enumeration and moves to the first match. False with ERROR_FILE_NOT_FOUND
    // when nothing matches, ERROR_PATH_NOT_FOUND when the folder is missing, or another code.
    [[nodiscard]] bool open(std::wstring_view pattern, DWORD& error);
    // Moves to the next match; false at the end.
    bool next();
    void close();

    // The current entry.
    Entry& entry() { return m_entry; }
    const std::string& name() const { return m_entry.name(); }
    unsigned char type() const { return m_entry.type(); }
    std::string hostPath() const { return m_entry.hostPath(); }
    bool isDirectory() { return m_entry.isDirectory(); }
    // FILE_ATTRIBUTE_NORMAL when the entry cannot be read.
    DWORD attributes();
    std::uint64_t size() { return m_entry.size(); }
    std::time_t lastWriteTime() { return m_entry.lastWriteTime(); }
    std::time_t lastAccessTime() { return m_entry.lastAccessTime(); }
    std::time_t creationTime() { return m_entry.creationTime(); }

private:
    DIR* m_dir = nullptr;
    std::string m_pattern; // UTF-8 wildcard name
    bool m_single = false;
    Entry m_entry;
};

} // namespace velmar::fs

// The user's temporary folder: $TMPDIR, else /tmp, always reported with a trailing separator.

namespace velmar::fs {
// Host path (UTF-8) of the temporary folder, ending with "/".
std::string tempFolderPath();
} // namespace velmar::fs

// Copies the folder into buffer and returns its length without the terminator; when the
// buffer is too small returns the size needed, terminator included, and leaves it untouched.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);

// An output stream that appends to a file shared with other processes.
//
// Nothing reaches the file until the stream is flushed; each flush is one write(2) on a
// descriptor opened with O_APPEND, so lines flushed one at a time by several processes
// never tear inside a line. In text mode "\n" is stored as CR LF, as a Windows text stream
// stores it.

namespace velmar::fs {

class AppendFileBuffer : public std::streambuf {
public:
    AppendFileBuffer() = default;
    AppendFileBuffer(const AppendFileBuffer&) = delete;
    AppendFileBuffer& operator=(const AppendFileBuffer&) = delete;
    ~AppendFileBuffer() override;

    // hostPath is UTF-8. Creates the file (mode 0666 less the umask) when it is missing.
    bool open(const std::string& hostPath, bool textMode);
    bool isOpen() const { return m_fd >= 0; }
    void close();

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    int m_fd = -1;
    bool m_textMode = true;
    std::string m_pending;
};

class AppendFileStream : public std::ostream {
public:
    AppendFileStream() : std::ostream(nullptr) { rdbuf(&m_buffer); }
    bool open(const std::string& hostPath, bool textMode = true);
    bool is_open() const { return m_buffer.isOpen(); }
    void close();

private:
    AppendFileBuffer m_buffer;
};

} // namespace velmar::fs

// The thread's file-system redirection switch (WOW64). The processes are 64-bit, so nothing
// is redirected; the switch is kept per thread so that code can pair its calls correctly.

BOOL Wow64DisableWow64FsRedirection(void** oldValue);
BOOL Wow64RevertWow64FsRedirection(void* oldValue);

namespace velmar::fs {

// True while the calling thread has switched redirection off.
bool isFsRedirectionDisabled();

// Switches redirection off for its lifetime and back on when it goes, on every path.
class FsRedirectionOff {
public:
    FsRedirectionOff() { m_disabled = Wow64DisableWow64FsRedirection(&m_old) != FALSE; }
    FsRedirectionOff(const FsRedirectionOff&) = delete;
    FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;
    ~FsRedirectionOff() {
        if (m_disabled) {
            Wow64RevertWow64FsRedirection(m_old);
        }
    }

private:
    void* m_old = nullptr;
    bool m_disabled = false;
};

} // namespace velmar::fs
