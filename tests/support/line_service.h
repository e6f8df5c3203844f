// A program that serves while a test runs (a bus daemon, a stand-in service): started with its
// standard output on a pipe, its first line read (an address, "ready"), ended with SIGTERM when
// the object goes.
#pragma once

#include "tests/support/child_process.h"

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velmar::test {

class Service {
public:
    Service(const std::vector<std::string>& argv, const velmar::test::EnvOverrides& env) {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const auto& [name, value] : env) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            ::dup2(ends[1], 1);
            ::close(ends[0]);
            std::vector<char*> args;
            for (const std::string& arg : argv) {
                args.push_back(const_cast<char*>(arg.c_str()));
            }
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(ends[1]);
        char c = 0;
        while (::read(ends[0], &c, 1) == 1 && c != '\n') {
            m_line += c;
        }
        ::close(ends[0]);
    }
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;
    ~Service() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& line() const { return m_line; }

private:
    pid_t m_pid = -1;
    std::string m_line;
};

} // namespace velmar::test
