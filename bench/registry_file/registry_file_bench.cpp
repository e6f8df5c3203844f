// Export and import of a key tree of 100,000 values (texts, numbers and binaries in 1,000
// subkeys), each beside the registry store doing the same work alone: enumerating and
// reading every value, and inserting every value in one transaction; the import also beside
// the same 100,000 rows inserted into a plain SQLite table keyed by (key path, name), in one
// transaction with a prepared statement. The summary gives medians of the runs: values per
// second, MB per second of the file and the ratios.
#include "bench/support/plain_table.h"
#include "misc/registry/registry.h"
#include "platform/registry/registry.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
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
std::map<std::string, std::vector<double>> g_seconds; // wall seconds of each run
std::map<std::string, std::vector<double>> g_cpu;     // process CPU seconds of each run

double medianOf(std::vector<double> figures) {
    if (figures.empty()) {
        return 0.0;
    }
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

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
    for (auto _ : state) {
        if (freshTree) {
            state.PauseTiming();
            deleteTree();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        body();
        g_cpu[name].push_back(cpuSeconds() - cpuStart);
        g_seconds[name].push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(g_file));
    state.SetItemsProcessed(state.iterations() * kValues);
    state.SetBytesProcessed(state.iterations() * fileBytes);
    if (freshTree) {
        deleteTree();
        insertTree();
    }
}

// The rows of the tree as a plain table would hold them: full key path, name, type, data.
struct PlainRow {
    std::string path;
    const TreeValue* value;
};

std::vector<PlainRow> plainRows() {
    std::vector<PlainRow> rows;
    rows.reserve(kValues);
    for (int k = 0; k < kSubkeys; ++k) {
        const std::string path = std::string("HKEY_CURRENT_USER\\") + kTree + "\\" + subkeyName(k);
        for (const TreeValue& value : subkeyValues()) {
            rows.push_back({path, &value});
        }
    }
    return rows;
}

// A new database file with the empty table, and its prepared insert.
struct PlainTable {
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;

    PlainTable() {
        const std::string file = g_root + "/plain.db";
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(file + suffix);
        }
        db = velmar::bench::openPlainTable(file);
        sqlite3_prepare_v2(db, "INSERT INTO kv VALUES(?1, ?2, ?3, ?4)", -1, &insert, nullptr);
    }
    PlainTable(const PlainTable&) = delete;
    PlainTable& operator=(const PlainTable&) = delete;
    ~PlainTable() {
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }

    // Every row in one transaction.
    void insertAll(const std::vector<PlainRow>& rows) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const PlainRow& row : rows) {
            const TreeValue& value = *row.value;
            sqlite3_bind_blob(insert, 1, row.path.data(), static_cast<int>(row.path.size()),
                              SQLITE_STATIC);
            sqlite3_bind_blob(insert, 2, value.name.data(), static_cast<int>(value.name.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int64(insert, 3, value.type);
            sqlite3_bind_blob(insert, 4, value.data.data(), static_cast<int>(value.data.size()),
                              SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
};

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

// Only the transaction is timed: making the file and the table, and closing it, are not.
void BM_PlainInsert(benchmark::State& state) {
    const std::vector<PlainRow> rows = plainRows();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<PlainTable>();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        table->insertAll(rows);
        g_cpu["plain insert"].push_back(cpuSeconds() - cpuStart);
        g_seconds["plain insert"].push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}

BENCHMARK(BM_StoreEnumerateAndRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StoreInsertOneTransaction)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->MinTime(3.0);

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
    auto line = [&](const char* ours, const char* base, double goal) {
        const double a = medianOf(g_seconds[ours]);
        const double b = medianOf(g_seconds[base]);
        if (a <= 0 || b <= 0) {
            return;
        }
        std::printf("%-8s %9.0f values/s %7.1f MB/s   %-16s %9.0f values/s   ratio %4.2f, of CPU "
                    "time %4.2f (goal %.1f)\n",
                    ours, kValues / a, megabytes / a, base, kValues / b, a / b,
                    medianOf(g_cpu[ours]) / medianOf(g_cpu[base]), goal);
    };
    std::printf("\n%d values, file of %.1f MB, medians of the runs\n", kValues, megabytes);
    line("export", "store enumerate", 1.5);
    line("import", "store insert", 2.0);
    line("import", "plain insert", 1.5);
    std::filesystem::remove_all(g_root);
    return 0;
}
