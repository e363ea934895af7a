// The Print command and the loan block, against a recording printer and the real Qt printer.
#include "RecordingPrinter.h"
#include "ScriptedInteraction.h"

#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/DesktopInteraction.h"
#include "ui/common/Printer.h"
#include "ui/common/QtPrinter.h"
#include "ui/dialogs/frmPrint.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/LoanPrintout.h"
#include "ui/main/frmLoan.h"

#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <memory>

namespace {

using Kind = Interaction;
using Loan = std::array<const char*, loan::kLoanCols>;

Loan MakeLoan(const char* code, const char* active) {
    return {code,  "50000", "25",      "60",        "7.5",        "30000", "40",
            "6.9", "20000", "Monthly", "$1,234.56", "$14,814.72", active};
}

// Heading row, the loans, the blank last row.
loan::LoanGrid MakeGrid(const std::vector<Loan>& loans) {
    loan::LoanGrid grid(loan::kLoanCols, static_cast<int>(loans.size()) + 2);
    for (int c = 0; c < loan::kLoanCols; ++c)
        grid.SetTextAt(0, c, loan::kHeadings[static_cast<std::size_t>(c)]);
    for (std::size_t r = 0; r < loans.size(); ++r)
        for (int c = 0; c < loan::kLoanCols; ++c)
            grid.SetTextAt(static_cast<int>(r) + 1, c, loans[r][static_cast<std::size_t>(c)]);
    return grid;
}

void ClickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

// Chooses options 0..3 of the print options dialog in turn, then presses Print.
ScriptedInteraction::DialogScript ChooseAndPrint(QList<int> options) {
    return [options](QDialog& dialog) {
        auto& print = static_cast<frmPrint&>(dialog);
        for (int index : options)
            ClickOption(print.OptPrint(index));
        QTest::mouseClick(print.cmdPrint(), Qt::LeftButton);
    };
}

ScriptedInteraction::PrinterMaker Recording(PrintLog& log) {
    return [&log] { return std::make_unique<RecordingPrinter>(log); };
}

const QStringList kHomeBlock = {
    "",
    "Loan Description    HOME",
    "Loan Principal    50,000.00",
    "Loan Term    25  Years",
    "Variable Principal    60  Percent",
    "Variable Interest PA    7.5  Percent",
    "Variable Principal    30,000.00",
    "Fixed Principal    40  Percent",
    "Fixed Interst PA    6.9   Percent",
    "Fixed Principal    $20,000.00",
    "Payment Time    Monthly",
    "Installment    $1,234.56",
    "Yearly Payment    $14,814.72",
    "Active    maybe",
};

} // namespace

class tst_printing : public QObject {
    Q_OBJECT

  private slots:
    void nothingSelected_showsMessage_data();
    void nothingSelected_showsMessage();
    void selectedLoan_printsOneBlock();
    void cellOfATab_isSelected();
    void allLoans_filterAndPages_data();
    void allLoans_filterAndPages();
    void amounts_data();
    void amounts();
    void cancelledDialogs_printNothing_data();
    void cancelledDialogs_printNothing();
    void printerFailure_abortsJob_data();
    void printerFailure_abortsJob();
    void jobNamedAfterItsLoans_data();
    void jobNamedAfterItsLoans();
    void qtPrinter_twoPagesToPdf();
    void qtPrinter_pdfTitledWithTheJobName();
    void qtPrinter_noMatch_writesNothing();
    void qtPrinter_unwritableOutput_stopsSilently();
    void qtPrinter_unendedJob_leavesNoFile();
    void throughTheWindow_filePrint();
};

void tst_printing::nothingSelected_showsMessage_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("heading row") << 0 << 0;
    QTest::newRow("blank last row") << 3 << 0;
    QTest::newRow("empty cell of a loan row") << 1 << 2;
    QTest::newRow("cell of spaces") << 2 << 0;
}

void tst_printing::nothingSelected_showsMessage() {
    QFETCH(int, row);
    QFETCH(int, col);
    Loan blankTerm = MakeLoan("HOME", "Yes");
    blankTerm[2] = "";
    loan::LoanGrid grid = MakeGrid({blankTerm, MakeLoan("   ", "Yes")});
    grid.SetRow(row);
    grid.SetCol(col);
    PrintSettings settings;
    ScriptedInteraction ui;
    ui.ExpectMessage("A Loan must be selected to print. Select a Loan from the grid.",
                     "Printing Loan.", Kind::Buttons::OK, Kind::Icon::Question);
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(grid.Row(), row);
    QCOMPARE(grid.Col(), col);
}

void tst_printing::selectedLoan_printsOneBlock() {
    loan::LoanGrid grid = MakeGrid({MakeLoan("CAR", "No"), MakeLoan("HOME", "maybe")});
    grid.SetRow(2);
    grid.SetCol(4);
    // Flags of an earlier all-loans print must not leak into this one.
    PrintSettings settings{true, true, false};
    PrintLog log;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint({})).ExpectPrinter(Recording(log));
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));

    QStringList expected = {"font 12", "line:", "font 16"};
    for (int i = 1; i < kHomeBlock.size(); ++i)
        expected << "line:" + kHomeBlock[i];
    expected << "end"
             << "gone";
    QCOMPARE(log.ops, expected);
    QVERIFY(log.busyThroughout);
    QVERIFY(!BusyPointer::IsBusy());
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 12);
    QVERIFY(!settings.PrintCancelled);
    QVERIFY(!settings.PrintAll);
    QVERIFY(settings.PrintActive);
}

// Only spaces around a cell make it blank; a tab is text.
void tst_printing::cellOfATab_isSelected() {
    loan::LoanGrid grid = MakeGrid({MakeLoan("\t", "Yes")});
    grid.SetRow(1);
    grid.SetCol(0);
    PrintSettings settings;
    ScriptedInteraction ui;
    bool optionsShown = false;
    ui.ExpectDialog([&](QDialog& dialog) {
        optionsShown = true;
        dialog.reject();
    });
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(optionsShown);
}

void tst_printing::allLoans_filterAndPages_data() {
    QTest::addColumn<QList<int>>("options");
    QTest::addColumn<QString>("blocks");

    QTest::newRow("active") << QList<int>{1} << "A1 A2 | A3";
    QTest::newRow("not active") << QList<int>{1, 3} << "N1 N2 |";
    QTest::newRow("active chosen, then selection, then all again")
        << QList<int>{1, 3, 0, 1, 2} << "A1 A2 | A3";
}

void tst_printing::allLoans_filterAndPages() {
    QFETCH(QList<int>, options);
    QFETCH(QString, blocks);
    // "yes" and " No" and an empty Active cell match neither filter.
    loan::LoanGrid grid =
        MakeGrid({MakeLoan("A1", "Yes"), MakeLoan("N1", "No"), MakeLoan("L1", "yes"),
                  MakeLoan("A2", "Yes"), MakeLoan("S1", " No"), MakeLoan("E1", ""),
                  MakeLoan("N2", "No"), MakeLoan("A3", "Yes"), MakeLoan("U1", "NO")});
    grid.SetRow(1);
    grid.SetCol(0);
    PrintSettings settings;
    PrintLog log;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint(options)).ExpectPrinter(Recording(log));
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));

    QCOMPARE(log.Blocks(), blocks);
    QCOMPARE(log.ops.mid(log.ops.size() - 2), QStringList({"end", "gone"}));
    QVERIFY(log.busyThroughout);
    QVERIFY(!BusyPointer::IsBusy());
    // The walk ends on the last loan row, column 12.
    QCOMPARE(grid.Row(), grid.Rows() - 2);
    QCOMPARE(grid.Col(), 12);
}

void tst_printing::amounts_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("line");

    QTest::newRow("principal") << 1 << "50000"
                               << "Loan Principal    50,000.00";
    QTest::newRow("principal with a half") << 1 << "1234.5"
                                           << "Loan Principal    1,234.50";
    QTest::newRow("principal, empty") << 1 << ""
                                      << "Loan Principal    ";
    QTest::newRow("principal, not a number") << 1 << "abc"
                                             << "Loan Principal    abc";
    QTest::newRow("principal, two points") << 1 << "1.2.3"
                                           << "Loan Principal    1.2.3";
    QTest::newRow("principal, spaces around") << 1 << " 7 "
                                              << "Loan Principal    7.00";
    QTest::newRow("millions") << 1 << "1234567.891"
                              << "Loan Principal    1,234,567.89";
    QTest::newRow("variable principal, half away from zero") << 5 << "2.675"
                                                             << "Variable Principal    2.68";
    QTest::newRow("variable principal, negative half") << 5 << "-0.125"
                                                       << "Variable Principal    -0.13";
    QTest::newRow("fixed principal") << 8 << "20000"
                                     << "Fixed Principal    $20,000.00";
    QTest::newRow("fixed principal, negative") << 8 << "-5"
                                               << "Fixed Principal    -$5.00";
    QTest::newRow("fixed principal, zero") << 8 << "0"
                                           << "Fixed Principal    $0.00";
    QTest::newRow("installment") << 10 << "$1,234.56"
                                 << "Installment    $1,234.56";
    QTest::newRow("installment, empty") << 10 << ""
                                        << "Installment    ";
    QTest::newRow("installment, dollar alone") << 10 << "$"
                                               << "Installment    $";
    QTest::newRow("yearly payment, grouped") << 11 << "$1,234,567.8"
                                             << "Yearly Payment    $1,234,567.80";
    QTest::newRow("code that looks like a number") << 0 << "00123.5"
                                                   << "Loan Description    00123.5";
    QTest::newRow("term is not formatted") << 2 << "25.0"
                                           << "Loan Term    25.0  Years";
    QTest::newRow("percent is not formatted") << 3 << "60"
                                              << "Variable Principal    60  Percent";
    QTest::newRow("fixed rate, three spaces") << 7 << ""
                                              << "Fixed Interst PA       Percent";
}

void tst_printing::amounts() {
    QFETCH(int, col);
    QFETCH(QString, cell);
    QFETCH(QString, line);
    loan::LoanGrid grid = MakeGrid({MakeLoan("HOME", "Yes")});
    const QByteArray text = cell.toUtf8();
    grid.SetTextAt(1, col, std::string_view(text.constData(), text.size()));
    grid.SetRow(1);
    grid.SetCol(0);
    PrintLog log;
    RecordingPrinter printer(log);
    QVERIFY(LoanPrintout::PrintLoan(printer, grid));
    const QStringList lines = log.Lines();
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines[col + 1], line);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 12);
}

void tst_printing::cancelledDialogs_printNothing_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("printer dialog cancelled") << 2;
}

void tst_printing::cancelledDialogs_printNothing() {
    QFETCH(int, how);
    loan::LoanGrid grid = MakeGrid({MakeLoan("HOME", "Yes")});
    grid.SetRow(1);
    grid.SetCol(3);
    PrintSettings settings;
    ScriptedInteraction ui;
    if (how == 2) {
        ui.ExpectDialog(ChooseAndPrint({1})).ExpectPrinter([] { return nullptr; });
    } else {
        ui.ExpectDialog([how](QDialog& dialog) {
            auto& print = static_cast<frmPrint&>(dialog);
            ClickOption(print.OptPrint(1));
            if (how == 0)
                QTest::mouseClick(print.cmdCancel(), Qt::LeftButton);
            else
                dialog.close();
        });
    }
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(settings.PrintCancelled, how != 2);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 3);
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_printing::printerFailure_abortsJob_data() {
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QString>("failed");
    QTest::newRow("first font") << 0 << "failed font 12";
    QTest::newRow("a line of the second block") << 21 << "failed line:Loan Term    25  Years";
    QTest::newRow("page break") << 32 << "failed page";
    QTest::newRow("end of job") << 66 << "failed end";
}

void tst_printing::printerFailure_abortsJob() {
    QFETCH(int, failAt);
    QFETCH(QString, failed);
    loan::LoanGrid grid = MakeGrid({MakeLoan("A1", "Yes"), MakeLoan("A2", "Yes"),
                                    MakeLoan("A3", "Yes"), MakeLoan("A4", "Yes")});
    grid.SetRow(1);
    PrintSettings settings;
    PrintLog log;
    log.failAt = failAt;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint({1})).ExpectPrinter(Recording(log));
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    // The command stops at the failure, without a message, and lets the job go unended.
    QCOMPARE(log.ops.size(), failAt + 2);
    QCOMPARE(log.ops[failAt], failed);
    QCOMPARE(log.ops.last(), QString("gone"));
    QVERIFY(!log.ops.contains("end"));
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_printing::jobNamedAfterItsLoans_data() {
    QTest::addColumn<QList<int>>("options");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::newRow("selected") << QList<int>{} << 2 << "Dravenholt Loan - HOME";
    QTest::newRow("selected, inactive") << QList<int>{} << 1 << "Dravenholt Loan - CAR";
    QTest::newRow("all active") << QList<int>{1} << 1
                                << "Dravenholt Loan - HOME, BOAT, VAN and 1 more";
    QTest::newRow("all inactive") << QList<int>{1, 3} << 1 << "Dravenholt Loan - CAR";
}

void tst_printing::jobNamedAfterItsLoans() {
    QFETCH(QList<int>, options);
    QFETCH(int, row);
    QFETCH(QString, name);
    loan::LoanGrid grid =
        MakeGrid({MakeLoan("CAR", "No"), MakeLoan("HOME", "Yes"), MakeLoan("LAND", "yes"),
                  MakeLoan("BOAT", "Yes"), MakeLoan("VAN", "Yes"), MakeLoan("SHOP", "Yes")});
    grid.SetRow(row);
    PrintSettings settings;
    PrintLog log;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint(options)).ExpectPrinter(Recording(log));
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ui.printJobNames, QStringList{name});
}

namespace {

std::unique_ptr<QPrinter> PdfPrinter(const QString& path) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

// The text of a PDF, pages ended by form feeds, or a null string without pdftotext.
QString PdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) return {};
    QProcess process;
    process.start(tool, {path, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return QString("");
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

void tst_printing::qtPrinter_twoPagesToPdf() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("loans.pdf");
    loan::LoanGrid grid =
        MakeGrid({MakeLoan("FIRST", "Yes"), MakeLoan("OTHER", "No"), MakeLoan("SECOND", "Yes"),
                  MakeLoan("THIRD", "Yes"), MakeLoan("FOURTH", "Yes")});
    grid.SetRow(1);
    PrintSettings settings;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint({1})).ExpectPrinter([&] {
        return std::make_unique<QtPrinter>(PdfPrinter(path));
    });
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(QFileInfo::exists(path));

    const QString text = PdfText(path);
    // Four blocks, two a page; the break after the last block adds no blank page.
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    QCOMPARE(text.count('\f'), 2);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains("FIRST") && pages[0].contains("SECOND"));
    QVERIFY(pages[1].contains("THIRD") && pages[1].contains("FOURTH"));
    QVERIFY(!text.contains("OTHER"));
    // The text tool reads runs of spaces as one.
    QVERIFY(text.contains("Fixed Interst PA 6.9 Percent"));
    QVERIFY(text.contains("Fixed Principal $20,000.00"));
    QCOMPARE(text.count("Loan Principal 50,000.00"), 4);
    // Lines run top to bottom in block order.
    QVERIFY(pages[0].indexOf("FIRST") < pages[0].indexOf("Yearly Payment"));
    QVERIFY(pages[0].indexOf("Yearly Payment") < pages[0].indexOf("SECOND"));
}

// The printer the desktop's printer dialog starts from carries the job's name into the PDF.
void tst_printing::qtPrinter_pdfTitledWithTheJobName() {
    const QString tool = QStandardPaths::findExecutable("pdfinfo");
    if (tool.isEmpty()) QSKIP("pdfinfo is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("loan.pdf");
    std::unique_ptr<QPrinter> device = DesktopInteraction::NewPrinter("Dravenholt Loan - HOME");
    device->setOutputFormat(QPrinter::PdfFormat);
    device->setOutputFileName(path);
    QtPrinter printer(std::move(device));
    QVERIFY(printer.PrintLine("Loan Description    HOME"));
    QVERIFY(printer.EndDoc());
    QProcess info;
    info.start(tool, {path});
    QVERIFY(info.waitForFinished(60000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(QRegularExpression("^Title: +Dravenholt Loan - HOME$",
                                             QRegularExpression::MultilineOption)),
             qPrintable(out));
}

void tst_printing::qtPrinter_noMatch_writesNothing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("none.pdf");
    loan::LoanGrid grid = MakeGrid({MakeLoan("A1", "Yes"), MakeLoan("A2", "Yes")});
    grid.SetRow(1);
    PrintSettings settings;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint({1, 3})).ExpectPrinter([&] {
        return std::make_unique<QtPrinter>(PdfPrinter(path));
    });
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY2(!QFileInfo::exists(path), "a job with no loan must not put out a blank page");
}

void tst_printing::qtPrinter_unwritableOutput_stopsSilently() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("missing/folder/loans.pdf");
    loan::LoanGrid grid = MakeGrid({MakeLoan("A1", "Yes")});
    grid.SetRow(1);
    grid.SetCol(0);
    PrintSettings settings;
    ScriptedInteraction ui;
    ui.ExpectDialog(ChooseAndPrint({})).ExpectPrinter([&] {
        return std::make_unique<QtPrinter>(PdfPrinter(path));
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
    LoanPrintout::Run(nullptr, grid, settings);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_printing::qtPrinter_unendedJob_leavesNoFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("partial.pdf");
    {
        QtPrinter printer(PdfPrinter(path));
        QVERIFY(printer.SetFontSize(16));
        QVERIFY(printer.PrintLine("Loan Description    HOME"));
        QVERIFY(printer.NewPage());
        QVERIFY(printer.PrintLine("Loan Description    CAR"));
    }
    QVERIFY2(!QFileInfo::exists(path), "a job that was never ended is aborted");
}

void tst_printing::throughTheWindow_filePrint() {
    ScriptedInteraction ui;
    frmLoan window;
    ui.Clear(); // the start-up message is the window's own business
    window.show();
    for (const Loan& loan : {MakeLoan("A1", "Yes"), MakeLoan("N1", "No"), MakeLoan("A2", "Yes")}) {
        std::array<std::string, loan::kLoanCols> texts;
        for (int c = 0; c < loan::kLoanCols; ++c)
            texts[static_cast<std::size_t>(c)] = loan[static_cast<std::size_t>(c)];
        window.Table.WriteLoan(window.Table.Grid.Rows() - 1, texts);
    }
    QApplication::setActiveWindow(&window);
    window.Table.Grid.SetRow(2);
    window.Table.Grid.SetCol(0);
    PrintLog log;
    ui.ExpectDialog(ChooseAndPrint({1})).ExpectPrinter(Recording(log));
    QTest::keyClick(window.GridView, Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(log.Blocks(), QString("A1 A2 |"));
    QVERIFY(window.Settings.PrintAll);
    QVERIFY(window.Settings.PrintActive);
    // On the last loan row, column 12, and the grid shows it there.
    QCOMPARE(window.Table.Grid.Row(), 3);
    QCOMPARE(window.Table.Grid.Col(), 12);
    QCOMPARE(window.GridView->currentIndex(), window.GridView->model()->index(2, 12));

    // The selected loan: its row stays, column 12.
    window.Table.Grid.SetRow(2);
    window.Table.Grid.SetCol(3);
    PrintLog one;
    ui.ExpectDialog(ChooseAndPrint({})).ExpectPrinter(Recording(one));
    QApplication::setActiveWindow(&window);
    QTest::keyClick(window.GridView, Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(one.Blocks(), QString("N1"));
    QCOMPARE(window.Table.Grid.Row(), 2);
    QCOMPARE(window.Table.Grid.Col(), 12);
    QCOMPARE(window.GridView->currentIndex(), window.GridView->model()->index(1, 12));
}

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
