// Where a Windows or native path lands on this machine.
//
// Accepted: native paths ("/home/u/x.tif", "data/x.tif" relative to the current folder) and
// Windows paths with backslashes or slashes. A drive letter maps through the drive table
// (drive_table.h); "C:x" is taken from the drive's root, as there is no current folder per
// drive. Below a drive, "." and ".." are resolved on the text and ".." stops at the drive's
// root ("C:\..\x" is "C:\x"), so a drive path never lands outside its folder. A network path
// ("\\server\share") gives ERROR_BAD_NETPATH, an unmapped drive ERROR_PATH_NOT_FOUND, and a name
// holding a character Windows reserves (< > " | ? * or a control character; a colon after the root)
// ERROR_INVALID_NAME. A relative path of names that are only dots and blanks (" ", "...")
// gives ERROR_PATH_NOT_FOUND, as "" does. "\\?\" is dropped.
//
// Existing names are found without regard to case, as on Windows: the exact name first,
// then a case-blind match component by component; what does not exist keeps the case given.
#pragma once

#include "platform/base/errors.h"

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace velmar::host {

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

} // namespace velmar::host
