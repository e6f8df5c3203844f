// Real child processes for tests: start a program with extra environment, wait for it, and
// collect what it wrote to its standard streams.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace velmar::test {

using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

struct ChildResult {
    int exitCode = -1; // -1 when the child did not exit normally
    int signal = 0;    // the signal that ended it, else 0
    std::string out;
    std::string err;
};

// Runs argv[0] (a path) with the test's environment plus the overrides, and waits for it.
ChildResult runProgram(const std::vector<std::string>& argv, const EnvOverrides& env = {});

// Starts the program without waiting; its standard streams go to /dev/null.
pid_t startProgram(const std::vector<std::string>& argv, const EnvOverrides& env = {});

// Waits for a started program; its exit code, or -1 when it did not exit normally.
int waitProgram(pid_t pid);

// Path of a program built into the project's bin folder.
std::string binPath(const std::string& program);

} // namespace velmar::test
