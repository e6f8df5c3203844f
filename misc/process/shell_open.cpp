// Opening a file through the shell's "open" verb, with or without waiting for the program.
#include "misc/process/process.h"
#include "platform/process/process.h"
#include "platform/shell/shell.h"

namespace {

// The shell's "open" of path with "/s"; the started process's handle, or null when the
// shell started none. False when the shell refused.
bool openWithShell(const char* path, HANDLE& process) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = "open";
    info.lpFile = path;
    info.lpParameters = "/s";
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExA(&info)) {
        return false;
    }
    process = info.hProcess;
    return true;
}

} // namespace

bool shellOpen(const char* path) {
    HANDLE process = nullptr;
    if (!openWithShell(path, process)) {
        return false;
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
    return true;
}

bool shellOpenAndWait(const char* path) {
    HANDLE process = nullptr;
    if (!openWithShell(path, process)) {
        return false;
    }
    if (process != nullptr) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    return true;
}
