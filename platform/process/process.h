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

// The system's tick: milliseconds since the machine started, sleep included, as an unsigned
// 32-bit count that wraps after about 49.7 days. Differences between two readings taken in
// unsigned 32-bit arithmetic survive one wrap. VELMAR_TICK_OFFSET (a decimal count of
// milliseconds, read at each call) is added first so that tests can start just before the
// wrap; a value that is not all decimal digits or does not fit 64 bits is ignored.
using MMRESULT = UINT;
inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;

DWORD timeGetTime();
DWORD GetTickCount(); // the same count as timeGetTime

// The minimum timer resolution in milliseconds: TIMERR_NOERROR for 1..1000, else
// TIMERR_NOCANDO. The clock already resolves single milliseconds, so nothing changes.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

namespace velmar::process {
// The milliseconds VELMAR_TICK_OFFSET adds to the tick; 0 when unset or invalid.
std::uint64_t tickOffset();
} // namespace velmar::process
