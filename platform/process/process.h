// The running process as Windows presents it: its program file and its environment.
//
// Narrow text is the ANSI code page; the host's UTF-8 is converted at this boundary.
#pragma once

#include "platform/base/base.h"

#include <cstdint>
#include <mutex>
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
// its name); a null value removes it. PATH takes a Windows list: each folder typed the Windows
// way (a drive letter or a backslash) is kept as its host folder, one that cannot be mapped as
// typed. FALSE for a null or empty name or one holding "=", with ERROR_INVALID_PARAMETER.
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

// Dynamic libraries. A module handle is the one GetModuleHandleA gives for the same library.
using FARPROC = std::intptr_t (*)();

// Loads a library. A name with a folder part (Windows or host path) is loaded from there; a
// bare name is used when a library of that file name is loaded already, else looked for in
// the program's folder, the system folder, the Windows folder, the current folder, then PATH.
// A name without extension is tried with ".dll" first, then as given; a trailing "." means no
// extension. Only regular files load. Loading a library again gives the same handle and adds
// a load. Errors: ERROR_MOD_NOT_FOUND (missing, or a library it needs is), ERROR_BAD_EXE_FORMAT
// (no library), ERROR_PROC_NOT_FOUND (a function it imports is missing), ERROR_INVALID_PARAMETER.
HMODULE LoadLibraryA(LPCSTR fileName);

// A function or variable the module itself exports; null with ERROR_PROC_NOT_FOUND (also for
// ordinals) or ERROR_INVALID_HANDLE for a handle that names no module.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// Gives back one load of LoadLibraryA; the library goes with its last load. FALSE with
// ERROR_INVALID_HANDLE for a handle that LoadLibraryA did not give out or that has no loads left.
BOOL FreeLibrary(HMODULE module);

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

// Runs a host program (argv[0] a path or a name searched in the host's PATH) with argv, never
// through a shell, stdin from /dev/null, and reads its standard output to the end. True when
// it ran and exited with 0; output holds what it wrote either way.
bool readProgramOutput(const std::vector<std::string>& argv, std::string& output);

// The first executable file of that name in the host's PATH; the name itself when it holds a
// "/"; empty when there is none.
std::string findHostProgram(const std::string& name);

// A host program run as readProgramOutput runs it, which another thread may end early (a
// chooser whose dialog went away). A program still running when the object goes is ended
// (SIGTERM) and reaped.
class OutputProgram {
public:
    explicit OutputProgram(const std::vector<std::string>& argv);
    ~OutputProgram();
    OutputProgram(const OutputProgram&) = delete;
    OutputProgram& operator=(const OutputProgram&) = delete;

    // False when it could not be started (not found, or the host refused).
    bool started() const { return m_pid > 0; }
    // Reads its output to the end and waits for it: its exit status, or -1 when a signal
    // ended it or it never started. Called once.
    int finish(std::string& output);
    // Asks it to end (SIGTERM); from any thread, also once it has ended.
    void terminate();

private:
    int m_pid = -1;
    int m_output = -1;
    std::mutex m_mutex; // the pid is not reaped, and so not reused, while terminate() holds it
    bool m_reaped = false;
};
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

// The machine's memory as Windows reports it. Physical figures come from the kernel's
// MemTotal and MemAvailable, capped by the container's cgroup memory limit; the page file
// adds swap; the virtual figures are this process's address space.
struct MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    ULONGLONG ullTotalPhys;
    ULONGLONG ullAvailPhys;
    ULONGLONG ullTotalPageFile;
    ULONGLONG ullAvailPageFile;
    ULONGLONG ullTotalVirtual;
    ULONGLONG ullAvailVirtual;
    ULONGLONG ullAvailExtendedVirtual;
};
static_assert(sizeof(MEMORYSTATUSEX) == 64, "MEMORYSTATUSEX has Windows' layout");

// Fills status; dwLength must be sizeof(MEMORYSTATUSEX). FALSE with ERROR_INVALID_PARAMETER
// for a null pointer or a wrong length.
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);

namespace velmar::process {

// The figures behind GlobalMemoryStatusEx, parsed from the kernel's texts so that each
// source can be read (or be missing) on its own. An empty text stands for a missing file.
struct MemoryTexts {
    std::string meminfo;                 // /proc/meminfo
    std::string status;                  // /proc/self/status
    std::string cgroup;                  // /proc/self/cgroup
    std::string limit;                   // memory.max (v2) or memory.limit_in_bytes (v1)
    std::string usage;                   // memory.current (v2) or memory.usage_in_bytes (v1)
    std::uint64_t addressSpaceLimit = 0; // RLIMIT_AS; 0 when unlimited
};

// The memory controller's folder under /sys/fs/cgroup for a /proc/self/cgroup text:
// /sys/fs/cgroup/<path> for v2 ("0::<path>", v2 set), /sys/fs/cgroup/memory/<path> for the
// v1 memory line (v2 cleared); empty when the text names neither.
std::string memoryCgroupFolder(const std::string& cgroupText, bool& v2);

// The status that the texts describe (dwLength set).
MEMORYSTATUSEX memoryStatusFromTexts(const MemoryTexts& texts);

} // namespace velmar::process

// A block of the process's local heap, as FormatMessage allocates it.
using HLOCAL = void*;

// Frees a block that FormatMessageA allocated; null on success.
HLOCAL LocalFree(HLOCAL block);

inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;

// The system's text for messageId (FORMAT_MESSAGE_FROM_SYSTEM), ending in CR LF. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really an LPSTR* that receives a block to free
// with LocalFree. Returns the length without terminator; 0 with ERROR_INSUFFICIENT_BUFFER when
// the caller's buffer of size characters cannot hold text and terminator, and 0 with
// ERROR_INVALID_PARAMETER for a source other than the system or a null buffer.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void* arguments);

// The Windows folder (the prefix's drive_c/windows) as a native host path. Returns its length
// without terminator, or, when size cannot hold it and its terminator, the size needed
// (terminator included) with the buffer untouched.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);

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

// Which members of STARTUPINFOA hold values: wShowWindow, dwXSize/dwYSize, dwX/dwY.
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
inline constexpr DWORD STARTF_USESIZE = 0x00000002;
inline constexpr DWORD STARTF_USEPOSITION = 0x00000004;

// The start-up information that the starting program gave CreateProcessA, as the process
// started: cb is sizeof(STARTUPINFOA); dwFlags, wShowWindow, dwX, dwY, dwXSize and dwYSize come
// from the variable VELMAR_STARTUPINFO, every other member is zero or null. A process started
// by anything else (a shell) sees zeros only, as does one whose variable is malformed.
//
// VELMAR_STARTUPINFO holds six decimal numbers, one blank between each and nothing else:
// "<dwFlags> <wShowWindow> <dwX> <dwY> <dwXSize> <dwYSize>", each within its member's range.
// CreateProcessA sets it in the child's environment from its start-up pointer, replacing one
// the environment already holds, and removes it for a null pointer. It is read once, before
// main, so the program's own changes to its environment do not alter the answer.
void GetStartupInfoA(LPSTARTUPINFOA info);

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
// name is looked for in the starting program's folder, the current folder, the prefix's
// windows/system32 and windows folders, then PATH (ours, not the block's; a folder there
// holding backslashes is mapped as a Windows path), with ".exe" tried before the name as
// given when it has no extension. A null environment is ours;
// otherwise "NAME=value" strings, each terminated, the block by an empty one, whose PATH is a
// Windows list as SetEnvironmentVariableA takes it. The start-up information travels in the
// child's environment (see GetStartupInfoA). DETACHED_PROCESS starts a new session without a
// console: a standard stream of ours that is a terminal is /dev/null in the child (pipes and
// files pass). The console flags have no effect here. Every descriptor above the standard three is
// closed in the child. Errors: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_BAD_EXE_FORMAT, ERROR_DIRECTORY (working folder).
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);

namespace velmar::process {
// CreateProcessA of a command line with our environment and folder that also hands the child
// one host descriptor as its descriptor 3, for a lock the child is to hold while it runs (the
// services' lock). The caller's descriptor stays open and the caller's own. Like a service, the
// child has no console: its standard streams are /dev/null, so that it keeps no pipe of the
// caller's open.
BOOL createProcessHolding(LPSTR commandLine, DWORD creationFlags, int descriptor,
                          PROCESS_INFORMATION& information);
} // namespace velmar::process

// Waits until a process (or its main thread) ends: WAIT_OBJECT_0 the moment it does,
// WAIT_TIMEOUT after the time, WAIT_FAILED for a handle that is not open.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// STILL_ACTIVE while the process runs, then its exit status.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

// Suspends the calling thread for at least the time; 0 gives the rest of its time slice to
// other threads, INFINITE never returns.
void Sleep(DWORD milliseconds);
