#include "tests/support/xvfb.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmar::test {

bool haveProgram(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= folders.size()) {
        const std::size_t end = folders.find(':', at);
        const std::string folder =
            folders.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return false;
}

Xvfb::Xvfb(int width, int height, int dpi) {
    if (!haveProgram("Xvfb")) {
        m_why = "Xvfb is not installed (apt-get install xvfb)";
        return;
    }
    // Xvfb picks a free display itself and writes its number to the descriptor it is given.
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        m_why = "no pipe";
        return;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string dpiText = std::to_string(dpi);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(ends[1], 3);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0",
                 screen.c_str(), "-dpi", dpiText.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string number;
    pollfd watched{ends[0], POLLIN, 0};
    char c = 0;
    while (::poll(&watched, 1, 20000) > 0 && ::read(ends[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(ends[0]);
    if (pid < 0 || number.empty()) {
        m_why = "Xvfb did not start";
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        return;
    }
    m_pid = pid;
    m_display = ":" + number;
    m_env = std::make_unique<ScopedEnv>("DISPLAY", m_display.c_str());
}

Xvfb::~Xvfb() {
    m_env.reset();
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

} // namespace velmar::test
