#include "tests/support/child_process.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef VELMAR_BIN_DIR
#define VELMAR_BIN_DIR "."
#endif

namespace velmar::test {

namespace {

std::string readAll(int fd) {
    std::string text;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

pid_t spawn(const std::vector<std::string>& argv, const EnvOverrides& env, int outFd, int errFd) {
    if (argv.empty()) {
        throw std::invalid_argument("empty argv");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(outFd >= 0 ? outFd : devNull, 1);
        ::dup2(errFd >= 0 ? errFd : devNull, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace

ChildResult runProgram(const std::vector<std::string>& argv, const EnvOverrides& env) {
    const int outFd = ::memfd_create("child-out", 0);
    const int errFd = ::memfd_create("child-err", 0);
    const pid_t pid = spawn(argv, env, outFd, errFd);
    ChildResult result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    result.out = readAll(outFd);
    result.err = readAll(errFd);
    ::close(outFd);
    ::close(errFd);
    return result;
}

pid_t startProgram(const std::vector<std::string>& argv, const EnvOverrides& env) {
    return spawn(argv, env, -1, -1);
}

int waitProgram(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string binPath(const std::string& program) {
    return std::string(VELMAR_BIN_DIR) + "/" + program;
}

} // namespace velmar::test
