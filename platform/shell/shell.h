// The shell's known folders (shell32) and path helpers (shlwapi).
//
// Known folders are native host paths in the ANSI code page:
//   CSIDL_COMMON_APPDATA  the machine prefix's drive_c/ProgramData
//   CSIDL_LOCAL_APPDATA   $XDG_DATA_HOME, else ~/.local/share
#pragma once

#include "platform/base/base.h"
#include "platform/ui/ui.h"

#include <string>

using HRESULT = LONG;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

inline constexpr HRESULT HRESULT_FROM_WIN32(DWORD code) {
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}

inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int CSIDL_COMMON_APPDATA = 0x0023;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;
inline constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// Writes the folder of csidl (with CSIDL_FLAG_CREATE: created when missing) into path, which
// holds MAX_PATH characters. S_OK; S_FALSE, with the path, when the folder does not exist and
// was not to be created; E_INVALIDARG for a folder it does not know; HRESULT_FROM_WIN32 of the
// failure when the folder cannot be created or its path does not fit. path is untouched on
// failure.
HRESULT SHGetFolderPathA(HWND window, int csidl, HANDLE token, DWORD flags, LPSTR path);

// Appends more to path (a MAX_PATH buffer) with one backslash between them; leading
// separators of more are skipped. A more with a drive ("D:\x") or a network path takes the
// place of path. FALSE, with path untouched, when the result would not fit in MAX_PATH.
BOOL PathAppendA(LPSTR path, LPCSTR more);

namespace velmar::shell {

// PathAppendA's joining rule on standard strings, without the MAX_PATH limit.
void appendShellPath(std::string& path, const std::string& more);

} // namespace velmar::shell
