// The system's file enumeration: the entries of one folder that match a wildcard name.
//
// The pattern is a Windows or native path whose last element may hold "*" and "?" (Windows
// rules, see wildcard.h), or names one entry exactly (found without regard to case, reported
// as the disk spells it). Entries come in the host's order, "." and ".." included when they
// match, hidden ones too. A pattern ending with a separator finds nothing.
#pragma once

#include "platform/base/errors.h"

#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <string>
#include <string_view>

namespace velmar::host {

class FileFinder {
public:
    FileFinder() = default;
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;
    ~FileFinder();

    // Starts the enumeration and moves to the first match. False with ERROR_FILE_NOT_FOUND
    // when nothing matches, ERROR_PATH_NOT_FOUND when the folder is missing, or another code.
    bool open(std::wstring_view pattern, DWORD& error);
    // Moves to the next match; false at the end.
    bool next();
    void close();

    // The current entry. Its status is read only when asked for.
    const std::string& name() const { return m_name; } // UTF-8
    // The entry's dirent type (DT_REG, DT_DIR, DT_LNK...), 0 when unknown.
    unsigned char type() const { return m_type; }
    std::string hostPath() const;
    bool isDirectory(); // links followed: a link to a folder counts as a folder
    DWORD attributes();
    std::uint64_t size();
    std::time_t lastWriteTime();
    std::time_t lastAccessTime();
    std::time_t creationTime();

private:
    bool loadStatus();

    DIR* m_dir = nullptr;
    std::string m_folder;  // host folder, with a trailing "/" unless empty
    std::string m_pattern; // UTF-8 wildcard name
    std::string m_name;
    unsigned char m_type = 0; // d_type, or 0 when unknown
    bool m_single = false;
    bool m_statusRead = false;
    bool m_statusOk = false;
    std::uint64_t m_size = 0;
    std::time_t m_mtime = 0;
    std::time_t m_atime = 0;
    std::time_t m_ctime = 0;
    bool m_isDirectory = false;
};

} // namespace velmar::host
