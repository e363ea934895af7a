// The command line: what it asks for, and a file named on it opened as File > Open opens one.
// --help and --version are run on the real program without a display (tests/e2e/command_line.sh).
#include "ScriptedInteraction.h"
#include "ui/common/AppTitle.h"
#include "ui/main/CommandLine.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/NativeFileName.h"
#include "ui/main/frmLoan.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <memory>

#include <signal.h>

using Buttons = Interaction::Buttons;
using Icon = Interaction::Icon;

class CommandLineTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;
    std::unique_ptr<QTemporaryDir> dir;
    QString oldCurrent;

    void Start() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectStartUp();
        w = std::make_unique<frmLoan>();
        w->show();
        QApplication::processEvents();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
    }

    // The file is given as the system's bytes, which need not be UTF-8.
    static CommandLine Started(const QByteArray& file) {
        const char* argv[] = {"dravenholt-loan", file.constData()};
        return CommandLine(CommandLine::Arguments(2, argv));
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        oldCurrent = QDir::currentPath();
        // Relative names on the command line are taken from the folder the program starts in.
        QVERIFY(QDir::setCurrent(dir->path()));
        QVERIFY(QDir().mkdir(QStringLiteral("sub")));
    }
    void cleanup() {
        QDir::setCurrent(oldCurrent);
        w.reset();
        ui.reset();
        dir.reset();
    }

    void parses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("file"); // relative to the starting folder
        QTest::newRow("nothing") << QStringList() << false << 0 << QString();
        QTest::newRow("relative") << QStringList{"loans.loa"} << false << 0 << "loans.loa";
        QTest::newRow("dotted") << QStringList{"./sub/../loans.LOA"} << false << 0 << "loans.LOA";
        QTest::newRow("after --") << QStringList{"--", "-odd.loa"} << false << 0 << "-odd.loa";
        QTest::newRow("empty name") << QStringList{""} << false << 0 << QString();
        QTest::newRow("two files") << QStringList{"a.loa", "b.loa"} << true << 2 << QString();
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << true << 2 << QString();
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, finished);
        QFETCH(int, exitCode);
        QFETCH(QString, file);
        const CommandLine commandLine(QStringList{"/opt/x/dravenholt-loan"} + arguments);
        QCOMPARE(commandLine.Finished(), finished);
        QCOMPARE(commandLine.ExitCode(), exitCode);
        QCOMPARE(commandLine.File(), file.isEmpty() ? QString() : dir->filePath(file));
    }

    // Opened as File > Open opens a chosen file, whatever bytes its name is made of.
    void fileArgumentOpensTheFile() {
        const QByteArray name = "Loans caf\xe9.LOA";
        std::ofstream(name.toStdString(), std::ios::binary)
            << QByteArray("HOME").leftJustified(110, ' ').toStdString() << "Yes\r"
            << std::string(113, ' ') << '\r';
        const CommandLine commandLine = Started(name);
        const QString path = NativeFileName::Decode(QFile::encodeName(dir->path()) + '/' + name);
        QCOMPARE(commandLine.File(), path);
        Start();
        w->OpenLoanFile(commandLine.File());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - ") + path);
        QCOMPARE(w->dlgOpen.FileName, path);
        QCOMPARE(w->GridView->model()->rowCount(), 2);
        QCOMPARE(w->GridView->model()->index(0, 0).data().toString(), QStringLiteral("HOME"));
        QVERIFY(!w->Table.FileChanged);
    }

    // The same message as File > Open gives for a name it refuses; the window stays untitled.
    void wrongFileArgumentIsRefused_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("missing") << QByteArray("missing.loa");
        QTest::newRow("other extension") << QByteArray("loans.txt");
        QTest::newRow("folder") << QByteArray("sub.loa");
    }
    void wrongFileArgumentIsRefused() {
        QFETCH(QByteArray, name);
        std::ofstream("loans.txt") << std::string(113, ' ') << '\r';
        QVERIFY(QDir().mkdir(QStringLiteral("sub.loa")));
        Start();
        ui->ExpectMessage(QStringLiteral("This is not a loan file. Select a loan file."),
                          QStringLiteral("Loan File Only"), Buttons::YesNo, Icon::Question,
                          Interaction::Answer::Yes);
        w->OpenLoanFile(Started(name).File());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - Untitled"));
        QVERIFY(w->dlgOpen.FileName.isEmpty());
        QCOMPARE(w->Table.Grid.Rows(), 2);
    }

    // A text file that happens to end in .loa holds no loan: it is refused as a damaged loan
    // file is, rather than shown as an empty table whose next save would replace the text.
    void aTextFileNamedLikeALoanFileIsRefused() {
        const QByteArray text = "Pay the car loan on Friday.\n";
        QFile notes(QStringLiteral("notes.loa"));
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write(text) == text.size());
        notes.close();
        const QString path = dir->filePath(QStringLiteral("notes.loa"));
        Start();
        ui->ExpectMessage(QStringLiteral("The loan file %1 could not be opened.\n\n\"%1\" is not a "
                                         "loan file: its 28 bytes do not make up one loan record.")
                              .arg(path),
                          QString(), Buttons::OK, Icon::Critical);
        w->OpenLoanFile(Started("notes.loa").File());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - Untitled"));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), text);
    }

    // A run that is killed leaves nothing of the program's in the temp folder; what earlier
    // versions' killed runs left there is removed at the next start.
    void aKilledRunLeavesNothingInTheTempFolder() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString earlier = temp.filePath(QStringLiteral("dravenholt-loan-Ab12Cd"));
        QVERIFY(QDir().mkpath(earlier + QStringLiteral("/QtProject")));
        QVERIFY(QDir().mkpath(temp.filePath(QStringLiteral("another-program-Ab12Cd"))));
        // A desktop session names the runtime folder; without one Qt makes "runtime-<user>" in
        // the temp folder, which is Qt's for every program, not this program's.
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temp.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PROGRAM), {});
        QVERIFY(program.waitForStarted(30000));
        // Up and showing its start-up message once the earlier run's folder has gone.
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(earlier), 30000);
        QTest::qWait(500);
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("another-program-Ab12Cd")});
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
