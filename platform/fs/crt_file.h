// The Windows C runtime's file calls, taking Windows or native paths (narrow text in the
// ANSI code page, or wide text).
//
// Streams follow the runtime's modes: "r", "w", "a" with "+", and "b" for binary; without
// "b" a stream is a text stream (CR LF reads as LF, LF writes as CR LF, Ctrl-Z ends the
// input). fopen shares the file as the runtime does; fopen_s opens it without sharing. Writing
// to a read-only file fails with EACCES, and so does a sharing conflict.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace velmar::crt {

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

// Buffer sizes of the path splitter, terminator included.
inline constexpr std::size_t MAX_DRIVE = 3;
inline constexpr std::size_t MAX_DIR = 256;
inline constexpr std::size_t MAX_FNAME = 256;
inline constexpr std::size_t MAX_EXT = 256;

// Splits "C:\data\scan.tif" into "C:", "\data\", "scan", ".tif" (either separator; a
// buffer may be null with size 0 to skip that part). Returns 0, EINVAL for a null path, or
// ERANGE when a part does not fit its buffer; on failure every given buffer is emptied.
int splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                std::size_t extSize);

} // namespace velmar::crt
