// File > New, Open, Save, Save As, Exit and closing the main window, through the real window:
// menu shortcuts as key presses, every dialog and message box scripted.
#include "ScriptedInteraction.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"
#include "safefile/FileSizeSignal.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/details/frmLoanDetails.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/NativeFileName.h"
#include "ui/main/frmLoan.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;

namespace {

const QString kUntitled = kAppTitle + QStringLiteral(" - Untitled");
const QString kSaveFirst = QStringLiteral("Save file before exiting?");
const QString kNotLoanFile = QStringLiteral("This is not a loan file. Select a loan file.");
// Save As and the first Save of an untitled table ask the same question.
const QString kReplaceExisting =
    QStringLiteral("This loan file already exists. Replace existing loan by over writing it?");

QString Titled(const QString& path) {
    return kAppTitle + QStringLiteral(" - ") + path;
}

std::array<std::string, loan::kLoanCols> Loan(const std::string& code) {
    return {code,  "250000", "25",      "60",        "7.5",        "150000", "40",
            "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"};
}

// The 114-byte record of a loan row as the file holds it.
QByteArray Record(const std::array<std::string, loan::kLoanCols>& texts) {
    QByteArray record;
    for (std::size_t c = 0; c < texts.size(); ++c) {
        QByteArray field = QByteArray::fromStdString(texts[c]).left(loan::kRecordWidths[c]);
        record += field.leftJustified(loan::kRecordWidths[c], ' ');
    }
    return record + '\r';
}

QByteArray FileOf(const std::vector<std::string>& codes) {
    QByteArray bytes;
    for (const auto& code : codes)
        bytes += Record(Loan(code));
    return bytes + QByteArray(113, ' ') + '\r';
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

QStringList Codes(frmLoan& w) {
    QStringList codes;
    for (int r = 1; r < w.Table.Grid.Rows(); ++r)
        codes << QString::fromStdString(std::string(w.Table.Grid.TextAt(r, 0)));
    return codes;
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QTemporaryDir> cache;

    QString Path(const QString& name) const { return dir->filePath(name); }

    void Start() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectStartUp();
        w = std::make_unique<frmLoan>();
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        w->GridView->setFocus();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
    }

    // Opens a file of these loans through File > Open.
    void StartWithFile(const QString& path, const std::vector<std::string>& codes) {
        Start();
        WriteBytes(path, FileOf(codes));
        ui->ExpectFile(FileMode::Open, path);
        Ctrl(Qt::Key_O);
        Check(Titled(path), path, false);
    }

    void AddLoan(const std::string& code) {
        w->Table.WriteLoan(w->Table.Grid.Rows() - 1, Loan(code));
        QVERIFY(w->Table.FileChanged);
    }

    void Ctrl(Qt::Key key) { QTest::keyClick(w->GridView, key, Qt::ControlModifier); }

    // File > New and File > Exit have no shortcut: through the menu by its access keys.
    void FileMenu(Qt::Key key) {
        QTest::keyClick(w.get(), Qt::Key_F, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::keyClick(menu, key);
    }

    void Check(const QString& caption, const QString& fileName, bool changed) {
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->dlgOpen.FileName, fileName);
        QCOMPARE(w->Table.FileChanged, changed);
        QVERIFY(!BusyPointer::IsBusy());
        // The table always ends with its blank row.
        QVERIFY(w->Table.Grid.RowIsBlank(w->Table.Grid.Rows() - 1));
    }

    // Makes the next writes fail as on a full disk.
    struct DiskFull {
        rlimit old{};
        explicit DiskFull(rlim_t bytes) {
            // As the program does at start-up.
            safefile::FileSizeSignal::Catch();
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~DiskFull() { setrlimit(RLIMIT_FSIZE, &old); }
    };

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        // Backup copies go to a cache of the test's own.
        cache = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CACHE_HOME", cache->path().toUtf8());
    }
    void cleanup() {
        w.reset();
        ui.reset();
        dir.reset();
        cache.reset();
    }

    // ---- New

    void newWithoutChangesClearsWithoutAsking() {
        StartWithFile(Path("a.loa"), {"HOME", "CAR"});
        FileMenu(Qt::Key_N);
        Check(kUntitled, QString(), false);
        QCOMPARE(w->Table.Grid.Rows(), 2);
        QCOMPARE(w->GridView->model()->rowCount(), 1);
        // The empty table's blank row, column 12, is current.
        QCOMPARE(w->Table.Grid.Row(), 1);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QCOMPARE(w->GridView->currentIndex(), w->GridView->model()->index(0, 12));
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR"}));
    }

    void newAskingNoDiscardsChanges() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        FileMenu(Qt::Key_N);
        Check(kUntitled, QString(), false);
        QCOMPARE(w->Table.Grid.Rows(), 2);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME"}));
    }

    void newAskingYesSavesFirst() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes);
        FileMenu(Qt::Key_N);
        Check(kUntitled, QString(), false);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR"}));
    }

    void queryOffersToSaveFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes: saved, then filtered") << true;
        QTest::newRow("No: filtered, still unsaved") << false;
    }
    void queryOffersToSaveFirst() {
        QFETCH(bool, yes);
        StartWithFile(Path("a.loa"), {"HOME", "BOAT"});
        AddLoan("CAR");
        ui->ExpectDialog([](QDialog& dialog) {
            auto& details = static_cast<frmLoanDetails&>(dialog);
            // A query by example for a term holding 9: no loan matches.
            details.OptYes()->setAutoExclusive(false);
            details.OptYes()->setChecked(false);
            for (int i = 0; i < 8; ++i)
                details.txtLoanRec(i)->clear();
            details.txtLoanRec(1)->setText(QStringLiteral("9"));
            QTest::mouseClick(details.cmdQuery(), Qt::LeftButton);
        });
        ui->ExpectMessage(QStringLiteral("Save file before the query?"), "Save File?",
                          Buttons::YesNo, Icon::Question, yes ? Answer::Yes : Answer::No);
        Ctrl(Qt::Key_N);
        Check(Titled(Path("a.loa")), Path("a.loa"), !yes);
        QCOMPARE(Codes(*w), QStringList({""}));
        QCOMPARE(ReadAll(Path("a.loa")),
                 yes ? FileOf({"HOME", "BOAT", "CAR"}) : FileOf({"HOME", "BOAT"}));
    }

    void newWhoseSaveDialogIsCancelledStops() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, std::nullopt);
        FileMenu(Qt::Key_N);
        Check(kUntitled, QString(), true);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
    }

    // ---- Open

    void openReadsTheFile() {
        Start();
        WriteBytes(Path("a.loa"), FileOf({"HOME", "CAR", "BOAT"}));
        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(Codes(*w), QStringList({"HOME", "CAR", "BOAT", ""}));
        QCOMPARE(w->GridView->model()->rowCount(), 4);
        QCOMPARE(w->GridView->model()->index(2, 0).data().toString(), QStringLiteral("BOAT"));
    }

    // Open, Save and New tell the grid's view once, not once for every cell or row.
    void bulkCommandsNotifyTheViewOnce() {
        Start();
        std::vector<std::string> codes;
        for (int i = 0; i < 50; ++i)
            codes.push_back("LOAN" + std::to_string(i));
        WriteBytes(Path("a.loa"), FileOf(codes));
        QAbstractItemModel* model = w->GridView->model();
        QItemSelectionModel* selection = w->GridView->selectionModel();
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy cells(model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy moves(selection, &QItemSelectionModel::currentChanged);

        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(model->rowCount(), 51);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(cells.size(), 0);
        QCOMPARE(inserts.size(), 0);
        QVERIFY2(moves.size() <= 3, qPrintable(QString::number(moves.size())));

        w->Table.Grid.SetRow(1);
        w->Table.Grid.SetCol(0);
        resets.clear();
        moves.clear();
        w->Table.FileChanged = true;
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(resets.size(), 0);
        QCOMPARE(cells.size(), 0);
        QCOMPARE(moves.size(), 1);
        QCOMPARE(w->GridView->currentIndex(), model->index(50, 12));

        moves.clear();
        FileMenu(Qt::Key_N);
        Check(kUntitled, QString(), false);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(cells.size(), 0);
        QVERIFY2(moves.size() <= 1, qPrintable(QString::number(moves.size())));
    }

    void openOffersTheCurrentName() {
        StartWithFile(Path("a.loa"), {"HOME"});
        ui->ExpectFile(FileMode::Open, std::nullopt);
        Ctrl(Qt::Key_O);
        QCOMPARE(ui->fileRequests.last().initialName, Path("a.loa"));
        QCOMPARE(ui->fileRequests.last().filter, QStringLiteral("Loan Files (*.loa)"));
        QCOMPARE(ui->fileRequests.last().defaultSuffix, QStringLiteral("loa"));
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
    }

    void openAcceptsByTheLastThreeLetters_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("capitals") << "LOANS.LOA";
        QTest::newRow("no dot") << "loansloa";
        QTest::newRow("mixed") << "x.LoA";
    }
    void openAcceptsByTheLastThreeLetters() {
        QFETCH(QString, name);
        Start();
        WriteBytes(Path(name), FileOf({"HOME"}));
        ui->ExpectFile(FileMode::Open, Path(name));
        Ctrl(Qt::Key_O);
        Check(Titled(Path(name)), Path(name), false);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
    }

    void openRefusesOtherFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("create");
        QTest::addColumn<int>("answer");
        QTest::newRow("other extension, Yes") << "loans.txt" << true << int(Answer::Yes);
        QTest::newRow("other extension, No") << "loans.txt" << true << int(Answer::No);
        QTest::newRow("missing, Yes") << "missing.loa" << false << int(Answer::Yes);
        QTest::newRow("missing, No") << "missing.loa" << false << int(Answer::No);
        QTest::newRow("a folder") << "folder.loa" << false << int(Answer::Yes);
        QTest::newRow("link to a folder") << "link.loa" << false << int(Answer::Yes);
    }
    void openRefusesOtherFiles() {
        QFETCH(QString, name);
        QFETCH(bool, create);
        QFETCH(int, answer);
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        if (create) WriteBytes(Path(name), FileOf({"OTHER"}));
        if (name == "folder.loa") QVERIFY(QDir().mkdir(Path(name)));
        if (name == "link.loa") QVERIFY(QFile::link(dir->path(), Path(name)));
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No)
            .ExpectFile(FileMode::Open, Path(name))
            .ExpectMessage(kNotLoanFile, "Loan File Only", Buttons::YesNo, Icon::Question,
                           Answer(answer));
        Ctrl(Qt::Key_O);
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
        QCOMPARE(Codes(*w), QStringList({"HOME", "CAR", ""}));
    }

    void openCancelledLeavesTheTable() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No)
            .ExpectFile(FileMode::Open, std::nullopt);
        Ctrl(Qt::Key_O);
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
        QCOMPARE(Codes(*w), QStringList({"HOME", "CAR", ""}));
    }

    void openAskingYesSavesBeforeOpening() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        WriteBytes(Path("b.loa"), FileOf({"BOAT"}));
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Open, Path("b.loa"));
        Ctrl(Qt::Key_O);
        Check(Titled(Path("b.loa")), Path("b.loa"), false);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR"}));
        QCOMPARE(Codes(*w), QStringList({"BOAT", ""}));
    }

    void openWhoseSaveIsCancelledStopsBeforeTheOpenDialog() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, std::nullopt);
        Ctrl(Qt::Key_O);
        Check(kUntitled, QString(), true);
        QCOMPARE(ui->fileRequests.size(), 1);
    }

    // Whatever the path holds, Open answers at once, names the trouble and leaves the table,
    // its name and the caption as they were.
    void openRefusesWhatIsNotALoanFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("named pipe") << "pipe"
                                    << "is a named pipe, not a loan file";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "is a device, not a loan file";
        QTest::newRow("random bytes") << "junk"
                                      << "is not a loan file: record 1 is damaged";
        QTest::newRow("CR became CR LF") << "crlf"
                                         << "is not a loan file: record 2 is damaged";
        QTest::newRow("read error") << "mem"
                                    << "Input/output error";
    }
    void openRefusesWhatIsNotALoanFile() {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        const QString bad = Path("bad.loa");
        if (kind == "pipe") {
            QCOMPARE(mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), bad));
        } else if (kind == "junk") {
            QByteArray junk(3000, '\0');
            for (qsizetype i = 0; i < junk.size(); ++i)
                junk[i] = static_cast<char>(i * 37 % 251 + 1);
            WriteBytes(bad, junk);
        } else if (kind == "crlf") {
            WriteBytes(bad, FileOf({"HOME", "CAR"}).replace("\r", "\r\n"));
        } else {
            // Reading the start of one's own memory fails with an I/O error, also for root.
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), bad));
        }
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No)
            .ExpectFile(FileMode::Open, bad);
        alarm(30); // a hang ends this test program instead of stalling the run
        Ctrl(Qt::Key_O);
        alarm(0);
        QCOMPARE(ui->messagesShown.size(), 2);
        const QString shown = ui->messagesShown.last();
        QVERIFY2(shown.startsWith(kAppTitle + "|") && shown.contains(bad), qPrintable(shown));
        QVERIFY2(shown.contains(says), qPrintable(shown));
        ui->Clear();
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
        QCOMPARE(Codes(*w), QStringList({"HOME", "CAR", ""}));
    }

    void openFailureShowsACriticalBox() {
        Start();
        const QString bad = Path("bad.loa");
        WriteBytes(bad, FileOf({"HOME", "CAR", "BOAT"}).replace(3 * 114 - 1, 1, "x"));
        ui->ExpectFile(FileMode::Open, bad)
            .ExpectMessage(
                QStringLiteral("The loan file %1 could not be opened.\n\n\"%1\" is not a "
                               "loan file: record 3 is damaged.")
                    .arg(bad),
                QString(), Buttons::OK, Icon::Critical);
        Ctrl(Qt::Key_O);
        Check(kUntitled, QString(), false);
    }

    // Bytes after the last whole loan are not shown; the user is told they will not be kept.
    void openTellsOfAPartialLastRecord_data() {
        QTest::addColumn<int>("tail");
        QTest::addColumn<QString>("says");
        QTest::newRow("1 byte") << 1
                                << "ends with 1 byte that is not a whole loan. It is not shown";
        QTest::newRow("40 bytes") << 40 << "ends with 40 bytes that are not a whole loan. They";
    }
    void openTellsOfAPartialLastRecord() {
        QFETCH(int, tail);
        QFETCH(QString, says);
        Start();
        WriteBytes(Path("a.loa"), FileOf({"HOME"}) + QByteArray(tail, 'x'));
        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY2(ui->messagesShown.first().contains(says), qPrintable(ui->messagesShown.first()));
        QVERIFY(ui->messagesShown.first().contains("will be dropped if the file is saved"));
        ui->Clear();
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
    }

    // The bytes the open reported are dropped by a save over the file only once the user has
    // said so, as the question names them.
    void saveOverAReportedTailAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(Answer::No);
        QTest::newRow("Yes") << int(Answer::Yes);
    }
    void saveOverAReportedTailAsksFirst() {
        QFETCH(int, answer);
        Start();
        const QByteArray old = FileOf({"HOME"}) + QByteArray(36, 'x');
        WriteBytes(Path("a.loa"), old);
        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        ui->Clear();
        AddLoan("CAR");
        ui->ExpectMessage(QStringLiteral("The loan file %1 ends with 36 bytes that are not a whole "
                                         "loan; saving drops them. Replace the file with the "
                                         "table?")
                              .arg(Path("a.loa")),
                          QStringLiteral("Save File?"), Buttons::YesNo, Icon::Question,
                          Answer(answer));
        Ctrl(Qt::Key_S);
        const bool yes = Answer(answer) == Answer::Yes;
        Check(Titled(Path("a.loa")), Path("a.loa"), !yes);
        QCOMPARE(ReadAll(Path("a.loa")), yes ? FileOf({"HOME", "CAR"}) : old);
        if (!yes) return;
        // Once saved, the file has no such bytes: nothing more to ask.
        AddLoan("BOAT");
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
    }

    // Root saves to a shared temporary folder, where another user has planted a link at the
    // chosen name, pointing at one of root's own files. Whatever the kernel's own protection is
    // set to, the save refuses the link and root's file keeps its bytes.
    void saveAsRefusesALinkPlantedByAnotherUser() {
        if (::geteuid() != 0) QSKIP("needs root to plant a link of another user");
        Start();
        AddLoan("HOME");
        const QString shared = Path("tmp");
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        WriteBytes(Path("profile"), "root's own file");
        const QString planted = shared + QStringLiteral("/loans.loa");
        QVERIFY(QFile::link(Path("profile"), planted));
        QVERIFY(::lchown(QFile::encodeName(planted).constData(), 65534, 65534) == 0);
        const char* const kSetting = "/proc/sys/fs/protected_symlinks";
        const QByteArray setting = ReadAll(QString::fromLatin1(kSetting));
        for (const char* value : {"1\n", "0\n"}) {
            // Where the setting cannot be changed, the test runs at the machine's own.
            std::ofstream(kSetting) << value;
            ui->ExpectFile(FileMode::Save, planted);
            // A kernel that refuses the link hides the file behind it from the question too.
            const bool seen = QFileInfo::exists(planted);
            if (seen)
                ui->ExpectMessage(kReplaceExisting, "Over Write?", Buttons::YesNo, Icon::Question,
                                  Answer::Yes);
            Ctrl(Qt::Key_A);
            QCOMPARE(ui->messagesShown.size(), seen ? 2 : 1);
            QVERIFY2(ui->messagesShown.last().contains(
                         QStringLiteral("The link \"%1\" belongs to another user").arg(planted)),
                     qPrintable(ui->messagesShown.last()));
            ui->Clear();
            Check(kUntitled, QString(), true);
            QCOMPARE(ReadAll(Path("profile")), QByteArray("root's own file"));
        }
        if (setting != "<missing>") std::ofstream(kSetting) << setting.toStdString();
    }

    // A name that is not UTF-8, as a file manager or shell passes it, opens and saves under
    // its own bytes.
    void aNameThatIsNotUtf8OpensAndSaves() {
        Start();
        const QByteArray native = QFile::encodeName(dir->path()) + "/caf\xe9.loa";
        {
            const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            const QByteArray bytes = FileOf({"HOME"});
            QCOMPARE(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())),
                     bytes.size());
            ::close(fd);
        }
        const QString name = NativeFileName::Decode(native);
        QCOMPARE(NativeFileName::Encode(name), native);
        ui->ExpectFile(FileMode::Open, name);
        Ctrl(Qt::Key_O);
        Check(Titled(name), name, false);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
        AddLoan("CAR");
        Ctrl(Qt::Key_S);
        Check(Titled(name), name, false);
        // Qt's own listing leaves such names out.
        const auto entries = std::filesystem::directory_iterator(dir->path().toStdString());
        QCOMPARE(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)), 1);
        std::ifstream saved(native.constData(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(saved), {}};
        QCOMPARE(QByteArray::fromStdString(bytes), FileOf({"HOME", "CAR"}));
    }

    // Another program (or a second window) wrote the file since it was opened: a save over it
    // asks first, and No keeps both the file and the unsaved table.
    void aSecondWriterIsNoticed_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(Answer::No);
        QTest::newRow("Yes") << int(Answer::Yes);
    }
    void aSecondWriterIsNoticed() {
        QFETCH(int, answer);
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        {
            loan::LoanTable other;
            other.WriteLoan(1, Loan("BOAT"));
            QVERIFY(loan::LoanFileWriter::WriteFile(NativeFileName::EncodeToStd(Path("a.loa")),
                                                    other.Grid)
                        .Saved());
        }
        ui->ExpectMessage(QStringLiteral("The loan file %1 has been changed by another program "
                                         "since it was opened. Replace it with this table?")
                              .arg(Path("a.loa")),
                          QStringLiteral("Loan File Changed"), Buttons::YesNo, Icon::Question,
                          Answer(answer));
        Ctrl(Qt::Key_S);
        const bool yes = Answer(answer) == Answer::Yes;
        Check(Titled(Path("a.loa")), Path("a.loa"), !yes);
        QCOMPARE(ReadAll(Path("a.loa")), yes ? FileOf({"HOME", "CAR"}) : FileOf({"BOAT"}));
        if (!yes) return;
        // The window's own save is not another writer's.
        AddLoan("VAN");
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
    }

    // A query by example hides loans that are still in the file; a plain Save asks before it
    // drops them, naming both counts.
    void saveAfterAQueryByExampleAsks_data() {
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("answer");
        const QString head = QStringLiteral("The loan file %1 holds 3 loans; ");
        QTest::newRow("one kept, No")
            << "1"
            << head + "the table shows the 1 found by the query. Replace the file with "
                      "this 1 loan?"
            << int(Answer::No);
        QTest::newRow("two kept, Yes")
            << "5"
            << head + "the table shows the 2 found by the query. Replace the file with "
                      "these 2 loans?"
            << int(Answer::Yes);
        QTest::newRow("none kept, Yes")
            << "9"
            << head + "the query found none, so the table is empty. Replace the file "
                      "with the empty table?"
            << int(Answer::Yes);
    }
    void saveAfterAQueryByExampleAsks() {
        QFETCH(QString, term);
        QFETCH(QString, question);
        QFETCH(int, answer);
        StartWithFile(Path("a.loa"), {"HOME", "CAR", "BOAT"});
        w->Table.Grid.SetTextAt(1, loan::ColTerm, "15");
        w->Table.Grid.SetTextAt(2, loan::ColTerm, "25");
        w->Table.Grid.SetTextAt(3, loan::ColTerm, "30");
        ui->ExpectDialog([term](QDialog& dialog) {
            auto& details = static_cast<frmLoanDetails&>(dialog);
            details.OptYes()->setAutoExclusive(false);
            details.OptYes()->setChecked(false);
            for (int i = 0; i < 8; ++i)
                details.txtLoanRec(i)->clear();
            details.txtLoanRec(1)->setFocus();
            QTest::keyClicks(details.txtLoanRec(1), term);
            QTest::mouseClick(details.cmdQuery(), Qt::LeftButton);
        });
        Ctrl(Qt::Key_N);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QApplication::setActiveWindow(w.get());
        const QByteArray before = ReadAll(Path("a.loa"));
        const QStringList kept = Codes(*w);

        ui->ExpectMessage(question.arg(Path("a.loa")), "Save File?", Buttons::YesNo, Icon::Question,
                          Answer(answer));
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(Codes(*w), kept);
        if (Answer(answer) == Answer::No) {
            QCOMPARE(ReadAll(Path("a.loa")), before);
            return;
        }
        QCOMPARE(ReadAll(Path("a.loa")).size(), kept.size() * 114);
        // Asked once: the file now holds the table.
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
    }

    // A copy left by a rewrite in place that did not finish is pointed out when the file is
    // opened, once a run.
    void aLeftoverBackupCopyIsPointedOut() {
        Start();
        WriteBytes(Path("a.loa"), FileOf({"HOME"}));
        std::string why;
        const std::string copy = loan::LoanFileWriter::Backups().Save(
            safefile::FileSystem::Real(), NativeFileName::EncodeToStd(Path("a.loa")),
            FileOf({"OLD"}).toStdString(), why);
        QVERIFY2(!copy.empty(), why.c_str());
        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY2(ui->messagesShown.first().contains(
                     QStringLiteral("is kept at %1.").arg(QString::fromStdString(copy))),
                 qPrintable(ui->messagesShown.first()));
        ui->Clear();
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        ui->ExpectFile(FileMode::Open, Path("a.loa"));
        Ctrl(Qt::Key_O);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
    }

    // Saving through a link that points nowhere yet writes the file it names.
    void saveThroughADanglingLinkWritesItsTarget() {
        Start();
        AddLoan("HOME");
        QVERIFY(QDir().mkdir(Path("real")));
        QVERIFY(QFile::link(Path("real/loans.loa"), Path("link.loa")));
        ui->ExpectFile(FileMode::Save, Path("link.loa"));
        Ctrl(Qt::Key_A);
        Check(Titled(Path("link.loa")), Path("link.loa"), false);
        QVERIFY(QFileInfo(Path("link.loa")).isSymLink());
        QCOMPARE(ReadAll(Path("real/loans.loa")), FileOf({"HOME"}));
    }

    // ---- Save

    void saveWritesTheCurrentFile() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        Ctrl(Qt::Key_S);
        Check(Titled(Path("a.loa")), Path("a.loa"), false);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR"}));
        // Writing leaves the current cell in the blank row, column 12.
        QCOMPARE(w->Table.Grid.Row(), w->Table.Grid.Rows() - 1);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QCOMPARE(w->GridView->currentIndex(),
                 w->GridView->model()->index(w->Table.Grid.Rows() - 2, 12));
        // So Delete and Print ask for a loan until one is clicked.
        ui->ExpectMessage(QStringLiteral("A Loan must be selected from the grid to Delete."),
                          QString(), Buttons::OK, Icon::Information)
            .ExpectMessage(
                QStringLiteral("A Loan must be selected to print. Select a Loan from the grid."),
                QStringLiteral("Printing Loan."), Buttons::OK, Icon::Question);
        Ctrl(Qt::Key_D);
        Ctrl(Qt::Key_P);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
        const QModelIndex car = w->GridView->model()->index(1, 2);
        w->GridView->scrollTo(car);
        QTest::mouseClick(w->GridView->viewport(), Qt::LeftButton, {},
                          w->GridView->visualRect(car).center());
        QCOMPARE(w->Table.Grid.Row(), 2);
        ui->ExpectDialog([](QDialog& options) { options.reject(); });
        Ctrl(Qt::Key_P);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
    }

    void saveOfAnUntitledTableAsksForAName() {
        Start();
        AddLoan("HOME");
        // No extension check on this road.
        ui->ExpectFile(FileMode::Save, Path("loans.txt"));
        Ctrl(Qt::Key_S);
        Check(Titled(Path("loans.txt")), Path("loans.txt"), false);
        QCOMPARE(ReadAll(Path("loans.txt")), FileOf({"HOME"}));
        QCOMPARE(ui->fileRequests.last().initialName, QString());
    }

    void saveDialogCancelled() {
        Start();
        AddLoan("HOME");
        ui->ExpectFile(FileMode::Save, std::nullopt);
        Ctrl(Qt::Key_S);
        Check(kUntitled, QString(), true);
    }

    void firstSaveOntoAnExistingFileAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(Answer::Yes);
        QTest::newRow("No") << int(Answer::No);
    }
    void firstSaveOntoAnExistingFileAsks() {
        QFETCH(int, answer);
        Start();
        AddLoan("HOME");
        WriteBytes(Path("old.loa"), FileOf({"OLD"}));
        ui->ExpectFile(FileMode::Save, Path("old.loa"))
            .ExpectMessage(kReplaceExisting, "Over Write?", Buttons::YesNo, Icon::Question,
                           Answer(answer));
        Ctrl(Qt::Key_S);
        if (Answer(answer) == Answer::Yes) {
            Check(Titled(Path("old.loa")), Path("old.loa"), false);
            QCOMPARE(ReadAll(Path("old.loa")), FileOf({"HOME"}));
        } else {
            Check(kUntitled, QString(), true);
            QCOMPARE(ReadAll(Path("old.loa")), FileOf({"OLD"}));
        }
    }

    void saveIntoAMissingFolderFails() {
        Start();
        AddLoan("HOME");
        const QString target = Path("gone/loans.loa");
        ui->ExpectFile(FileMode::Save, target)
            .ExpectMessage(
                QStringLiteral("The loans could not be saved to %1.\n\nCannot create a file in "
                               "\"%2\": No such file or directory")
                    .arg(target, Path("gone")),
                QString(), Buttons::OK, Icon::Critical);
        Ctrl(Qt::Key_S);
        // Only a successful first save names the table.
        Check(kUntitled, QString(), true);
    }

    void saveWhoseFolderWentAwayFails() {
        QVERIFY(QDir().mkdir(dir->filePath("sub")));
        StartWithFile(Path("sub/a.loa"), {"HOME"});
        AddLoan("CAR");
        QVERIFY(QDir(Path("sub")).removeRecursively());
        Ctrl(Qt::Key_S);
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY(ui->messagesShown.first().contains("No such file or directory"));
        ui->Clear();
        Check(Titled(Path("sub/a.loa")), Path("sub/a.loa"), true);
    }

    void saveOnAFullDiskKeepsTheOldFile() {
        StartWithFile(Path("a.loa"), {"HOME"});
        for (int i = 0; i < 20; ++i)
            AddLoan("LOAN" + std::to_string(i));
        {
            DiskFull full(1000);
            Ctrl(Qt::Key_S);
        }
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY2(ui->messagesShown.first().contains("File too large"),
                 qPrintable(ui->messagesShown.first()));
        ui->Clear();
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME"}));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList({"a.loa"}));
    }

    // A folder that refuses new files still lets its writable file be saved, where it stands.
    void saveIntoAReadOnlyFolderRewritesTheFile() {
        QVERIFY(QDir().mkdir(dir->filePath("ro")));
        StartWithFile(Path("ro/a.loa"), {"HOME"});
        AddLoan("CAR");
        QVERIFY(QFile::setPermissions(Path("ro"), QFile::ReadOwner | QFile::ExeOwner));
        Ctrl(Qt::Key_S);
        QFile::setPermissions(Path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Check(Titled(Path("ro/a.loa")), Path("ro/a.loa"), false);
        QCOMPARE(ReadAll(Path("ro/a.loa")), FileOf({"HOME", "CAR"}));
        QCOMPARE(QDir(Path("ro")).entryList(QDir::Files), QStringList({"a.loa"}));
        // The backup copy of the rewrite is gone once it finished.
        QVERIFY(QDir(cache->filePath("dravenholt-loan")).entryList(QDir::Files).isEmpty());
    }

    // ---- Save As

    void saveAsWritesANewFile() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectFile(FileMode::Save, Path("b.loa"));
        Ctrl(Qt::Key_A);
        Check(Titled(Path("b.loa")), Path("b.loa"), false);
        QCOMPARE(ReadAll(Path("b.loa")), FileOf({"HOME", "CAR"}));
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME"}));
        QCOMPARE(ui->fileRequests.last().initialName, Path("a.loa"));
    }

    void saveAsCancelled() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectFile(FileMode::Save, std::nullopt);
        Ctrl(Qt::Key_A);
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
    }

    void saveAsRefusesOtherExtensions_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(Answer::Yes);
        QTest::newRow("No") << int(Answer::No);
    }
    void saveAsRefusesOtherExtensions() {
        QFETCH(int, answer);
        Start();
        AddLoan("HOME");
        ui->ExpectFile(FileMode::Save, Path("loans.txt"))
            .ExpectMessage(kNotLoanFile, "Loan File Only", Buttons::YesNo, Icon::Question,
                           Answer(answer));
        Ctrl(Qt::Key_A);
        Check(kUntitled, QString(), true);
        QVERIFY(!QFile::exists(Path("loans.txt")));
    }

    void saveAsOntoAnExistingFile_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(Answer::Yes);
        QTest::newRow("No") << int(Answer::No);
    }
    void saveAsOntoAnExistingFile() {
        QFETCH(int, answer);
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        WriteBytes(Path("b.loa"), FileOf({"OLD"}));
        ui->ExpectFile(FileMode::Save, Path("b.loa"))
            .ExpectMessage(kReplaceExisting, "Over Write?", Buttons::YesNo, Icon::Question,
                           Answer(answer));
        Ctrl(Qt::Key_A);
        if (Answer(answer) == Answer::Yes) {
            Check(Titled(Path("b.loa")), Path("b.loa"), false);
            QCOMPARE(ReadAll(Path("b.loa")), FileOf({"HOME", "CAR"}));
        } else {
            Check(Titled(Path("a.loa")), Path("a.loa"), true);
            QCOMPARE(ReadAll(Path("b.loa")), FileOf({"OLD"}));
        }
    }

    void saveAsFailureKeepsTheOldName() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectFile(FileMode::Save, Path("gone/b.loa"));
        Ctrl(Qt::Key_A);
        QCOMPARE(ui->messagesShown.size(), 1);
        QVERIFY(ui->messagesShown.first().startsWith(
            kAppTitle + "|The loans could not be saved to " + Path("gone/b.loa")));
        ui->Clear();
        Check(Titled(Path("a.loa")), Path("a.loa"), true);
    }

    // ---- Exit and closing

    void exitWithoutChangesEndsAtOnce() {
        StartWithFile(Path("a.loa"), {"HOME"});
        FileMenu(Qt::Key_X);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QVERIFY(!w->isVisible());
    }

    void exitAskingNoEndsWithoutSaving() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        // Asked once: the closing prompt does not follow.
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        FileMenu(Qt::Key_X);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QVERIFY(!w->isVisible());
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME"}));
    }

    void exitAskingYesSavesAndEnds() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes);
        FileMenu(Qt::Key_X);
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QVERIFY(!w->isVisible());
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME", "CAR"}));
    }

    void exitWhoseSaveIsCancelledKeepsRunning() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, std::nullopt);
        FileMenu(Qt::Key_X);
        Check(kUntitled, QString(), true);
        QVERIFY(w->isVisible());
    }

    void closeWithoutChangesClosesAtOnce() {
        StartWithFile(Path("a.loa"), {"HOME"});
        QVERIFY(w->close());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
    }

    void closeAskingNoClosesWithoutSaving() {
        StartWithFile(Path("a.loa"), {"HOME"});
        AddLoan("CAR");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::No);
        QVERIFY(w->close());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(ReadAll(Path("a.loa")), FileOf({"HOME"}));
    }

    void closeAskingYesSavesAndCloses() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, Path("new.loa"));
        QVERIFY(w->close());
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QCOMPARE(ReadAll(Path("new.loa")), FileOf({"HOME"}));
    }

    // Yes means "keep my loans": a save that does not happen must not close the window.
    void closeWhoseSaveIsCancelledStaysOpen() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, std::nullopt);
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        Check(kUntitled, QString(), true);
        QCOMPARE(Codes(*w), QStringList({"HOME", ""}));
    }

    void closeWhoseSaveFailsStaysOpen() {
        Start();
        AddLoan("HOME");
        ui->ExpectMessage(kSaveFirst, "Save File?", Buttons::YesNo, Icon::Question, Answer::Yes)
            .ExpectFile(FileMode::Save, Path("gone/new.loa"));
        QVERIFY(!w->close());
        QCOMPARE(ui->messagesShown.size(), 2);
        QVERIFY(ui->messagesShown.last().contains(Path("gone/new.loa")));
        ui->Clear();
        QVERIFY(w->isVisible());
        Check(kUntitled, QString(), true);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "tst_filecommands.moc"
