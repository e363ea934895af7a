// dravenholt-loan --schedule FILE.loa CODE [--time TIME] [--extra AMOUNT] [--compare | --chart
// FILE]: the real program on a saved loan file, without a display.
#include "ScenarioLoans.h"

#include "calc/LoanSchedule.h"
#include "calc/PaymentCalendar.h"
#include "calc/ScheduleCsv.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"
#include "loan/PlanFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <grp.h>
#include <unistd.h>

namespace {

std::array<std::string, loan::kLoanCols> Loan(const std::string& code, const std::string& time,
                                              const std::string& variableRate = "6.5") {
    return {code,   "300000", "25", "66.667",    variableRate, "200000", "33.333",
            "5.99", "100000", time, "$1,994.10", "$23,929.25", "Yes"};
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

// The program where any user may run it: the build tree may lie in a folder only its owner
// can enter.
QString ProgramForAnyone() {
    static QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("dravenholt-loan"));
    if (!QFileInfo::exists(copy)) {
        QFile::copy(QStringLiteral(PROGRAM), copy);
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
    }
    return copy;
}

// The program as a shell would start it, with no display at all; unprivileged, as "nobody" when
// the tests run as root, where permission bits apply to root too.
Run Program(const QStringList& arguments, bool unprivileged = false) {
    QProcess process;
    const bool drop = unprivileged && ::geteuid() == 0;
    if (drop) {
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(drop ? ProgramForAnyone() : QStringLiteral(PROGRAM), arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// What the export must print: the schedule of HOME as the window computes it.
QByteArray Csv(int time, calc::Cents extra, const calc::LoanPlan& plan = {}) {
    const calc::RepaymentFields fields = {"300000", "25",     "66.667", "6.5",
                                          "200000", "33.333", "5.99",   "100000"};
    const auto result = calc::LoanSchedule::FromFields(fields, time, extra, plan);
    if (!result.schedule) return "no schedule";
    return QByteArray::fromStdString(calc::ScheduleCsv::Text(*result.schedule));
}

std::chrono::year_month_day Date(int y, unsigned m, unsigned d) {
    return std::chrono::year_month_day{std::chrono::year(y), std::chrono::month(m),
                                       std::chrono::day(d)};
}

// The plan kept with HOME in the plan file beside the loans.
calc::LoanPlan StoredPlan() {
    calc::LoanPlan plan;
    plan.rateChanges = {{24, 8.0}};
    return plan;
}

} // namespace

Q_DECLARE_METATYPE(calc::LoanPlan)

class tst_scheduleexport : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void writesTheCsv_data();
    void writesTheCsv();
    void refuses_data();
    void refuses();
    void unreadableFile();
    void helpNamesTheOptions();
    void followsThePlan_data();
    void followsThePlan();
    void unreadablePlanFile();
    void compare_data();
    void compare();
    void compareRowWithoutScheduleSaysWhy();
    void chart_data();
    void chart();
    void chartFileNotWritten();

  private:
    QTemporaryDir dir_;
    QString file_;
};

void tst_scheduleexport::initTestCase() {
    QVERIFY(dir_.isValid());
    file_ = dir_.filePath(QStringLiteral("loans.loa"));
    loan::LoanTable table;
    table.WriteLoan(1, Loan("HOME", "Monthly"));
    table.WriteLoan(2, Loan("CAR", "Quarterly"));
    table.WriteLoan(3, Loan("BROKEN", "Weekly", "."));
    QVERIFY(loan::LoanFileWriter::WriteFile(QFile::encodeName(file_).toStdString(), table.Grid).Saved());
    QVERIFY(loan::PlanFile::Write(QFile::encodeName(file_).toStdString() + ".plans",
                                  {{"HOME", StoredPlan()}})
                .Saved());
}

void tst_scheduleexport::writesTheCsv_data() {
    QTest::addColumn<QStringList>("arguments"); // after the file
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("extra");
    QTest::newRow("the loan's own time") << QStringList{"HOME", "--no-plan"} << 4 << 0;
    QTest::newRow("time and extra")
        << QStringList{"HOME", "--time", "Bi Monthly", "--extra", "50", "--no-plan"} << 3 << 5000;
    QTest::newRow("any case, cents")
        << QStringList{"--extra=12.5", "home", "--time", "weekly", "--no-plan"} << 1 << 1250;
    QTest::newRow("grouped extra")
        << QStringList{"--extra=1,000.50", "HOME", "--no-plan"} << 4 << 100050;
    QTest::newRow("quarterly loan") << QStringList{"CAR"} << 5 << 0;
}

void tst_scheduleexport::writesTheCsv() {
    QFETCH(QStringList, arguments);
    QFETCH(int, time);
    QFETCH(int, extra);
    const Run run = Program(QStringList{QStringLiteral("--schedule"), file_} + arguments);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, Csv(time, extra));
    QVERIFY(run.out.startsWith("Period,Variable Payment,Variable Interest,"));
}

void tst_scheduleexport::refuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const QString file = QStringLiteral("FILE");
    QTest::newRow("no such file") << QStringList{"--schedule", "missing.loa", "HOME"} << 1
                                  << "missing.loa is missing: there is no such file.";
    QTest::newRow("not a loan file") << QStringList{"--schedule", "FILE.txt", "HOME"} << 1
                                     << "FILE.txt is not a loan file (.loa).";
    QTest::newRow("a folder") << QStringList{"--schedule", "DIR", "HOME"} << 1
                              << "DIR is not a loan file (.loa).";
    QTest::newRow("damaged file") << QStringList{"--schedule", "DAMAGED.loa", "HOME"} << 1
                                  << "\"DAMAGED.loa\" is not a loan file: record 1 is damaged.";
    QTest::newRow("a text file") << QStringList{"--schedule", "NOTES.loa", "HOME"} << 1
                                 << "\"NOTES.loa\" is not a loan file: its 28 bytes do not make "
                                    "up one loan record.";
    QTest::newRow("no such loan") << QStringList{"--schedule", file, "BOAT"} << 1
                                  << "There is no loan \"BOAT\" in FILE.";
    QTest::newRow("loan without schedule")
        << QStringList{"--schedule", file, "BROKEN"} << 1
        << "The loan \"BROKEN\" has no schedule. The repayments of this loan cannot be "
           "calculated: check its term and rates.";
    QTest::newRow("no code") << QStringList{"--schedule", file} << 2
                             << "--schedule needs a loan file and one loan code: --schedule "
                                "FILE.loa CODE";
    QTest::newRow("two codes") << QStringList{"--schedule", file, "HOME", "CAR"} << 2
                               << "--schedule needs a loan file and one loan code: --schedule "
                                  "FILE.loa CODE";
    QTest::newRow("no file") << QStringList{"--schedule"} << 2
                             << "Missing value after '--schedule'. See dravenholt-loan --help.";
    QTest::newRow("unknown time")
        << QStringList{"--schedule", file, "HOME", "--time", "Daily"} << 2
        << "Unknown repayment time \"Daily\": use Weekly, Fortnightly, \"Bi Monthly\", Monthly "
           "or Quarterly.";
    for (const char* amount : {"-5", "12.345", "1e3", "", "100000000", "$50"})
        QTest::newRow(qPrintable(QStringLiteral("extra %1").arg(amount)))
            << QStringList{"--schedule", file, "HOME", "--extra", amount} << 2
            << QStringLiteral("The extra payment \"%1\" is not an amount of dollars from 0 to "
                              "99999999.99, such as 50 or 12.50.")
                   .arg(amount);
    QTest::newRow("time without schedule")
        << QStringList{"--time", "Weekly"} << 2 << "--time and --extra go with --schedule.";
    QTest::newRow("plan without schedule")
        << QStringList{"--carry-over"} << 2 << "The plan options go with --schedule.";
    QTest::newRow("unknown option")
        << QStringList{"--schedule", file, "HOME", "--lumpsum", "3=5"} << 2
        << "Unknown option 'lumpsum'. See dravenholt-loan --help.";

    // A plan wrong whatever the loan: exit 2, before any file is read.
    const auto plan = [](const char* name, QStringList options, const char* error) {
        QTest::newRow(name) << (QStringList{"--schedule", "missing.loa", "HOME"} + options) << 2
                            << QString::fromUtf8(error);
    };
    plan("start that does not exist", {"--start", "2025-02-29"},
         "The start date is not a date that exists.");
    plan("event date that does not exist", {"--start", "2025-01-31", "--lump", "2026-04-31=5"},
         "Lump sum 1 is on a date that does not exist.");
    plan("date without a start", {"--rate-change", "2027-01-01=7"},
         "Rate change 1 is given by a date, which needs a start date.");
    plan("period 0", {"--rate-change", "5=7", "--rate-change", "0=7"},
         "Rate change 2 is in a period before the first; the first payment is period 1.");
    plan("negative rate", {"--rate-change", "5=-0.5"}, "Rate change 1 has a negative rate.");
    plan("negative revert rate", {"--fixed-years", "3", "--revert-rate", "-2"},
         "The revert rate has a negative rate.");
    plan("negative amount", {"--lump", "5=-100@fixed"}, "Lump sum 1 has a negative amount.");
    plan("negative years", {"--fixed-years", "-1"},
         "The fixed period has a negative number of years.");
    plan("two rate changes at a period", {"--time", "Monthly", "--rate-change", "13=7",
                                          "--rate-change", "12=6", "--rate-change", "13=8"},
         "Rate changes 1 and 3 both fall on period 13.");
    plan("a value not taken", {"--rate-change", "13"},
         "--rate-change \"13\" is not WHEN=RATE, such as 13=7.25: WHEN is a period number (1 is "
         "the first payment) or a date YYYY-MM-DD, RATE the variable rate in percent from then "
         "on.");
    plan("no-plan with a plan", {"--no-plan", "--carry-over"},
         "--no-plan goes with no other plan option.");
    // Dated rate changes meet in one period only at the loan's own repayment time: HOME pays
    // monthly, so two in one month are refused once the file is read.
    QTest::newRow("two dated rate changes in one month")
        << QStringList{"--schedule", file, "HOME", "--start", "2026-01-31", "--rate-change",
                       "2026-05-02=7", "--rate-change", "2026-05-20=8"}
        << 2 << "The loan \"HOME\" has no schedule. Rate changes 1 and 2 both fall on period 5.";
    // A plan the loan cannot follow: exit 1.
    QTest::newRow("event after the end")
        << QStringList{"--schedule", file, "HOME", "--lump", "301=5"} << 1
        << "The loan \"HOME\" has no schedule. The plan has an event in period 301, after the "
           "loan's last period.";
    QTest::newRow("payment below the interest")
        << QStringList{"--schedule", file, "HOME", "--keep-payment", "--rate-change", "2=40"} << 1
        << "The loan \"HOME\" has no schedule. In period 2 the payment no longer covers the "
           "interest at the new rate: the loan would never be paid.";
}

void tst_scheduleexport::refuses() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("DIR")));
    QFile text(dir_.filePath(QStringLiteral("FILE.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    QFile damaged(dir_.filePath(QStringLiteral("DAMAGED.loa")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(114, 'x'));
    damaged.close();
    QFile notes(dir_.filePath(QStringLiteral("NOTES.loa")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("Pay the car loan on Friday.\n");
    notes.close();
    const auto place = [this](QString s) {
        if (s == QLatin1String("FILE")) return file_;
        if (s == QLatin1String("DIR") || s.startsWith(QLatin1String("FILE.")) ||
            s.startsWith(QLatin1String("missing")) || s.startsWith(QLatin1String("DAMAGED")) ||
            s.startsWith(QLatin1String("NOTES")))
            return dir_.filePath(s);
        return s;
    };
    for (QString& argument : arguments)
        argument = place(argument);
    error.replace(QStringLiteral("FILE.txt"), dir_.filePath(QStringLiteral("FILE.txt")))
        .replace(QStringLiteral("missing.loa"), dir_.filePath(QStringLiteral("missing.loa")))
        .replace(QStringLiteral("DIR "), dir_.filePath(QStringLiteral("DIR ")))
        .replace(QStringLiteral("DAMAGED.loa"), dir_.filePath(QStringLiteral("DAMAGED.loa")))
        .replace(QStringLiteral("NOTES.loa"), dir_.filePath(QStringLiteral("NOTES.loa")))
        .replace(QStringLiteral("in FILE."), QStringLiteral("in ") + file_ + QLatin1Char('.'));
    const Run run = Program(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err), error + QLatin1Char('\n'));
}

void tst_scheduleexport::unreadableFile() {
    QVERIFY(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadOther |
                                                   QFile::ExeOther));
    const QString locked = dir_.filePath(QStringLiteral("locked.loa"));
    QVERIFY(QFile::copy(file_, locked));
    QVERIFY(QFile::setPermissions(locked, {}));
    const Run run = Program({QStringLiteral("--schedule"), locked, QStringLiteral("HOME")}, true);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, "Cannot open \"" + QFile::encodeName(locked) + "\": Permission denied\n");
}

void tst_scheduleexport::helpNamesTheOptions() {
    const Run run = Program({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    for (const char* option :
         {"--schedule <FILE>", "--time <TIME>", "--extra <AMOUNT>", "--start <YYYY-MM-DD>",
          "--fixed-years <YEARS>", "--revert-rate <RATE>", "--rate-change <WHEN=RATE>",
          "--lump <WHEN=AMOUNT[@fixed]>", "--keep-payment", "--keep-term", "--carry-over",
          "--no-plan", "--compare", "--chart <FILE>", "\n  FILE ", "\n  CODE ",
          "Exit status:", "\n  2  ", "Examples:"})
        QVERIFY2(run.out.contains(option), option);
    // Qt's own options are no concern of this program's users.
    QVERIFY(!run.out.contains("help-all"));
    QVERIFY(!run.out.contains("Qt"));
}

// Each plan option, alone and together; without them the plan kept with the loan, and with
// --no-plan none.
void tst_scheduleexport::followsThePlan_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("time");
    QTest::addColumn<calc::LoanPlan>("plan");
    const auto row = [](const char* name, const QStringList& options, int time,
                        const std::function<void(calc::LoanPlan&)>& make) {
        calc::LoanPlan plan;
        make(plan);
        QTest::newRow(name) << options << time << plan;
    };
    row("the stored plan", {}, 4, [](calc::LoanPlan& p) { p = StoredPlan(); });
    row("no plan", {"--no-plan"}, 4, [](calc::LoanPlan&) {});
    row("start", {"--start", "2026-01-31"}, 4,
        [](calc::LoanPlan& p) { p.start = Date(2026, 1, 31); });
    row("fixed years", {"--fixed-years", "3"}, 4, [](calc::LoanPlan& p) { p.fixedYears = 3; });
    row("revert rate", {"--fixed-years=2.5", "--revert-rate", "7.5", "--time", "Fortnightly"}, 2,
        [](calc::LoanPlan& p) {
        p.fixedYears = 2.5;
        p.revertRatePercent = 7.5;
    });
    row("rate changes by period and date",
        {"--start", "2026-01-31", "--rate-change", "13=7.25", "--rate-change", "2028-03-01=6"}, 4,
        [](calc::LoanPlan& p) {
            p.start = Date(2026, 1, 31);
            p.rateChanges = {{13, 7.25}, {Date(2028, 3, 1), 6.0}};
        });
    row("lump sums", {"--lump", "24=5,000", "--lump", "36=1000.50@fixed"}, 4,
        [](calc::LoanPlan& p) {
            p.lumpSums = {{24, 500'000, calc::PlanPart::Variable},
                          {36, 100'050, calc::PlanPart::Fixed}};
        });
    row("keep payment", {"--rate-change", "13=7.5", "--keep-payment"}, 4, [](calc::LoanPlan& p) {
        p.rateChanges = {{13, 7.5}};
        p.afterRateChange = calc::AfterRateChange::PaymentStays;
    });
    row("keep term", {"--lump", "24=5000", "--keep-term"}, 4, [](calc::LoanPlan& p) {
        p.lumpSums = {{24, 500'000, calc::PlanPart::Variable}};
        p.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    });
    // The variable part, paid down at once, ends first; its installment then goes on.
    row("carry over", {"--carry-over", "--lump", "1=150,000", "--time", "Weekly"}, 1,
        [](calc::LoanPlan& p) {
            p.carryOver = true;
            p.lumpSums = {{1, 15'000'000, calc::PlanPart::Variable}};
        });
}

void tst_scheduleexport::followsThePlan() {
    QFETCH(QStringList, options);
    QFETCH(int, time);
    QFETCH(calc::LoanPlan, plan);
    const Run run =
        Program(QStringList{QStringLiteral("--schedule"), file_, QStringLiteral("HOME")} + options);
    QCOMPARE(QString::fromUtf8(run.err), QString());
    QCOMPARE(run.exitCode, 0);
    const QByteArray expected = Csv(time, 0, plan);
    QCOMPARE(run.out, expected);
    // The plan is followed, not the loan without it, and dates come only with a start.
    if (!plan.ChangesNoAmount()) QVERIFY(run.out != Csv(time, 0));
    if (plan.carryOver) {
        calc::LoanPlan without = plan;
        without.carryOver = false;
        QVERIFY(run.out != Csv(time, 0, without));
    }
    QCOMPARE(run.out.startsWith("Period,Date,"), plan.start.has_value());
    if (plan.start) QVERIFY(run.out.contains("\r\n1,2026-01-31,"));
}

// A plan file that cannot be read stops only the export that would use it.
void tst_scheduleexport::unreadablePlanFile() {
    QTemporaryDir dir;
    const QString loans = dir.filePath(QStringLiteral("loans.loa"));
    QVERIFY(QFile::copy(file_, loans));
    QFile plans(loans + QStringLiteral(".plans"));
    QVERIFY(plans.open(QIODevice::WriteOnly));
    plans.write("{\"format\": \"dravenholt-loan plans\", \"version\": 9}");
    plans.close();
    const Run stored = Program({QStringLiteral("--schedule"), loans, QStringLiteral("HOME")});
    QCOMPARE(stored.exitCode, 1);
    QCOMPARE(stored.out, QByteArray());
    QVERIFY2(stored.err.startsWith("The plans in " + QFile::encodeName(loans) +
                                   ".plans could not be read: it was written by a later version"),
             stored.err.constData());
    const Run given = Program(
        {QStringLiteral("--schedule"), loans, QStringLiteral("HOME"), QStringLiteral("--no-plan")});
    QCOMPARE(given.exitCode, 0);
    QCOMPARE(given.out, Csv(4, 0));
}

// --compare: the compare table's CSV, each scenario's row the figures of its own loan, made
// apart: the variable rates one or two points up, or the plan without its extra money.
void tst_scheduleexport::compare_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("extra");
    QTest::addColumn<calc::LoanPlan>("plan");
    QTest::newRow("no plan") << QStringList{"--no-plan"} << 4 << 0 << calc::LoanPlan{};
    QTest::newRow("the stored plan") << QStringList{} << 4 << 0 << StoredPlan();
    calc::LoanPlan dated;
    dated.start = Date(2026, 1, 31);
    dated.fixedYears = 3;
    dated.rateChanges = {{13, 7.25}};
    dated.lumpSums = {{24, 500'000, calc::PlanPart::Variable}};
    QTest::newRow("dated, extra and a lump sum")
        << QStringList{"--start", "2026-01-31", "--fixed-years", "3",       "--rate-change",
                       "13=7.25", "--lump",     "24=5,000",      "--extra", "100"}
        << 4 << 10'000 << dated;
    calc::LoanPlan revert;
    revert.fixedYears = 2;
    revert.revertRatePercent = 7;
    QTest::newRow("a revert rate of its own, fortnightly")
        << QStringList{"--fixed-years", "2", "--revert-rate", "7", "--time", "Fortnightly"} << 2
        << 0 << revert;
}

// A stressed scenario the plan cannot follow: its row stays empty, and standard error says why,
// as the window does, while the export still succeeds with the rows it has.
void tst_scheduleexport::compareRowWithoutScheduleSaysWhy() {
    const Run run = Program({QStringLiteral("--schedule"), file_, QStringLiteral("HOME"),
                             QStringLiteral("--compare"), QStringLiteral("--keep-payment"),
                             QStringLiteral("--rate-change"), QStringLiteral("12=8.2")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> rows = run.out.split('\n');
    QVERIFY(rows.size() > 3 && rows[1].startsWith("As planned,") && !rows[1].contains(",,"));
    QCOMPARE(rows[2], QByteArray("Variable +1%,,,,,\r"));
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.startsWith(QStringLiteral("Variable +1%: no schedule. ")) &&
                 err.contains(QStringLiteral("\nVariable +2%: no schedule. ")) &&
                 err.contains(QStringLiteral("period 12")),
             qPrintable(err));
}

void tst_scheduleexport::compare() {
    QFETCH(QStringList, options);
    QFETCH(int, time);
    QFETCH(int, extra);
    QFETCH(calc::LoanPlan, plan);
    const Run run = Program(QStringList{QStringLiteral("--schedule"), file_, QStringLiteral("HOME"),
                                        QStringLiteral("--compare")} +
                            options);
    QCOMPARE(QString::fromUtf8(run.err), QString());
    QCOMPARE(run.exitCode, 0);

    const auto plain = [](calc::Cents cents) {
        return QByteArray::number(cents / 100) + '.' +
               QByteArray::number(cents % 100).rightJustified(2, '0');
    };
    calc::LoanPlan withoutExtras = plan;
    withoutExtras.lumpSums.clear();
    std::vector<std::pair<QByteArray, calc::LoanSchedule>> loans = {
        {"As planned", ScenarioLoans::Make(ScenarioLoans::Fields(), time, extra, plan)},
        {"Variable +1%", ScenarioLoans::Make(ScenarioLoans::Fields("7.5"), time, extra,
                                             ScenarioLoans::Raised(plan, 1))},
        {"Variable +2%", ScenarioLoans::Make(ScenarioLoans::Fields("8.5"), time, extra,
                                             ScenarioLoans::Raised(plan, 2))}};
    if (extra > 0 || !plan.lumpSums.empty())
        loans.emplace_back("Without extra payments",
                           ScenarioLoans::Make(ScenarioLoans::Fields(), time, 0, withoutExtras));
    QByteArray expected =
        "Scenario,Installment,Highest Installment,Total Interest,Last Period,Last Date\r\n";
    for (const auto& [name, loan] : loans) {
        const ScenarioLoans::Figures f = ScenarioLoans::FiguresOf(loan);
        expected += name + ',' + plain(f.first) + ',' + plain(f.highest) + ',' + plain(f.interest) +
                    ',' + QByteArray::number(f.last) + ',' +
                    (f.date ? QByteArray::fromStdString(calc::PaymentCalendar::Iso(*f.date))
                            : QByteArray()) +
                    "\r\n";
    }
    QCOMPARE(run.out, expected);
}

// --chart: the chart as a PNG or an SVG by the name's ending, and nothing on standard output or
// standard error, with no display at all; into a folder whose name has a space.
void tst_scheduleexport::chart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("PNG, no plan") << "home chart.png" << QStringList{"--no-plan"};
    QTest::newRow("PNG, dated plan")
        << "home chart.PNG"
        << QStringList{"--start", "2026-01-31", "--lump", "24=5000", "--rate-change", "13=7"};
    QTest::newRow("SVG, the stored plan") << "home chart.svg" << QStringList{};
    QTest::newRow("SVG, a lump sum") << "home.svg" << QStringList{"--lump", "24=5000"};
}

void tst_scheduleexport::chart() {
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("my charts")));
    const QString path = dir.filePath(QStringLiteral("my charts/") + name);
    const Run run = Program(QStringList{QStringLiteral("--schedule"), file_, QStringLiteral("HOME"),
                                        QStringLiteral("--chart"), path} +
                            options);
    QCOMPARE(QString::fromUtf8(run.err), QString());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (name.endsWith(QStringLiteral("png"), Qt::CaseInsensitive)) {
        const QImage image = QImage::fromData(bytes, "PNG");
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 800 && image.height() >= 400);
        // Not a blank picture: the loan's line is drawn in its blue.
        int blue = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                blue += image.pixel(x, y) == qRgb(0x00, 0x72, 0xb2);
        QVERIFY(blue > 100);
    } else {
        QVERIFY(bytes.startsWith("<?xml"));
        QVERIFY(bytes.contains("viewBox=\"0 0 1000 500\""));
        QVERIFY(bytes.contains("Loan as planned"));
        // The line without the extra money only where the plan has some.
        QCOMPARE(bytes.contains("Without extra payments"), options.contains("--lump"));
    }
    // Only the file asked for: no temporary file left beside it.
    QCOMPARE(QDir(dir.filePath(QStringLiteral("my charts"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{name});
}

// A chart that cannot be written says why, writes nothing to standard output and exits 1; a
// name that is neither a PNG nor an SVG, or a chart with the compare table, is a bad command
// line, refused before the loan file is read.
void tst_scheduleexport::chartFileNotWritten() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/home.png"));
    const Run run = Program({QStringLiteral("--schedule"), file_, QStringLiteral("HOME"),
                             QStringLiteral("--chart"), path});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(
        run.err.startsWith("The chart could not be written to " + QFile::encodeName(path) + ": "),
        run.err.constData());
    QVERIFY(!QFileInfo::exists(path));

    const struct {
        QStringList arguments;
        const char* error;
    } refusals[] = {
        {{"--schedule", "missing.loa", "HOME", "--chart", "home.jpg"},
         "--chart takes one file, its name ending in .png or .svg: --chart FILE.png\n"},
        {{"--schedule", "missing.loa", "HOME", "--chart", "a.png", "--chart", "b.svg"},
         "--chart takes one file, its name ending in .png or .svg: --chart FILE.png\n"},
        {{"--schedule", "missing.loa", "HOME", "--compare", "--chart", "home.png"},
         "--compare and --chart go one at a time.\n"},
        {{"--compare"}, "--compare and --chart go with --schedule.\n"},
        {{"--chart", "home.svg"}, "--compare and --chart go with --schedule.\n"},
    };
    for (const auto& refusal : refusals) {
        const Run refused = Program(refusal.arguments);
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(refused.out, QByteArray());
        QCOMPARE(refused.err, QByteArray(refusal.error));
    }
}

QTEST_GUILESS_MAIN(tst_scheduleexport)
#include "tst_scheduleexport.moc"
