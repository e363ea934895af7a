// One keystroke in the real loan details dialog (offscreen): from the key event in the principal
// field to the results table holding its new texts, and the same with the repaint flushed.
// Each iteration types a digit or takes it back with Backspace, so every key changes the table.
// Target: median <= 1 ms.
//   build/<dir>/bench/bench_ui_keystroke
#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"
#include "ui/details/frmLoanDetails.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Dialog {
    loan::LoanTable table;
    loan::LoanGrid staging{loan::kLoanCols, 2};
    frmLoanDetails dialog{table, staging, [] {}};

    Dialog() {
        dialog.HighlightRepaymentTime(4);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        (void)QTest::qWaitForWindowActive(&dialog);
        const char* texts[9] = {"300000", "25",   "66.667", "6.5", "200000",
                                "33.333", "5.99", "100000", "HOME"};
        for (int i = 0; i < 9; ++i)
            dialog.txtLoanRec(i)->setText(QString::fromLatin1(texts[i]));
        QLineEdit* principal = dialog.txtLoanRec(0);
        principal->setFocus(Qt::OtherFocusReason);
        principal->end(false);
        QApplication::processEvents();
    }
};

std::unique_ptr<Dialog> shared;

void Keystroke(benchmark::State& state, bool paint) {
    Dialog& d = *shared;
    QLineEdit* principal = d.dialog.txtLoanRec(0);
    QLabel* monthly = d.dialog.Cel(9);
    bool typed = principal->text().size() > 6; // a run may end on either key
    for (auto _ : state) {
        const Qt::Key key = typed ? Qt::Key_Backspace : Qt::Key_7;
        QTest::keyClick(principal, key);
        typed = !typed;
        benchmark::DoNotOptimize(monthly->text().size());
        if (paint) QApplication::processEvents();
    }
    if (principal->text() != QStringLiteral("300000") &&
        principal->text() != QStringLiteral("3000007"))
        state.SkipWithError("the keys did not reach the principal field");
    state.SetItemsProcessed(state.iterations());
}

void BM_KeystrokeToTable(benchmark::State& state) {
    Keystroke(state, false);
}
void BM_KeystrokeToPaintedTable(benchmark::State& state) {
    Keystroke(state, true);
}

BENCHMARK(BM_KeystrokeToTable)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_KeystrokeToPaintedTable)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shared = std::make_unique<Dialog>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}
