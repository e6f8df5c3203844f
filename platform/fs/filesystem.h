// The standard library's file-system facilities as a Windows program has them: paths are
// Windows or native paths in wide text (mapped as host_path.h says), errors are Win32 codes,
// and the operations that throw raise std::filesystem::filesystem_error.
#pragma once

#include "platform/base/errors.h"

#include <cstdint>
#include <dirent.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::fs {

enum class FileKind { notFound, none, regular, directory, symlink, junction, other };

// The status of path with links followed. ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_BAD_NETPATH and ERROR_INVALID_NAME give notFound; any other failure gives none.
// error is the Win32 code of the failure, else ERROR_SUCCESS.
FileKind status(std::wstring_view path, DWORD& error);

// Creates the folder and its missing parents; true when the folder exists afterwards.
bool createDirectories(std::wstring_view path, DWORD& error);

// Removes a file, or a folder with everything in it (read-only entries too). Returns the
// number of files and folders removed: 0 for a missing path, static_cast<uintmax_t>(-1) on
// failure (what was removed before the failure stays removed).
std::uintmax_t removeAll(std::wstring_view path, DWORD& error);

// Removes one file (also a read-only one) or one empty folder. False when there was nothing
// to remove (error ERROR_SUCCESS) or on failure.
bool remove(std::wstring_view path, DWORD& error);

// The standard copy for a file or a folder, without options or with overwrite-existing: a
// file is copied (into a folder when to is one), an existing target fails unless overwrite;
// a folder without options gets a new folder with copies of its files (no sub-folders), and
// with overwrite nothing happens.
bool copy(std::wstring_view from, std::wstring_view to, bool overwrite, DWORD& error);

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
