// Deleting, moving, replacing and copying single files, with Windows' rules: a read-only
// file is neither deleted nor overwritten, a file that another handle holds without sharing
// stays, a move does not replace unless asked to.
#pragma once

#include "platform/base/errors.h"

#include <string>

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

namespace velmar::host {

// Copies a regular file's bytes, permissions and stored DOS attributes. With failIfExists an
// existing target gives ERROR_FILE_EXISTS; otherwise it is overwritten unless it is read-only
// or held without sharing.
bool copyHostFile(const std::string& from, const std::string& to, bool failIfExists, DWORD& error);

// Moves a host path with the rules of MoveFileEx.
bool moveHostPath(const std::string& from, const std::string& to, DWORD flags, DWORD& error);

// Flushes the folder entry of path to the disk.
void syncFolderOf(const std::string& path);

// Deletes a host file with the rules of DeleteFile.
bool deleteHostFile(const std::string& path, DWORD& error);

} // namespace velmar::host
