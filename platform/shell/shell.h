// The shell's known folders (shell32) and path helpers (shlwapi).
//
// Known folders are native host paths in the ANSI code page:
//   CSIDL_COMMON_APPDATA  the machine prefix's drive_c/ProgramData
//   CSIDL_LOCAL_APPDATA   $XDG_DATA_HOME, else ~/.local/share
#pragma once

#include "platform/base/base.h"
#include "platform/registry/registry.h"
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

// ---------------------------------------------------------------------------------------------
// COM's start and its allocator, as far as the shell's callers need them.

// Per thread: S_OK the first time, S_FALSE when the thread had it already; each call wants an
// OleUninitialize.
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();

LPVOID CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(LPVOID block);

// The shell's allocator: what it allocates (item id lists) is freed with it or with
// CoTaskMemFree.
class IMalloc {
public:
    virtual LPVOID Alloc(SIZE_T bytes) = 0;
    virtual LPVOID Realloc(LPVOID block, SIZE_T bytes) = 0;
    virtual void Free(LPVOID block) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IMalloc() = default;
};

HRESULT SHGetMalloc(IMalloc** allocator);

// ---------------------------------------------------------------------------------------------
// The folder browser.

using USHORT = unsigned short;

// An item of the shell's name space. Ours name a path: one item, then a zero cb.
struct SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

// The browser calls back with BFFM_INITIALIZED once it is up and BFFM_SELCHANGED (lParam the
// selected item) when the selection changes; the callback may send BFFM_SETSELECTIONA to the
// browser (wParam TRUE: lParam is a path; FALSE: an item id list).
using BFFCALLBACK = int (*)(HWND browser, UINT message, LPARAM lParam, LPARAM data);

inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SELCHANGED = 2;
inline constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
inline constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;

inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_EDITBOX = 0x0010;
inline constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;

struct BROWSEINFOA {
    HWND hwndOwner = nullptr;
    PCIDLIST_ABSOLUTE pidlRoot = nullptr;
    LPSTR pszDisplayName = nullptr; // MAX_PATH characters: the chosen folder's name
    LPCSTR lpszTitle = nullptr;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;
    LPARAM lParam = 0;
    int iImage = 0;
};

// A modal dialog with the title, an edit field holding the folder's path (Tab completes
// folder names) and OK and Cancel. The chosen folder's item id list (free it with
// CoTaskMemFree), or null when cancelled. With BIF_RETURNONLYFSDIRS, OK takes only an existing
// folder.
PIDLIST_ABSOLUTE SHBrowseForFolderA(const BROWSEINFOA* info);

// The path of a file-system item into path (MAX_PATH characters); FALSE when the item is no
// file-system folder or its path does not fit.
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE list, LPSTR path);

// ---------------------------------------------------------------------------------------------
// Opening items (ShellExecuteEx).

inline constexpr DWORD ERROR_NO_ASSOCIATION = 1155;

inline constexpr ULONG SEE_MASK_DEFAULT = 0x00000000;
inline constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;

// hInstApp on failure (values of 32 and below); success gives a value above 32.
inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_PNF = 3;
inline constexpr int SE_ERR_ACCESSDENIED = 5;
inline constexpr int SE_ERR_OOM = 8;
inline constexpr int SE_ERR_NOASSOC = 31;

struct SHELLEXECUTEINFOA {
    DWORD cbSize = sizeof(SHELLEXECUTEINFOA);
    ULONG fMask = 0;
    HWND hwnd = nullptr;
    LPCSTR lpVerb = nullptr;
    LPCSTR lpFile = nullptr;
    LPCSTR lpParameters = nullptr;
    LPCSTR lpDirectory = nullptr;
    int nShow = 0;
    HINSTANCE hInstApp = nullptr;
    void* lpIDList = nullptr;
    LPCSTR lpClass = nullptr;
    HKEY hkeyClass = nullptr;
    DWORD dwHotKey = 0;
    HANDLE hIcon = nullptr;
    HANDLE hProcess = nullptr;
};
using LPSHELLEXECUTEINFOA = SHELLEXECUTEINFOA*;

// Performs a verb ("open" for null) on lpFile. A program (an executable host file, or a
// ".exe", ".com" or ".bat" name that the program search finds) starts with lpParameters.
// Another file opens with the command of its type: HKEY_CLASSES_ROOT\.ext names the type,
// whose shell\<verb>\command holds the command line ("%1" and "%L" the file, "%*" the
// parameters; without "%1" the quoted file is appended). HKEY_CURRENT_USER\Software\Classes
// comes before HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\Software\Classes after it. For
// "open" the desktop's default application (xdg-mime, its .desktop file's Exec line) follows.
// The program starts in lpDirectory (null: ours) as our own child; with
// SEE_MASK_NOCLOSEPROCESS hProcess receives its handle, to be closed by the caller.
// Errors: ERROR_FILE_NOT_FOUND (hInstApp SE_ERR_FNF) for a missing file,
// ERROR_NO_ASSOCIATION (SE_ERR_NOASSOC) when nothing opens it, else the start's error.
BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info);

namespace velmar::shell {

// An item id list for path (allocated with CoTaskMemAlloc); fileSystem tells whether it is a
// file-system folder.
PIDLIST_ABSOLUTE makeIdList(const std::string& path, bool fileSystem);
// The path an item id list names and whether it is a file-system folder.
std::string pathOfIdList(PCIDLIST_ABSOLUTE list, bool* fileSystem);

// path with its last element completed to the folders that start with it (without regard to
// case): the whole name and a separator when one folder fits, the part all of them share
// otherwise; path itself when none does.
std::string completeFolderPath(const std::string& path);

// Whether path (Windows or native) names an existing folder.
bool isExistingFolder(const std::string& path);

// PathAppendA's joining rule on standard strings, without the MAX_PATH limit.
void appendShellPath(std::string& path, const std::string& more);

} // namespace velmar::shell
