// The repayment schedule of a split loan over 40 years, weekly: 2,086 periods of both parts and
// the whole loan. Target: < 0.2 ms.
//   build/<dir>/bench/bench_schedule
#include "BenchLoan.h"
#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const calc::RepaymentFields& kLoan = BenchLoan::Fields();

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

// The same loan through a busy plan: a start date, 5 years fixed, 40 changes of the variable rate
// (which the fixed part follows once its fixed period is over) and 20 lump sums of $2,000 into
// either part. Target: < 0.2 ms, the schedule without the plan's extra money included.
calc::LoanPlan BusyPlan(bool paymentStays) {
    // A payment that stays must keep ahead of the interest: rates up to the one it starts at.
    calc::LoanPlan plan = BenchLoan::BusyPlan(paymentStays ? 3.5 : 5.0);
    if (paymentStays) {
        plan.afterRateChange = calc::AfterRateChange::PaymentStays;
        plan.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
        plan.carryOver = true;
    }
    return plan;
}

void BM_Schedule40YearsWeeklyPlanned(benchmark::State& state) {
    const calc::LoanPlan plan = BusyPlan(state.range(0) != 0);
    for (auto _ : state) {
        auto result = calc::LoanSchedule::FromFields(kLoan, 1, 0, plan);
        benchmark::DoNotOptimize(result.schedule->Variable().Rows().data());
    }
    const auto result = calc::LoanSchedule::FromFields(kLoan, 1, 0, plan);
    state.counters["rows"] = static_cast<double>(result.schedule->Periods());
    state.counters["events"] = static_cast<double>(result.schedule->Events().size());
}
// With the default choices, and with the payment staying after rate changes, following lump
// sums and going on into the other part.
BENCHMARK(BM_Schedule40YearsWeeklyPlanned)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
