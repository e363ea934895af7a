// The recovery copy of a table of 10k, 100k and 1M loans after one change: what the window
// waits for (the snapshot of the table handed to the writer thread; target < 16 ms at 1M), and
// the time until the copy is on disk (written and synced in the background).
//   build/dev/bench/bench_recovery      (copies in a folder of its own under /tmp)
#include "BenchLoanFile.h"
#include "loan/LoanTable.h"
#include "loan/OpenFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

loan::LoanTable MakeTable(int n) {
    loan::LoanTable table;
    table.Grid.SetRows(1);
    table.Grid.Reserve(n + 2);
    for (int i = 0; i < n; ++i) {
        const std::array<std::string, loan::kLoanCols> cells = BenchLoanFile::Cells(i);
        std::string_view texts[loan::kLoanCols];
        for (int c = 0; c < loan::kLoanCols; ++c)
            texts[c] = cells[c];
        table.Grid.AppendRow(texts, loan::kLoanCols);
    }
    table.Grid.AppendRow(nullptr, 0);
    return table;
}

// A state folder of the benchmark's own, removed when it ends.
class StateFolder {
  public:
    StateFolder() {
        std::string pattern = "/tmp/bench_recovery_XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~StateFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string Path() const { return path_ + "/dravenholt-loan"; }

  private:
    std::string path_;
};

double ThreadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One change of the table, as the window makes it: a loan's code rewritten.
void Change(loan::LoanTable& table, int i) {
    const int row = 1 + i % (table.Grid.Rows() - 2);
    table.Grid.SetTextAt(row, loan::ColCode, "CHANGED" + std::to_string(i));
    table.FileChanged = true;
}

// The window's part: the copy taken after a change. The write it starts is waited for outside
// the measured time, so every iteration starts from a copy on disk.
void BM_RecoveryCopyBlocksTheWindow(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    loan::LoanTable table = MakeTable(n);
    const StateFolder folder;
    loan::OpenFile file(table);
    file.KeepRecoveryCopies(folder.Path());
    // As the window does a second after a table is opened: room made for its first snapshot.
    file.UpdateRecoveryCopy();
    file.WaitForRecoveryCopy();
    double longest = 0, longestCpu = 0;
    int i = 0;
    for (auto _ : state) {
        Change(table, i++);
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuSeconds();
        file.UpdateRecoveryCopy();
        const double cpu = ThreadCpuSeconds() - cpuStart;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        longest = std::max(longest, seconds);
        longestCpu = std::max(longestCpu, cpu);
        file.WaitForRecoveryCopy();
    }
    if (!file.RecoveryCopyError().empty()) state.SkipWithError(file.RecoveryCopyError().c_str());
    // On a busy machine the wall time takes in the moments other programs had the core; the
    // thread's own time is what the copy cost it.
    state.counters["longest_ms"] = longest * 1000;
    state.counters["longest_thread_cpu_ms"] = longestCpu * 1000;
}

// From the change until the copy is on disk.
void BM_RecoveryCopyOnDisk(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    loan::LoanTable table = MakeTable(n);
    const StateFolder folder;
    loan::OpenFile file(table);
    file.KeepRecoveryCopies(folder.Path());
    int i = 0;
    for (auto _ : state) {
        Change(table, i++);
        file.UpdateRecoveryCopy();
        file.WaitForRecoveryCopy();
    }
    if (!file.RecoveryCopyError().empty()) state.SkipWithError(file.RecoveryCopyError().c_str());
    state.SetBytesProcessed(state.iterations() * (n + 1) * 114);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (const int n : {10'000, 100'000, 1'000'000})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

// Each iteration waits for a whole copy to be written: a fixed count keeps the run short.
BENCHMARK(BM_RecoveryCopyBlocksTheWindow)->Apply(Sizes)->UseManualTime()->Iterations(30);
BENCHMARK(BM_RecoveryCopyOnDisk)->Apply(Sizes)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
