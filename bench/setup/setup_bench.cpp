// The time from the installer's end to the bootstrapper's next step. VelmarSetup, copied beside
// a stand-in setup.exe into a folder of its own and run headless in a fresh prefix with nothing
// registered, installs at once and ends: the counter "after_end_ms" is the median time from the
// installer's last moment to VelmarSetup's end as this process sees it. Beside it, "Plain" waits
// for the same installer with WaitForSingleObject(INFINITE) and no dialog. The 100-millisecond
// slices must not add their length: the goal is that VelmarSetup's figure stays far below 100
// ms, within a few milliseconds (its own exit) of the plain wait's.
#include "platform/process/process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

fs::path binFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A scratch folder with VelmarSetup and setup.exe, a prefix and the installer's end file.
struct Scratch {
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "velmar-bench-setup-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::copy_file(binFolder() / "VelmarSetup", root / "VelmarSetup");
        fs::copy_file(binFolder() / "bench_setup_installer", root / "setup.exe");
        ::setenv("VELMAR_PREFIX", (root / "prefix").c_str(), 1);
        ::setenv("VELMAR_UI", "headless", 1);
        ::setenv("BENCH_SETUP_END", (root / "end").c_str(), 1);
    }
    ~Scratch() { fs::remove_all(root); }
    long long installerEnd() const {
        long long end = 0;
        if (std::FILE* file = std::fopen((root / "end").c_str(), "r"); file != nullptr) {
            if (std::fscanf(file, "%lld", &end) != 1) {
                end = 0;
            }
            std::fclose(file);
        }
        fs::remove(root / "end");
        return end;
    }
    fs::path root;
};

double median(std::vector<double> figures) {
    if (figures.empty()) {
        return 0;
    }
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

void Bootstrapper(benchmark::State& state) {
    Scratch scratch;
    std::vector<double> figures;
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string program = (scratch.root / "VelmarSetup").string();
            if (::chdir(scratch.root.c_str()) == 0) {
                ::execl(program.c_str(), program.c_str(), nullptr);
            }
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const long long ended = Clock::now().time_since_epoch().count();
        const long long installerEnd = scratch.installerEnd();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || installerEnd == 0) {
            state.SkipWithError("VelmarSetup or its installer did not run");
            break;
        }
        figures.push_back(static_cast<double>(ended - installerEnd) / 1e6);
    }
    state.counters["after_end_ms"] = median(figures);
}

void Plain(benchmark::State& state) {
    Scratch scratch;
    std::vector<double> figures;
    for (auto _ : state) {
        std::string line = "\"" + (scratch.root / "setup.exe").string() + "\"";
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                           nullptr, nullptr, &process) == FALSE) {
            state.SkipWithError("the installer did not start");
            break;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        const long long ended = Clock::now().time_since_epoch().count();
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        figures.push_back(static_cast<double>(ended - scratch.installerEnd()) / 1e6);
    }
    state.counters["after_end_ms"] = median(figures);
}

} // namespace

BENCHMARK(Bootstrapper)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(Plain)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK_MAIN();
