// The recovery copy through the real main window (offscreen) with a million loans opened: after
// a loan is deleted, how long the window's event loop is kept from running while the copy is
// taken and written (target: never more than 16 ms, one frame), and the time from the change
// until the new copy is on disk (the copy waits a second for more changes, then is written in
// the background).
//   build/<dir>/bench/bench_ui_recovery [loans] [repetitions]
#include "BenchLoanFile.h"
#include "loan/LoanTable.h"
#include "ui/main/frmLoan.h"
#include "ui/tests/ScriptedInteraction.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr auto kWatchEvery = std::chrono::milliseconds(2);

// The copy as the file system holds it: a new one replaces the old, so its inode changes.
ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

void Report(const char* what, std::vector<double> times, double target) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %8.1f ms  best %8.1f ms  worst %8.1f ms", what,
                times[times.size() / 2], times.front(), times.back());
    if (target > 0)
        std::printf("  (target < %.0f ms: %s)", target, times.back() < target ? "met" : "MISSED");
    std::printf("\n");
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
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toUtf8());

    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan window;
    window.show();
    QApplication::processEvents();
    window.StartRecovery();
    ui.ExpectFile(Interaction::FileMode::Open, path);
    window.mnuFileItem(frmLoan::FileOpen)->trigger();
    window.repaint();
    QApplication::processEvents();
    if (window.Table.LoanCount() != loans || !ui.Done()) {
        std::fprintf(stderr, "open failed\n%s\n", qPrintable(ui.Errors()));
        return 1;
    }
    const std::string copy = window.File.RecoveryCopyPath();

    // A timer that wants to run every millisecond: the longest gap between its runs is the
    // longest time the window could not react.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, longestGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    // The window's own event loop runs while it is watched, as it does for the user.
    const auto runFor = [](int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    };
    // The same watch over as long with nothing to copy: what the machine itself costs the window
    // (other programs, the scheduler), against which the copy's share is read.
    // It is watched as the copy is below, by a thread looking at the folder.
    const auto idleGap = [&](int milliseconds) {
        lastTick = clock.nsecsElapsed();
        longestGap = 0;
        probe.start();
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            while (!done) {
                InodeOf(copy);
                std::this_thread::sleep_for(kWatchEvery);
            }
        });
        runFor(milliseconds);
        done = true;
        watcher.join();
        probe.stop();
        return static_cast<double>(longestGap) / 1e6;
    };

    std::vector<double> blocked, onDisk, idle;
    for (int rep = 0; rep < repetitions; ++rep) {
        idle.push_back(idleGap(2000));
        const ino_t before = InodeOf(copy);
        // The change, painted, before the probe starts: only the copy's share is measured.
        window.Table.DeleteLoan(1 + rep);
        window.repaint();
        QApplication::processEvents();
        const qint64 changed = clock.nsecsElapsed();
        lastTick = changed;
        longestGap = 0;
        probe.start();
        // Watched from a thread of its own, so that looking does not take the window's time; it
        // ends the loop once the new copy has taken the old one's name.
        QEventLoop loop;
        std::atomic<qint64> landed{0};
        std::thread watcher([&] {
            while (InodeOf(copy) == before || InodeOf(copy) == 0) {
                if (clock.nsecsElapsed() - changed > 30'000'000'000) break;
                std::this_thread::sleep_for(kWatchEvery);
            }
            landed = clock.nsecsElapsed();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        watcher.join();
        if (landed - changed > 30'000'000'000) {
            std::fprintf(stderr, "no copy within 30 s: %s\n",
                         window.File.RecoveryCopyError().c_str());
            return 1;
        }
        onDisk.push_back(static_cast<double>(landed - changed) / 1e6);
        // The writer syncs the folder and lets go of the snapshot after the rename: still the
        // copy's work, so the window is watched a while longer.
        runFor(300);
        probe.stop();
        blocked.push_back(static_cast<double>(longestGap) / 1e6);
        window.File.WaitForRecoveryCopy();
    }
    std::printf("%d loans, %d changes\n", loans, repetitions);
    Report("longest time the window was blocked", blocked, 16);
    Report("change until the copy is on disk", onDisk, 0);
    Report("longest gap with nothing to copy (2 s)", idle, 0);
    return 0;
}
