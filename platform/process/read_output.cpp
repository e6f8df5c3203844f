// Runs a host program to its end and reads what it writes to its standard output.
#include "platform/host/host.h"
#include "platform/process/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

extern char** environ;

namespace velmar::process {

namespace {

// The first executable file of that name in the host's PATH; the name itself when it holds
// a separator; empty when none is found.
std::string searchHostPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::string_view list(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    while (true) {
        const std::size_t colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        const std::string candidate =
            (entry.empty() ? std::string(".") : std::string(entry)) + "/" + name;
        struct stat status {};
        if (host::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            host::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        list.remove_prefix(colon + 1);
    }
}

class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    void reset() {
        if (fd >= 0) {
            host::close(fd);
            fd = -1;
        }
    }
    int fd = -1;
};

} // namespace

bool readProgramOutput(const std::vector<std::string>& argv, std::string& output) {
    output.clear();
    if (argv.empty()) {
        return false;
    }
    const std::string program = searchHostPath(argv.front());
    if (program.empty()) {
        return false;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    Descriptor readEnd;
    Descriptor writeEnd;
    readEnd.fd = ends[0];
    writeEnd.fd = ends[1];

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t signals;
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    pid_t pid = 0;
    const int rc =
        host::posix_spawn(&pid, program.c_str(), &actions, &attributes, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        return false;
    }
    // Ours must go, or the read below never sees the end of the child's output.
    writeEnd.reset();
    char buffer[4096];
    for (;;) {
        const ssize_t n = host::read(readEnd.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    siginfo_t info{};
    int waited;
    do {
        waited = host::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED);
    } while (waited < 0 && errno == EINTR);
    return waited == 0 && info.si_code == CLD_EXITED && info.si_status == 0;
}

} // namespace velmar::process
