// Starting programs by command line, and the Explorer and Notepad openers.
#include "misc/files/files.h"
#include "misc/process/process.h"

#include "platform/process/process.h"
#include "platform/ui/ui.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

// The user's default language, for the system's texts.
constexpr DWORD kUserDefaultLanguage = 0x0400;
// The openers' fixed-size command-line buffers.
constexpr std::size_t kOpenerCommandLineSize = 260;
constexpr DWORD kOpenerWidth = 700;
constexpr DWORD kOpenerHeight = 450;

std::string textOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// pattern with its %s filled in order; the pattern is one of ours.
template <typename... Args>
std::string formatted(const char* pattern, const Args&... args) {
    const int length = std::snprintf(nullptr, 0, pattern, args.c_str()...);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args.c_str()...);
    return text;
}

// The system's text for an error code, in the block FormatMessageA allocates for it.
class SystemText {
public:
    explicit SystemText(DWORD code) {
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                       kUserDefaultLanguage, reinterpret_cast<LPSTR>(&m_text), 0, nullptr);
    }
    SystemText(const SystemText&) = delete;
    SystemText& operator=(const SystemText&) = delete;
    ~SystemText() {
        if (m_text != nullptr) {
            LocalFree(m_text);
        }
    }
    // Empty when the system gave no text: the box still shows what we have.
    const char* text() const { return m_text != nullptr ? m_text : ""; }

private:
    LPSTR m_text = nullptr;
};

void showFailure(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "GetLastError", MB_OK | MB_ICONINFORMATION);
}

// The handles of a started process: the thread's always closed, the process's unless the
// caller takes it.
class StartedProcess {
public:
    StartedProcess() = default;
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    ~StartedProcess() {
        if (info.hThread != nullptr) {
            CloseHandle(info.hThread);
        }
        if (info.hProcess != nullptr) {
            CloseHandle(info.hProcess);
        }
    }
    HANDLE release() {
        HANDLE process = info.hProcess;
        info.hProcess = nullptr;
        return process;
    }

    PROCESS_INFORMATION info{};
};

// Our own start-up information, for the child to be shown as we were.
STARTUPINFOA inheritedStartup() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return startup;
}

bool start(std::string& commandLine, const char* workingFolder, STARTUPINFOA& startup,
           StartedProcess& process) {
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                          nullptr, workingFolder, &startup, &process.info) != FALSE;
}

// The openers' start: a 700 x 450 window, not waited for; a failure shows the system's text.
bool startOpener(std::string commandLine) {
    STARTUPINFOA startup = inheritedStartup();
    startup.dwXSize = kOpenerWidth;
    startup.dwYSize = kOpenerHeight;
    startup.dwFlags |= STARTF_USESIZE;
    StartedProcess process;
    if (!start(commandLine, nullptr, startup, process)) {
        const SystemText system(GetLastError());
        showFailure(system.text());
        return false;
    }
    return true;
}

} // namespace

bool launchProgram(const char* program, const char* arguments, bool reportFailure, bool wait,
                   const char* workingFolder, bool showNormal) {
    return launchProgram(program, arguments, reportFailure, wait, workingFolder, showNormal,
                         nullptr);
}

bool launchProgram(const char* program, const char* arguments, bool reportFailure, bool wait,
                   const char* workingFolder, bool showNormal, HANDLE* processHandle) {
    STARTUPINFOA startup = inheritedStartup();
    if (showNormal) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
    }
    // The quotes keep a path with spaces whole; the arguments go on as they are.
    const std::string quotedProgram = "\"" + textOf(program) + "\"";
    std::string commandLine = quotedProgram;
    if (arguments != nullptr) {
        commandLine += " ";
        commandLine += arguments;
    }

    StartedProcess process;
    if (!start(commandLine, workingFolder, startup, process)) {
        const DWORD error = GetLastError();
        if (reportFailure) {
            const SystemText system(error);
            const std::string first =
                arguments != nullptr
                    ? formatted("Failed to launch \"%s %s\"", textOf(program), textOf(arguments))
                    // Without arguments the command line is the quoted program alone.
                    : formatted("Failed to launch \"%s\"", quotedProgram);
            showFailure(first + "\n" + system.text());
        }
        return false;
    }
    if (processHandle != nullptr) {
        *processHandle = process.release();
    } else if (wait) {
        WaitForSingleObject(process.info.hProcess, INFINITE);
    }
    return true;
}

bool openInExplorer(const char* argument) {
    // Passed on whole whatever its length: a long path is still a path Explorer can open.
    return startOpener("explorer.exe " + textOf(argument));
}

bool openInNotepad(const char* path) {
    if (path == nullptr || !fileExists(path)) {
        return false;
    }
    char windows[kOpenerCommandLineSize];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    const std::string notepad = length > 0 && length < sizeof windows
                                    ? std::string(windows, length) + "\\notepad.exe"
                                    : std::string("c:\\winnt\\notepad.exe");
    std::string commandLine = notepad + " " + path;
    if (commandLine.size() >= kOpenerCommandLineSize) {
        return false;
    }
    return startOpener(std::move(commandLine));
}
