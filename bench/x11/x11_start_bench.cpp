// The time from a program's start to its first window on the screen: dialog_demo with the X11
// presenter until the X server maps its window (seen as a MapNotify on the root window), beside
// the same program with the headless presenter until its trace says "shown". The goal: the X
// window within 100 ms of the start. Uses DISPLAY when it is set, else starts Xvfb on a free
// display.
#include "tests/support/xvfb.h"

#include <X11/Xlib.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string demoProgram() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "dialog_demo").string();
}

// An X server for the run: the one DISPLAY names, else a private Xvfb.
class Server {
public:
    Server() {
        if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display) {
            m_display = display;
            return;
        }
        m_xvfb = std::make_unique<velmar::test::Xvfb>();
        if (m_xvfb->usable()) {
            m_display = m_xvfb->display();
        }
    }
    const std::string& display() const { return m_display; }

private:
    std::unique_ptr<velmar::test::Xvfb> m_xvfb;
    std::string m_display;
};

Server& server() {
    static Server instance;
    return instance;
}

pid_t start(const char* presenter, const std::string& trace) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("VELMAR_UI", presenter, 1);
        ::setenv("VELMAR_UI_TRACE", trace.c_str(), 1);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        const std::string program = demoProgram();
        ::execl(program.c_str(), program.c_str(), nullptr);
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

void X11FirstWindow(benchmark::State& state) {
    if (server().display().empty()) {
        state.SkipWithError("no X server (set DISPLAY or install xvfb)");
        return;
    }
    Display* display = XOpenDisplay(server().display().c_str());
    if (display == nullptr) {
        state.SkipWithError("the X server cannot be reached");
        return;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    for (auto _ : state) {
        const Clock::time_point begun = Clock::now();
        const pid_t pid = start("x11", "");
        bool mapped = false;
        while (!mapped) {
            pollfd watched{ConnectionNumber(display), POLLIN, 0};
            if (XPending(display) == 0 && ::poll(&watched, 1, 5000) <= 0) {
                break;
            }
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                mapped = mapped || event.type == MapNotify;
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begun).count());
        stop(pid);
        if (!mapped) {
            state.SkipWithError("no window was mapped");
            break;
        }
        XSync(display, True);
    }
    XCloseDisplay(display);
}

void HeadlessFirstWindow(benchmark::State& state) {
    const std::string fifo =
        (fs::temp_directory_path() / ("velmar-bench-trace-" + std::to_string(::getpid()))).string();
    ::mkfifo(fifo.c_str(), 0600);
    for (auto _ : state) {
        const Clock::time_point begun = Clock::now();
        const pid_t pid = start("headless", fifo);
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        std::string trace;
        char buffer[4096];
        ssize_t got = 0;
        while (trace.find("shown") == std::string::npos &&
               (got = ::read(fd, buffer, sizeof buffer)) > 0) {
            trace.append(buffer, static_cast<std::size_t>(got));
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begun).count());
        ::close(fd);
        stop(pid);
    }
    ::unlink(fifo.c_str());
}

} // namespace

BENCHMARK(X11FirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(HeadlessFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
