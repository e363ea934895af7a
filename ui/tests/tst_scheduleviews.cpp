// The schedule window's views, by keys alone: the chart's cursor and what a screen reader hears
// of it, in step with the table; the years against the period rows summed in the table, the
// print-out and the CSV; the compare table against the scenarios' loans made apart; the chart
// beside the table or behind its tab; Export Chart; the print-out's first page and where its
// totals land.
#include "RecordingPrinter.h"
#include "ScenarioLoans.h"
#include "ScriptedInteraction.h"

#include "calc/LoanSchedule.h"
#include "ui/chart/ChartGeometry.h"
#include "ui/chart/ChartStyle.h"
#include "ui/chart/LoanChart.h"
#include "ui/common/QtText.h"
#include "ui/schedule/CompareModel.h"
#include "ui/schedule/DateEdit.h"
#include "ui/schedule/SchedulePrintout.h"
#include "ui/schedule/YearsModel.h"
#include "ui/schedule/frmSchedule.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;
using namespace std::chrono;

namespace {

year_month_day Ymd(int y, unsigned m, unsigned d) {
    return year_month_day{year(y), month(m), day(d)};
}

// Dated, three years fixed then the variable rate, the rate up in period 13, $5,000 paid in
// period 24.
calc::LoanPlan BusyPlan() {
    calc::LoanPlan plan;
    plan.start = Ymd(2026, 1, 31);
    plan.fixedYears = 3;
    plan.rateChanges = {{13, 7.25}};
    plan.lumpSums = {{24, 500'000, calc::PlanPart::Variable}};
    return plan;
}

std::unique_ptr<frmSchedule> OpenWindow(int time, calc::Cents extra, const calc::LoanPlan& plan) {
    auto window = std::make_unique<frmSchedule>(QStringLiteral("HOME"), ScenarioLoans::Fields(),
                                                time, nullptr, plan);
    if (extra > 0) window->txtExtra()->setText(QString::number(extra / 100));
    window->show();
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowActive(window.get());
    return window;
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QString Cell(const QAbstractItemModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

QString Description(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Description) : QString();
}

// An amount as the CSV writes it: dollars and two decimals, no grouping.
QString Plain(calc::Cents cents) {
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// A year of the loan summed from its period rows.
struct Year {
    int first = 0, last = 0;
    calc::Cents payments = 0, interest = 0, principal = 0, balance = 0;
};

// The years of a schedule, added up row by row: calendar years with a start date; without one,
// the loan's own, a payment of period p falling p periods after the start (a weekly one p × 7
// days, in years of 365 days).
std::map<int, Year> YearsSummed(const calc::LoanSchedule& s) {
    std::map<int, Year> years;
    for (std::size_t k = 0; k < s.Periods(); ++k) {
        const int p = static_cast<int>(k) + 1;
        int y = 0;
        if (const auto date = s.DateOf(p))
            y = static_cast<int>(date->year());
        else if (s.Terms().repaymentTime == 1)
            y = (p * 7 + 364) / 365;
        else
            y = (p + 11) / 12;
        Year& year = years[y];
        const calc::ScheduleRow row = s.Row(k);
        if (year.first == 0) year.first = p;
        year.last = p;
        year.payments += row.payment;
        year.interest += row.interest;
        year.principal += row.Principal();
        year.balance = row.balance;
    }
    return years;
}

QList<QStringList> Pages(const PrintLog& log) {
    QList<QStringList> pages(1);
    for (const QString& op : log.ops) {
        if (op == QLatin1String("page")) pages.append(QStringList());
        if (op.startsWith(QLatin1String("line:"))) pages.back() << op.mid(5);
    }
    return pages;
}

// How many pixels of the image have exactly the colour.
int Count(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour.rgb();
    return n;
}

} // namespace

Q_DECLARE_METATYPE(calc::LoanPlan)

class tst_scheduleviews : public QObject {
    Q_OBJECT

  private slots:
    void chartCursor_keysAndScreenReader_data();
    void chartCursor_keysAndScreenReader();
    void years_thePeriodRowsSummed_data();
    void years_thePeriodRowsSummed();
    void compare_theScenariosLoansMadeApart_data();
    void compare_theScenariosLoansMadeApart();
    void chartPlace_keptForTheWindowsLife();
    void exportChart_data();
    void exportChart();
    void print_firstPageHoldsTheLoanAtAGlance();
    void print_totalsNeverAloneWithALoneRow();
};

// The chart takes the focus by keys, behind its tab or beside the table; Left, Right, Home,
// End, Page Up and Page Down walk its cursor, which a screen reader hears as the table's row,
// and the table's current row goes with it both ways.
void tst_scheduleviews::chartCursor_keysAndScreenReader_data() {
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("dated");
    QTest::newRow("behind its tab, dated") << false << true;
    QTest::newRow("beside the table") << true << false;
}

void tst_scheduleviews::chartCursor_keysAndScreenReader() {
    QFETCH(bool, beside);
    QFETCH(bool, dated);
    ScriptedInteraction ui;
    calc::LoanPlan plan;
    if (dated) plan = BusyPlan();
    const auto window = OpenWindow(4, 0, plan);
    LoanChart* chart = window->chart();
    QCOMPARE(QAccessible::queryAccessibleInterface(chart)->role(), QAccessible::Chart);
    QVERIFY(!QAccessible::queryAccessibleInterface(chart)->text(QAccessible::Name).isEmpty());

    // To the table by its tab's key, then to the chart: the next tab, or the next control.
    Key(Qt::Key_H, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window->grdSchedule());
    if (beside) {
        Key(Qt::Key_B, Qt::AltModifier);
        QVERIFY(window->chkChartBeside()->isChecked());
        window->grdSchedule()->setFocus();
        Key(Qt::Key_Tab);
    } else {
        Key(Qt::Key_Tab, Qt::ControlModifier);
    }
    QCOMPARE(QApplication::focusWidget(), chart);
    QVERIFY(window->grdSchedule()->isVisible() == beside);

    const int last = static_cast<int>(window->Schedule()->Periods());
    const struct {
        Qt::Key key;
        int period;
    } steps[] = {{Qt::Key_End, last},         {Qt::Key_Right, last},  {Qt::Key_Left, last - 1},
                 {Qt::Key_PageUp, last - 13}, {Qt::Key_Home, 1},      {Qt::Key_Left, 1},
                 {Qt::Key_Right, 2},          {Qt::Key_PageDown, 14}, {Qt::Key_PageDown, 26}};
    const QAbstractItemModel* table = window->grdSchedule()->model();
    const int balance = table->columnCount() - 1; // the loan's balance
    for (const auto& step : steps) {
        Key(step.key);
        QCOMPARE(chart->CursorPeriod(), step.period);
        QCOMPARE(window->grdSchedule()->currentIndex().row(), step.period - 1);
        // The description says the period, its date and the table's values for it.
        const QString said = Description(chart);
        QVERIFY2(said.startsWith(QStringLiteral("Period %1").arg(step.period)), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("balance ") + Cell(table, step.period - 1, balance)),
                 qPrintable(said));
        QCOMPARE(chart->toolTip(), said);
        if (dated)
            QVERIFY(said.contains(QString::fromStdString(
                calc::PaymentCalendar::Iso(*window->Schedule()->DateOf(step.period)))));
    }
    // The period's events are said as well.
    chart->SetCursorPeriod(13);
    if (dated)
        QVERIFY(Description(chart).contains(QStringLiteral("The variable rate changes to 7.25%")));

    // And the other way: the table's row moves the chart's cursor.
    window->grdSchedule()->setFocus();
    Key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(chart->CursorPeriod(), last);
    Key(Qt::Key_Up);
    QCOMPARE(chart->CursorPeriod(), last - 1);
    QVERIFY(Description(chart).startsWith(QStringLiteral("Period %1").arg(last - 1)));
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
}

// One row a year: the table, the print-out and the CSV hold each year's periods added up.
void tst_scheduleviews::years_thePeriodRowsSummed_data() {
    QTest::addColumn<int>("time");
    QTest::addColumn<calc::LoanPlan>("plan");
    QTest::newRow("monthly, calendar years") << 4 << BusyPlan();
    QTest::newRow("weekly, the loan's years") << 1 << calc::LoanPlan{};
}

void tst_scheduleviews::years_thePeriodRowsSummed() {
    QFETCH(int, time);
    QFETCH(calc::LoanPlan, plan);
    ScriptedInteraction ui;
    const auto window = OpenWindow(time, 10'000, plan);
    const std::map<int, Year> years =
        YearsSummed(ScenarioLoans::Make(ScenarioLoans::Fields(), time, 10'000, plan));
    QVERIFY(years.size() > 10);

    Key(Qt::Key_W, Qt::AltModifier);
    QVERIFY(window->chkYears()->isChecked());
    QVERIFY(window->grdYears()->isVisible());
    QVERIFY(!window->grdSchedule()->isVisible());
    Key(Qt::Key_H, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window->grdYears());

    // The table.
    const QAbstractItemModel* model = window->grdYears()->model();
    QCOMPARE(model->rowCount(), static_cast<int>(years.size()));
    int r = 0;
    for (const auto& [number, y] : years) {
        QCOMPARE(Cell(model, r, YearsModel::Year), QString::number(number));
        QCOMPARE(Cell(model, r, YearsModel::Payments), QtText::Currency(y.payments));
        QCOMPARE(Cell(model, r, YearsModel::Interest), QtText::Currency(y.interest));
        QCOMPARE(Cell(model, r, YearsModel::Principal), QtText::Currency(y.principal));
        QCOMPARE(Cell(model, r, YearsModel::Balance), QtText::Currency(y.balance));
        ++r;
    }
    // The year's row and the chart's cursor go together.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    QCOMPARE(window->chart()->CursorPeriod(), std::next(years.begin(), 2)->second.first);

    // The print-out: a line a year, its first cells the year and its periods.
    PrintLog log;
    log.linesPerPage = 60;
    log.charactersPerLine = 190;
    ui.ExpectPreview([&log] { return std::make_unique<RecordingPrinter>(log); });
    Key(Qt::Key_P, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    const QStringList lines = log.Lines();
    for (const auto& [number, y] : years) {
        const QString periods = y.first == y.last
                                    ? QString::number(y.first)
                                    : QStringLiteral("%1-%2").arg(y.first).arg(y.last);
        const QStringList expected = {periods, QtText::Currency(y.payments),
                                      QtText::Currency(y.interest), QtText::Currency(y.principal),
                                      QtText::Currency(y.balance)};
        const bool printed = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            QStringList cells = line.simplified().split(QLatin1Char(' '));
            if (cells.isEmpty() ||
                cells.takeFirst().remove(QLatin1Char('*')) != QString::number(number))
                return false;
            return cells == expected;
        });
        QVERIFY2(printed, qPrintable(QStringLiteral("year %1").arg(number)));
    }

    // The CSV.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("home years.csv"));
    ui.ExpectFile(FileMode::Save, path);
    Key(Qt::Key_E, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ui.fileRequests.back().initialName, QStringLiteral("HOME years.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList csv = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QCOMPARE(csv.takeFirst(),
             QStringLiteral("Year,First Period,Last Period,Payments,Interest,Principal,Balance"));
    QCOMPARE(csv.takeLast(), QString());
    QStringList expected;
    for (const auto& [number, y] : years)
        expected << QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
                        .arg(number)
                        .arg(y.first)
                        .arg(y.last)
                        .arg(Plain(y.payments), Plain(y.interest), Plain(y.principal),
                             Plain(y.balance));
    QCOMPARE(csv, expected);
}

// Each scenario's row holds the figures of its own loan, made apart: the variable rates one or
// two points up (the revert rate too where the fixed part follows the variable rate, not where
// it has one of its own), or the plan without its extra money.
void tst_scheduleviews::compare_theScenariosLoansMadeApart_data() {
    QTest::addColumn<calc::Cents>("extra");
    QTest::addColumn<calc::LoanPlan>("plan");
    QTest::addColumn<bool>("ownRevertRate");
    QTest::newRow("no plan") << calc::Cents{0} << calc::LoanPlan{} << false;
    QTest::newRow("dated plan, extra each month") << calc::Cents{10'000} << BusyPlan() << false;
    calc::LoanPlan revert = BusyPlan();
    revert.start.reset();
    revert.revertRatePercent = 7.0;
    QTest::newRow("a revert rate of its own") << calc::Cents{0} << revert << true;
}

void tst_scheduleviews::compare_theScenariosLoansMadeApart() {
    QFETCH(calc::Cents, extra);
    QFETCH(calc::LoanPlan, plan);
    QFETCH(bool, ownRevertRate);
    ScriptedInteraction ui;
    const auto window = OpenWindow(4, extra, plan);
    Key(Qt::Key_M, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window->grdCompare());

    calc::LoanPlan withoutExtras = plan;
    withoutExtras.lumpSums.clear();
    std::vector<std::pair<QString, calc::LoanSchedule>> loans = {
        {QStringLiteral("As planned"),
         ScenarioLoans::Make(ScenarioLoans::Fields(), 4, extra, plan)},
        {QStringLiteral("Variable +1%"), ScenarioLoans::Make(ScenarioLoans::Fields("7.5"), 4, extra,
                                                             ScenarioLoans::Raised(plan, 1))},
        {QStringLiteral("Variable +2%"), ScenarioLoans::Make(ScenarioLoans::Fields("8.5"), 4, extra,
                                                             ScenarioLoans::Raised(plan, 2))}};
    if (extra > 0 || !plan.lumpSums.empty())
        loans.emplace_back(QStringLiteral("Without extra payments"),
                           ScenarioLoans::Make(ScenarioLoans::Fields(), 4, 0, withoutExtras));

    const QAbstractItemModel* model = window->grdCompare()->model();
    QCOMPARE(model->rowCount(), static_cast<int>(loans.size()));
    QCOMPARE(model->columnCount(), plan.start ? 6 : 5);
    for (int r = 0; r < model->rowCount(); ++r) {
        const auto& [name, loan] = loans[static_cast<std::size_t>(r)];
        const ScenarioLoans::Figures f = ScenarioLoans::FiguresOf(loan);
        QCOMPARE(Cell(model, r, CompareModel::Scenario), name);
        QCOMPARE(Cell(model, r, CompareModel::Installment), QtText::Currency(f.first));
        QCOMPARE(Cell(model, r, CompareModel::HighestInstallment), QtText::Currency(f.highest));
        QCOMPARE(Cell(model, r, CompareModel::TotalInterest), QtText::Currency(f.interest));
        QCOMPARE(Cell(model, r, CompareModel::LastPeriod), QString::number(f.last));
        if (plan.start) QCOMPARE(Cell(model, r, CompareModel::LastDate), DateEdit::Text(*f.date));
    }
    // A revert rate of its own stays, whatever the variable rate does.
    if (ownRevertRate) QCOMPARE(loans[1].second.RatePercent(calc::PlanPart::Fixed, 40), 7.0);

    // The chart overlays the stressed loans' balances, each as long as its loan.
    QVERIFY(!window->chart()->Geometry()->Find(ChartGeometry::Line::PlusOne));
    Key(Qt::Key_S, Qt::AltModifier);
    QVERIFY(window->chkStressed()->isChecked());
    for (const auto& [line, loan] : {std::pair{ChartGeometry::Line::PlusOne, &loans[1].second},
                                     std::pair{ChartGeometry::Line::PlusTwo, &loans[2].second}}) {
        const ChartGeometry::Series* series = window->chart()->Geometry()->Find(line);
        QVERIFY(series);
        QCOMPARE(series->points.size(), static_cast<qsizetype>(loan->Periods()) + 1);
    }
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
}

// Beside the table or behind its tab, the chart stays where the user put it while the schedule
// changes under it, and its cursor stays at its period.
void tst_scheduleviews::chartPlace_keptForTheWindowsLife() {
    ScriptedInteraction ui;
    const auto window = OpenWindow(4, 0, BusyPlan());
    QTabWidget* tabs = window->tabViews();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(1), QStringLiteral("Chart"));
    window->chart()->SetCursorPeriod(40);
    window->resize(1500, window->height());

    window->chkChartBeside()->setFocus();
    Key(Qt::Key_Space);
    QCOMPARE(tabs->count(), 2);
    QVERIFY(window->chart()->isVisible() && window->grdSchedule()->isVisible());
    // On a wide screen the table keeps every column in sight, or the larger share when its
    // columns need more; the chart has the rest.
    const QTableView* table = window->grdSchedule();
    QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width() ||
            table->width() > window->chart()->width());
    QVERIFY(window->chart()->width() > table->width() / 2);
    // A new extra payment, a new repayment time: the chart stays beside the table.
    window->txtExtra()->setFocus();
    QTest::keyClicks(window->txtExtra(), QStringLiteral("250"));
    QCOMPARE(tabs->count(), 2);
    QVERIFY(window->chart()->isVisible());
    QCOMPARE(window->chart()->CursorPeriod(), 40);
    QCOMPARE(window->grdSchedule()->currentIndex().row(), 39);

    window->chkChartBeside()->setFocus();
    Key(Qt::Key_Space);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(1), window->chart());
    QVERIFY(!window->chart()->isVisible());
    QCOMPARE(window->chart()->CursorPeriod(), 40);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
}

// Export Chart writes the chart shown as a PNG or an SVG through the safe-writing layer, asks
// before replacing a file and says why a name it cannot write is refused.
void tst_scheduleviews::exportChart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("answer"); // to the replace question; -1 for none
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("PNG") << "home chart.png" << false << -1 << QByteArray("\x89PNG");
    QTest::newRow("SVG") << "home chart.SVG" << false << -1 << QByteArray("<?xml");
    QTest::newRow("replaced") << "home.svg" << true << int(Answer::Yes) << QByteArray("<?xml");
    QTest::newRow("kept") << "home.png" << true << int(Answer::No) << QByteArray("before");
    QTest::newRow("neither") << "home.jpg" << false << -1 << QByteArray();
}

void tst_scheduleviews::exportChart() {
    QFETCH(QString, name);
    QFETCH(bool, existing);
    QFETCH(int, answer);
    QFETCH(QByteArray, starts);
    ScriptedInteraction ui;
    const auto window = OpenWindow(4, 0, BusyPlan());
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (existing) {
        QFile before(path);
        QVERIFY(before.open(QIODevice::WriteOnly));
        before.write("before");
    }
    ui.ExpectFile(FileMode::Save, path);
    if (answer >= 0)
        ui.ExpectMessage(QStringLiteral("The file %1 already exists. Replace it?").arg(path),
                         QStringLiteral("Export Chart"), Buttons::YesNo, Icon::Question,
                         Answer(answer));
    if (starts.isEmpty())
        ui.ExpectMessage(QStringLiteral("The chart could not be saved to %1.\n\nA chart is saved "
                                        "as a .png or an .svg file")
                             .arg(path),
                         QStringLiteral("Export Chart"), Buttons::OK, Icon::Critical);
    // By keys: Tab from the CSV export's button, then Space.
    window->cmdExport()->setFocus();
    Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->cmdExportChart());
    Key(Qt::Key_Space);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(ui.fileRequests.front().initialName, QStringLiteral("HOME chart.png"));
    QVERIFY(ui.fileRequests.front().filter.contains(QStringLiteral("*.svg")));
    QFile file(path);
    if (starts.isEmpty()) {
        QVERIFY(!file.exists());
        return;
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(starts));
    if (starts.startsWith("\x89PNG")) {
        const QImage image = QImage::fromData(bytes, "PNG");
        QVERIFY(image.width() >= 800 && image.height() >= 400);
    }
    // The chart named what it shows.
    if (starts == "<?xml") QVERIFY(bytes.contains("Loan as planned"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// The print-out opens with the loan at a glance: the loan, its plan and events, the totals, the
// compare table and the chart with the lines the window shows.
void tst_scheduleviews::print_firstPageHoldsTheLoanAtAGlance() {
    ScriptedInteraction ui;
    const auto window = OpenWindow(4, 10'000, BusyPlan());
    Key(Qt::Key_S, Qt::AltModifier);
    PrintLog log;
    log.linesPerPage = 50;
    log.charactersPerLine = 190;
    ui.ExpectPreview([&log] { return std::make_unique<RecordingPrinter>(log); });
    Key(Qt::Key_P, Qt::AltModifier);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));

    const QStringList first = Pages(log).front();
    const auto line = [&first](const QString& start) {
        for (const QString& l : first)
            if (l.startsWith(start)) return l;
        return QString();
    };
    QCOMPARE(line(QStringLiteral("Loan HOME")),
             QStringLiteral("Loan HOME: $300,000.00 over 25 years, repaid monthly: variable "
                            "$200,000.00 at 6.5%, fixed $100,000.00 at 5.99%; $100.00 extra each "
                            "period."));
    QCOMPARE(line(QStringLiteral("Plan")),
             QStringLiteral("Plan: first payment on %1; the fixed rate for 3 years, then the "
                            "variable rate; the installment follows a rate change; the "
                            "installment stays after a lump sum.")
                 .arg(DateEdit::Text(Ymd(2026, 1, 31))));
    for (const QString& event :
         {QStringLiteral("  Period 13 (%1): The variable rate changes to 7.25%.")
              .arg(DateEdit::Text(Ymd(2027, 1, 31))),
          QStringLiteral("  Period 24 (%1): Lump sum of $5,000.00 into the variable part.")
              .arg(DateEdit::Text(Ymd(2027, 12, 31)))})
        QVERIFY2(first.contains(event), qPrintable(event));
    // The totals as the window shows them, the compare table's rows as its table.
    const calc::LoanSchedule& shown = *window->Schedule();
    const QString loanTotals = line(QStringLiteral("Loan      "));
    QVERIFY2(loanTotals.contains(QtText::Currency(shown.Totals().interest).mid(1)),
             qPrintable(loanTotals));
    const QAbstractItemModel* compare = window->grdCompare()->model();
    for (int r = 0; r < compare->rowCount(); ++r) {
        const QString row = line(Cell(compare, r, CompareModel::Scenario) + QLatin1Char(' '));
        QVERIFY2(row.contains(Cell(compare, r, CompareModel::TotalInterest).mid(1)),
                 qPrintable(row));
        QVERIFY(row.contains(Cell(compare, r, CompareModel::LastDate)));
    }
    // The chart after them on the same page, in what is left of it, with every line shown.
    int page = 0, chartLines = 0, printedLines = 0;
    for (const QString& op : log.ops) {
        if (op == QLatin1String("page")) ++page;
        if (op.startsWith(QLatin1String("line:")) && page == 0) ++printedLines;
        if (op.startsWith(QLatin1String("picture:"))) {
            QCOMPARE(page, 0);
            chartLines = op.mid(8).toInt();
        }
    }
    QVERIFY(chartLines >= SchedulePrintout::kChartLines);
    QCOMPARE(printedLines + chartLines, log.linesPerPage);
    QCOMPARE(log.pictures.size(), 1);
    for (const auto line : {ChartGeometry::Line::Loan, ChartGeometry::Line::WithoutExtras,
                            ChartGeometry::Line::PlusOne, ChartGeometry::Line::PlusTwo})
        QVERIFY2(Count(log.pictures.front(), ChartStyle::Of(line).colour) > 20,
                 qPrintable(ChartGeometry::Name(line)));
}

// Whatever the page holds, the totals at the table's end come with rows of their own, never
// with a lone row; every period is printed once, in order, and no page runs over.
void tst_scheduleviews::print_totalsNeverAloneWithALoneRow() {
    const calc::LoanSchedule schedule = ScenarioLoans::Make(ScenarioLoans::Fields(), 4, 0, {});
    for (int linesPerPage = 18; linesPerPage <= 80; ++linesPerPage) {
        PrintLog log;
        log.linesPerPage = linesPerPage;
        log.charactersPerLine = 190;
        {
            RecordingPrinter printer(log);
            QVERIFY(SchedulePrintout::Print(printer, schedule, QStringLiteral("HOME")));
        }
        const QString where = QStringLiteral("%1 lines a page").arg(linesPerPage);
        int period = 0, totalsPage = -1, rowsWithTotals = 0;
        const QList<QStringList> pages = Pages(log);
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY2(pages[p].size() <= linesPerPage, qPrintable(where));
            int rows = 0;
            for (const QString& l : pages[p]) {
                const QString first = l.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
                if (first == QString::number(period + 1) && l.size() > 60) {
                    ++period;
                    ++rows;
                }
                if (first == QLatin1String("Total")) {
                    totalsPage = p;
                    rowsWithTotals = rows;
                }
            }
        }
        QVERIFY2(period == 300, qPrintable(where));
        QVERIFY2(totalsPage == pages.size() - 1, qPrintable(where));
        QVERIFY2(rowsWithTotals >= SchedulePrintout::kRowsKeptWithTotals ||
                     rowsWithTotals == linesPerPage - SchedulePrintout::kHeadingLines - 3,
                 qPrintable(
                     QStringLiteral("%1: %2 rows with the totals").arg(where).arg(rowsWithTotals)));
        // The chart once, on the loan's page or the one after.
        QCOMPARE(log.ops.filter(QStringLiteral("picture:")).size(), 1);
    }
}

QTEST_MAIN(tst_scheduleviews)
#include "tst_scheduleviews.moc"
