// Opening the schedule window (offscreen) on a split loan of 40 years, weekly (2,086 periods):
// from its construction until it is shown and painted, without a plan (Arg 0) and with a busy
// one (Arg 1: a start date, 5 years fixed, 40 rate changes, 20 lump sums, the Date column and
// the marked rows). Target: < 50 ms.
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/bench_ui_schedule
#include "ui/schedule/frmSchedule.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

const calc::RepaymentFields kLoan = {"300000", "40",     "66.667", "6.5",
                                     "200000", "33.333", "5.99",   "100000"};

// As the calc benchmark's busy plan.
calc::LoanPlan BusyPlan() {
    calc::LoanPlan plan;
    plan.start = std::chrono::year_month_day{std::chrono::year(2025), std::chrono::month(1),
                                             std::chrono::day(6)};
    plan.fixedYears = 5;
    for (int i = 0; i < 40; ++i)
        plan.rateChanges.push_back({27 + 52 * i, 5.0 + (i % 7) * 0.5});
    for (int i = 0; i < 20; ++i)
        plan.lumpSums.push_back(
            {50 + 100 * i, 200000, i % 2 ? calc::PlanPart::Fixed : calc::PlanPart::Variable});
    return plan;
}

void BM_OpenScheduleWindow(benchmark::State& state) {
    const calc::LoanPlan plan = state.range(0) != 0 ? BusyPlan() : calc::LoanPlan{};
    for (auto _ : state) {
        frmSchedule window(QStringLiteral("HOME"), kLoan, 1, nullptr, plan);
        window.show();
        // The first paint of the window and its table.
        window.repaint();
        QApplication::processEvents();
        if (!window.Schedule() || window.grdSchedule()->model()->rowCount() < 1000)
            state.SkipWithError("not the loan's periods");
        state.PauseTiming();
        window.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenScheduleWindow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
