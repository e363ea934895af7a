#include "calc/LoanSplit.h"
#include "calc/RepaymentTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>

namespace {

// The work of one keystroke in the loan details dialog: re-split the loan from the changed
// field, then recompute the whole results table from the field texts.
void KeystrokeRecalculation(benchmark::State& state) {
    const int changed = static_cast<int>(state.range(0));
    const calc::LoanFields loan = {"300000", "25",   "66.667", "6.5",   "200000",
                                   "33.333", "5.99", "100000", "HOME01"};
    calc::RepaymentCells cells{};
    for (auto _ : state) {
        const calc::SplitResult split = calc::SplitLoan(loan, changed);
        calc::RepaymentFields fields;
        std::copy_n(split.fields.begin(), fields.size(), fields.begin());
        calc::RepaymentResult table = calc::CalculateRepayments(fields, std::move(cells));
        cells = std::move(table.cells);
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(KeystrokeRecalculation)->Arg(0)->Arg(2)->Arg(4)->Arg(8);

} // namespace

BENCHMARK_MAIN();
