// Throughput of the tokenizers on a large REGEDIT4-like text, against a plain memchr split of
// the same text into the same pieces. At the end each tokenizer's MB/s (10^6 bytes; the
// table's column counts 2^20) and its CPU-time ratio to its baseline are printed. The heap's
// growth makes single runs noisy; steadier:
//   bench_tokenizers --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include "misc/text/text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 50U << 20;

// Value lines as an exported registry key holds them, CR LF ended.
const std::string& registryText() {
    static const std::string text = [] {
        std::string lines;
        lines.reserve(kTextBytes + 128);
        char line[128];
        for (unsigned i = 0; lines.size() < kTextBytes; ++i) {
            const int length =
                i % 2 == 0
                    ? std::snprintf(line, sizeof line,
                                    "\"Name%u\"=\"C:\\\\Some\\\\Path\\\\File%u.txt\"\r\n", i, i)
                    : std::snprintf(line, sizeof line, "\"Count%u\"=dword:%08x\r\n", i, i);
            lines.append(line, static_cast<std::size_t>(length));
        }
        return lines;
    }();
    return text;
}

const CString& registryCString() {
    static const CString text(registryText());
    return text;
}

// The delimiters of every split: both line-end characters, so the pieces are the lines
// without their CR LF (the empty piece between CR and LF is dropped).
const CString kLineEnds("\r\n");

// The baseline: lines found with memchr, their CR cut, as std::string pieces. With
// `unquoted` the double quotes are also left out of each piece, as tokenize leaves them out.
std::vector<std::string> memchrSplit(const std::string& text, bool unquoted) {
    std::vector<std::string> pieces;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const auto* newline =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* lineEnd = newline != nullptr ? newline : end;
        if (lineEnd > p && lineEnd[-1] == '\r') {
            --lineEnd;
        }
        const auto length = static_cast<std::size_t>(lineEnd - p);
        if (length > 0) {
            if (!unquoted || std::memchr(p, '"', length) == nullptr) {
                pieces.emplace_back(p, length);
            } else {
                std::string piece;
                piece.reserve(length);
                for (const char* from = p; from < lineEnd;) {
                    const auto* quote = static_cast<const char*>(
                        std::memchr(from, '"', static_cast<std::size_t>(lineEnd - from)));
                    const char* segmentEnd = quote != nullptr ? quote : lineEnd;
                    piece.append(from, segmentEnd);
                    from = segmentEnd + 1;
                }
                pieces.push_back(std::move(piece));
            }
        }
        p = newline != nullptr ? newline + 1 : end;
    }
    return pieces;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(registryText().size()));
}

void BM_MemchrSplit(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::string> pieces = memchrSplit(registryText(), false);
        benchmark::DoNotOptimize(pieces.data());
    }
    setBytes(state);
}

void BM_MemchrSplitUnquoted(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::string> pieces = memchrSplit(registryText(), true);
        benchmark::DoNotOptimize(pieces.data());
    }
    setBytes(state);
}

void BM_SplitAtAnyChar(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<CString> tokens;
        splitAtAnyChar(tokens, registryCString(), kLineEnds, false);
        benchmark::DoNotOptimize(tokens.data());
    }
    setBytes(state);
}

void BM_Tokenize(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<CString> tokens;
        tokenize(registryCString(), tokens, kLineEnds, true, false);
        benchmark::DoNotOptimize(tokens.data());
    }
    setBytes(state);
}

BENCHMARK(BM_MemchrSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrSplitUnquoted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitAtAnyChar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tokenize)->Unit(benchmark::kMillisecond);

// A comparison is only fair if both sides produce the same pieces.
bool samePieces(const std::vector<CString>& tokens, const std::vector<std::string>& pieces) {
    return std::equal(tokens.begin(), tokens.end(), pieces.begin(), pieces.end(),
                      [](const CString& a, const std::string& b) { return a.native() == b; });
}

bool checkSamePieces() {
    std::vector<CString> tokens;
    splitAtAnyChar(tokens, registryCString(), kLineEnds, false);
    const bool split = samePieces(tokens, memchrSplit(registryText(), false));
    tokenize(registryCString(), tokens, kLineEnds, true, false);
    const bool tokenized = samePieces(tokens, memchrSplit(registryText(), true));
    if (!split || !tokenized) {
        std::fprintf(stderr, "The tokenizers and the baseline disagree (split %d, tokenize %d)\n",
                     split, tokenized);
    }
    return split && tokenized;
}

// Keeps each benchmark's best bytes_per_second (bytes over CPU time, less disturbed than real
// time by other work on a shared machine) for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only for a terminal, as the library's own reporter does by default.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With only the aggregates reported, their mean stands for the repetitions.
            const bool timed = run.run_type == Run::RT_Iteration ||
                               (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean");
            const auto rate = run.counters.find("bytes_per_second");
            if (!timed || run.error_occurred || rate == run.counters.end()) {
                continue;
            }
            double& best = m_bytesPerSecond[run.run_name.function_name];
            best = std::max(best, rate->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char* tokenizer, const char* baseline) const {
        const auto t = m_bytesPerSecond.find(tokenizer);
        const auto b = m_bytesPerSecond.find(baseline);
        if (t == m_bytesPerSecond.end() || b == m_bytesPerSecond.end() || t->second <= 0) {
            return;
        }
        std::printf("%-18s %8.1f MB/s   %-24s %8.1f MB/s   CPU time ratio %.2f\n", tokenizer,
                    t->second / 1e6, baseline, b->second / 1e6, b->second / t->second);
    }

private:
    std::map<std::string, double> m_bytesPerSecond;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::printf("Text: %zu bytes of value lines\n", registryText().size());
    if (!checkSamePieces()) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatio("BM_SplitAtAnyChar", "BM_MemchrSplit");
    reporter.printRatio("BM_Tokenize", "BM_MemchrSplitUnquoted");
    reporter.printRatio("BM_Tokenize", "BM_MemchrSplit");
    benchmark::Shutdown();
    return 0;
}
