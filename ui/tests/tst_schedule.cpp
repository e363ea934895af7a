// The repayment schedule window: from the Grid menu and from the loan details dialog, changing
// the repayment time and the extra payment, CSV export and printing; real key and mouse events.
#include "LoanDetailsHarness.h"
#include "RecordingPrinter.h"
#include "ScriptedInteraction.h"

#include "calc/NumberText.h"
#include "calc/ScheduleCsv.h"
#include "loan/ScheduleExport.h"
#include "ui/common/AppTitle.h"
#include "ui/common/QtPrinter.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/frmLoan.h"
#include "ui/schedule/SchedulePrintout.h"
#include "ui/schedule/frmSchedule.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;

namespace {

// The 25-year example loan: $200,000 at 6.5% and $100,000 at 5.99%.
std::array<std::string, loan::kLoanCols> ExampleLoan(const std::string& code,
                                                     const std::string& time) {
    return {code,   "300000", "25", "66.667",    "6.5",        "200000", "33.333",
            "5.99", "100000", time, "$1,994.10", "$23,929.25", "Yes"};
}

const calc::RepaymentFields kExample = {"300000", "25",     "66.667", "6.5",
                                        "200000", "33.333", "5.99",   "100000"};

QString Schedules(const frmSchedule& window) {
    return QStringLiteral("%1 rows, instalment %2")
        .arg(window.grdSchedule()->model()->rowCount())
        .arg(window.lblInstalment()->text());
}

// A schedule window of its own, shown and active.
std::unique_ptr<frmSchedule> OpenWindow(const QString& code = QStringLiteral("HOME"),
                                        int time = 4) {
    auto window = std::make_unique<frmSchedule>(code, kExample, time);
    window->show();
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowActive(window.get());
    return window;
}

QString ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<unreadable>");
    return QString::fromUtf8(file.readAll());
}

} // namespace

class tst_schedule : public QObject {
    Q_OBJECT

  private slots:
    void fromGridMenu_timeAndExtraChangeIt();
    void fromGridMenu_needsALoanRow();
    void fromDetails_keyAndContextMenu();
    void fromDetails_incompleteLoanSaysWhy();
    void keyboard_tabOrderAndNames();
    void extra_pasteAsTyped_data();
    void extra_pasteAsTyped();
    void exportCsv_data();
    void exportCsv();
    void print_headingsOnEveryPage();
    void print_failureIsReported();
    void print_realPrinterBreaksWhereTheHeadingsAre();
};

void tst_schedule::fromGridMenu_timeAndExtraChangeIt() {
    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    w.Table.WriteLoan(1, ExampleLoan("HOME", "Monthly"));
    w.Table.WriteLoan(2, ExampleLoan("CAR", "Weekly"));
    QApplication::processEvents();

    QAction* item = w.mnuGridItem(frmLoan::GridSchedule);
    QCOMPARE(item->text(), QStringLiteral("Sc&hedule"));
    QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    // No other menu item has its shortcut.
    for (QAction* other : w.findChildren<QAction*>())
        if (other != item) QVERIFY(other->shortcut() != item->shortcut());

    bool shown = false;
    ui.ExpectDialog([&shown](QDialog& dialog) {
        auto* window = qobject_cast<frmSchedule*>(&dialog);
        QVERIFY(window);
        QAbstractItemModelTester tester(window->grdSchedule()->model());
        // CAR's own repayment time; its first payment is the results table's instalment.
        QCOMPARE(window->cboTime()->currentText(), QStringLiteral("Weekly"));
        QCOMPARE(Schedules(*window), QStringLiteral("1304 rows, instalment $458.54"));
        QTest::keyClick(window->cboTime(), Qt::Key_End);
        QCOMPARE(Schedules(*window), QStringLiteral("100 rows, instalment $5,995.18"));
        QTest::keyClick(window->cboTime(), Qt::Key_Home);
        QCOMPARE(window->cboTime()->currentText(), QStringLiteral("Weekly"));

        QTest::keyClick(&dialog, Qt::Key_X, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), window->txtExtra());
        QTest::keyClicks(window->txtExtra(), QStringLiteral("50x.255"));
        QCOMPARE(window->txtExtra()->text(), QStringLiteral("50.25"));
        const calc::LoanSchedule* s = window->Schedule();
        QVERIFY(s && s->Terms().extra == 5025);
        QVERIFY(s->PeriodsSaved() > 0 && s->InterestSaved() > 0);
        QCOMPARE(window->grdSchedule()->model()->rowCount(), 1304 - s->PeriodsSaved());
        QCOMPARE(window->lblTotal(2, 3)->text(), QString::number(1304 - s->PeriodsSaved()));
        QVERIFY(window->lblNote()->text().startsWith(
            QStringLiteral("The extra payment saves %1 periods and $").arg(s->PeriodsSaved())));
        QCOMPARE(window->grdSchedule()->model()->index(0, 9).data().toString(),
                 QStringLiteral("$508.79"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        shown = true;
    });
    w.Table.Grid.SetRow(2);
    QTest::keyClick(w.GridView, Qt::Key_R, Qt::ControlModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(shown);
}

void tst_schedule::fromGridMenu_needsALoanRow() {
    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    // The heading row and the blank last row are no loan.
    for (const int row : {0, 1}) {
        w.Table.Grid.SetRow(row);
        ui.ExpectMessage(
            QStringLiteral("A Loan must be selected from the grid to show its Schedule."),
            kAppTitle, Buttons::OK, Icon::Information);
        QTest::keyClick(&w, Qt::Key_G, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key_H);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    }
}

void tst_schedule::fromDetails_keyAndContextMenu() {
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QTest::mouseClick(h.dialog->Cel(12), Qt::LeftButton); // Quarterly
    QStringList seen;
    const auto record = [&seen](QDialog& dialog) {
        auto* window = qobject_cast<frmSchedule*>(&dialog);
        QVERIFY(window);
        seen << window->cboTime()->currentText() << Schedules(*window);
        QTest::mouseClick(window->cmdClose(), Qt::LeftButton);
    };
    h.user.ExpectDialog(record).ExpectDialog(record);
    h.Key(Qt::Key_R, Qt::ControlModifier);

    // The menu over the results table, as the menu key or a right click on a cell raises it.
    QLabel* cell = h.dialog->Cel(4);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, cell->rect().center(),
                              cell->mapToGlobal(cell->rect().center()));
    QApplication::sendEvent(cell, &menuKey);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_S);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    const QString quarterly = QStringLiteral("100 rows, instalment ") + h.Cell(12);
    QCOMPARE(seen, (QStringList{"Quarterly", quarterly, "Quarterly", quarterly}));

    // Elsewhere in the dialog there is no such menu.
    QContextMenuEvent elsewhere(QContextMenuEvent::Mouse, QPoint(2, 2),
                                h.dialog->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(h.dialog.get(), &elsewhere);
    QVERIFY(!QApplication::activePopupWidget());
}

void tst_schedule::fromDetails_incompleteLoanSaysWhy() {
    LoanDetailsHarness h;
    h.Open();
    h.Enter(8, QStringLiteral("HALF"));
    h.Enter(0, QStringLiteral("300000"));
    h.user.ExpectMessage(QStringLiteral("The loan is not complete: the principal, term, both "
                                        "shares, both amounts and both rates must have a value."),
                         QStringLiteral("Repayment Schedule"), Buttons::OK, Icon::Information);
    h.Key(Qt::Key_R, Qt::ControlModifier);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.Text(0), QStringLiteral("300000"));
}

void tst_schedule::keyboard_tabOrderAndNames() {
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    QCOMPARE(QApplication::focusWidget(), window->cboTime());
    // The plan's controls lie between the extra payment and the views (the start date's field
    // only once there is a start date); of the views, the tabs and the page shown.
    const QList<QWidget*> order = {window->txtExtra(),
                                   window->chkStart(),
                                   window->txtFixedYears(),
                                   window->txtRevertRate(),
                                   window->grdRates(),
                                   window->cmdPlan(0, 0),
                                   window->cmdPlan(0, 1),
                                   window->cmdPlan(0, 2),
                                   window->grdLumps(),
                                   window->cmdPlan(1, 0),
                                   window->cmdPlan(1, 1),
                                   window->cmdPlan(1, 2),
                                   window->chkKeepPayment(),
                                   window->chkKeepTerm(),
                                   window->chkCarryOver(),
                                   window->chkYears(),
                                   window->chkChartBeside(),
                                   window->chkStressed(),
                                   window->tabViews()->tabBar(),
                                   window->grdSchedule(),
                                   window->cmdPrint(),
                                   window->cmdExport(),
                                   window->cmdExportChart(),
                                   window->cmdClose(),
                                   window->cboTime()};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        QVERIFY(!next->accessibleName().isEmpty());
    }
    // Arrows move through the periods; the cells say where they are.
    window->grdSchedule()->setFocus();
    QTest::keyClick(window->grdSchedule(), Qt::Key_Down);
    QTest::keyClick(window->grdSchedule(), Qt::Key_End, Qt::ControlModifier);
    const QModelIndex current = window->grdSchedule()->currentIndex();
    QCOMPARE(current.row(), 299);
    QCOMPARE(current.data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("Period 300 Loan Balance"));
    QCOMPARE(current.data().toString(), QStringLiteral("$0.00"));
    QCOMPARE(int(current.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight),
             int(Qt::AlignRight));
    QCOMPARE(window->lblTotal(2, 1)->accessibleName(), window->lblTotal(2, 1)->text());
    QCOMPARE(window->lblTotal(2, 1)->accessibleDescription(), QStringLiteral("Loan Interest"));
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
}

void tst_schedule::extra_pasteAsTyped_data() {
    QTest::addColumn<int>("route"); // the paste key, Shift+Insert or Ctrl+V
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted"); // at the start of the field
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cents"); // paid extra each period
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_V}) {
        const auto row = [key](const char* name, const char* before, const char* pasted,
                               const char* after, int cents) {
            const char* keys = key == Qt::Key_V ? "Ctrl+V" : "Shift+Insert";
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(keys, name)))
                << int(key) << before << pasted << after << cents;
        };
        row("dollars and cents", "", "50.25", "50.25", 5025);
        row("grouping comma", "", "1,000", "", 0);
        // The whole text would be an amount, but typing it stops at a ninth whole digit.
        row("a point typed last", "5", "12345678.", "5", 500);
    }
}

// The extra payment takes a paste only when typing it there would take every character.
void tst_schedule::extra_pasteAsTyped() {
    QFETCH(int, route);
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(int, cents);
    QGuiApplication::clipboard()->setText(pasted);
    if (QGuiApplication::clipboard()->text() != pasted) QSKIP("no clipboard on this platform");
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    QLineEdit* extra = window->txtExtra();
    extra->setText(before);
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), extra);
    QTest::keyClick(extra, Qt::Key_Home);
    QTest::keyClick(extra, Qt::Key(route),
                    route == Qt::Key_V ? Qt::ControlModifier : Qt::ShiftModifier);
    QCOMPARE(extra->text(), after);
    QVERIFY(window->Schedule());
    QCOMPARE(window->Schedule()->Terms().extra, calc::Cents(cents));
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
}

void tst_schedule::exportCsv_data() {
    QTest::addColumn<QString>("existing"); // the file's text before, or null for none
    QTest::addColumn<int>("answer");       // to the replace question
    QTest::addColumn<bool>("written");
    QTest::newRow("new file") << QString() << -1 << true;
    QTest::newRow("existing, replaced") << QStringLiteral("old") << int(Answer::Yes) << true;
    QTest::newRow("existing, kept") << QStringLiteral("old") << int(Answer::No) << false;
    QTest::newRow("cancelled") << QString() << -2 << false;
    QTest::newRow("folder that cannot be written") << QString() << -3 << false;
}

void tst_schedule::exportCsv() {
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("home.csv"));
    if (!existing.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing.toUtf8());
    }
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    if (answer == -2) {
        ui.ExpectFile(FileMode::Save, std::nullopt);
    } else if (answer == -3) {
        path = dir.filePath(QStringLiteral("missing/home.csv"));
        ui.ExpectFile(FileMode::Save, path);
        ui.ExpectMessage(QStringLiteral("The schedule could not be saved to %1.\n\nCannot create a "
                                        "file in \"%2\": No such file or directory")
                             .arg(path, dir.filePath(QStringLiteral("missing"))),
                         QStringLiteral("Export Schedule"), Buttons::OK, Icon::Critical);
    } else {
        ui.ExpectFile(FileMode::Save, path);
        if (answer >= 0)
            ui.ExpectMessage(QStringLiteral("The file %1 already exists. Replace it?").arg(path),
                             QStringLiteral("Export Schedule"), Buttons::YesNo, Icon::Question,
                             Answer(answer));
    }
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    if (ui.Errors().contains(QStringLiteral("message differs"))) qWarning() << ui.messagesShown;
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ui.fileRequests.size(), 1);
    QCOMPARE(ui.fileRequests[0].initialName, QStringLiteral("HOME schedule.csv"));
    QCOMPARE(ui.fileRequests[0].filter, QStringLiteral("CSV Files (*.csv)"));
    const QString expected = QString::fromStdString(calc::ScheduleCsv::Text(*window->Schedule()));
    if (written) {
        QCOMPARE(ReadAll(path), expected);
        QVERIFY(expected.startsWith(QStringLiteral("Period,Variable Payment,")));
    } else if (!existing.isNull()) {
        QCOMPARE(ReadAll(path), existing);
    } else {
        QVERIFY(!QFile::exists(path));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
             QFile::exists(dir.filePath(QStringLiteral("home.csv"))) ? 1 : 0);
}

void tst_schedule::print_headingsOnEveryPage() {
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    PrintLog log;
    log.linesPerPage = 44; // 40 periods a page under 4 heading lines
    log.charactersPerLine = 190;
    ui.ExpectPreview([&log] { return std::make_unique<RecordingPrinter>(log); });
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ui.previewsLandscape, QList<bool>{true});
    QCOMPARE(ui.printJobNames,
             QStringList{QStringLiteral("Dravenholt Loan - HOME repayment schedule")});

    QCOMPARE(log.ops.front(), QStringLiteral("fixed"));
    QCOMPARE(log.ops.mid(1, 1), QStringList{"font 9"}); // 9 points fit 190 characters
    QCOMPARE(log.ops.last(), QStringLiteral("gone"));
    QCOMPARE(log.ops[log.ops.size() - 2], QStringLiteral("end"));
    QVERIFY(log.busyThroughout);
    // Pages split at "page": the loan at a glance with its chart, then 300 periods at 40 a
    // page and the totals on the eighth of those.
    QList<QStringList> pages(1);
    QList<int> pictures;
    for (const QString& op : log.ops) {
        if (op == QLatin1String("page")) pages.append(QStringList());
        if (op.startsWith(QLatin1String("line:"))) pages.back() << op.mid(5);
        if (op.startsWith(QLatin1String("picture:"))) pictures << int(pages.size() - 1);
    }
    QCOMPARE(pages.size(), 9);
    QCOMPARE(pictures, QList<int>{0});
    QVERIFY(pages[0][0].endsWith(QStringLiteral("Page 1 of 9")));
    QVERIFY(pages[0].contains(QStringLiteral("Loan HOME: $300,000.00 over 25 years, repaid "
                                             "monthly: variable $200,000.00 at 6.5%, fixed "
                                             "$100,000.00 at 5.99%.")));
    int period = 0;
    for (int p = 1; p < pages.size(); ++p) {
        const QStringList& lines = pages[p];
        QVERIFY(lines.size() <= log.linesPerPage);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Repayment Schedule  HOME  Monthly  "
                                                    "instalment $1,994.10")),
                 qPrintable(lines[0]));
        QVERIFY(lines[0].endsWith(QStringLiteral("Page %1 of 9").arg(p + 1)));
        QVERIFY(lines[2].contains(QStringLiteral(" Variable ")) &&
                lines[2].contains(QStringLiteral(" Loan ")));
        QVERIFY(lines[3].trimmed().startsWith(QStringLiteral("Period")));
        QVERIFY(lines[3].size() <= log.charactersPerLine);
        for (int i = 4; i < lines.size() && period < 300; ++i) {
            if (lines[i].isEmpty()) break;
            QCOMPARE(lines[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty),
                     QString::number(++period));
            // Columns line up under their headings: each line as long as the headings.
            QCOMPARE(lines[i].size(), lines[3].size());
        }
    }
    QCOMPARE(period, 300);
    const QStringList& last = pages.back();
    QVERIFY(last.last().startsWith(QStringLiteral("The loan is paid off in period 300: the "
                                                  "variable part in period 300")));
    QVERIFY(last[last.size() - 2].trimmed().startsWith(QStringLiteral("Total")));
    const QString total = QString::fromStdString(
        calc::CurrencyTextOf(static_cast<double>(window->Schedule()->Totals().payments) / 100));
    QVERIFY(total.startsWith(QStringLiteral("$598,2")));
    QVERIFY(last[last.size() - 2].contains(total));
}

void tst_schedule::print_failureIsReported() {
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    PrintLog log;
    log.failAt = 20;
    ui.ExpectPreview([&log] { return std::make_unique<RecordingPrinter>(log); });
    ui.ExpectMessage(QStringLiteral("The schedule could not be printed."),
                     QStringLiteral("Print Schedule"), Buttons::OK, Icon::Critical);
    QTest::mouseClick(window->cmdPrint(), Qt::LeftButton);
    // Closing the preview without printing says nothing.
    ui.ExpectPreview(nullptr);
    QTest::mouseClick(window->cmdPrint(), Qt::LeftButton);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!log.ops.contains(QStringLiteral("end")));
}

void tst_schedule::print_realPrinterBreaksWhereTheHeadingsAre() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("schedule.pdf"));
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setPageOrientation(QPageLayout::Landscape);
    auto result = calc::LoanSchedule::FromFields(kExample, 2); // fortnightly: 652 periods
    QVERIFY(result.schedule);
    {
        QtPrinter printer(pdf);
        QVERIFY(SchedulePrintout::Print(printer, *result.schedule, QStringLiteral("HOME")));
    }
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
    const QStringList pages = QString::fromUtf8(process.readAllStandardOutput())
                                  .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY(pages.size() > 5);
    // Every page starts with the headings: no page was broken by the printer on its own.
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY2(pages[p].trimmed().startsWith(QStringLiteral("Repayment Schedule")),
                 qPrintable(pages[p].left(200)));
        QVERIFY(pages[p].contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())));
    }
    QVERIFY(pages.back().contains(QStringLiteral("The loan is paid off in period 652")));
    // The chart is drawn on the first page, its texts as text, with the compare table.
    for (const char* text : {"Owed after each payment", "Loan as planned", "Variable +2%"})
        QVERIFY2(pages[0].contains(QLatin1String(text)), text);
}

QTEST_MAIN(tst_schedule)
#include "tst_schedule.moc"
