// dravenholt-loan --schedule FILE.loa CODE [--time TIME] [--extra AMOUNT]: the real program on a
// saved loan file, without a display.
#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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
QByteArray Csv(int time, calc::Cents extra) {
    const calc::RepaymentFields fields = {"300000", "25",     "66.667", "6.5",
                                          "200000", "33.333", "5.99",   "100000"};
    const auto result = calc::LoanSchedule::FromFields(fields, time, extra);
    return QByteArray::fromStdString(calc::ScheduleCsv::Text(*result.schedule));
}

} // namespace

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
}

void tst_scheduleexport::writesTheCsv_data() {
    QTest::addColumn<QStringList>("arguments"); // after the file
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("extra");
    QTest::newRow("the loan's own time") << QStringList{"HOME"} << 4 << 0;
    QTest::newRow("time and extra")
        << QStringList{"HOME", "--time", "Bi Monthly", "--extra", "50"} << 3 << 5000;
    QTest::newRow("any case, cents")
        << QStringList{"--extra=12.5", "home", "--time", "weekly"} << 1 << 1250;
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
                                  << "missing.loa is not a loan file (.loa).";
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
                             << "Missing value after '--schedule'.";
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
    for (const char* option : {"--schedule <FILE>", "--time <TIME>", "--extra <AMOUNT>"})
        QVERIFY2(run.out.contains(option), option);
}

QTEST_GUILESS_MAIN(tst_scheduleexport)
#include "tst_scheduleexport.moc"
