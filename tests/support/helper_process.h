// Runs tests/support/file_helper as a real second process.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velmar::test {

inline std::string helperProgram() {
    return std::string(VELMAR_BIN_DIR) + "/file_helper";
}

// Runs the helper to its end; its exit status, or -1.
inline int runHelper(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        const std::string program = helperProgram();
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A second process that keeps a host file open for as long as the object lives.
class FileHolder {
public:
    explicit FileHolder(const std::string& hostPath) {
        int toChild[2];
        int fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(toChild[0], 0);
            ::dup2(fromChild[1], 1);
            ::close(toChild[1]);
            ::close(fromChild[0]);
            const std::string program = helperProgram();
            ::execl(program.c_str(), program.c_str(), "hold", hostPath.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_stdin = toChild[1];
        char ready[6] = {};
        std::size_t got = 0;
        while (got < 5) {
            const ssize_t n = ::read(fromChild[0], ready + got, 5 - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        ::close(fromChild[0]);
        EXPECT_EQ(std::string(ready), "ready") << "the helper could not open " << hostPath;
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    ~FileHolder() { release(); }

    void release() {
        if (m_pid > 0) {
            ::close(m_stdin);
            ::kill(m_pid, SIGTERM); // in case the end of its input does not reach it
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
};

} // namespace velmar::test
