// The repayment schedule of a split loan over 40 years, weekly: 2,086 periods of both parts and
// the whole loan. Target: < 0.2 ms.
//   build/<dir>/bench/bench_schedule
#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

#include <benchmark/benchmark.h>

namespace {

const calc::RepaymentFields kLoan = {"300000", "40",     "66.667", "6.5",
                                     "200000", "33.333", "5.99",   "100000"};

void BM_Schedule40YearsWeekly(benchmark::State& state) {
    const calc::Cents extra = state.range(0);
    for (auto _ : state) {
        auto result = calc::LoanSchedule::FromFields(kLoan, 1, extra);
        benchmark::DoNotOptimize(result.schedule->Variable().Rows().data());
    }
    const auto result = calc::LoanSchedule::FromFields(kLoan, 1, extra);
    state.counters["rows"] = static_cast<double>(result.schedule->Periods());
}
// Without an extra payment, and with $100 a week (the schedule and the one it is measured
// against).
BENCHMARK(BM_Schedule40YearsWeekly)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ScheduleCsv(benchmark::State& state) {
    const auto result = calc::LoanSchedule::FromFields(kLoan, 1);
    for (auto _ : state) {
        const std::string csv = calc::ScheduleCsv::Text(*result.schedule);
        benchmark::DoNotOptimize(csv.data());
    }
}
BENCHMARK(BM_ScheduleCsv)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
