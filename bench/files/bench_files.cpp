// Listing a large tree beside GNU find, and the cost of the path rules per call.
//
//   bench_files [--benchmark_filter=...]
//
// The tree (100,000 files in 1,000 folders, a third of them ".tif") is generated once under
// $TMPDIR and removed at the end. The listing benchmarks report "vs_find": their time over
// the time of `find <tree> -type f -iname '*.tif'` on the same tree.
#include "misc/files/files.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTopFolders = 10;
constexpr int kFoldersPerTop = 100;
constexpr int kFilesPerFolder = 100;

std::string g_root;

void generateTree() {
    const char* tmp = std::getenv("TMPDIR");
    g_root = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/velmar-bench-tree";
    std::filesystem::remove_all(g_root);
    const char* extensions[] = {".tif", ".TXT", ".tfw"};
    for (int top = 0; top < kTopFolders; ++top) {
        for (int sub = 0; sub < kFoldersPerTop; ++sub) {
            const std::string folder =
                g_root + "/block" + std::to_string(top) + "/strip" + std::to_string(sub);
            std::filesystem::create_directories(folder);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                std::ofstream(folder + "/tile_" + std::to_string(file) + extensions[file % 3]);
            }
        }
    }
}

double secondsOf(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t runFind() {
    const std::string command = "find '" + g_root + "' -type f -iname '*.tif'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::size_t lines = 0;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        ++lines;
    }
    ::pclose(pipe);
    return lines;
}

// The best of five runs of find, measured once.
double findSeconds() {
    static const double seconds = [] {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            best = std::min(best, secondsOf([] { benchmark::DoNotOptimize(runFind()); }));
        }
        return best;
    }();
    return seconds;
}

void reportAgainstFind(benchmark::State& state, double totalSeconds, std::size_t found) {
    const double perRun = totalSeconds / static_cast<double>(state.iterations());
    state.counters["vs_find"] = perRun / findSeconds();
    state.counters["find_ms"] = findSeconds() * 1000;
    state.counters["files"] = static_cast<double>(found);
}

void BM_GnuFind(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) {
        found = runFind();
    }
    state.counters["files"] = static_cast<double>(found);
}
BENCHMARK(BM_GnuFind)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ListFilesRecursive(benchmark::State& state) {
    double total = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> list;
        total += secondsOf([&] { listFiles(list, g_root, ".*\\.tif", true); });
        found = list.size();
    }
    reportAgainstFind(state, total, found);
}
BENCHMARK(BM_ListFilesRecursive)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FindFilesRecursive(benchmark::State& state) {
    double total = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> list;
        total += secondsOf([&] { findFiles(list, g_root.c_str(), "*.tif", true); });
        found = list.size();
    }
    reportAgainstFind(state, total, found);
}
BENCHMARK(BM_FindFilesRecursive)->Unit(benchmark::kMillisecond)->Iterations(5);

// A million varied Windows paths: drives, network roots, relative paths, both separators,
// several extensions, names with and without dots.
const std::vector<std::string>& paths() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> v;
        v.reserve(1000000);
        std::mt19937 random(42);
        const char* roots[] = {"C:\\", "D:/",        "\\\\fileserver\\projects\\",
                               "",     "relative\\", "/home/user/"};
        const char* names[] = {"scan", "tile_0042", ".profile", "archive.tar", "name.", "x"};
        const char* exts[] = {".tif", ".TIF", "", ".gz", ".xml"};
        for (int i = 0; i < 1000000; ++i) {
            std::string p = roots[random() % 6];
            const int depth = static_cast<int>(random() % 6);
            for (int d = 0; d < depth; ++d) {
                p += "folder" + std::to_string(random() % 100) + ((random() % 2) != 0 ? "\\" : "/");
            }
            p += names[random() % 6];
            p += exts[random() % 5];
            v.push_back(std::move(p));
        }
        return v;
    }();
    return all;
}

template <typename Op>
void runPathOp(benchmark::State& state, Op op) {
    const std::vector<std::string>& all = paths();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(op(all[i]));
        if (++i == all.size()) {
            i = 0;
        }
    }
}

void BM_DirectoryOf(benchmark::State& state) {
    runPathOp(state, [](const std::string& p) { return directoryOf(p, true); });
}
void BM_FileNameOf(benchmark::State& state) {
    runPathOp(state, [](const std::string& p) { return fileNameOf(p, false); });
}
void BM_ExtensionOf(benchmark::State& state) {
    runPathOp(state, [](const std::string& p) { return extensionOf(p); });
}
void BM_AppendPath(benchmark::State& state) {
    runPathOp(state, [](const std::string& p) {
        std::string joined = p;
        appendPath(joined, "sub\\tile.tif");
        return joined;
    });
}
BENCHMARK(BM_DirectoryOf)->Iterations(1000000);
BENCHMARK(BM_FileNameOf)->Iterations(1000000);
BENCHMARK(BM_ExtensionOf)->Iterations(1000000);
BENCHMARK(BM_AppendPath)->Iterations(1000000);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    generateTree();
    paths();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_root);
    return 0;
}
