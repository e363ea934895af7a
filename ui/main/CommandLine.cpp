#include "CommandLine.h"

#include "NativeFileName.h"
#include "calc/NumberText.h"
#include "calc/ScheduleCsv.h"
#include "calc/ScheduleScenarios.h"
#include "loan/LoanTable.h"
#include "loan/PlanOptions.h"
#include "loan/ScheduleExport.h"
#include "ui/chart/ChartFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <filesystem>

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
                                   "AMOUNT]\n"
                                   "           [--start YYYY-MM-DD] [--fixed-years YEARS] "
                                   "[--revert-rate RATE]\n"
                                   "           [--rate-change WHEN=RATE]... "
                                   "[--lump WHEN=AMOUNT[@fixed]]...\n"
                                   "           [--keep-payment] [--keep-term] [--carry-over] "
                                   "[--no-plan]\n"
                                   "           [--compare | --chart FILE.png | --chart "
                                   "FILE.svg]\n")
                        .arg(QLatin1String(kProgram)));
    // Qt's own options (--help-all and what it lists) mean nothing to a user of this program.
    QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].trimmed().startsWith(QLatin1String("--help-all"))) continue;
        lines.removeAt(i);
        while (i < lines.size() && lines[i].startsWith(QLatin1String("      ")) &&
               !lines[i].trimmed().startsWith(QLatin1Char('-')))
            lines.removeAt(i);
        break;
    }
    // CODE is an argument of the export alone, so the parser's usage line does not list it.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(QLatin1String("  FILE "))) continue;
        qsizetype after = i + 1;
        while (after < lines.size() && lines[after].startsWith(QLatin1String("      ")))
            ++after;
        const qsizetype column = lines[i].indexOf(QLatin1Char(' '), 6);
        const qsizetype descriptionAt =
            column < 0 ? 8 : lines[i].indexOf(QRegularExpression(QStringLiteral("\\S")), column);
        lines.insert(after, QStringLiteral("  CODE").leftJustified(descriptionAt) +
                                QStringLiteral("With --schedule: the loan code in FILE."));
        break;
    }
    text = lines.join(QLatin1Char('\n'));
    if (!text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    text += QStringLiteral(
        "\nWHEN is a period number (1 is the first payment) or, with --start, a date YYYY-MM-DD:\n"
        "the first payment on or after it. Without plan options the plan kept with the loan\n"
        "is used; with any, the options are the whole plan. With --start the CSV has a Date\n"
        "column after Period.\n"
        "\n--compare writes, instead of the schedule, the loan as planned beside the same loan\n"
        "with every variable rate 1 and 2 points higher and without its extra payments and\n"
        "lump sums. --chart writes the loan's chart to a file and nothing to standard output.\n"
        "Neither needs a display.\n"
        "\nExit status:\n"
        "  0  the schedule, the compare table or the chart was written (or the window ran and\n"
        "     closed)\n"
        "  1  no schedule: the file or loan cannot be read or has none, or the loan cannot\n"
        "     follow the plan (an event after its last period, an installment that no\n"
        "     longer covers the interest); or the chart file could not be written\n"
        "  2  a bad command line: an unknown option, a value an option does not take, a plan\n"
        "     whose entries are wrong whatever the loan (a date that does not exist, a date\n"
        "     without --start, period 0, a negative number, two rate changes at one period)\n"
        "\nExamples:\n"
        "  %1 --schedule loans.loa HOME --start 2026-01-31 --fixed-years 3 \\\n"
        "      --rate-change 2027-07-01=6.9 --lump 24=5,000 > home.csv\n"
        "  %1 --schedule loans.loa HOME --fixed-years 3 --compare > home-compare.csv\n"
        "  %1 --schedule loans.loa HOME --start 2026-01-31 --chart home.svg\n")
                .arg(QLatin1String(kProgram));
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

// What the export writes: the schedule's CSV, the compare table's, or the chart, which waits
// for the GUI side of Qt.
enum class Output { Schedule, Compare, Chart };

// --schedule FILE CODE [--time TIME] [--extra AMOUNT] [plan options] [--compare]: the CSV on
// standard output, or why not on standard error. plan is none for the plan kept with the loan.
// For the chart, the schedule is left in chart. Returns the exit code.
int ExportSchedule(const QString& file, const QStringList& codes, const QString* time,
                   const QString* extra, const calc::LoanPlan* plan, Output output,
                   std::optional<calc::LoanSchedule>& chart) {
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
    // A plan wrong whatever the loan is a bad command line, said before any file is read. Only
    // whether two dated rate changes meet in one period hangs on the loan's repayment time.
    if (plan) {
        const calc::PlanCheck check = plan->Resolve(repaymentTime.value_or(4)).check;
        if (check.problem != calc::PlanProblem::None &&
            (check.problem != calc::PlanProblem::TwoRateChanges || repaymentTime)) {
            PrintBytes(stderr, calc::PlanProblemText(check) + ".");
            return kUsageError;
        }
    }
    if (!NativeFileName::Exists(file)) {
        Print(stderr, QStringLiteral("%1 is missing: there is no such file.\n").arg(file));
        return kExportError;
    }
    // The same rule as File > Open.
    if (!NativeFileName::IsLoanFileToOpen(file)) {
        Print(stderr, QStringLiteral("%1 is not a loan file (.loa).\n").arg(file));
        return kExportError;
    }
    // Nothing reaches standard output unless the whole schedule was made.
    loan::LoadedSchedule loaded =
        loan::ScheduleExport::Load(NativeFileName::EncodeToStd(file), codes.first().toStdString(),
                                   repaymentTime, extraCents, plan);
    if (!loaded.schedule) {
        PrintBytes(stderr, loaded.result.error);
        return loaded.result.planRefused ? kUsageError : kExportError;
    }
    if (output == Output::Chart) {
        chart = std::move(loaded.schedule);
        return 0;
    }
    std::optional<calc::ScheduleScenarios> scenarios;
    if (output == Output::Compare) scenarios.emplace(*loaded.schedule);
    const std::string text =
        scenarios ? scenarios->CsvText() : calc::ScheduleCsv::Text(*loaded.schedule);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        Print(stderr, QStringLiteral("The schedule could not be written to standard output.\n"));
        return kExportError;
    }
    // A row left empty is said, as the window says it: an empty row alone reads as a fault.
    if (scenarios)
        for (const calc::Scenario& scenario : scenarios->All())
            if (!scenario.result.schedule)
                PrintBytes(stderr, std::string(calc::ScheduleScenarios::Name(scenario.kind)) +
                                       ": no schedule. " +
                                       calc::ScheduleProblemSentence(scenario.result) + ".");
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
        QStringLiteral("With --schedule: an extra payment each period in dollars, such as 50, "
                       "12.50 or 1,000."),
        QStringLiteral("AMOUNT"));
    const auto planOption = [](const char* name, const char* description,
                               const char* value = nullptr) {
        return value ? QCommandLineOption(QLatin1String(name), QLatin1String(description),
                                          QLatin1String(value))
                     : QCommandLineOption(QLatin1String(name), QLatin1String(description));
    };
    const QCommandLineOption start = planOption(
        "start", "With --schedule: the first payment's date; every period gets a date.",
        "YYYY-MM-DD");
    const QCommandLineOption fixedYears = planOption(
        "fixed-years", "With --schedule: the fixed rate holds for this many years.", "YEARS");
    const QCommandLineOption revertRate = planOption(
        "revert-rate",
        "With --schedule: the fixed part's rate after the fixed period (default: the variable "
        "rate then in force).",
        "RATE");
    const QCommandLineOption rateChange = planOption(
        "rate-change", "With --schedule: the variable rate from period or date WHEN on; "
                       "may be given again.",
        "WHEN=RATE");
    const QCommandLineOption lump = planOption(
        "lump",
        "With --schedule: a lump sum paid with the payment of WHEN, into the variable part, or "
        "with @fixed the fixed part; may be given again.",
        "WHEN=AMOUNT[@fixed]");
    const QCommandLineOption keepPayment = planOption(
        "keep-payment",
        "With --schedule: after a rate change the installment stays and the end moves (default: "
        "the installment follows the rate).");
    const QCommandLineOption keepTerm = planOption(
        "keep-term", "With --schedule: after a lump sum the installment follows and the end "
                     "stays (default: the installment stays and the part ends sooner).");
    const QCommandLineOption carryOver = planOption(
        "carry-over", "With --schedule: a paid-off part's installment goes on into the other "
                      "part.");
    const QCommandLineOption noPlan = planOption(
        "no-plan", "With --schedule: no plan, not even the one kept with the loan.");
    const QCommandLineOption compare = planOption(
        "compare", "With --schedule: write the compare table as CSV instead of the schedule: "
                   "the loan as planned, at variable rates 1 and 2 points higher, and without "
                   "its extra payments and lump sums.");
    const QCommandLineOption chart =
        planOption("chart",
                   "With --schedule: write the loan's chart to FILE instead, a PNG or an SVG as "
                   "its name ends in .png or .svg; nothing is printed.",
                   "FILE");
    parser.addOptions({schedule, time, extra, start, fixedYears, revertRate, rateChange, lump,
                       keepPayment, keepTerm, carryOver, noPlan, compare, chart});

    finished_ = true;
    if (!parser.parse(arguments)) {
        Print(stderr, parser.errorText() +
                          QStringLiteral(" See %1 --help.\n").arg(QLatin1String(kProgram)));
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
    const QList<QCommandLineOption> planOptions = {start,       fixedYears, revertRate,
                                                   rateChange,  lump,       keepPayment,
                                                   keepTerm,    carryOver,  noPlan};
    const bool anyPlanOption = std::any_of(planOptions.begin(), planOptions.end(),
                                           [&parser](const auto& o) { return parser.isSet(o); });
    if (parser.isSet(schedule)) {
        // Rate changes and lump sums keep the order they were typed in, which is how the plan
        // numbers them when it names one.
        loan::PlanOptions plan;
        std::string refused;
        const auto take = [&refused](const std::string& why) {
            if (refused.empty()) refused = why;
        };
        const auto values = [&parser](const QCommandLineOption& option) {
            return parser.values(option);
        };
        for (const QString& v : values(start))
            take(plan.Start(v.toStdString()));
        for (const QString& v : values(fixedYears))
            take(plan.FixedYears(v.toStdString()));
        for (const QString& v : values(revertRate))
            take(plan.RevertRate(v.toStdString()));
        for (const QString& v : values(rateChange))
            take(plan.RateChange(v.toStdString()));
        for (const QString& v : values(lump))
            take(plan.LumpSum(v.toStdString()));
        if (parser.isSet(keepPayment)) plan.KeepPayment();
        if (parser.isSet(keepTerm)) plan.KeepTerm();
        if (parser.isSet(carryOver)) plan.CarryOver();
        if (parser.isSet(noPlan) && plan.Any()) {
            Print(stderr, QStringLiteral("--no-plan goes with no other plan option.\n"));
            exitCode_ = kUsageError;
            return;
        }
        if (!refused.empty()) {
            PrintBytes(stderr, refused);
            exitCode_ = kUsageError;
            return;
        }
        if (parser.isSet(compare) && parser.isSet(chart)) {
            Print(stderr, QStringLiteral("--compare and --chart go one at a time.\n"));
            exitCode_ = kUsageError;
            return;
        }
        // The file's name says what it is to be; one that says neither is refused before any
        // loan is read, as is a chart asked for twice.
        if (parser.isSet(chart) &&
            (parser.values(chart).size() > 1 || !ChartFile::FormatOf(parser.value(chart)))) {
            Print(stderr, QStringLiteral("--chart takes one file, its name ending in .png or "
                                         ".svg: --chart FILE.png\n"));
            exitCode_ = kUsageError;
            return;
        }
        const QString timeValue = parser.value(time), extraValue = parser.value(extra);
        const calc::LoanPlan none;
        std::optional<calc::LoanSchedule> drawn;
        exitCode_ = ExportSchedule(parser.value(schedule), positional,
                                   parser.isSet(time) ? &timeValue : nullptr,
                                   parser.isSet(extra) ? &extraValue : nullptr,
                                   parser.isSet(noPlan) ? &none
                                   : plan.Any()         ? &plan.Plan()
                                                        : nullptr,
                                   parser.isSet(compare) ? Output::Compare
                                   : parser.isSet(chart) ? Output::Chart
                                                         : Output::Schedule,
                                   drawn);
        if (drawn) {
            chart_ = ChartJob{parser.value(chart), std::move(*drawn)};
            finished_ = false;
        }
        return;
    }
    if (parser.isSet(compare) || parser.isSet(chart)) {
        Print(stderr, QStringLiteral("--compare and --chart go with --schedule.\n"));
        exitCode_ = kUsageError;
        return;
    }
    if (anyPlanOption) {
        Print(stderr, QStringLiteral("The plan options go with --schedule.\n"));
        exitCode_ = kUsageError;
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

namespace {

QtMessageHandler qtMessages = nullptr;

// Qt's notes on how it started (no runtime folder, no fonts configured) are no concern of a
// command whose output is a file; what goes wrong with the file itself is said in full.
void QuietQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && qtMessages)
        qtMessages(type, context, message);
}

} // namespace

int CommandLine::WriteChart(const ChartJob& job) {
    // No display is needed, nor used where there is one: the chart is drawn in memory.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(QuietQtNotes);
    int argc = 1;
    char name[] = "dravenholt-loan";
    char* argv[] = {name, nullptr};
    const QGuiApplication gui(argc, argv);
    const calc::ScheduleScenarios scenarios(job.schedule);
    const safefile::WriteOutcome outcome = ChartFile::Write(job.path, job.schedule, &scenarios);
    if (outcome.Saved()) return 0;
    const QString why = QFile::decodeName(QByteArray::fromStdString(outcome.error));
    switch (outcome.state) {
    case safefile::WriteState::Unconfirmed:
        Print(stderr, QStringLiteral("The chart was written to %1, but the system could not "
                                     "confirm that it is safely on disk: %2.\n")
                          .arg(job.path, why));
        break;
    case safefile::WriteState::FailedCopyKept:
        Print(stderr, QStringLiteral("The chart could not be written to %1: %2. A copy of the "
                                     "file as it was is kept at %3.\n")
                          .arg(job.path, why,
                               QFile::decodeName(QByteArray::fromStdString(outcome.backup))));
        break;
    default:
        Print(stderr,
              QStringLiteral("The chart could not be written to %1: %2.\n").arg(job.path, why));
        break;
    }
    return kExportError;
}
