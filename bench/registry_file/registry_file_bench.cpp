// Export and import of a key tree of 100,000 values (texts, numbers and binaries in 1,000
// subkeys), each beside the registry store doing the same work alone: enumerating and
// reading every value, and inserting every value in one transaction. The summary gives
// values per second, MB per second of the file and the two ratios.
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using velmar::registry::Key;
using velmar::registry::Transaction;

namespace {

constexpr int kSubkeys = 1000;
constexpr int kValuesPerKey = 100;
constexpr int kValues = kSubkeys * kValuesPerKey;
const char* const kTree = "Software\\VELMAR Systems International\\BenchTree";

std::string g_root;
std::string g_file;
std::map<std::string, double> g_seconds; // mean wall seconds per run
std::map<std::string, double> g_cpu;     // mean process CPU seconds per run

struct TreeValue {
    std::string name;
    DWORD type;
    std::string data;
};

std::string subkeyName(int k) {
    char name[16];
    std::snprintf(name, sizeof name, "Module%04d", k);
    return name;
}

// The values of one subkey: a third each of texts, numbers and binaries.
const std::vector<TreeValue>& subkeyValues() {
    static const std::vector<TreeValue> values = [] {
        std::vector<TreeValue> out;
        for (int v = 0; v < kValuesPerKey; ++v) {
            char name[32];
            std::snprintf(name, sizeof name, "setting%03d", v);
            TreeValue value{name, REG_SZ, {}};
            switch (v % 3) {
            case 0:
                value.data = "C:\\Data\\Project " + std::to_string(v * 7919) + "\\scan.tif";
                value.data += '\0';
                break;
            case 1:
                value.type = REG_DWORD;
                value.data.assign(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            default:
                value.type = REG_BINARY;
                for (int b = 0; b < 16 + v % 48; ++b) {
                    value.data += static_cast<char>(b * 31 + v);
                }
            }
            out.push_back(value);
        }
        return out;
    }();
    return values;
}

// The measurements mean nothing once the tree cannot be built or read.
void require(DWORD code, const char* what) {
    if (code != ERROR_SUCCESS) {
        std::fprintf(stderr, "%s failed with %u.\n", what, static_cast<unsigned>(code));
        std::exit(1);
    }
}

void deleteTree() {
    Key root;
    if (root.open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS) == ERROR_SUCCESS) {
        // The first run finds no tree to delete.
        static_cast<void>(root.deleteTree(kTree));
    }
}

// The store's own bulk insert: one transaction, one open key per subkey.
void insertTree() {
    Transaction transaction(HKEY_CURRENT_USER);
    Key tree;
    require(tree.create(HKEY_CURRENT_USER, kTree, KEY_ALL_ACCESS), "Creating the tree");
    for (int k = 0; k < kSubkeys; ++k) {
        Key key;
        require(key.create(tree, subkeyName(k), KEY_ALL_ACCESS), "Creating a subkey");
        for (const TreeValue& value : subkeyValues()) {
            require(key.setValue(value.name, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())),
                    "Setting a value");
        }
    }
    require(transaction.commit(), "Committing the tree");
}

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <typename Body>
void timedRuns(benchmark::State& state, const std::string& name, bool freshTree, Body body) {
    double seconds = 0;
    double cpu = 0;
    int runs = 0;
    for (auto _ : state) {
        if (freshTree) {
            state.PauseTiming();
            deleteTree();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        body();
        cpu += cpuSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(g_file));
    state.SetItemsProcessed(state.iterations() * kValues);
    state.SetBytesProcessed(state.iterations() * fileBytes);
    g_seconds[name] = seconds / runs;
    g_cpu[name] = cpu / runs;
    if (freshTree) {
        deleteTree();
        insertTree();
    }
}

void BM_StoreEnumerateAndRead(benchmark::State& state) {
    timedRuns(state, "store enumerate", false, [] {
        Key tree;
        require(tree.open(HKEY_CURRENT_USER, kTree, KEY_READ), "Opening the tree");
        std::size_t bytes = 0;
        for (const std::string& subkey : tree.subkeys()) {
            Key key;
            require(key.open(tree, subkey, KEY_READ), "Opening a subkey");
            for (const auto& [name, value] : key.values()) {
                bytes += name.size() + value.data.size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    });
}

void BM_Export(benchmark::State& state) {
    timedRuns(state, "export", false,
              [] { exportRegistryKey(HKEY_CURRENT_USER, kTree, g_file.c_str()); });
}

void BM_StoreInsertOneTransaction(benchmark::State& state) {
    timedRuns(state, "store insert", true, insertTree);
}

void BM_Import(benchmark::State& state) {
    timedRuns(state, "import", true, [] { importRegistryFile(g_file.c_str()); });
}

BENCHMARK(BM_StoreEnumerateAndRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StoreInsertOneTransaction)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/velmar-regfile-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    g_root = pattern;
    g_file = g_root + "/tree.reg";
    ::setenv("VELMAR_PREFIX", (g_root + "/prefix").c_str(), 1);
    insertTree();
    exportRegistryKey(HKEY_CURRENT_USER, kTree, g_file.c_str());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double megabytes = static_cast<double>(std::filesystem::file_size(g_file)) / 1e6;
    auto line = [&](const char* ours, const char* store, double goal) {
        const double a = g_seconds[ours];
        const double b = g_seconds[store];
        if (a <= 0 || b <= 0) {
            return;
        }
        std::printf("%-8s %9.0f values/s %7.1f MB/s   %-16s %9.0f values/s %7.1f MB/s   "
                    "ratio %4.2f, of CPU time %4.2f (goal %.1f)\n",
                    ours, kValues / a, megabytes / a, store, kValues / b, megabytes / b, a / b,
                    g_cpu[ours] / g_cpu[store], goal);
    };
    std::printf("\n%d values, file of %.1f MB\n", kValues, megabytes);
    line("export", "store enumerate", 1.5);
    line("import", "store insert", 2.0);
    std::filesystem::remove_all(g_root);
    return 0;
}
