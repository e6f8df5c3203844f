// downloadFromImageServer of a large body from a server on the loopback address in this
// process, beside the curl command writing the same body from the same server into the same
// folder (the build tree's disk, or VELMAR_BENCH_DIR). The goal: within 1.1 times curl's time.
// "Memory" runs the download in a child process and reports its peak resident size for a
// 10 MB and a 1 GiB body: it must not grow with the body.
#include "misc/files/files.h"
#include "tests/support/http_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = 1ull << 30;

fs::path scratchFolder() {
    const char* chosen = std::getenv("VELMAR_BENCH_DIR");
    fs::path folder = chosen != nullptr
                          ? fs::path(chosen)
                          : fs::read_symlink("/proc/self/exe").parent_path() / "bench-download";
    fs::create_directories(folder);
    return folder;
}

velmar::test::HttpServer& server() {
    static velmar::test::HttpServer instance;
    return instance;
}

std::string bodyUrl(std::uint64_t size) {
    const std::string path = "/body-" + std::to_string(size);
    velmar::test::HttpResponse response;
    response.patternSize = size;
    server().route(path, response);
    return server().url(path);
}

void Download(benchmark::State& state) {
    const auto size = static_cast<std::uint64_t>(state.range(0));
    const std::string url = bodyUrl(size);
    const std::string target = (scratchFolder() / "ours.bin").string();
    for (auto _ : state) {
        if (!downloadFromImageServer(target.c_str(), url.c_str()) ||
            fs::file_size(target) != size) {
            state.SkipWithError("the download failed");
            break;
        }
    }
    fs::remove(target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void CurlCommand(benchmark::State& state) {
    const auto size = static_cast<std::uint64_t>(state.range(0));
    const std::string url = bodyUrl(size);
    const std::string target = (scratchFolder() / "curl.bin").string();
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execlp("curl", "curl", "-s", "-f", "-o", target.c_str(), url.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || fs::file_size(target) != size) {
            state.SkipWithError("curl failed (is it installed?)");
            break;
        }
    }
    fs::remove(target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The peak resident size of a child that downloads the body; beside it, of one that does not.
void Memory(benchmark::State& state) {
    const auto size = static_cast<std::uint64_t>(state.range(0));
    const std::string url = bodyUrl(size);
    const std::string target = (scratchFolder() / "memory.bin").string();
    // The child's peak in KiB, through a pipe; -1 when it failed.
    const auto peakOfChild = [&](bool download) {
        int ends[2];
        if (::pipe(ends) != 0) {
            return -1L;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ends[0]);
            long peakKib = -1;
            if (!download || downloadFromImageServer(target.c_str(), url.c_str())) {
                rusage usage{};
                ::getrusage(RUSAGE_SELF, &usage);
                peakKib = usage.ru_maxrss;
            }
            static_cast<void>(::write(ends[1], &peakKib, sizeof peakKib));
            ::_exit(0);
        }
        ::close(ends[1]);
        long peakKib = -1;
        if (::read(ends[0], &peakKib, sizeof peakKib) != sizeof peakKib) {
            peakKib = -1;
        }
        ::close(ends[0]);
        ::waitpid(pid, nullptr, 0);
        return peakKib;
    };
    long peak = 0;
    long idle = 0;
    for (auto _ : state) {
        peak = peakOfChild(true);
        idle = peakOfChild(false);
    }
    fs::remove(target);
    if (peak < 0) {
        state.SkipWithError("the download failed");
    }
    state.counters["peak_rss_kib"] = static_cast<double>(peak);
    state.counters["idle_child_rss_kib"] = static_cast<double>(idle);
}

} // namespace

BENCHMARK(Download)
    ->Arg(kGiB)
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ReportAggregatesOnly();
BENCHMARK(CurlCommand)
    ->Arg(kGiB)
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ReportAggregatesOnly();
BENCHMARK(Memory)
    ->Arg(10'000'000)
    ->Arg(kGiB)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
