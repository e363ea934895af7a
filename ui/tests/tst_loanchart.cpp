// The chart as a control, alone in a test window: it takes the focus from the keyboard, its
// cursor walks the periods by key and by mouse, and its tooltip and accessible description
// say the table's row under the cursor.
#include "ChartLoans.h"

#include "calc/PaymentCalendar.h"
#include "calc/ScheduleScenarios.h"
#include "ui/chart/LoanChart.h"
#include "ui/common/QtText.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QString Accessible(QWidget* widget, QAccessible::Text which) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(which) : QString();
}

struct Window {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    LoanChart* chart = new LoanChart(&window);
    QLineEdit* after = new QLineEdit(&window);

    Window() {
        auto* column = new QVBoxLayout(&window);
        column->addWidget(before);
        column->addWidget(chart, 1);
        column->addWidget(after);
        window.resize(900, 560);
    }
};

} // namespace

class LoanChartTest : public QObject {
    Q_OBJECT

  private slots:
    // Tab reaches the chart and leaves it; its name says what it is.
    void takesTheFocusByTab() {
        const calc::LoanSchedule schedule = ChartLoans::Busy(true);
        Window w;
        w.chart->SetSchedule(&schedule);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.before->setFocus();
        QTest::keyClick(w.before, Qt::Key_Tab);
        QVERIFY(w.chart->hasFocus());
        QTest::keyClick(w.chart, Qt::Key_Tab);
        QVERIFY(w.after->hasFocus());
        QTest::keyClick(w.after, Qt::Key_Backtab);
        QVERIFY(w.chart->hasFocus());
        QVERIFY(!Accessible(w.chart, QAccessible::Name).isEmpty());
        QVERIFY(QAccessible::queryAccessibleInterface(w.chart)->state().focusable);
    }

    // Left and Right a period, Page Up and Down a year's periods, Home and End the ends; no key
    // goes past either end. The tooltip and the description follow, with the row's values.
    void keysWalkThePeriods_data() {
        QTest::addColumn<int>("time");
        QTest::addColumn<bool>("dated");
        QTest::newRow("monthly, dated") << 4 << true;
        QTest::newRow("weekly") << 1 << false;
        QTest::newRow("quarterly, dated") << 5 << true;
    }
    void keysWalkThePeriods() {
        QFETCH(int, time);
        QFETCH(bool, dated);
        calc::LoanPlan plan;
        if (dated) plan.start = ChartLoans::Date(2025, 1, 31);
        const calc::LoanSchedule schedule =
            ChartLoans::Make(ChartLoans::Terms(200000, 100000, 10, time), plan);
        const calc::ScheduleScenarios scenarios(schedule);
        Window w;
        w.chart->SetSchedule(&schedule, &scenarios);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.chart->setFocus();
        QSignalSpy moved(w.chart, &LoanChart::CursorMoved);
        const int last = static_cast<int>(schedule.Periods());
        const int year = time == 1 ? 52 : time == 4 ? 12 : 4;

        const struct {
            Qt::Key key;
            int period;
        } steps[] = {{Qt::Key_Left, 1},         {Qt::Key_Right, 2},         {Qt::Key_Right, 3},
                     {Qt::Key_PageDown, 3 + year}, {Qt::Key_PageUp, 3},     {Qt::Key_PageUp, 1},
                     {Qt::Key_End, last},       {Qt::Key_Right, last},      {Qt::Key_PageDown, last},
                     {Qt::Key_Left, last - 1},  {Qt::Key_Home, 1}};
        for (const auto& step : steps) {
            QTest::keyClick(w.chart, step.key);
            QCOMPARE(w.chart->CursorPeriod(), step.period);
            const calc::ScheduleRow row = schedule.Row(static_cast<std::size_t>(step.period - 1));
            const QString tip = w.chart->toolTip();
            QVERIFY(tip.startsWith(QStringLiteral("Period %1").arg(step.period)));
            QVERIFY(tip.contains(QtText::Currency(row.balance)));
            QVERIFY(tip.contains(QtText::Currency(row.interest)));
            if (dated)
                QVERIFY(tip.contains(QString::fromStdString(
                    calc::PaymentCalendar::Iso(*schedule.DateOf(step.period)))));
            QCOMPARE(Accessible(w.chart, QAccessible::Description), tip);
        }
        // One signal a move: the keys at an end moved nothing.
        QCOMPARE(moved.count(), 8);
        QCOMPARE(moved.last().at(0).toInt(), 1);
    }

    // A click puts the cursor at the period under the pointer, a drag walks it along.
    void mouseMovesTheCursor() {
        const calc::LoanSchedule schedule = ChartLoans::Busy(false);
        Window w;
        w.chart->SetSchedule(&schedule);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const ChartGeometry* g = w.chart->Geometry();
        QVERIFY(g);
        QCOMPARE(g->Bounds().size(), QSizeF(w.chart->size()));
        const int y = static_cast<int>(g->PlotArea().center().y());
        const QPoint at30(qRound(g->XOfPeriod(30)), y);
        QTest::mouseClick(w.chart, Qt::LeftButton, {}, at30);
        QCOMPARE(w.chart->CursorPeriod(), 30);
        QVERIFY(w.chart->hasFocus());
        QTest::mousePress(w.chart, Qt::LeftButton, {}, at30);
        QMouseEvent drag(QEvent::MouseMove, QPointF(g->XOfPeriod(120), y),
                         w.chart->mapToGlobal(QPointF(g->XOfPeriod(120), y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.chart, &drag);
        QCOMPARE(w.chart->CursorPeriod(), 120);
        QTest::mouseRelease(w.chart, Qt::LeftButton, {}, QPoint(qRound(g->XOfPeriod(120)), y));
        QTest::keyClick(w.chart, Qt::Key_Right);
        QCOMPARE(w.chart->CursorPeriod(), 121);
    }

    // A new schedule keeps the cursor's period where it has one; a shorter one brings it to its
    // last; none clears it.
    void newScheduleKeepsTheCursor() {
        const calc::LoanSchedule longer = ChartLoans::Make(ChartLoans::Terms(200000, 100000, 25, 4));
        const calc::LoanSchedule shorter = ChartLoans::Make(ChartLoans::Terms(200000, 100000, 5, 4));
        Window w;
        w.chart->SetSchedule(&longer);
        w.chart->SetCursorPeriod(100);
        QCOMPARE(w.chart->CursorPeriod(), 100);
        w.chart->SetSchedule(&shorter);
        QCOMPARE(w.chart->CursorPeriod(), 60);
        QVERIFY(w.chart->toolTip().startsWith(QStringLiteral("Period 60")));
        w.chart->SetSchedule(&longer);
        QCOMPARE(w.chart->CursorPeriod(), 60);
        w.chart->SetSchedule(nullptr);
        QCOMPARE(w.chart->CursorPeriod(), 0);
        QVERIFY(w.chart->toolTip().isEmpty());
        QVERIFY(Accessible(w.chart, QAccessible::Description).isEmpty());
        QVERIFY(!w.chart->Geometry());
        QTest::keyClick(w.chart, Qt::Key_Right);
        QCOMPARE(w.chart->CursorPeriod(), 0);
    }

    // The stressed lines come and go with the switch; the geometry is laid out again.
    void stressedLinesFollowTheSwitch() {
        const calc::LoanSchedule schedule = ChartLoans::Busy(false);
        const calc::ScheduleScenarios scenarios(schedule);
        Window w;
        w.chart->SetSchedule(&schedule, &scenarios);
        QVERIFY(!w.chart->Geometry()->Find(ChartGeometry::Line::PlusOne));
        w.chart->SetStressedShown(true);
        QVERIFY(w.chart->Geometry()->Find(ChartGeometry::Line::PlusOne));
        QVERIFY(w.chart->Geometry()->Find(ChartGeometry::Line::PlusTwo));
    }
};

QTEST_MAIN(LoanChartTest)
#include "tst_loanchart.moc"
