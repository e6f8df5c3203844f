// ShellExecuteExA: programs start directly, documents with the program of their type.
#include "platform/fs/fs.h"
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/shell/internal/open_command.h"
#include "platform/shell/shell.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace velmar::shell {

namespace {

// The extension of the last name of a Windows or native path, with its dot; empty for none.
std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\:");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return path.substr(dot);
}

bool hasProgramExtension(const std::string& path) {
    const std::string extension = extensionOf(path);
    for (const char* program : {".exe", ".com", ".bat"}) {
        if (velmar::text::compareAnsiNoCase(extension, program) == 0) {
            return true;
        }
    }
    return false;
}

// A name without folder or extension ("notepad"), which the program search completes.
bool isBareName(const std::string& path) {
    return path.find_first_of("/\\:") == std::string::npos && extensionOf(path).empty();
}

// An executable host file that the system can run: an ELF image or a "#!" script.
bool isHostProgram(const std::string& hostPath) {
    if (host::access(hostPath.c_str(), X_OK) != 0) {
        return false;
    }
    const int fd = host::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char head[4] = {};
    const ssize_t got = host::read(fd, head, sizeof head);
    host::close(fd);
    return (got == 4 && std::string_view(head, 4) == "\x7f"
                                                     "ELF") ||
           (got >= 2 && head[0] == '#' && head[1] == '!');
}

std::string currentFolder() {
    char folder[4096];
    return host::getcwd(folder, sizeof folder) != nullptr ? folder : ".";
}

// A path as the started program should get it: whole, since it may start elsewhere.
std::string fullPath(const std::string& path) {
    const bool rooted = !path.empty() && (path.front() == '/' || path.front() == '\\' ||
                                          (path.size() >= 2 && path[1] == ':'));
    return rooted ? path : currentFolder() + "/" + path;
}

int instanceCodeOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
        return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
        return SE_ERR_OOM;
    case ERROR_BAD_EXE_FORMAT:
        return static_cast<int>(ERROR_BAD_FORMAT);
    case ERROR_NO_ASSOCIATION:
        return SE_ERR_NOASSOC;
    default:
        return 0;
    }
}

HINSTANCE instanceValue(int code) {
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(code));
}

BOOL fail(SHELLEXECUTEINFOA* info, DWORD error) {
    info->hInstApp = instanceValue(instanceCodeOf(error));
    SetLastError(error);
    return FALSE;
}

// Starts a command line as our child in the request's folder and with its show command.
BOOL start(SHELLEXECUTEINFOA* info, std::string line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(info->nShow);
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        info->lpDirectory, &startup, &started)) {
        return fail(info, GetLastError());
    }
    CloseHandle(started.hThread);
    if ((info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0) {
        info->hProcess = started.hProcess;
    } else {
        CloseHandle(started.hProcess);
    }
    info->hInstApp = instanceValue(42); // any value above 32 says it worked
    return TRUE;
}

} // namespace

} // namespace velmar::shell

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
    using namespace velmar::shell;
    if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hProcess = nullptr;
    const std::string file = info->lpFile != nullptr ? info->lpFile : "";
    const std::string verb =
        info->lpVerb != nullptr && info->lpVerb[0] != '\0' ? info->lpVerb : "open";
    const std::string parameters = info->lpParameters != nullptr ? info->lpParameters : "";
    if (file.empty()) {
        return fail(info, ERROR_FILE_NOT_FOUND);
    }

    const velmar::fs::HostPath mapped = velmar::fs::hostPathOfAnsi(file);
    struct stat status {};
    const bool exists = mapped && velmar::host::stat(mapped.path.c_str(), &status) == 0;
    const bool program = exists ? S_ISREG(status.st_mode) &&
                                      (hasProgramExtension(file) || isHostProgram(mapped.path))
                                : hasProgramExtension(file) || isBareName(file);
    if (program) {
        // The program search finds a bare name; the quotes keep a path with blanks whole.
        std::string line = "\"" + file + "\"";
        if (!parameters.empty()) {
            line += " " + parameters;
        }
        return start(info, std::move(line));
    }
    if (!exists) {
        return fail(info, mapped || mapped.error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND
                                                                         : mapped.error);
    }

    if (const std::optional<std::string> command = registryCommand(extensionOf(file), verb)) {
        return start(info, expandRegistryCommand(*command, fullPath(file), parameters));
    }
    if (velmar::text::compareAnsiNoCase(verb, "open") == 0) {
        const std::vector<std::string> args = desktopCommand(fullPath(mapped.path));
        if (!args.empty()) {
            return start(info, velmar::process::joinCommandLine(args.data(), args.size()));
        }
    }
    return fail(info, ERROR_NO_ASSOCIATION);
}
