// CreateProcessA: program search and posix_spawn.
#include "platform/fs/fs.h"
#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/process/internal/child.h"
#include "platform/process/internal/child_environment.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

namespace velmar::process {

namespace {

bool hasSeparator(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos;
}

bool hasExtension(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

// A path typed the Windows way ("C:\x", "x\y", "/opt/suite\bin\x.exe": a backslash
// separates there too) through the file service's mapping; a host path as it stands.
std::string hostPathOfProgram(const std::string& name, DWORD& error) {
    if (name.empty() || (name.find('\\') == std::string::npos &&
                         (name.front() == '/' || name.find(':') == std::string::npos))) {
        return name;
    }
    fs::HostPath mapped = fs::hostPathOfAnsi(name);
    if (!mapped) {
        error = mapped.error;
        return {};
    }
    return mapped.path;
}

// ERROR_SUCCESS for a regular executable file; otherwise why it cannot be run.
DWORD checkProgram(const std::string& path) {
    struct stat status {};
    if (host::stat(path.c_str(), &status) != 0) {
        return fs::errorForHostPath(errno, path);
    }
    if (!S_ISREG(status.st_mode) || host::access(path.c_str(), X_OK) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

// The candidates for a name in one folder (or as given for an empty folder): ".exe" first
// when the name has no extension.
DWORD tryIn(const std::string& folder, const std::string& name, std::string& found) {
    const std::string base = folder.empty() ? name : folder + "/" + name;
    DWORD first = ERROR_FILE_NOT_FOUND;
    bool firstSet = false;
    for (const std::string& candidate :
         hasExtension(name) ? std::vector{base} : std::vector{base + ".exe", base}) {
        const DWORD error = checkProgram(candidate);
        if (error == ERROR_SUCCESS) {
            found = candidate;
            return ERROR_SUCCESS;
        }
        // A file that exists but cannot run says more than a missing one.
        if (!firstSet || (first != ERROR_ACCESS_DENIED && error == ERROR_ACCESS_DENIED)) {
            first = error;
            firstSet = true;
        }
    }
    return first;
}

DWORD findProgram(const std::string& name, std::string& found) {
    if (hasSeparator(name)) {
        DWORD error = ERROR_SUCCESS;
        const std::string path = hostPathOfProgram(name, error);
        return error != ERROR_SUCCESS ? error : tryIn({}, path, found);
    }
    std::vector<std::string> folders;
    char self[4096];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length > 0 && length < sizeof self) {
        std::string own(self, length);
        folders.push_back(own.substr(0, own.rfind('/')));
    }
    if (host::getcwd(self, sizeof self) != nullptr) {
        folders.emplace_back(self);
    }
    const std::string windows = prefix::driveCPath() + "/windows";
    folders.push_back(windows + "/system32");
    folders.push_back(windows);
    if (const char* path = std::getenv("PATH")) {
        std::string_view list(path);
        while (true) {
            const std::size_t colon = list.find(':');
            const std::string entry(list.substr(0, colon));
            // A folder set by hand the Windows way, which SetEnvironmentVariableA would have
            // mapped; one that cannot be mapped finds nothing.
            if (entry.find('\\') != std::string::npos) {
                DWORD error = ERROR_SUCCESS;
                const std::string mapped = hostPathOfProgram(text::utf8ToAnsi(entry), error);
                if (error == ERROR_SUCCESS) {
                    folders.push_back(mapped);
                }
            } else {
                folders.push_back(entry.empty() ? "." : entry);
            }
            if (colon == std::string_view::npos) {
                break;
            }
            list.remove_prefix(colon + 1);
        }
    }
    DWORD result = ERROR_FILE_NOT_FOUND;
    for (const std::string& folder : folders) {
        const DWORD error = tryIn(folder, name, found);
        if (error == ERROR_SUCCESS) {
            return error;
        }
        if (error == ERROR_ACCESS_DENIED) {
            result = error;
        }
    }
    return result;
}

DWORD errorOfSpawn(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    case ENOMEM:
    case EAGAIN:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// The spawn's attributes and file actions, released with the object.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

// CreateProcessA's work; inherited, when not -1, becomes the child's descriptor 3 and the
// standard streams go to /dev/null.
BOOL spawnProcess(LPCSTR applicationName, LPSTR commandLine, DWORD creationFlags,
                  LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                  LPPROCESS_INFORMATION information, int inherited) {
    std::vector<std::string> args = splitCommandLine(
        commandLine != nullptr ? std::string_view(commandLine) : std::string_view());
    const std::string name = applicationName != nullptr ? std::string(applicationName)
                                                        : (args.empty() ? "" : args.front());
    if (name.empty() || information == nullptr) {
        SetLastError(name.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (args.empty()) {
        args.push_back(name);
    }
    std::string program;
    if (const DWORD error = findProgram(name, program); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }

    SpawnSetup setup;
    if (currentDirectory != nullptr) {
        DWORD error = ERROR_SUCCESS;
        const std::string folder = hostPathOfProgram(currentDirectory, error);
        struct stat status {};
        if (error != ERROR_SUCCESS || host::stat(folder.c_str(), &status) != 0 ||
            !S_ISDIR(status.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
    }
    if (inherited >= 0) {
        // dup2 onto itself clears close-on-exec, so a descriptor 3 passes as well.
        posix_spawn_file_actions_adddup2(&setup.actions, inherited, 3);
        // Without a console: the child must not keep the starter's pipes open.
        for (const int stream : {0, 1, 2}) {
            posix_spawn_file_actions_addopen(&setup.actions, stream, "/dev/null", O_RDWR, 0);
        }
    } else if ((creationFlags & DETACHED_PROCESS) != 0) {
        // A detached child has no console: a stream on our terminal would write over what our
        // window shows there and read our keys. Pipes and files stay, as redirections do.
        for (const int stream : {0, 1, 2}) {
            if (::isatty(stream) == 1) {
                posix_spawn_file_actions_addopen(&setup.actions, stream, "/dev/null", O_RDWR, 0);
            }
        }
    }
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, inherited >= 0 ? 4 : 3);
    sigset_t signals;
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&setup.attributes, &signals);
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&setup.attributes, &signals);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if ((creationFlags & DETACHED_PROCESS) != 0) {
        flags |= POSIX_SPAWN_SETSID;
    }
    posix_spawnattr_setflags(&setup.attributes, flags);

    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const ChildEnvironment childEnvironment(static_cast<const char*>(environment), startupInfo);

    pid_t pid = 0;
    const int rc = host::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes,
                                     argv.data(), childEnvironment.envp());
    if (rc != 0) {
        SetLastError(errorOfSpawn(rc));
        return FALSE;
    }
    const int pidfd = host::pidfd_open(pid, 0);
    if (pidfd < 0) {
        // Only without pidfd support (kernels before 5.3), which this layer requires.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    auto child = std::make_shared<ChildProcess>(pid, pidfd);
    HANDLE processHandle = insertHandle(std::make_shared<ProcessObject>(child, false));
    HANDLE threadHandle = insertHandle(std::make_shared<ProcessObject>(child, true));
    if (processHandle == nullptr || threadHandle == nullptr) {
        CloseHandle(processHandle);
        CloseHandle(threadHandle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    *information = {processHandle, threadHandle, static_cast<DWORD>(pid), static_cast<DWORD>(pid)};
    return TRUE;
}

} // namespace

BOOL createProcessHolding(LPSTR commandLine, DWORD creationFlags, int descriptor,
                          PROCESS_INFORMATION& information) {
    return spawnProcess(nullptr, commandLine, creationFlags, nullptr, nullptr, nullptr,
                        &information, descriptor);
}

} // namespace velmar::process

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION information) {
    return velmar::process::spawnProcess(applicationName, commandLine, creationFlags, environment,
                                         currentDirectory, startupInfo, information, -1);
}
