// Runs a host program and reads what it writes to its standard output.
#include "platform/host/host.h"
#include "platform/process/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace velmar::process {

namespace {

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

std::string findHostProgram(const std::string& name) {
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

OutputProgram::OutputProgram(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return;
    }
    const std::string program = findHostProgram(argv.front());
    if (program.empty()) {
        return;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return;
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
        return;
    }
    m_pid = pid;
    // Ours must go, or the reader never sees the end of the child's output.
    m_output = std::exchange(readEnd.fd, -1);
}

OutputProgram::~OutputProgram() {
    if (m_output >= 0) {
        host::close(m_output);
    }
    if (started() && !m_reaped) {
        terminate();
        siginfo_t info{};
        while (host::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED) < 0 &&
               errno == EINTR) {
        }
    }
}

int OutputProgram::finish(std::string& output) {
    output.clear();
    if (!started() || m_output < 0) {
        return -1;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = host::read(m_output, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    // Waited for without reaping first, so that terminate() never signals a reused pid.
    siginfo_t info{};
    int waited;
    do {
        waited = host::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT);
    } while (waited < 0 && errno == EINTR);
    std::lock_guard lock(m_mutex);
    do {
        waited = host::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED);
    } while (waited < 0 && errno == EINTR);
    m_reaped = true;
    return waited == 0 && info.si_code == CLD_EXITED ? info.si_status : -1;
}

void OutputProgram::terminate() {
    std::lock_guard lock(m_mutex);
    if (started() && !m_reaped) {
        ::kill(m_pid, SIGTERM);
    }
}

bool readProgramOutput(const std::vector<std::string>& argv, std::string& output) {
    OutputProgram program(argv);
    return program.finish(output) == 0;
}

} // namespace velmar::process
