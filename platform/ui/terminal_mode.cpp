#include "platform/ui/internal/terminal_mode.h"

#include "platform/host/host.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace velmar::ui::terminal {

namespace {

constexpr char kTake[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kGiveBack[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

termios g_saved{};
std::atomic<bool> g_taken{false};
std::mutex g_mutex;

void writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = host::write(STDOUT_FILENO, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// Only async-signal-safe calls: the terminal must not stay raw after a Ctrl+C.
void restore() {
    if (g_taken.exchange(false)) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
        writeAll(kGiveBack, sizeof kGiveBack - 1);
    }
}

void onSignal(int signal) {
    restore();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(restore);
        for (const int signal : {SIGINT, SIGTERM}) {
            struct sigaction action {};
            action.sa_handler = onSignal;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    });
}

} // namespace

bool isInteractive() {
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
}

void enter() {
    std::lock_guard lock(g_mutex);
    if (g_taken) {
        return;
    }
    installHandlers();
    if (::tcgetattr(STDIN_FILENO, &g_saved) != 0) {
        return;
    }
    termios raw = g_saved;
    // Keys one by one and unechoed; Ctrl+C still interrupts.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    g_taken = true;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
    writeAll(kTake, sizeof kTake - 1);
}

void leave() {
    std::lock_guard lock(g_mutex);
    restore();
}

void size(int& rows, int& columns) {
    winsize window{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) == 0 && window.ws_row > 0 &&
        window.ws_col > 0) {
        rows = window.ws_row;
        columns = window.ws_col;
        return;
    }
    rows = 24;
    columns = 80;
}

void output(const std::string& text) {
    writeAll(text.data(), text.size());
}

std::string input(int timeoutMs) {
    pollfd wanted{STDIN_FILENO, POLLIN, 0};
    if (::poll(&wanted, 1, timeoutMs) <= 0 || (wanted.revents & POLLIN) == 0) {
        return {};
    }
    char buffer[256];
    const ssize_t n = host::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // The end of the input: nothing will come, so wait out the time instead of spinning.
        ::poll(nullptr, 0, timeoutMs);
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace velmar::ui::terminal
