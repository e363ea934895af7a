#include "CommandLine.h"

#include "NativeFileName.h"
#include "calc/NumberText.h"
#include "loan/LoanTable.h"
#include "loan/ScheduleExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

// The name the program is installed under; the help shows it rather than the path it was
// started by.
constexpr auto kProgram = "dravenholt-loan";

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // The parser names the program as Qt read it.
    const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (text.startsWith(started))
        text.replace(0, started.size(), QStringLiteral("Usage: ") + QLatin1String(kProgram));
    // The export is a form of its own, which the parser's one usage line cannot show.
    const qsizetype endOfUsage = text.indexOf(QLatin1Char('\n'));
    if (endOfUsage > 0)
        text.insert(endOfUsage + 1,
                    QStringLiteral("       %1 --schedule FILE.loa CODE [--time TIME] [--extra "
                                   "AMOUNT]\n")
                        .arg(QLatin1String(kProgram)));
    return text;
}

// The caption and later saves use the full path, as after File > Open; the folder the program
// was started in means nothing to either.
QString FullPath(const QString& name) {
    if (QDir::isAbsolutePath(name)) return QDir::cleanPath(name);
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).native();
    if (error) return name;
    return QDir::cleanPath(NativeFileName::Decode(QByteArray::fromStdString(current)) +
                           QLatin1Char('/') + name);
}

// Exit codes of a schedule export: a command line that asks for no such thing, and a loan file
// or loan that gives no schedule.
constexpr int kUsageError = 2;
constexpr int kExportError = 1;

// A message that names files as the system holds them, byte for byte.
void PrintBytes(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// --schedule FILE CODE [--time TIME] [--extra AMOUNT]: the CSV on standard output, or why not
// on standard error. Returns the exit code.
int ExportSchedule(const QString& file, const QStringList& codes, const QString* time,
                   const QString* extra) {
    if (codes.size() != 1) {
        Print(stderr, QStringLiteral("--schedule needs a loan file and one loan code: "
                                     "--schedule FILE.loa CODE\n"));
        return kUsageError;
    }
    std::optional<int> repaymentTime;
    if (time) {
        repaymentTime = loan::RepaymentTimeTyped(time->toStdString());
        if (!repaymentTime) {
            Print(stderr, QStringLiteral("Unknown repayment time \"%1\": use Weekly, Fortnightly, "
                                         "\"Bi Monthly\", Monthly or Quarterly.\n")
                              .arg(*time));
            return kUsageError;
        }
    }
    calc::Cents extraCents = 0;
    if (extra) {
        const auto parsed = calc::AmountCents(extra->toStdString());
        if (!parsed) {
            Print(stderr, QStringLiteral("The extra payment \"%1\" is not an amount of dollars "
                                         "from 0 to 99999999.99, such as 50 or 12.50.\n")
                              .arg(*extra));
            return kUsageError;
        }
        extraCents = *parsed;
    }
    // The same rule as File > Open.
    if (!NativeFileName::IsLoanFileToOpen(file)) {
        Print(stderr, QStringLiteral("%1 is not a loan file (.loa).\n").arg(file));
        return kExportError;
    }
    // Nothing reaches standard output unless the whole schedule was made.
    std::ostringstream csv;
    const loan::ExportResult result =
        loan::ScheduleExport::WriteCsv(NativeFileName::EncodeToStd(file),
                                       codes.first().toStdString(), repaymentTime, extraCents, csv);
    if (!result.ok) {
        PrintBytes(stderr, result.error);
        return kExportError;
    }
    const std::string text = std::move(csv).str();
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        Print(stderr, QStringLiteral("The schedule could not be written to standard output.\n"));
        return kExportError;
    }
    return 0;
}

} // namespace

QStringList CommandLine::Arguments(int argc, const char* const argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NativeFileName::Decode(QByteArray(argv[i]));
    return arguments;
}

CommandLine::CommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loan repayment calculator: weekly to quarterly instalments of a loan\n"
                       "split into a variable-rate and a fixed-rate part."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A loan file (.loa) to open once the window is up, as File > Open does."),
        QStringLiteral("[FILE]"));
    const QCommandLineOption schedule(
        QStringLiteral("schedule"),
        QStringLiteral("Write the repayment schedule of the loan CODE in the loan file FILE to "
                       "standard output as CSV, then exit: --schedule FILE.loa CODE."),
        QStringLiteral("FILE"));
    const QCommandLineOption time(
        QStringLiteral("time"),
        QStringLiteral("With --schedule: the repayment time, Weekly, Fortnightly, \"Bi Monthly\", "
                       "Monthly or Quarterly (default: the loan's own)."),
        QStringLiteral("TIME"));
    const QCommandLineOption extra(
        QStringLiteral("extra"),
        QStringLiteral("With --schedule: an extra payment each period in dollars, such as 50 or "
                       "12.50."),
        QStringLiteral("AMOUNT"));
    parser.addOptions({schedule, time, extra});

    finished_ = true;
    if (!parser.parse(arguments)) {
        Print(stderr, parser.errorText() + QStringLiteral("\n"));
        exitCode_ = 2;
        return;
    }
    // --help-all comes with the help option; the Qt options it would add mean nothing here.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        Print(stdout, HelpText(parser));
        return;
    }
    if (parser.isSet(version)) {
        Print(stdout, QCoreApplication::applicationName() + QStringLiteral(" ") +
                          QCoreApplication::applicationVersion() + QStringLiteral("\n"));
        return;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(schedule)) {
        const QString timeValue = parser.value(time), extraValue = parser.value(extra);
        exitCode_ = ExportSchedule(parser.value(schedule), positional,
                                   parser.isSet(time) ? &timeValue : nullptr,
                                   parser.isSet(extra) ? &extraValue : nullptr);
        return;
    }
    if (parser.isSet(time) || parser.isSet(extra)) {
        Print(stderr, QStringLiteral("--time and --extra go with --schedule.\n"));
        exitCode_ = kUsageError;
        return;
    }
    if (positional.size() > 1) {
        Print(stderr, QStringLiteral("Only one loan file can be opened.\n"));
        exitCode_ = 2;
        return;
    }
    finished_ = false;
    if (!positional.isEmpty() && !positional.first().isEmpty())
        file_ = FullPath(positional.first());
}
