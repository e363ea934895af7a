// Loan file load and save, query by example and search, at 10k, 100k and 1M loans.
//
//   bench_loan                          the Google Benchmark runs (files in /tmp)
//   bench_loan --make-file N PATH       writes a file of N loans
//   bench_loan --load-only PATH         loads PATH once and reports time and peak memory
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanQuery.h"
#include "loan/LoanTable.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include <sys/resource.h>

namespace {

std::string Code(int i) {
    char code[16];
    std::snprintf(code, sizeof code, "LOAN%07d", i);
    return code;
}

// A table of n loans with varied, realistic texts.
loan::LoanTable MakeTable(int n) {
    static constexpr const char* kTimes[] = {"Weekly", "Fortnightly", "Bi Monthly", "Monthly",
                                             "Quarterly"};
    loan::LoanTable table;
    table.Grid.SetRows(1);
    table.Grid.Reserve(n + 2);
    for (int i = 0; i < n; ++i) {
        const int principal = 50000 + (i * 7919) % 900000;
        const int term = 5 + i % 26;
        const int percent = (i * 13) % 101;
        const std::string cells[] = {
            Code(i),
            std::to_string(principal),
            std::to_string(term),
            std::to_string(percent),
            std::to_string(5 + i % 5) + "." + std::to_string(i % 10),
            std::to_string(principal / 100 * percent),
            std::to_string(100 - percent),
            std::to_string(6 + i % 3) + "." + std::to_string((i / 10) % 10),
            std::to_string(principal / 100 * (100 - percent)),
            kTimes[i % 5],
            "$" + std::to_string(1000 + i % 3000) + "." + std::to_string(10 + i % 90),
            "$" + std::to_string(12 + i % 30) + "," + std::to_string(100 + i % 900) + ".00",
            i % 3 == 0 ? "No" : "Yes"};
        std::string_view texts[loan::kLoanCols];
        for (int c = 0; c < loan::kLoanCols; ++c)
            texts[c] = cells[c];
        table.Grid.AppendRow(texts, loan::kLoanCols);
    }
    table.Grid.AppendRow(nullptr, 0);
    return table;
}

std::string FileFor(int n) {
    const std::string path = "/tmp/bench_loan_" + std::to_string(n) + ".loa";
    if (!std::filesystem::exists(path)) {
        loan::LoanTable table = MakeTable(n);
        if (!loan::LoanFileWriter::WriteFile(path, table.Grid).Saved()) std::abort();
    }
    return path;
}

// Tables are built once per size and shared by the benchmarks that only read them.
const loan::LoanTable& SharedTable(int n) {
    static std::map<int, loan::LoanTable> tables;
    auto it = tables.find(n);
    if (it == tables.end()) it = tables.emplace(n, MakeTable(n)).first;
    return it->second;
}

void BM_Load(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string path = FileFor(n);
    for (auto _ : state) {
        loan::LoanTable table;
        const auto result = loan::LoanFileReader::ReadFile(path, table.Grid);
        if (!result.ok || table.LoanCount() != n) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(table.Grid.Rows());
        state.PauseTiming(); // freeing the million rows is not part of loading
        table = loan::LoanTable();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * (n + 1) * 114);
    state.SetComplexityN(n);
}

void BM_Save(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    loan::LoanTable table = SharedTable(n);
    const std::string path = "/tmp/bench_loan_save_" + std::to_string(n) + ".loa";
    for (auto _ : state) {
        const auto result = loan::LoanFileWriter::WriteFile(path, table.Grid);
        if (!result.Saved()) state.SkipWithError(result.error.c_str());
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * (n + 1) * 114);
    state.SetComplexityN(n);
}

// Term "5" and Active "Yes": the kind of example a user types, keeping a good share of rows.
void BM_QueryByExample(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const loan::LoanTable& source = SharedTable(n);
    loan::LoanGrid staging;
    std::size_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        loan::LoanGrid grid = source.Grid;
        state.ResumeTiming();
        loan::LoanQuery::QueryByExample(grid, staging, {"", "5"}, true, false);
        kept = static_cast<std::size_t>(grid.Rows() - 2);
        state.PauseTiming();
        grid = loan::LoanGrid();
        state.ResumeTiming();
    }
    state.counters["kept"] = static_cast<double>(kept);
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}

void BM_SearchCodeLast(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    loan::LoanTable table = SharedTable(n);
    const std::string entry = "  " + Code(n - 1) + " "; // typed in small letters would fold too
    for (auto _ : state) {
        const int row = loan::LoanQuery::SearchCode(table.Grid, entry);
        if (row != n) state.SkipWithError("last loan not found");
        benchmark::DoNotOptimize(row);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}

constexpr int kSizes[] = {10'000, 100'000, 1'000'000};

void Sizes(benchmark::internal::Benchmark* b) {
    for (const int n : kSizes)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK(BM_Save)->Apply(Sizes);
BENCHMARK(BM_QueryByExample)->Apply(Sizes);
BENCHMARK(BM_SearchCodeLast)->Apply(Sizes);

int LoadOnly(const char* path) {
    const auto start = std::chrono::steady_clock::now();
    loan::LoanTable table;
    const auto result = loan::LoanFileReader::ReadFile(path, table.Grid);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    const double peakMb = static_cast<double>(usage.ru_maxrss) * 1024 / 1e6; // ru_maxrss is KiB
    const auto cpu = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    std::printf(
        "loans %d  file %.1f MB  load %.3f s (cpu %.3f s)  peak RSS %.1f MB  (%.2f x file)\n",
        table.LoanCount(), fileMb, seconds, cpu(usage.ru_utime) + cpu(usage.ru_stime), peakMb,
        peakMb / fileMb);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--make-file") == 0) {
        loan::LoanTable table = MakeTable(std::atoi(argv[2]));
        const auto result = loan::LoanFileWriter::WriteFile(argv[3], table.Grid);
        if (!result.Saved()) std::fprintf(stderr, "%s\n", result.error.c_str());
        return result.Saved() ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--load-only") == 0) return LoadOnly(argv[2]);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
