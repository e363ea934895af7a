// Opening the schedule window (offscreen) on a split loan of 40 years, weekly (2,086 periods):
// from its construction until it is shown and painted, without a plan (Arg 0) and with a busy
// one (Arg 1: a start date, 5 years fixed, 40 rate changes, 20 lump sums, the Date column and
// the marked rows). Target: < 50 ms.
// Then the chart in the real window, beside the table: a cursor key until the chart is painted
// again (target < 16 ms, a frame at 60 Hz), and a keystroke in the extra payment until the
// schedule, its scenarios, its years and every view are made again and painted. At twice the
// density: QT_SCALE_FACTOR=2.
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/bench_ui_schedule
#include "BenchLoan.h"
#include "ui/chart/LoanChart.h"
#include "ui/schedule/frmSchedule.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

const calc::RepaymentFields& kLoan = BenchLoan::Fields();


void BM_OpenScheduleWindow(benchmark::State& state) {
    const calc::LoanPlan plan = state.range(0) != 0 ? BenchLoan::BusyPlan() : calc::LoanPlan{};
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

// The busy plan with the payment following its lump sums, so the loan keeps its 2,086 periods,
// as the chart's own benchmark has it; the chart beside the table, with the stressed lines.
struct ChartWindow {
    calc::LoanPlan plan = [] {
        calc::LoanPlan p = BenchLoan::BusyPlan();
        p.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
        return p;
    }();
    frmSchedule window{QStringLiteral("HOME"), kLoan, 1, nullptr, plan};

    ChartWindow() {
        window.chkChartBeside()->setChecked(true);
        window.chkStressed()->setChecked(true);
        window.resize(1600, 1000);
        window.show();
        window.chart()->setFocus();
        window.repaint();
        QApplication::processEvents();
    }
};

void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

void BM_ChartCursorKeyPainted(benchmark::State& state) {
    ChartWindow w;
    LoanChart* chart = w.window.chart();
    if (w.window.Schedule()->Periods() != 2086) state.SkipWithError("not the 2,086 periods");
    int steps = 0;
    for (auto _ : state) {
        // Across the loan and back: the tooltip's text, the table's row and the chart repainted.
        Key(chart, ++steps % 2000 < 1000 ? Qt::Key_Right : Qt::Key_Left);
        chart->repaint();
    }
    state.counters["chart_width"] = chart->width();
    state.counters["ratio"] = chart->devicePixelRatioF();
}
BENCHMARK(BM_ChartCursorKeyPainted)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ChartRepaintOnly(benchmark::State& state) {
    ChartWindow w;
    LoanChart* chart = w.window.chart();
    for (auto _ : state)
        chart->repaint();
}
BENCHMARK(BM_ChartRepaintOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ExtraKeystrokeAllViews(benchmark::State& state) {
    ChartWindow w;
    QLineEdit* extra = w.window.txtExtra();
    extra->setFocus();
    int typed = 0;
    for (auto _ : state) {
        // A digit, then Backspace: each a new schedule and scenarios, the views painted.
        Key(extra, typed++ % 2 ? Qt::Key_Backspace : Qt::Key_5);
        w.window.repaint();
    }
}
BENCHMARK(BM_ExtraKeystrokeAllViews)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
