// DOS file attributes on this machine.
//
// Read-only is the owner's write permission. Hidden, system, archive and the other DOS bits
// live in the extended attribute "user.velmar.dosattrib" (a decimal number) of the file, so
// every process sees them; a name starting with "." counts as hidden as well. A symbolic link
// reports FILE_ATTRIBUTE_REPARSE_POINT beside its target's attributes.
#pragma once

#include "platform/base/errors.h"

#include <string>

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

namespace velmar::host {

// The same on a host path; INVALID_FILE_ATTRIBUTES on failure with the Win32 code in error.
DWORD hostFileAttributes(const std::string& hostPath, DWORD& error);
bool setHostFileAttributes(const std::string& hostPath, DWORD attributes, DWORD& error);

// The stored DOS bits alone (0 when none are stored).
DWORD storedDosAttributes(const std::string& hostPath);

} // namespace velmar::host
