#include "ui/common/AppTitle.h"
#include "ui/common/RunOnlySettings.h"
#include "ui/main/CommandLine.h"
#include "ui/main/TerminationSignals.h"
#include "ui/main/frmLoan.h"

#include "safefile/FileSizeSignal.h"

#include <QApplication>

static void NameTheProgram() {
    QCoreApplication::setApplicationName(kProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Dravenholt Information Technology"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("dravenholt.example"));
}

int main(int argc, char* argv[]) {
    safefile::FileSizeSignal::Catch();
    // Options that only print are answered before a display is needed.
    QString file;
    std::optional<CommandLine::ChartJob> chart;
    {
        const QCoreApplication core(argc, argv);
        NameTheProgram();
        const CommandLine commandLine(CommandLine::Arguments(argc, argv));
        if (commandLine.Finished()) return commandLine.ExitCode();
        file = commandLine.File();
        chart = commandLine.Chart();
    }
    if (chart) return CommandLine::WriteChart(*chart);
    const RunOnlySettings settings;
    QApplication app(argc, argv);
    NameTheProgram();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.dravenholt.Loan"));
    frmLoan window;
    window.show();
    // The end of the session keeps unsaved loans for the next start.
    const TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Received, &window, &frmLoan::EndOnSignal);
    // Once the event loop runs, so the window is up behind any message: loans an ended run left
    // unsaved are offered first, then the file named on the command line opens.
    QMetaObject::invokeMethod(
        &window,
        [&window, file] {
            window.StartRecovery();
            if (!file.isEmpty()) window.OpenFromCommandLine(file);
        },
        Qt::QueuedConnection);
    return app.exec();
}
