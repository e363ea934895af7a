// Opening a loan file of a million loans through the real main window (offscreen, the Open
// dialog scripted) until the table has been painted, and moving the current cell to the last
// row. Targets: open <= 1.5 s, move <= 50 ms.
//   build/<dir>/bench/bench_ui_open [loans] [repetitions]
#include "BenchLoanFile.h"
#include "loan/LoanTable.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/frmLoan.h"
#include "ui/tests/ScriptedInteraction.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, std::vector<double> times, double target) {
    std::sort(times.begin(), times.end());
    std::printf("%-32s median %8.1f ms  best %8.1f ms  worst %8.1f ms  (target <= %.0f ms: %s)\n",
                what, times[times.size() / 2], times.front(), times.back(), target,
                times[times.size() / 2] <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int loans = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loans.loa"));
    if (!dir.isValid() || !BenchLoanFile::Write(path.toStdString(), loans)) {
        std::fprintf(stderr, "cannot write the loan file\n");
        return 1;
    }

    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan window;
    window.show();
    QApplication::processEvents();

    std::vector<double> opens, moves;
    for (int rep = 0; rep < repetitions; ++rep) {
        ui.ExpectFile(Interaction::FileMode::Open, path);
        const auto openStart = Clock::now();
        window.mnuFileItem(frmLoan::FileOpen)->trigger();
        window.repaint();
        QApplication::processEvents();
        opens.push_back(MillisecondsSince(openStart));
        if (window.Table.Grid.Rows() != loans + 2 || !ui.Done()) {
            std::fprintf(stderr, "open failed: %d rows\n%s\n", window.Table.Grid.Rows(),
                         qPrintable(ui.Errors()));
            return 1;
        }

        window.Table.Grid.SetRow(1);
        window.repaint();
        QApplication::processEvents();
        const auto moveStart = Clock::now();
        window.Table.Grid.SetRow(window.Table.Grid.Rows() - 1);
        window.repaint();
        QApplication::processEvents();
        moves.push_back(MillisecondsSince(moveStart));
        if (window.GridView->currentIndex().row() != loans) {
            std::fprintf(stderr, "the view did not follow the current cell\n");
            return 1;
        }
    }
    std::printf("%d loans, %d repetitions\n", loans, repetitions);
    Report("open until painted", opens, 1500);
    Report("current cell to the last row", moves, 50);
    return 0;
}
