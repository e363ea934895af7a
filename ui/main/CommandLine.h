#pragma once

#include "calc/LoanSchedule.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the program was started to do, read from its arguments. Options that print and exit
// (--help, --version, a malformed command line) are handled here without any window, so they work
// where no display is available.
class CommandLine {
  public:
    // arguments: the program's name first, as Arguments() gives them. A QCoreApplication must
    // exist while this runs.
    explicit CommandLine(const QStringList& arguments);

    // argv as text for the constructor. Each argument is decoded as a file name is, so a file
    // whose name is not UTF-8 can be named (QCoreApplication::arguments() garbles it).
    static QStringList Arguments(int argc, const char* const argv[]);

    // True when the command line has been dealt with and the program should exit with ExitCode()
    // without starting the window.
    bool Finished() const { return finished_; }
    int ExitCode() const { return exitCode_; }

    // The loan file to open once the window is up, as a full path; empty for none.
    const QString& File() const { return file_; }

    // A chart asked for with --chart: the loan's schedule, ready, and the file to draw it to.
    struct ChartJob {
        QString path;
        calc::LoanSchedule schedule;
    };
    // The chart to draw instead of starting the window; none when the command line asks for no
    // chart. Drawing needs the GUI side of Qt, so it waits for WriteChart, once the
    // QCoreApplication the command line was read under has gone.
    const std::optional<ChartJob>& Chart() const { return chart_; }
    // Draws the chart on the offscreen platform, so that no display is needed, and says on
    // standard error why it could not; standard output stays empty. Returns the exit code.
    static int WriteChart(const ChartJob& job);

  private:
    bool finished_ = false;
    int exitCode_ = 0;
    QString file_;
    std::optional<ChartJob> chart_;
};
