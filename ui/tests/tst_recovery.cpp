// Unsaved loans kept for the next start, through the real main window with every box scripted: a
// change reaches the recovery copy on disk, Save, No at exit and Open of another file remove it,
// and a window started over a copy that an ended program left offers it.
#include "ScriptedInteraction.h"
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"
#include "loan/OpenFile.h"
#include "loan/PlanFile.h"
#include "loan/RecoveryCopy.h"
#include "loan/tests/OtherProgram.h"
#include "ui/common/AppTitle.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/TerminationSignals.h"
#include "ui/main/frmLoan.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <csignal>
#include <ctime>
#include <memory>
#include <sstream>

#include <sys/stat.h>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;

namespace {

const QString kUntitled = kAppTitle + QStringLiteral(" - Untitled");
const QString kSaveFirst = QStringLiteral("Save file before exiting?");
// The time every leftover of these tests was made, shown in UTC.
constexpr std::int64_t kMadeAt = 1800000000;
const QString kWhen = QStringLiteral("15 January 2027, 08:00");

QString Titled(const QString& path) {
    return kAppTitle + QStringLiteral(" - ") + path;
}

std::array<std::string, loan::kLoanCols> Loan(const std::string& code) {
    return {code,  "250000", "25",      "60",        "7.5",        "150000", "40",
            "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"};
}

loan::LoanTable TableOf(const std::vector<std::string>& codes) {
    loan::LoanTable table;
    for (const std::string& code : codes)
        table.WriteLoan(table.Grid.Rows() - 1, Loan(code));
    return table;
}

QByteArray FileOf(const std::vector<std::string>& codes) {
    loan::LoanTable table = TableOf(codes);
    std::ostringstream out;
    loan::LoanFileWriter::Write(out, table.Grid);
    return QByteArray::fromStdString(out.str());
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString Offer(const QString& whose, const QString& when = kWhen) {
    return QStringLiteral("Loans of %1 from %2 were not saved.\n\nRecover them? Discard deletes "
                          "them for good.")
        .arg(whose, when);
}

// When a copy was made, as the offer words it.
QString When(std::int64_t seconds) {
    return QLocale(QLocale::English)
        .toString(QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()),
                  QStringLiteral("d MMMM yyyy, hh:mm"));
}

QStringList Codes(frmLoan& w) {
    QStringList codes;
    for (int r = 1; r < w.Table.Grid.Rows() - 1; ++r)
        codes << QString::fromStdString(std::string(w.Table.Grid.TextAt(r, 0)));
    return codes;
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;
    std::unique_ptr<QTemporaryDir> dir;

    QString Path(const QString& name) const { return dir->filePath(name); }
    QString State() const { return Path(QStringLiteral("state/dravenholt-loan")); }
    QString OwnCopy() const { return QString::fromStdString(w->File.RecoveryCopyPath()); }
    QStringList Copies() const {
        return QDir(State()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A window started over a copy: the start-up message, then the offer, answered.
    void StartOffering(const QString& text, Answer answer) {
        steps_ = [text, answer](ScriptedInteraction& s) {
            s.ExpectMessage(text, QString(), Buttons::RecoverDiscard, Icon::Question, answer);
        };
        StartScripted();
    }
    // A window as the program starts one: the start-up message, then what steps_ scripts for
    // the copies ended programs left, if anything.
    void StartScripted() {
        ui->Clear();
        ui->ExpectStartUp();
        if (steps_) steps_(*ui);
        steps_ = nullptr;
        w = std::make_unique<frmLoan>();
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        w->GridView->setFocus();
        w->StartRecovery();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
    }
    std::function<void(ScriptedInteraction&)> steps_;

    // File > Open of path, answering No when unsaved loans are asked about.
    void OpenLoans(const QString& path, bool asked = false) {
        if (asked)
            ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        ui->ExpectFile(FileMode::Open, path);
        Ctrl(Qt::Key_O);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
    }
    // The second loan clicked and deleted: a change of the table as the user makes one.
    void DeleteSecondLoan() {
        const QModelIndex second = w->GridView->model()->index(1, 0);
        QTest::mouseClick(w->GridView->viewport(), Qt::LeftButton, {},
                          w->GridView->visualRect(second).center());
        ui->ExpectMessage(QStringLiteral("Delete the existing Loan?"), "Delete", Buttons::YesNo,
                          Icon::Question, Answer::Yes);
        Ctrl(Qt::Key_D);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QVERIFY(w->Table.FileChanged);
    }
    void Ctrl(Qt::Key key) { QTest::keyClick(w->GridView, key, Qt::ControlModifier); }

    // What a program that has ended left: a copy of these loans of fileName.
    QString LeaveCopy(const QString& fileName, const std::vector<std::string>& codes,
                      const std::function<void(loan::RecoveryHeader&)>& more = {}) {
        loan::RecoveryHeader header;
        header.program = OtherProgram::Ended();
        header.madeAt = kMadeAt;
        header.fileName = fileName.toStdString();
        header.identity = safefile::FileIdentity::Of(header.fileName);
        header.fileLoans = 3;
        if (more) more(header);
        loan::LoanTable table = TableOf(codes);
        std::string bytes;
        loan::RecoveryCopy::Write(header, table.Grid.Snapshot(), [&bytes](std::string_view b) {
            bytes.append(b);
            return true;
        });
        QDir().mkpath(State());
        const QString path =
            State() + QStringLiteral("/%1.recovery").arg(QString::fromStdString(header.program));
        WriteBytes(path, QByteArray::fromStdString(bytes));
        return path;
    }

  private slots:
    void initTestCase() {
        // The leftovers' time reads the same wherever the tests run.
        qputenv("TZ", "UTC");
        ::tzset();
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", Path(QStringLiteral("state")).toUtf8());
        qputenv("XDG_CACHE_HOME", Path(QStringLiteral("cache")).toUtf8());
        ui = std::make_unique<ScriptedInteraction>();
    }
    void cleanup() {
        w.reset();
        ui.reset();
        dir.reset();
        qunsetenv("XDG_STATE_HOME");
        qunsetenv("XDG_CACHE_HOME");
    }

    void aChangeIsOnDiskWithinThreeSeconds() {
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        StartScripted();
        OpenLoans(Path("a.loa"));
        QVERIFY(Copies().isEmpty());
        DeleteSecondLoan();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(OwnCopy()), 3000);
        w->File.WaitForRecoveryCopy();
        std::string error;
        const std::string bytes = ReadAll(OwnCopy()).toStdString();
        const auto copy = loan::RecoveryCopy::Read(bytes, error);
        QVERIFY2(copy, error.c_str());
        QCOMPARE(QByteArray::fromStdString(std::string(copy->loans)), FileOf({"HOME", "BOAT"}));
        QCOMPARE(QString::fromStdString(copy->header.fileName), Path("a.loa"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(OwnCopy()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0600u);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR", "BOAT"}));
    }

    void theCopyGoesWhenTheLoansAreSavedOrLetGo_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Save") << "save" << false;
        QTest::newRow("No to the question at File > Exit") << "exit" << false;
        QTest::newRow("No to the question at the close box") << "close" << false;
        QTest::newRow("Open of another file after its question") << "open" << false;
        QTest::newRow("File > New after its question") << "new" << false;
        QTest::newRow("Open whose dialog is cancelled") << "cancelled open" << true;
        QTest::newRow("Yes at File > Exit, the save failing") << "failed exit" << true;
    }
    void theCopyGoesWhenTheLoansAreSavedOrLetGo() {
        QFETCH(QString, command);
        QFETCH(bool, kept);
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        WriteBytes(Path("b.loa"), FileOf({"VAN"}));
        StartScripted();
        OpenLoans(Path("a.loa"));
        DeleteSecondLoan();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(OwnCopy()), 3000);
        // File > Exit and File > New have no shortcut: the menu by its access keys.
        const auto fileMenu = [this](Qt::Key key) {
            QTest::keyClick(w.get(), Qt::Key_F, Qt::AltModifier);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QTest::keyClick(menu, key);
        };
        const auto no = [this] {
            ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        };
        if (command == "save") {
            Ctrl(Qt::Key_S);
        } else if (command == "exit") {
            no();
            fileMenu(Qt::Key_X);
            QVERIFY(!w->isVisible());
        } else if (command == "close") {
            no();
            w->close();
            QVERIFY(!w->isVisible());
        } else if (command == "open") {
            OpenLoans(Path("b.loa"), true);
            QCOMPARE(w->windowTitle(), Titled(Path("b.loa")));
        } else if (command == "new") {
            no();
            fileMenu(Qt::Key_N);
            QCOMPARE(w->windowTitle(), kUntitled);
            // Gone once the window has taken in that the table changed.
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(OwnCopy()), 3000);
        } else if (command == "cancelled open") {
            no();
            ui->ExpectFile(FileMode::Open, std::nullopt);
            Ctrl(Qt::Key_O);
        } else if (command == "failed exit") {
            // A folder in the file's place: no save can write it, whoever runs the tests.
            QVERIFY(QFile::remove(Path("a.loa")) && QDir().mkdir(Path("a.loa")));
            ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
                .ExpectMessage(QStringLiteral("The loan file %1 has been changed by another "
                                              "program since it was opened. Replace it with this "
                                              "table?")
                                   .arg(Path("a.loa")),
                               "Loan File Changed", Buttons::YesNo, Icon::Question, Answer::Yes)
                .ExpectMessage(QStringLiteral("The loans could not be saved to %1.\n\nCannot "
                                              "write \"%1\": Is a directory\n\nThe file is as "
                                              "it was before.")
                                   .arg(Path("a.loa")),
                               QString(), Buttons::OK, Icon::Critical);
            fileMenu(Qt::Key_X);
            QVERIFY(w->isVisible());
        }
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        w->File.WaitForRecoveryCopy();
        QCOMPARE(QFile::exists(OwnCopy()), kept);
    }

    void aStartOverALeftoverOffersItAndRecoverGivesItsTableUnsaved() {
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        LeaveCopy(Path("a.loa"), {"HOME", "BOAT"});
        StartOffering(Offer("the loan file " + Path("a.loa")), Answer::Recover);
        QCOMPARE(Codes(*w), (QStringList{"HOME", "BOAT"}));
        QCOMPARE(w->windowTitle(), Titled(Path("a.loa")));
        QVERIFY(w->Table.FileChanged);
        QCOMPARE(w->GridView->model()->rowCount(), 3);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR", "BOAT"}));
        // Save writes them to the file they came from, asking nothing: nobody changed it.
        Ctrl(Qt::Key_S);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "BOAT"}));
        QVERIFY(!w->Table.FileChanged);
        w->File.WaitForRecoveryCopy();
        QVERIFY(Copies().isEmpty());
    }

    void aRecoveredTableAsksWhatSaveAsks_data() {
        QTest::addColumn<bool>("changedMeanwhile");
        QTest::addColumn<bool>("queryHid");
        QTest::newRow("another program changed the file") << true << false;
        QTest::newRow("a query by example hid loans") << false << true;
    }
    void aRecoveredTableAsksWhatSaveAsks() {
        QFETCH(bool, changedMeanwhile);
        QFETCH(bool, queryHid);
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        LeaveCopy(Path("a.loa"), {"HOME", "BOAT"},
                  [queryHid](loan::RecoveryHeader& header) { header.queryHid = queryHid; });
        if (changedMeanwhile) WriteBytes(Path("a.loa"), FileOf({"VAN", "CAR", "BOAT", "HOME"}));
        const QByteArray before = ReadAll(Path("a.loa"));
        StartOffering(Offer("the loan file " + Path("a.loa")), Answer::Recover);
        const QString asked =
            changedMeanwhile
                ? QStringLiteral("The loan file %1 has been changed by another program since it "
                                 "was opened. Replace it with this table?")
                : QStringLiteral("The loan file %1 holds 3 loans; the table shows the 2 found by "
                                 "the query. Replace the file with these 2 loans?");
        ui->ExpectMessage(asked.arg(Path("a.loa")),
                          changedMeanwhile ? "Loan File Changed" : "Save File?", Buttons::YesNo,
                          Icon::Question, Answer::No);
        Ctrl(Qt::Key_S);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(ReadAll(Path("a.loa")), before);
        QVERIFY(w->Table.FileChanged);
    }

    void discardRemovesTheCopy() {
        LeaveCopy(Path("a.loa"), {"HOME"});
        StartOffering(Offer("the loan file " + Path("a.loa")), Answer::Discard);
        QVERIFY(Copies().isEmpty());
        QCOMPARE(w->windowTitle(), kUntitled);
        QVERIFY(!w->Table.FileChanged);
        QCOMPARE(w->Table.LoanCount(), 0);
        // Nothing is offered at the next start.
        w.reset();
        StartScripted();
    }

    void anUntitledLeftoverComesBackUntitled() {
        LeaveCopy(QString(), {"HOME", "CAR"});
        StartOffering(Offer("an untitled table"), Answer::Recover);
        QCOMPARE(Codes(*w), (QStringList{"HOME", "CAR"}));
        QCOMPARE(w->windowTitle(), kUntitled);
        QVERIFY(w->Table.FileChanged);
        ui->ExpectFile(FileMode::Save, Path("new.loa"));
        Ctrl(Qt::Key_S);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(ReadAll(Path("new.loa")), FileOf({"HOME", "CAR"}));
    }

    // A file named on the command line opens after the question; recovered loans are then
    // offered to be saved first, as File > Open does.
    void aFileOnTheCommandLineOpensAfterTheOffer() {
        WriteBytes(Path("b.loa"), FileOf({"VAN"}));
        LeaveCopy(QString(), {"HOME"});
        StartOffering(Offer("an untitled table"), Answer::Recover);
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        w->OpenFromCommandLine(Path("b.loa"));
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), Titled(Path("b.loa")));
        QCOMPARE(Codes(*w), QStringList{"VAN"});
        w->File.WaitForRecoveryCopy();
        QVERIFY(Copies().isEmpty());
    }

    // A plan changed, as the schedule window changes one, is an unsaved change too: it reaches
    // the copy, and comes back with the loans.
    void aPlanIsKeptAndRecoveredWithItsLoans() {
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR"}));
        StartScripted();
        OpenLoans(Path("a.loa"));
        calc::LoanPlan plan;
        plan.fixedYears = 3;
        w->File.SetPlan("HOME", plan);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(OwnCopy()), 3000);
        w->File.WaitForRecoveryCopy();
        std::string error;
        const auto copy = loan::RecoveryCopy::Read(ReadAll(OwnCopy()).toStdString(), error);
        QVERIFY2(copy, error.c_str());
        QCOMPARE(copy->header.plans, loan::PlanFile::Text(w->File.AllPlans()));

        // As if its program had been killed: the copy, left under an ended program's name.
        QVERIFY(QFile::remove(OwnCopy()));
        w.reset();
        LeaveCopy(Path("a.loa"), {"HOME", "CAR"},
                  [&copy](loan::RecoveryHeader& header) { header.plans = copy->header.plans; });
        StartOffering(Offer("the loan file " + Path("a.loa")), Answer::Recover);
        QCOMPARE(w->File.PlanOf("HOME").fixedYears, std::optional<double>(3));
        QVERIFY(w->Table.FileChanged);
    }

    void twoProgramsKeepTheirCopiesApart() {
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        const std::string state = State().toStdString(), file = Path("a.loa").toStdString();
        OtherProgram other([&state, &file] {
            loan::LoanTable table;
            loan::OpenFile open(table);
            open.KeepRecoveryCopies(state);
            open.AfterRead(file, loan::LoanFileReader::ReadFile(file, table.Grid));
            table.DeleteLoan(1);
            open.FreezeRecoveryCopy();
        });
        const QString otherCopy =
            State() + QStringLiteral("/%1.recovery").arg(QString::fromStdString(other.Stamp()));
        QVERIFY(QFile::exists(otherCopy));
        // Not offered while its program runs.
        StartScripted();
        OpenLoans(Path("a.loa"));
        DeleteSecondLoan();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(OwnCopy()), 3000);
        QCOMPARE(Copies().size(), 2);
        Ctrl(Qt::Key_S);
        w->File.WaitForRecoveryCopy();
        QCOMPARE(Copies(), QStringList{QFileInfo(otherCopy).fileName()});
        // Once it has ended, the next start offers it.
        other.End();
        w.reset();
        std::string error;
        const auto copy = loan::RecoveryCopy::Read(ReadAll(otherCopy).toStdString(), error);
        QVERIFY2(copy, error.c_str());
        StartOffering(Offer("the loan file " + Path("a.loa"), When(copy->header.madeAt)),
                      Answer::Discard);
        QVERIFY(Copies().isEmpty());
    }

    // A state folder that cannot be made (a file stands in its place, which holds for root
    // too): the user is told once that unsaved loans are not kept, and again only after a copy
    // was written in between.
    void aCopyThatCannotBeWrittenIsSaidOnce() {
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        WriteBytes(Path("state"), "not a folder");
        StartScripted();
        OpenLoans(Path("a.loa"));
        DeleteSecondLoan();
        ui->Clear();
        QTRY_COMPARE_WITH_TIMEOUT(ui->messagesShown.size(), 1, 10000);
        const QString told = ui->messagesShown.first();
        QVERIFY2(told.startsWith(kAppTitle + QStringLiteral("|Your unsaved loans cannot be kept")),
                 qPrintable(told));
        QVERIFY2(told.contains(Path("state")), qPrintable(told));
        ui->Clear();

        DeleteSecondLoan();
        ui->Clear();
        QTest::qWait(5000);
        QVERIFY(ui->messagesShown.isEmpty());

        QVERIFY(QFile::remove(Path("state")));
        WriteBytes(Path("b.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        OpenLoans(Path("b.loa"), true);
        DeleteSecondLoan();
        ui->Clear();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(OwnCopy()), 3000);
        QTest::qWait(3500);
        QVERIFY(ui->messagesShown.isEmpty());
    }

    void aDamagedCopyIsReportedAndKeptAside() {
        const QString damaged = LeaveCopy(Path("a.loa"), {"HOME"});
        QByteArray bytes = ReadAll(damaged);
        bytes[bytes.size() / 2] = bytes[bytes.size() / 2] ^ 0x01;
        WriteBytes(damaged, bytes);
        steps_ = [damaged](ScriptedInteraction& s) {
            s.ExpectMessage(QStringLiteral("A copy of loans that were not saved is damaged: its "
                                           "checksum does not match its content. Its loans cannot "
                                           "be recovered.\n\nThe copy is kept at %1.damaged.")
                                .arg(damaged),
                            QString(), Buttons::OK, Icon::Critical);
        };
        StartScripted();
        QCOMPARE(w->windowTitle(), kUntitled);
        QCOMPARE(w->Table.LoanCount(), 0);
        QCOMPARE(ReadAll(damaged + ".damaged"), bytes);
        // Reported once: it is not offered again.
        w.reset();
        StartScripted();
    }

    // SIGTERM or SIGHUP, as the end of the session sends it: unsaved loans are copied as they
    // are and the program ends asking nothing; with nothing unsaved no copy stays.
    void aSignalKeepsUnsavedLoans_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("changed");
        QTest::newRow("SIGTERM, unsaved loans") << SIGTERM << true;
        QTest::newRow("SIGHUP, unsaved loans") << SIGHUP << true;
        QTest::newRow("SIGTERM, nothing unsaved") << SIGTERM << false;
    }
    void aSignalKeepsUnsavedLoans() {
        QFETCH(int, signal);
        QFETCH(bool, changed);
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        StartScripted();
        OpenLoans(Path("a.loa"));
        const TerminationSignals termination;
        connect(&termination, &TerminationSignals::Received, w.get(), &frmLoan::EndOnSignal);
        int received = 0;
        connect(&termination, &TerminationSignals::Received, this,
                [&received](int s) { received = s; });
        if (changed) DeleteSecondLoan();
        ::raise(signal);
        QTRY_COMPARE(received, signal);
        QCOMPARE(QFile::exists(OwnCopy()), changed);
        if (changed) {
            std::string error;
            // The copy's loans are a view into its bytes, which must outlive it.
            const std::string bytes = ReadAll(OwnCopy()).toStdString();
            const auto copy = loan::RecoveryCopy::Read(bytes, error);
            QVERIFY2(copy, error.c_str());
            QCOMPARE(QByteArray::fromStdString(std::string(copy->loans)), FileOf({"HOME", "BOAT"}));
        }
        // Whatever closes the window afterwards asks nothing and leaves the copy as it is.
        w->close();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(QFile::exists(OwnCopy()), changed);
    }
};

QTEST_MAIN(RecoveryTest)
#include "tst_recovery.moc"
