// The running process as Windows presents it: its program file and its environment.
//
// Narrow text is the ANSI code page; the host's UTF-8 is converted at this boundary.
#pragma once

#include "platform/base/base.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The full path of the module's file (a null module or the program's own handle: the running
// executable) as a native host path. size counts characters, terminator included. Returns the
// length without terminator; a path that does not fit is cut to size - 1 characters and
// terminated, the result is size and the last error ERROR_INSUFFICIENT_BUFFER. 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// Reads a variable of the process's environment; names compare without regard to case.
// Returns the value's length without terminator. A buffer that is too small is left alone
// and the result is the size needed, terminator included. A missing variable gives 0 and
// ERROR_ENVVAR_NOT_FOUND; an empty one 0 with an empty buffer and ERROR_SUCCESS.
// PATH reads as a Windows list, with ";" between the folders.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

// Sets a variable of the process's environment (an existing one of another letter case keeps
// its name); a null value removes it. PATH takes a Windows list. FALSE for a null or empty name
// or one holding "=", with ERROR_INVALID_PARAMETER.
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

namespace velmar::process {

// The whole value of a variable, whatever its length; false when it is not set.
bool environmentValue(const char* name, std::string& value);

} // namespace velmar::process

// The process's command line as one Windows command line in the ANSI code page: the
// arguments quoted as the C runtime splits them again.
LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();

// A handle of the program itself for a null name, else of a loaded library of that name, or
// null (ERROR_MOD_NOT_FOUND).
HMODULE GetModuleHandleA(LPCSTR moduleName);

namespace velmar::process {
// Joins arguments into a Windows command line that the C runtime splits back into the same
// arguments (quotes where needed, backslashes before quotes doubled).
std::string joinCommandLine(const std::string* args, std::size_t count);
// Splits a Windows command line as the C runtime does: the program name up to a blank, or
// between quotes, taken literally; then arguments between blanks (space, tab), where quotes
// group, "" inside quotes is a literal quote, and backslashes are literal except before a
// quote (2n backslashes and a quote: n and a grouping quote; 2n+1: n and a literal quote).
// Never a shell: nothing else is special.
std::vector<std::string> splitCommandLine(std::string_view line);
} // namespace velmar::process

// Kernel object handles: processes and their main threads. A closed handle stays invalid.
using LPDWORD = DWORD*;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;

inline constexpr DWORD DETACHED_PROCESS = 0x00000008;
inline constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
inline constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Closes a process or thread handle; FALSE with ERROR_INVALID_HANDLE for one not open.
BOOL CloseHandle(HANDLE handle);

// Starts a program with its arguments split from commandLine as the C runtime splits them,
// never through a shell. Without an application name the first token is the program. A bare
// name is looked for in the starting program's folder, the current folder, then PATH, with
// ".exe" tried before the name as given when it has no extension. A null environment is ours;
// otherwise "NAME=value" strings, each terminated, the block by an empty one. DETACHED_PROCESS
// starts a new session; the console flags have no effect here. Every descriptor above the
// standard three is closed in the child. Errors: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT, ERROR_DIRECTORY (working folder).
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);

// Waits until a process (or its main thread) ends: WAIT_OBJECT_0 the moment it does,
// WAIT_TIMEOUT after the time, WAIT_FAILED for a handle that is not open.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// STILL_ACTIVE while the process runs, then its exit status.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
