// Starting a program and waiting for it, beside posix_spawn and waitpid of the same program;
// and finding a program in the third place searched, beside launching it by its path.
//
//   bench_process_launch [--benchmark_filter=...]
//
// The program is bench_process_child from this benchmark's own folder, which ends at once. The
// search's copy lives in a folder under $TMPDIR (removed at the end), named as the caller's
// extra folder, so that the caller's own folder and the walk above it are searched first.
#include "misc/files/files.h"
#include "misc/process/process.h"

#include "platform/process/process.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string g_program;
std::string g_extraFolder;
const char* const kSearchedName = "velmar_bench_launch_probe";

void prepare() {
    char self[4096];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    g_program = directoryOf(std::string(self, length), false) + "bench_process_child";
    const char* tmp = std::getenv("TMPDIR");
    g_extraFolder = std::string(tmp != nullptr ? tmp : "/tmp") + "/velmar_bench_launch_" +
                    std::to_string(::getpid());
    std::filesystem::create_directories(g_extraFolder);
    std::filesystem::copy_file(g_program, g_extraFolder + "/" + kSearchedName + ".exe");
}

void LaunchAndWait(benchmark::State& state) {
    for (auto _ : state) {
        if (!launchProgram(g_program.c_str(), nullptr, false, true, nullptr, false)) {
            state.SkipWithError("launch failed");
            break;
        }
    }
}
BENCHMARK(LaunchAndWait)->UseRealTime();

void PosixSpawnAndWaitpid(benchmark::State& state) {
    char* argv[] = {g_program.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, g_program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("spawn failed");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
}
BENCHMARK(PosixSpawnAndWaitpid)->UseRealTime();

void FindInTheThirdPlaceAndWait(benchmark::State& state) {
    for (auto _ : state) {
        if (!findAndLaunch(kSearchedName, nullptr, g_extraFolder.c_str(), false, true, nullptr,
                           false, nullptr)) {
            state.SkipWithError("not found");
            break;
        }
    }
}
BENCHMARK(FindInTheThirdPlaceAndWait)->UseRealTime();

void LaunchByPathAndWait(benchmark::State& state) {
    const std::string path = g_extraFolder + "/" + kSearchedName + ".exe";
    for (auto _ : state) {
        if (!launchProgram(path.c_str(), nullptr, false, true, nullptr, false)) {
            state.SkipWithError("launch failed");
            break;
        }
    }
}
BENCHMARK(LaunchByPathAndWait)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_extraFolder);
    return 0;
}
