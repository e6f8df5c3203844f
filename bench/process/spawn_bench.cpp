// Starting and waiting for a child: (1) "wake": how long after a child ends a
// WaitForSingleObject(INFINITE) that waits on it returns (the child blocks reading a pipe; the
// benchmark closes the pipe and measures from there to the waiter's return; the median is the
// counter, the goal under 1 ms); (2) starting a program that exits at once and waiting for it,
// by CreateProcessA + WaitForSingleObject + CloseHandle beside posix_spawn + waitpid (the
// goal: within 1.2x).
#include "platform/process/process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double g_spawnNanos = 0;
double g_createNanos = 0;

std::string childProgram() {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "bench_process_child";
}

// Starts the child with "wait" and the read end of a fresh pipe as its standard input (the
// only descriptor besides the standard ones that CreateProcessA lets through); the write end
// is given back.
bool startWaitingChild(PROCESS_INFORMATION& process, int& writeEnd) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    const int savedInput = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    ::dup2(ends[0], 0);
    std::string line = childProgram() + " wait";
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, nullptr, &process);
    ::dup2(savedInput, 0);
    ::close(savedInput);
    ::close(ends[0]);
    writeEnd = ends[1];
    if (!started) {
        ::close(writeEnd);
    }
    return started != FALSE;
}

void Wake(benchmark::State& state) {
    std::vector<double> figures;
    for (auto _ : state) {
        PROCESS_INFORMATION process{};
        int writeEnd = -1;
        if (!startWaitingChild(process, writeEnd)) {
            state.SkipWithError("the child did not start");
            break;
        }
        std::atomic<Clock::rep> returned{0};
        std::thread waiter([&] {
            WaitForSingleObject(process.hProcess, INFINITE);
            returned = Clock::now().time_since_epoch().count();
        });
        // Time for the child to reach its read and the waiter its wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const Clock::rep closed = Clock::now().time_since_epoch().count();
        ::close(writeEnd);
        waiter.join();
        const double seconds =
            std::chrono::duration<double>(Clock::duration(returned - closed)).count();
        state.SetIterationTime(seconds);
        figures.push_back(seconds);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (!figures.empty()) {
        std::nth_element(figures.begin(), figures.begin() + figures.size() / 2, figures.end());
        state.counters["median_us"] = figures[figures.size() / 2] * 1e6;
    }
}
BENCHMARK(Wake)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void PosixSpawnWaitpid(benchmark::State& state) {
    std::string program = childProgram();
    char* argv[] = {program.data(), nullptr};
    const auto start = Clock::now();
    for (auto _ : state) {
        pid_t pid = 0;
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("posix_spawn failed");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    g_spawnNanos = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                   static_cast<double>(state.iterations());
}
BENCHMARK(PosixSpawnWaitpid)->UseRealTime()->MinTime(2.0)->Unit(benchmark::kMicrosecond);

void CreateProcessWait(benchmark::State& state) {
    const std::string program = childProgram();
    const auto start = Clock::now();
    for (auto _ : state) {
        std::string line = program;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            nullptr, &process)) {
            state.SkipWithError("CreateProcessA failed");
            break;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    g_createNanos = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                    static_cast<double>(state.iterations());
}
BENCHMARK(CreateProcessWait)->UseRealTime()->MinTime(2.0)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_spawnNanos > 0 && g_createNanos > 0) {
        std::printf("\nstart and wait: CreateProcessA %.0f us, posix_spawn %.0f us, ratio %.2f "
                    "(goal <= 1.2)\n",
                    g_createNanos / 1000, g_spawnNanos / 1000, g_createNanos / g_spawnNanos);
    }
    return 0;
}
