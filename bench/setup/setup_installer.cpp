// Stands in for setup.exe in the bootstrapper's benchmark: works for 230 milliseconds (not a
// whole number of the bootstrapper's 100-millisecond slices), writes the steady clock's time in
// nanoseconds to the file BENCH_SETUP_END names, and ends.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main() {
    std::this_thread::sleep_for(std::chrono::milliseconds(230));
    if (const char* path = std::getenv("BENCH_SETUP_END"); path != nullptr) {
        if (std::FILE* file = std::fopen(path, "w"); file != nullptr) {
            std::fprintf(file, "%lld\n",
                         static_cast<long long>(
                             std::chrono::steady_clock::now().time_since_epoch().count()));
            std::fclose(file);
        }
    }
    return 0;
}
