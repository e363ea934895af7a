// Opening the schedule window (offscreen) on a split loan of 40 years, weekly (2,086 periods):
// from its construction until it is shown and painted. Target: < 50 ms.
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/bench_ui_schedule
#include "ui/schedule/frmSchedule.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

const calc::RepaymentFields kLoan = {"300000", "40",     "66.667", "6.5",
                                     "200000", "33.333", "5.99",   "100000"};

void BM_OpenScheduleWindow(benchmark::State& state) {
    for (auto _ : state) {
        frmSchedule window(QStringLiteral("HOME"), kLoan, 1);
        window.show();
        // The first paint of the window and its table.
        window.repaint();
        QApplication::processEvents();
        if (window.grdSchedule()->model()->rowCount() != 2086)
            state.SkipWithError("not the 2,086 periods of the loan");
        state.PauseTiming();
        window.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenScheduleWindow)
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
