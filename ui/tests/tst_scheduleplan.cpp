// The loan's plan in the schedule window, by keys alone: the start date, the fixed period, rate
// changes, lump sums and the choices; the table, the totals, the print-out and the CSV following
// it; the plan kept with the loans through Save, Open and Save As; a plan file that cannot be
// read; and the loan table's context menu.
#include "RecordingPrinter.h"
#include "ScriptedInteraction.h"

#include "calc/LoanSchedule.h"
#include "calc/PaymentCalendar.h"
#include "calc/ScheduleCsv.h"
#include "loan/LoanFileWriter.h"
#include "loan/PlanFile.h"
#include "ui/common/QtText.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/frmLoan.h"
#include "ui/schedule/DateEdit.h"
#include "ui/schedule/frmPlanEvent.h"
#include "ui/schedule/frmSchedule.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;
using namespace std::chrono;

namespace {

const calc::RepaymentFields kExample = {"300000", "25",     "66.667", "6.5",
                                        "200000", "33.333", "5.99",   "100000"};

std::array<std::string, loan::kLoanCols> ExampleLoan(const std::string& code) {
    return {code,   "300000", "25",      "66.667",    "6.5",        "200000", "33.333",
            "5.99", "100000", "Monthly", "$1,994.10", "$23,929.25", "Yes"};
}

std::unique_ptr<frmSchedule> OpenWindow(const calc::RepaymentFields& fields = kExample,
                                        const calc::LoanPlan& plan = {}) {
    auto window = std::make_unique<frmSchedule>(QStringLiteral("HOME"), fields, 4, nullptr, plan);
    window->show();
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowActive(window.get());
    return window;
}

void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, key,
                    modifiers);
}

// A modal dialog that closes gives the activation back to its window, as the scripted one does
// not.
void Back(QWidget* window) {
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
}

void Type(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// The schedule the window must show: the example loan, monthly, with plan.
calc::LoanSchedule Expected(const calc::LoanPlan& plan) {
    auto result = calc::LoanSchedule::FromFields(kExample, 4, 0, plan);
    return std::move(*result.schedule);
}

// The window's table and totals are those of the schedule.
void CompareShown(const frmSchedule& window, const calc::LoanSchedule& expected) {
    QVERIFY(window.Schedule());
    QCOMPARE(calc::ScheduleCsv::Text(*window.Schedule()), calc::ScheduleCsv::Text(expected));
    QCOMPARE(window.grdSchedule()->model()->rowCount(), static_cast<int>(expected.Periods()));
    QCOMPARE(window.lblTotal(2, 1)->text(), QtText::Currency(expected.Totals().interest));
    QCOMPARE(window.lblTotal(2, 3)->text(), QString::number(expected.Totals().payoffPeriod));
}

year_month_day Ymd(int y, unsigned m, unsigned d) {
    return year_month_day{year(y), month(m), day(d)};
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_scheduleplan : public QObject {
    Q_OBJECT

  private slots:
    void plan_enteredByKeysAlone();
    void rows_markedWhereSomethingHappens();
    void payoff_yearsAndMonthsWithoutStart();
    void zeroPart_hasNoColumns();
    void printAndCsv_withDates();
    void keptWithTheLoans_saveOpenSaveAs();
    void damagedPlanFile_loansOpenFileUntouched();
    void loanTable_contextMenu();
    void fromDetails_theLoansPlan();
};

void tst_scheduleplan::plan_enteredByKeysAlone() {
    ScriptedInteraction ui;
    const auto window = OpenWindow();
    QAbstractItemModelTester tester(window->grdSchedule()->model());
    calc::LoanPlan plan;
    CompareShown(*window, Expected(plan));
    QCOMPARE(window->lblLoan()->text(),
             QStringLiteral("$300,000.00 over 25 years: variable $200,000.00 at 6.5%, fixed "
                            "$100,000.00 at 5.99%"));

    // The start date: its box by its access key, then the date typed field by field.
    Key(window.get(), Qt::Key_D, Qt::AltModifier);
    QVERIFY(window->chkStart()->isChecked());
    Key(window.get(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->dtpStart());
    Type(DateEdit::Text(Ymd(2026, 1, 28)));
    QCOMPARE(window->dtpStart()->date(), QDate(2026, 1, 28));
    plan.start = Ymd(2026, 1, 28);
    CompareShown(*window, Expected(plan));
    QCOMPARE(window->grdSchedule()->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Date"));
    QCOMPARE(window->grdSchedule()->model()->index(1, 1).data().toString(),
             DateEdit::Text(Ymd(2026, 2, 28)));
    QCOMPARE(window->lblPayoff(2)->text(), DateEdit::Text(Ymd(2050, 12, 28)));
    // F4 drops the calendar down; the arrows walk its days and Enter picks one.
    Key(window.get(), Qt::Key_F4);
    QWidget* calendar = QApplication::activePopupWidget();
    QVERIFY(calendar);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!calendar->isVisible());
    QCOMPARE(window->dtpStart()->date(), QDate(2026, 1, 29));
    // The closed popup leaves the offscreen window without a focus widget, which a desktop
    // gives back to the field.
    Back(window.get());
    window->dtpStart()->setFocus();
    QTest::keyClick(window->dtpStart(), Qt::Key_Down, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Back(window.get());
    window->dtpStart()->setFocus();
    QCOMPARE(window->Plan().start, std::optional(Ymd(2026, 1, 28)));

    // The fixed period and its revert rate, typed by the program's rule for rates.
    Key(window.get(), Qt::Key_F, Qt::AltModifier);
    Type(QStringLiteral("3x"));
    QCOMPARE(window->txtFixedYears()->text(), QStringLiteral("3"));
    Key(window.get(), Qt::Key_V, Qt::AltModifier);
    Type(QStringLiteral("7.5"));
    plan.fixedYears = 3;
    plan.revertRatePercent = 7.5;
    CompareShown(*window, Expected(plan));

    // A rate change by period: Insert in its list, the dialog by keys, Enter.
    Key(window.get(), Qt::Key_R, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window->grdRates());
    ui.ExpectDialog([](QDialog& dialog) {
        auto* event = qobject_cast<frmPlanEvent*>(&dialog);
        QVERIFY(event);
        QCOMPARE(QApplication::focusWidget(), event->txtPeriod());
        QVERIFY(!event->cmdOK()->isEnabled());
        Type(QStringLiteral("13"));
        QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
        Type(QStringLiteral("7.25"));
        QVERIFY(event->cmdOK()->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    });
    Key(window.get(), Qt::Key_Insert);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    plan.rateChanges = {{13, 7.25}};
    CompareShown(*window, Expected(plan));

    // A second one by date, then changed with Enter, then deleted with Delete.
    ui.ExpectDialog([](QDialog& dialog) {
        auto* event = qobject_cast<frmPlanEvent*>(&dialog);
        QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
        QVERIFY(event->optDate()->isChecked());
        Key(&dialog, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), event->dtpWhen());
        Type(DateEdit::Text(Ymd(2028, 1, 15)));
        QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
        Type(QStringLiteral("6"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Key(window.get(), Qt::Key_Insert);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    plan.rateChanges.push_back({Ymd(2028, 1, 15), 6.0});
    CompareShown(*window, Expected(plan));
    QCOMPARE(window->grdRates()->model()->index(1, 0).data().toString(),
             DateEdit::Text(Ymd(2028, 1, 15)));

    ui.ExpectDialog([](QDialog& dialog) {
        auto* event = qobject_cast<frmPlanEvent*>(&dialog);
        QVERIFY(event->optDate()->isChecked());
        QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
        Key(&dialog, Qt::Key_A, Qt::ControlModifier);
        Type(QStringLiteral("5.5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Key(window.get(), Qt::Key_Return);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    plan.rateChanges[1].ratePercent = 5.5;
    CompareShown(*window, Expected(plan));
    // Esc leaves the entry as it was.
    ui.ExpectDialog([](QDialog& dialog) {
        Type(QStringLiteral("99"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    Key(window.get(), Qt::Key_Return);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    CompareShown(*window, Expected(plan));
    Key(window.get(), Qt::Key_Delete);
    plan.rateChanges.pop_back();
    CompareShown(*window, Expected(plan));

    // A lump sum into the fixed part, by its list's access key.
    Key(window.get(), Qt::Key_L, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window->grdLumps());
    ui.ExpectDialog([](QDialog& dialog) {
        auto* event = qobject_cast<frmPlanEvent*>(&dialog);
        Type(QStringLiteral("24"));
        QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
        Type(QStringLiteral("5000"));
        QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), event->cboPart());
        Key(&dialog, Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Key(window.get(), Qt::Key_Insert);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    plan.lumpSums = {{24, 500'000, calc::PlanPart::Fixed}};
    CompareShown(*window, Expected(plan));
    QVERIFY(window->lblNote()->text().startsWith(QStringLiteral("The lump sums save ")));

    // The three choices, each by its access key.
    Key(window.get(), Qt::Key_A, Qt::AltModifier);
    plan.afterRateChange = calc::AfterRateChange::PaymentStays;
    CompareShown(*window, Expected(plan));
    Key(window.get(), Qt::Key_O, Qt::AltModifier);
    plan.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    CompareShown(*window, Expected(plan));
    Key(window.get(), Qt::Key_Y, Qt::AltModifier);
    plan.carryOver = true;
    CompareShown(*window, Expected(plan));
    QVERIFY(loan::PlanFile::Same(window->Plan(), plan));

    // A plan the loan cannot follow says why, naming the period, and shows no schedule.
    Key(window.get(), Qt::Key_L, Qt::AltModifier);
    ui.ExpectDialog([](QDialog& dialog) {
        Type(QStringLiteral("400"));
        QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
        Type(QStringLiteral("1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Key(window.get(), Qt::Key_Insert);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    Back(window.get());
    QVERIFY(!window->Schedule());
    QCOMPARE(window->lblNote()->text(),
             QStringLiteral("The plan has an event in period 400, after the loan's last period."));
    QVERIFY(!window->cmdExport()->isEnabled());
    Key(window.get(), Qt::Key_Delete);
    CompareShown(*window, Expected(plan));

    // Every plan control is on the Tab path, between the extra payment and the views, named.
    window->txtExtra()->setFocus();
    const QList<QWidget*> order = {
        window->chkStart(),       window->dtpStart(),    window->txtFixedYears(),
        window->txtRevertRate(),  window->grdRates(),    window->cmdPlan(0, 0),
        window->cmdPlan(0, 1),    window->cmdPlan(0, 2), window->grdLumps(),
        window->cmdPlan(1, 0),    window->cmdPlan(1, 1), window->cmdPlan(1, 2),
        window->chkKeepPayment(), window->chkKeepTerm(), window->chkCarryOver(),
        window->chkYears()};
    for (QWidget* next : order) {
        Key(window.get(), Qt::Key_Tab);
        // Tab goes through the date's day, month and year before it leaves the field.
        for (int section = 0; section < 3 && QApplication::focusWidget() == window->dtpStart() &&
                              next != window->dtpStart();
             ++section)
            Key(window.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        QVERIFY(!next->accessibleName().isEmpty());
    }
}

void tst_scheduleplan::rows_markedWhereSomethingHappens() {
    ScriptedInteraction ui;
    calc::LoanPlan plan;
    plan.rateChanges = {{13, 7.25}};
    plan.lumpSums = {{24, 200'000, calc::PlanPart::Variable}};
    const auto window = OpenWindow(kExample, plan);
    const QAbstractItemModel* model = window->grdSchedule()->model();
    const QModelIndex changed = model->index(12, 3);
    // The new installment is the one the row pays.
    const calc::LoanSchedule expected = Expected(plan);
    const QString installment = QtText::Currency(expected.Variable().Rows()[12].payment);
    QVERIFY(installment != QtText::Currency(expected.Variable().Rows()[11].payment));
    QCOMPARE(changed.data(Qt::ToolTipRole).toString(),
             QStringLiteral("The variable rate changes to 7.25%. The variable part's "
                            "installment becomes %1.")
                 .arg(installment));
    QVERIFY(changed.data(Qt::AccessibleDescriptionRole)
                .toString()
                .startsWith(QStringLiteral("Period 13 Variable Principal. The variable rate "
                                           "changes to 7.25%.")));
    QVERIFY(changed.data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(model->index(23, 0)
                .data(Qt::ToolTipRole)
                .toString()
                .startsWith(QStringLiteral("Lump sum of $2,000.00 into the variable part.")));
    // Quiet periods are not marked.
    for (const int row : {0, 11, 13, 22, 24})
        QVERIFY(model->index(row, 1).data(Qt::ToolTipRole).isNull());
    QCOMPARE(model->index(13, 1).data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("Period 14 Variable Payment"));
}

void tst_scheduleplan::payoff_yearsAndMonthsWithoutStart() {
    ScriptedInteraction ui;
    calc::LoanPlan plan;
    plan.lumpSums = {{1, 1'000'000, calc::PlanPart::Variable}};
    const auto window = OpenWindow(kExample, plan);
    const calc::LoanSchedule expected = Expected(plan);
    for (int part = 0; part < 3; ++part) {
        const int period = part == 0   ? expected.Variable().Totals().payoffPeriod
                           : part == 1 ? expected.Fixed().Totals().payoffPeriod
                                       : expected.Totals().payoffPeriod;
        QCOMPARE(window->lblPayoff(part)->text(),
                 QString::fromStdString(calc::PaymentCalendar::YearsAndMonths(period, 4)));
        QCOMPARE(window->lblPayoff(part)->accessibleName(), window->lblPayoff(part)->text());
    }
    QCOMPARE(window->lblPayoff(1)->text(), QStringLiteral("25 years"));
    QVERIFY(window->lblPayoff(0)->text() != QStringLiteral("25 years"));
}

void tst_scheduleplan::zeroPart_hasNoColumns() {
    ScriptedInteraction ui;
    const calc::RepaymentFields variableOnly = {"300000", "25", "100",  "6.5",
                                                "300000", "0",  "5.99", "0"};
    const auto window = OpenWindow(variableOnly);
    QVERIFY(window->Schedule());
    QHeaderView* header = window->grdSchedule()->horizontalHeader();
    for (int c = 0; c < 13; ++c)
        QCOMPARE(header->isSectionHidden(c), c >= 5 && c <= 8);
    QCOMPARE(window->lblLoan()->text(),
             QStringLiteral("$300,000.00 over 25 years: variable $300,000.00 at 6.5%"));
}

void tst_scheduleplan::printAndCsv_withDates() {
    ScriptedInteraction ui;
    calc::LoanPlan plan;
    plan.start = Ymd(2026, 1, 31);
    plan.rateChanges = {{13, 7.25}};
    const auto window = OpenWindow(kExample, plan);
    PrintLog log;
    log.linesPerPage = 60;
    log.charactersPerLine = 230;
    ui.ExpectPreview([&log] { return std::make_unique<RecordingPrinter>(log); });
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    const QStringList lines = log.Lines();
    QVERIFY(lines.size() > 300);
    // The table's headings, after the loan's first page, have the Date column.
    QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.simplified().startsWith(QStringLiteral("Period Date Payment"));
    }));
    const auto row = [&lines](const QString& period) {
        for (const QString& line : lines)
            if (line.simplified().section(QLatin1Char(' '), 0, 0) == period)
                return line.simplified();
        return QString();
    };
    QVERIFY(row(QStringLiteral("2"))
                .startsWith(QStringLiteral("2 ") + DateEdit::Text(Ymd(2026, 2, 28)) + u' '));
    QVERIFY(row(QStringLiteral("13*"))
                .startsWith(QStringLiteral("13* ") + DateEdit::Text(Ymd(2027, 1, 31))));
    QVERIFY(lines.contains(
        QStringLiteral("* Period 13: The variable rate changes to 7.25%. The variable part's "
                       "installment becomes %1.")
            .arg(QtText::Currency(Expected(plan).Variable().Rows()[12].payment))));
    const QString paidOff = QStringLiteral("The loan is paid off in period 300 (%1)")
                                .arg(DateEdit::Text(Ymd(2050, 12, 31)));
    QVERIFY(std::any_of(lines.begin(), lines.end(),
                        [&paidOff](const QString& l) { return l.startsWith(paidOff); }));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("home.csv"));
    ui.ExpectFile(FileMode::Save, path);
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    const QByteArray csv = ReadAll(path);
    QCOMPARE(csv, QByteArray::fromStdString(calc::ScheduleCsv::Text(Expected(plan))));
    QVERIFY(csv.startsWith("Period,Date,Variable Payment,"));
    QVERIFY(csv.contains("\r\n2,2026-02-28,"));
}

// The plan goes with its loan: unsaved until saved, beside the loan file, back after Open, and
// under the new name after Save As; the loan file itself the same bytes with or without it.
void tst_scheduleplan::keptWithTheLoans_saveOpenSaveAs() {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("my loans.loa"));
    const QString second = dir.filePath(QStringLiteral("copy.loa"));
    QByteArray plain;
    {
        ScriptedInteraction ui;
        ui.ExpectStartUp();
        frmLoan w;
        w.show();
        QApplication::setActiveWindow(&w);
        w.Table.WriteLoan(1, ExampleLoan("HOME"));
        w.Table.WriteLoan(2, ExampleLoan("CAR"));
        ui.ExpectFile(FileMode::Save, first);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        plain = ReadAll(first);
        QVERIFY(!QFile::exists(first + QStringLiteral(".plans")));

        ui.ExpectDialog([](QDialog& dialog) {
            auto* window = qobject_cast<frmSchedule*>(&dialog);
            QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
            Type(QStringLiteral("2"));
            QCOMPARE(window->Plan().fixedYears, 2.0);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        w.Table.Grid.SetRow(2);
        QTest::keyClick(w.GridView, Qt::Key_R, Qt::ControlModifier);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        QVERIFY(w.File.Modified());
        Back(&w);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        QVERIFY(!w.File.Modified());
        QCOMPARE(ReadAll(first), plain);
        QVERIFY(QFile::exists(first + QStringLiteral(".plans")));

        ui.ExpectFile(FileMode::Save, second);
        QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        QCOMPARE(ReadAll(second + QStringLiteral(".plans")),
                 ReadAll(first + QStringLiteral(".plans")));
    }
    for (const QString& path : {first, second}) {
        ScriptedInteraction ui;
        ui.ExpectStartUp();
        frmLoan w;
        w.show();
        QApplication::setActiveWindow(&w);
        w.OpenLoanFile(path);
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        QStringList seen;
        const auto look = [&seen](QDialog& dialog) {
            auto* window = qobject_cast<frmSchedule*>(&dialog);
            seen << window->txtFixedYears()->text();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        };
        ui.ExpectDialog(look).ExpectDialog(look);
        for (const int row : {1, 2}) {
            w.Table.Grid.SetRow(row);
            QTest::keyClick(w.GridView, Qt::Key_R, Qt::ControlModifier);
            Back(&w);
        }
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
        QCOMPARE(seen, (QStringList{QString(), QStringLiteral("2")}));
        QVERIFY(!w.File.Modified());
    }
}

void tst_scheduleplan::damagedPlanFile_loansOpenFileUntouched() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loans.loa"));
    const QString plans = path + QStringLiteral(".plans");
    {
        loan::LoanTable table;
        table.WriteLoan(1, ExampleLoan("HOME"));
        QVERIFY(loan::LoanFileWriter::WriteFile(QFile::encodeName(path).toStdString(), table.Grid)
                    .Saved());
    }
    const QByteArray damaged = "{\"format\": \"dravenholt-loan plans\", \"version\": 1, \"pl";
    {
        QFile file(plans);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    ui.ExpectMessage(QStringLiteral("The plans of these loans could not be read from %1: it is "
                                    "not JSON.\n\nThe loans are open without their plans. The "
                                    "plan file is left as it is; saving the loans asks before "
                                    "replacing it.")
                         .arg(plans),
                     QString(), Buttons::OK, Icon::Critical);
    w.OpenLoanFile(path);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(w.Table.LoanCount(), 1);
    QCOMPARE(ReadAll(plans), damaged);

    // A save asks first; No keeps the plan file, and the loans too, as they were.
    const QByteArray loans = ReadAll(path);
    w.Table.WriteLoan(2, ExampleLoan("CAR"));
    ui.ExpectMessage(QStringLiteral("The plan file %1 could not be read when the loans were "
                                    "opened. Saving replaces it with the plans of this table, "
                                    "and what it holds now is lost. Replace it?")
                         .arg(plans),
                     QStringLiteral("Replace Plans?"), Buttons::YesNo, Icon::Question, Answer::No);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ReadAll(plans), damaged);
    QCOMPARE(ReadAll(path), loans);
    QVERIFY(w.File.Modified());
}

void tst_scheduleplan::loanTable_contextMenu() {
    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    w.Table.WriteLoan(1, ExampleLoan("HOME"));
    w.Table.WriteLoan(2, ExampleLoan("CAR"));
    QApplication::processEvents();
    w.GridView->setFocus();
    w.Table.Grid.SetRow(2);
    QApplication::processEvents();

    // The menu key: the menu offers the loan's commands with their shortcuts.
    const QPoint here = w.GridView->visualRect(w.GridView->currentIndex()).center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, here,
                              w.GridView->viewport()->mapToGlobal(here));
    QApplication::sendEvent(w.GridView->viewport(), &menuKey);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList items;
    for (QAction* action : menu->actions())
        items << action->text() + QLatin1Char(' ') + action->shortcut().toString();
    QCOMPARE(items, (QStringList{"&Edit Ctrl+E", "&Delete Ctrl+D", "Sc&hedule Ctrl+R"}));
    QString code;
    ui.ExpectDialog([&code](QDialog& dialog) {
        code = dialog.findChild<QLabel*>(QStringLiteral("lblCode"))->text();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(menu, Qt::Key_H);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(code, QStringLiteral("CAR"));
    Back(&w);

    // A right click on another row makes it current, then Delete from the menu asks first.
    const QRect cell = w.GridView->visualRect(w.GridView->model()->index(0, 3));
    QTest::mouseClick(w.GridView->viewport(), Qt::RightButton, {}, cell.center());
    QCOMPARE(w.Table.Grid.Row(), 1);
    QContextMenuEvent click(QContextMenuEvent::Mouse, cell.center(),
                            w.GridView->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(w.GridView->viewport(), &click);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    ui.ExpectMessage(QStringLiteral("Delete the existing Loan?"), QStringLiteral("Delete"),
                     Buttons::YesNo, Icon::Question, Answer::Yes);
    QTest::keyClick(menu, Qt::Key_D);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(w.Table.LoanCount(), 1);
    QCOMPARE(QString::fromStdString(std::string(w.Table.Grid.TextAt(1, 0))), QStringLiteral("CAR"));
}

// The schedule opened from the loan details dialog starts from the loan's plan and keeps what
// is changed there, as the one from the Grid menu does.
void tst_scheduleplan::fromDetails_theLoansPlan() {
    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    w.Table.WriteLoan(1, ExampleLoan("HOME"));
    w.Table.FileChanged = false;
    calc::LoanPlan plan;
    plan.fixedYears = 2;
    w.File.SetPlan("HOME", plan);
    w.Table.FileChanged = false;
    QString seen;
    ui.ExpectDialog([](QDialog& details) {
        QTest::keyClick(&details, Qt::Key_R, Qt::ControlModifier);
        QTest::mouseClick(details.findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                          Qt::LeftButton);
    });
    ui.ExpectDialog([&seen](QDialog& dialog) {
        auto* window = qobject_cast<frmSchedule*>(&dialog);
        seen = window->txtFixedYears()->text();
        QTest::keyClick(&dialog, Qt::Key_Y, Qt::AltModifier);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    w.Table.Grid.SetRow(1);
    QTest::keyClick(w.GridView, Qt::Key_E, Qt::ControlModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(seen, QStringLiteral("2"));
    plan.carryOver = true;
    QVERIFY(loan::PlanFile::Same(w.File.PlanOf("HOME"), plan));
    QVERIFY(w.File.Modified());
}

QTEST_MAIN(tst_scheduleplan)
#include "tst_scheduleplan.moc"
