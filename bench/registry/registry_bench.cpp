// Settings reads and writes on a hive of 10,000 values (100 three-level sections of 100),
// beside the plain SQLite statements they are built from, on a table of the same rows with a
// primary key on (key path, name): a prepared SELECT by that key, and a one-row upsert in its
// own transaction. Each operation runs beside its baseline, both timed on every iteration; the
// summary gives medians over repetitions, the ratios and the writes' 99.9th percentile,
// where WAL checkpoints show.
#include "bench/support/plain_table.h"
#include "misc/registry/registry.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSections = 100;
constexpr int kValuesPerSection = 100;
const char* const kSuiteKey = "Software\\VELMAR Systems International";

std::string sectionName(int s) {
    char name[48];
    std::snprintf(name, sizeof name, "Bench\\Module%02d\\Window", s);
    return name;
}
// The section and value that every read and write goes to.
const std::string kSection = sectionName(kSections / 2);

constexpr int kRepetitions = 5;

// Per measured operation, one figure per repetition.
std::map<std::string, std::vector<double>> g_medians;
std::map<std::string, std::vector<double>> g_tails;

double medianOf(std::vector<double> figures) {
    if (figures.empty()) {
        return 0.0;
    }
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

struct Latencies {
    std::vector<double> micros;
    void add(std::chrono::steady_clock::duration d) {
        micros.push_back(std::chrono::duration<double, std::micro>(d).count());
    }
    double percentile(double p) {
        std::sort(micros.begin(), micros.end());
        return micros.empty() ? 0.0
                              : micros[std::min(micros.size() - 1,
                                                static_cast<std::size_t>(p * micros.size()))];
    }
    void report(benchmark::State& state, const std::string& name) {
        const double median = percentile(0.5);
        const double tail = percentile(0.999);
        g_medians[name].push_back(median);
        g_tails[name].push_back(tail);
        state.counters[name + " median_us"] = median;
        state.counters[name + " p99.9_us"] = tail;
    }
};

// Each iteration runs our operation and then its plain counterpart, timing each, so that both
// see the same machine at the same moment.
template <typename Ours, typename Plain>
void paired(benchmark::State& state, const std::string& oursName, Ours ours,
            const std::string& plainName, Plain plain) {
    Latencies a;
    Latencies b;
    int i = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ours(i);
        auto middle = std::chrono::steady_clock::now();
        plain(i);
        b.add(std::chrono::steady_clock::now() - middle);
        a.add(middle - start);
        ++i;
    }
    a.report(state, oursName);
    b.report(state, plainName);
}

std::string valueName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "v%05d", i);
    return name;
}

void fillHive() {
    velmar::registry::Transaction transaction(HKEY_CURRENT_USER);
    for (int s = 0; s < kSections; ++s) {
        for (int i = 0; i < kValuesPerSection; ++i) {
            writeUserSetting(sectionName(s).c_str(), valueName(i).c_str(), i);
        }
    }
    if (transaction.commit() != ERROR_SUCCESS) {
        std::fprintf(stderr, "The settings could not be stored.\n");
        std::exit(1);
    }
}

// The same rows in one table keyed by (key path, name), as the store could hold them at best.
struct PlainTable {
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;

    explicit PlainTable(const std::string& file) {
        db = velmar::bench::openPlainTable(file);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO kv VALUES(?1, ?2, 1, ?3)", -1, &upsert, nullptr);
        for (int s = 0; s < kSections; ++s) {
            for (int i = 0; i < kValuesPerSection; ++i) {
                bindRow(pathOf(sectionName(s)), valueName(i), std::to_string(i));
                run(upsert);
            }
        }
        sqlite3_finalize(upsert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_prepare_v3(db, "SELECT type, data FROM kv WHERE path = ?1 AND name = ?2", -1,
                           SQLITE_PREPARE_PERSISTENT, &select, nullptr);
        sqlite3_prepare_v3(db,
                           "INSERT INTO kv VALUES(?1, ?2, 1, ?3) ON CONFLICT(path, name) DO "
                           "UPDATE SET type = excluded.type, data = excluded.data",
                           -1, SQLITE_PREPARE_PERSISTENT, &upsert, nullptr);
        sqlite3_prepare_v3(db, "BEGIN IMMEDIATE", -1, SQLITE_PREPARE_PERSISTENT, &begin, nullptr);
        sqlite3_prepare_v3(db, "COMMIT", -1, SQLITE_PREPARE_PERSISTENT, &commit, nullptr);
    }
    ~PlainTable() {
        for (sqlite3_stmt* statement : {select, upsert, begin, commit}) {
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
    }
    static std::string pathOf(const std::string& section) {
        return std::string(kSuiteKey) + "\\" + section;
    }
    void bindRow(const std::string& path, const std::string& name, const std::string& data) {
        sqlite3_bind_blob(upsert, 1, path.data(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(upsert, 2, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(upsert, 3, data.c_str(), static_cast<int>(data.size() + 1),
                          SQLITE_TRANSIENT);
    }
    static void run(sqlite3_stmt* statement) {
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }
};

std::string g_root;
PlainTable* g_plain = nullptr;

void BM_Read(benchmark::State& state) {
    const std::string path = PlainTable::pathOf(kSection);
    const std::string name = valueName(kValuesPerSection / 2);
    int value = 0;
    paired(
        state, "readUserSetting",
        [&](int) {
            benchmark::DoNotOptimize(readUserSetting(kSection.c_str(), name.c_str(), value));
        },
        "plain SELECT",
        [&](int) {
            sqlite3_bind_blob(g_plain->select, 1, path.data(), static_cast<int>(path.size()),
                              SQLITE_STATIC);
            sqlite3_bind_blob(g_plain->select, 2, name.data(), static_cast<int>(name.size()),
                              SQLITE_STATIC);
            benchmark::DoNotOptimize(sqlite3_step(g_plain->select));
            benchmark::DoNotOptimize(sqlite3_column_blob(g_plain->select, 1));
            sqlite3_reset(g_plain->select);
        });
}

void BM_Write(benchmark::State& state) {
    const std::string path = PlainTable::pathOf(kSection);
    const std::string name = valueName(kValuesPerSection / 2);
    paired(
        state, "writeUserSetting",
        [&](int i) {
            benchmark::DoNotOptimize(writeUserSetting(kSection.c_str(), name.c_str(), i));
        },
        "plain upsert transaction",
        [&](int i) {
            PlainTable::run(g_plain->begin);
            g_plain->bindRow(path, name, std::to_string(i));
            PlainTable::run(g_plain->upsert);
            PlainTable::run(g_plain->commit);
        });
}

BENCHMARK(BM_Read)->MinTime(1.0)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_Write)->MinTime(2.0)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/velmar-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    g_root = pattern;
    ::setenv("VELMAR_PREFIX", (g_root + "/prefix").c_str(), 1);
    fillHive();
    {
        PlainTable plain(g_root + "/plain.db");
        g_plain = &plain;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        g_plain = nullptr;
    }
    auto ratio = [](const char* ours, const char* plain) {
        const double mine = medianOf(g_medians[ours]);
        const double base = medianOf(g_medians[plain]);
        std::printf("%-18s median %8.2f us   %-26s median %8.2f us   ratio %5.2f (goal 1.5)\n",
                    ours, mine, plain, base, base > 0 ? mine / base : 0.0);
    };
    std::printf("\nMedians of %d repetitions, each run beside its baseline\n", kRepetitions);
    ratio("readUserSetting", "plain SELECT");
    ratio("writeUserSetting", "plain upsert transaction");
    std::printf("writeUserSetting   99.9th percentile %8.2f us (goal under 2000); plain upsert "
                "transaction %8.2f us\n",
                medianOf(g_tails["writeUserSetting"]),
                medianOf(g_tails["plain upsert transaction"]));
    std::filesystem::remove_all(g_root);
    return 0;
}
