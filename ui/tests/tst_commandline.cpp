// The command line: what it asks for, and a file named on it opened as File > Open opens one.
// --help and --version are run on the real program without a display (tests/e2e/command_line.sh).
#include "ScriptedInteraction.h"
#include "ui/dialogs/AppTitle.h"
#include "ui/main/CommandLine.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/frmLoan.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using Icon = Interaction::Icon;

namespace {

const QString kNotLoanFile = QStringLiteral("This is not a loan file. Select a loan file.");

// One loan row and the blank last row, as a loan file holds them.
QByteArray OneLoanFile(const QByteArray& code) {
    const QByteArray fields[] = {code,  "250000",  "25",        "60",         "7.5",
                                 "150000", "40",   "6.9",       "100000",     "Monthly",
                                 "$1,500.00", "$18,000.00", "Yes"};
    const int widths[] = {15, 11, 3, 6, 6, 11, 6, 6, 11, 11, 12, 12, 3};
    QByteArray record;
    for (int c = 0; c < 13; ++c)
        record += fields[c].leftJustified(widths[c], ' ');
    return record + '\r' + QByteArray(113, ' ') + '\r';
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;
    std::unique_ptr<QTemporaryDir> dir;
    QString oldCurrent;

    void Start() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectMessage(QStringLiteral("For more software visit https://www.dravenholt.example"),
                          kAppTitle, Buttons::OK, Icon::Information);
        w = std::make_unique<frmLoan>();
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
    }

    QString Text(int row, int col) const {
        return QString::fromStdString(std::string(w->Table.Grid.TextAt(row, col)));
    }

    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        oldCurrent = QDir::currentPath();
        // Relative names on the command line are taken from the folder the program starts in.
        QVERIFY(QDir::setCurrent(dir->path()));
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
        QTest::newRow("relative file") << QStringList{"loans.loa"} << false << 0 << "loans.loa";
        QTest::newRow("dotted relative file")
            << QStringList{"./sub/../loans.LOA"} << false << 0 << "loans.LOA";
        QTest::newRow("file after --") << QStringList{"--", "-odd.loa"} << false << 0
                                       << "-odd.loa";
        QTest::newRow("empty name") << QStringList{""} << false << 0 << QString();
        QTest::newRow("two files") << QStringList{"a.loa", "b.loa"} << true << 2 << QString();
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << true << 2 << QString();
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, finished);
        QFETCH(int, exitCode);
        QFETCH(QString, file);
        QVERIFY(QDir().mkdir(QStringLiteral("sub")));
        const CommandLine commandLine(QStringList{"/opt/x/dravenholt-loan"} + arguments);
        QCOMPARE(commandLine.Finished(), finished);
        QCOMPARE(commandLine.ExitCode(), exitCode);
        QCOMPARE(commandLine.File(), file.isEmpty() ? QString() : dir->filePath(file));
    }

    void absoluteFileIsKept() {
        const QString path = dir->filePath(QStringLiteral("loans.loa"));
        QCOMPARE(CommandLine({QStringLiteral("dravenholt-loan"), path}).File(), path);
    }

    void fileArgumentOpensTheFile() {
        Write(QStringLiteral("loans.LOA"), OneLoanFile("HOME"));
        const CommandLine commandLine({QStringLiteral("dravenholt-loan"),
                                       QStringLiteral("loans.LOA")});
        Start();
        w->OpenLoanFile(commandLine.File());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        const QString path = dir->filePath(QStringLiteral("loans.LOA"));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - ") + path);
        QCOMPARE(w->dlgOpen.FileName, path);
        QCOMPARE(w->Table.Grid.Rows(), 3);
        QCOMPARE(Text(1, 0), QStringLiteral("HOME"));
        QCOMPARE(Text(1, 12), QStringLiteral("Yes"));
        QVERIFY(!w->Table.FileChanged);
        // The view shows what was read.
        QCOMPARE(w->GridView->model()->rowCount(), 2);
    }

    // The same message as File > Open gives for a name it refuses; the window stays untitled.
    void wrongFileArgumentIsRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: the file is not created
        QTest::newRow("missing") << "missing.loa" << QByteArray();
        QTest::newRow("other extension") << "loans.txt" << OneLoanFile("HOME");
    }
    void wrongFileArgumentIsRefused() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        if (!content.isNull()) Write(name, content);
        const CommandLine commandLine({QStringLiteral("dravenholt-loan"), name});
        Start();
        ui->ExpectMessage(kNotLoanFile, QStringLiteral("Loan File Only"), Buttons::YesNo,
                          Icon::Question, Answer::Yes);
        w->OpenLoanFile(commandLine.File());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - Untitled"));
        QVERIFY(w->dlgOpen.FileName.isEmpty());
        QCOMPARE(w->Table.Grid.Rows(), 2);
    }

    // A loan file that cannot be read says so, naming it, and leaves the window untitled.
    void unreadableFileArgumentSaysWhy() {
        QVERIFY(QDir().mkdir(QStringLiteral("folder.loa")));
        const CommandLine commandLine({QStringLiteral("dravenholt-loan"),
                                       QStringLiteral("folder.loa")});
        Start();
        w->OpenLoanFile(commandLine.File());
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY2(ui->messagesShown.first().contains(commandLine.File()),
                 qPrintable(ui->messagesShown.first()));
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - Untitled"));
        QCOMPARE(w->Table.Grid.Rows(), 2);
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
