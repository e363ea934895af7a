// The chart of a split loan of 40 years, weekly (2,086 periods), through a busy plan with a
// start date (40 rate changes, 20 lump sums, the payment following them) and its scenarios: every line, the year bars, the
// markers, the legend and the cursor. Target: painted in < 16 ms, one frame at 60 Hz.
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/bench_chart
#include "BenchLoan.h"
#include "calc/LoanSchedule.h"
#include "calc/ScheduleScenarios.h"
#include "ui/chart/ChartGeometry.h"
#include "ui/chart/ChartPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const calc::RepaymentFields& kLoan = BenchLoan::Fields();

calc::LoanPlan BusyPlan() {
    calc::LoanPlan plan = BenchLoan::BusyPlan();
    // The payment follows the lump sums, so the loan keeps its 2,086 periods.
    plan.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    return plan;
}

struct Chart {
    calc::LoanSchedule schedule = *calc::LoanSchedule::FromFields(kLoan, 1, 0, BusyPlan()).schedule;
    calc::ScheduleScenarios scenarios{schedule};
};

ChartGeometry::Options Options(bool stressed) {
    ChartGeometry::Options options;
    options.size = {1000, 500};
    options.font = QGuiApplication::font();
    options.font.setPixelSize(13);
    options.stressed = stressed;
    return options;
}

// Painting alone, the geometry laid out once, as a widget repaints for its cursor: at 1x and
// at 2x, with and without the stressed lines.
void BM_PaintChart(benchmark::State& state) {
    const Chart chart;
    const qreal ratio = static_cast<qreal>(state.range(0));
    const ChartGeometry geometry(chart.schedule, &chart.scenarios, Options(state.range(1) != 0));
    QImage image((geometry.Bounds().size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    int cursor = 1;
    for (auto _ : state) {
        QPainter painter(&image);
        ChartPainter::Paint(painter, geometry, cursor);
        cursor = cursor % 2086 + 1;
    }
    state.counters["periods"] = static_cast<double>(chart.schedule.Periods());
    state.counters["lines"] = static_cast<double>(geometry.AllSeries().size());
}
BENCHMARK(BM_PaintChart)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

// Laying out and painting, as after a resize or a new schedule.
void BM_LayOutAndPaintChart(benchmark::State& state) {
    const Chart chart;
    QImage image(QSize(1000, 500), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const ChartGeometry geometry(chart.schedule, &chart.scenarios, Options(true));
        QPainter painter(&image);
        ChartPainter::Paint(painter, geometry, 1000);
    }
}
BENCHMARK(BM_LayOutAndPaintChart)->Unit(benchmark::kMillisecond);

// The scenarios themselves: three more schedules of the loan.
void BM_Scenarios(benchmark::State& state) {
    const Chart chart;
    for (auto _ : state) {
        const calc::ScheduleScenarios scenarios(chart.schedule);
        benchmark::DoNotOptimize(scenarios.All().data());
    }
}
BENCHMARK(BM_Scenarios)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
