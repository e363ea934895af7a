// The chart's geometry, without a pixel drawn: its scales, where its points, bars and markers
// go, its time axis and its cursor, for loans from a dollar to two trillion.
#include "ChartLoans.h"

#include "calc/PaymentCalendar.h"
#include "calc/ScheduleScenarios.h"
#include "ui/chart/ChartGeometry.h"
#include "ui/chart/ChartScale.h"
#include "ui/chart/ChartStyle.h"
#include "ui/common/QtText.h"

#include <QtTest>

#include <set>

namespace {

using Geometry = ChartGeometry;

Geometry::Options Sized(QSizeF size, bool stressed = false) {
    Geometry::Options options;
    options.size = size;
    options.font = QGuiApplication::font();
    options.font.setPixelSize(13);
    options.stressed = stressed;
    return options;
}

// Rounded to a hundredth of a unit: a point on an edge is inside.
bool Inside(const QRectF& area, QPointF p) {
    return p.x() >= area.left() - 0.01 && p.x() <= area.right() + 0.01 &&
           p.y() >= area.top() - 0.01 && p.y() <= area.bottom() + 0.01;
}

bool Inside(const QRectF& area, const QRectF& r) {
    return Inside(area, r.topLeft()) && Inside(area, r.bottomRight());
}

// The cents a money label names ("$2.5M", "$250,000", "$0.20").
calc::Cents LabelCents(QString label) {
    label.remove(QLatin1Char('$')).remove(QLatin1Char(','));
    double unit = 1;
    if (label.endsWith(QLatin1Char('M'))) unit = 1e6;
    if (label.endsWith(QLatin1Char('B'))) unit = 1e9;
    if (label.endsWith(QLatin1Char('T'))) unit = 1e12;
    if (unit > 1) label.chop(1);
    return static_cast<calc::Cents>(std::llround(label.toDouble() * unit * 100));
}

// How far p lies from the segment a-b.
double Distance(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0;
    const QPointF nearest = a + t * d;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

// Whether a step is 1, 2, 2.5 or 5 times a power of ten.
bool Round(calc::Cents step) {
    while (step % 10 == 0 && step >= 100) step /= 10;
    return step == 1 || step == 2 || step == 5 || step == 10 || step == 20 || step == 25 ||
           step == 50;
}

} // namespace

class ChartGeometryTest : public QObject {
    Q_OBJECT

  private slots:
    // Round steps for any highest value, a top at the first tick at or past it, and labels short
    // enough for an axis that still name each tick's value.
    void scalesHaveRoundTicks_data() {
        QTest::addColumn<qlonglong>("highest");
        QTest::addColumn<int>("steps");
        QTest::newRow("a dollar") << 100LL << 5;
        QTest::newRow("37 cents") << 37LL << 4;
        QTest::newRow("one cent") << 1LL << 3;
        QTest::newRow("$300,000") << 30'000'000LL << 6;
        QTest::newRow("$299,999.99 in two") << 29'999'999LL << 2;
        QTest::newRow("$12.5 million") << 1'250'000'000LL << 5;
        QTest::newRow("$2 trillion") << 200'000'000'000'000LL << 4;
        QTest::newRow("$1 trillion and a cent") << 100'000'000'000'001LL << 7;
        QTest::newRow("a single step") << 123'456LL << 1;
    }
    void scalesHaveRoundTicks() {
        QFETCH(qlonglong, highest);
        QFETCH(int, steps);
        const ChartScale scale(highest, steps);
        QVERIFY2(Round(scale.Step()), qPrintable(QString::number(scale.Step())));
        QVERIFY(scale.Top() >= highest);
        QVERIFY(scale.Top() - scale.Step() < highest);
        QVERIFY(scale.Top() % scale.Step() == 0);
        // About the steps asked for: never more, and not half as few with a step to spare.
        const auto count = static_cast<int>(scale.Top() / scale.Step());
        QVERIFY(count <= steps);
        QVERIFY(scale.Step() == 1 || ChartScale::RoundStep(scale.Step() - 1) == scale.Step());
        std::set<QString> labels;
        for (const calc::Cents tick : scale.Ticks()) {
            const QString label = scale.Label(tick);
            QVERIFY2(label.size() <= 10, qPrintable(label));
            QCOMPARE(LabelCents(label), tick);
            labels.insert(label);
        }
        QCOMPARE(labels.size(), scale.Ticks().size());
    }

    // Everything lies in its panel, and the panels in the chart, whatever the loan's size or
    // the chart's.
    void everythingInsideItsArea_data() {
        QTest::addColumn<double>("variable");
        QTest::addColumn<double>("fixed");
        QTest::addColumn<double>("years");
        QTest::addColumn<int>("time");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("a dollar over half a year") << 0.6 << 0.4 << 0.5 << 4 << false << QSizeF(800, 400);
        QTest::newRow("a dollar, dated, small") << 1.0 << 0.0 << 1.0 << 5 << true << QSizeF(320, 200);
        QTest::newRow("busy plan") << 200000.0 << 100000.0 << 25.0 << 4 << true << QSizeF(1000, 500);
        QTest::newRow("two trillion weekly") << 1e12 << 1e12 << 40.0 << 1 << false << QSizeF(800, 400);
        QTest::newRow("two trillion, dated") << 1e12 << 1e12 << 40.0 << 2 << true << QSizeF(1600, 900);
        QTest::newRow("500 years quarterly") << 5e5 << 0.0 << 500.0 << 5 << true << QSizeF(800, 400);
    }
    void everythingInsideItsArea() {
        QFETCH(double, variable);
        QFETCH(double, fixed);
        QFETCH(double, years);
        QFETCH(int, time);
        QFETCH(bool, dated);
        QFETCH(QSizeF, size);
        calc::LoanPlan plan = ChartLoans::BusyPlan(dated);
        // The busy plan's events need a loan long enough for them.
        if (years * 12 < 40 || time != 4) {
            plan = {};
            if (dated) plan.start = ChartLoans::Date(2024, 2, 29);
        }
        const calc::LoanSchedule schedule =
            ChartLoans::Make(ChartLoans::Terms(variable, fixed, years, time, 1), plan);
        const calc::ScheduleScenarios scenarios(schedule);
        const Geometry g(schedule, &scenarios, Sized(size, true));

        QVERIFY(Inside(g.Bounds(), g.PlotArea()));
        QVERIFY(Inside(g.Bounds(), g.BarArea()));
        QVERIFY(g.PlotArea().bottom() <= g.BarArea().top());
        QVERIFY(g.PlotArea().height() > 0 && g.BarArea().height() > 0);
        QVERIFY(g.BalanceScale().Top() >= schedule.Variable().Amount() + schedule.Fixed().Amount());
        QCOMPARE(g.YOfBalance(0), g.PlotArea().bottom());
        QCOMPARE(g.YOfBalance(g.BalanceScale().Top()), g.PlotArea().top());
        QVERIFY(!g.AllSeries().empty());
        for (const Geometry::Series& s : g.AllSeries()) {
            QVERIFY(s.points.size() >= 2);
            for (const QPointF& p : s.points)
                QVERIFY2(Inside(g.PlotArea(), p), qPrintable(s.name));
            for (const QPointF& p : s.shapes)
                QVERIFY(s.points.contains(p));
            // The line as drawn leaves out only points it passes within a twentieth of a unit.
            QCOMPARE(s.drawn.front(), s.points.front());
            QCOMPARE(s.drawn.back(), s.points.back());
            QVERIFY(s.drawn.size() <= s.points.size());
            qsizetype next = 0;
            for (const QPointF& p : s.points) {
                if (next < s.drawn.size() && p == s.drawn[next]) {
                    ++next;
                    continue;
                }
                QVERIFY(next > 0 && next < s.drawn.size());
                QVERIFY2(Distance(p, s.drawn[next - 1], s.drawn[next]) <= 0.0501, qPrintable(s.name));
            }
            QCOMPARE(next, s.drawn.size());
        }
        QVERIFY(!g.Bars().empty());
        for (const Geometry::YearBar& bar : g.Bars()) {
            QVERIFY(Inside(g.BarArea(), bar.interest));
            QVERIFY(Inside(g.BarArea(), bar.principal));
            QCOMPARE(bar.interest.top(), bar.principal.bottom());
        }
        for (const Geometry::Marker& m : g.Markers())
            QVERIFY(m.x >= g.PlotArea().left() && m.x <= g.PlotArea().right());
        for (const Geometry::Tick& t : g.BalanceTicks())
            QVERIFY(t.at >= g.PlotArea().top() - 0.01 && t.at <= g.PlotArea().bottom() + 0.01);
        QVERIFY(g.TimeTicks().size() >= 2);
        for (const Geometry::Tick& t : g.TimeTicks())
            QVERIFY(t.at >= g.PlotArea().left() - 0.01 && t.at <= g.PlotArea().right() + 0.01);
        for (const Geometry::LegendEntry& e : g.Legend())
            QVERIFY2(Inside(g.Bounds(), e.sample) && e.text.bottom() < g.PlotArea().top(),
                     qPrintable(e.label));
    }

    // One marker a kind and period, where the plan's event is: a rate change up in 13, the
    // fixed period's end in 25, a lump sum in 30, a rate change down in 40 (both parts, one
    // marker).
    void markersAtTheirPeriods() {
        const calc::LoanSchedule schedule = ChartLoans::Busy(false);
        const Geometry g(schedule, nullptr, Sized({800, 400}));
        struct Expected {
            Geometry::Mark mark;
            int period;
            bool rising;
        };
        const Expected expected[] = {{Geometry::Mark::RateChange, 13, true},
                                     {Geometry::Mark::FixedPeriodEnd, 25, true},
                                     {Geometry::Mark::LumpSum, 30, true},
                                     {Geometry::Mark::RateChange, 40, false}};
        QCOMPARE(g.Markers().size(), std::size(expected));
        for (std::size_t i = 0; i < std::size(expected); ++i) {
            const Geometry::Marker& m = g.Markers()[i];
            QCOMPARE(m.mark, expected[i].mark);
            QCOMPARE(m.period, expected[i].period);
            QCOMPARE(m.x, g.XOfPeriod(m.period));
            if (m.mark != Geometry::Mark::LumpSum) QCOMPARE(m.rising, expected[i].rising);
            for (const calc::ScheduleEvent& e : schedule.EventsIn(m.period))
                if (e.kind != calc::ScheduleEventKind::PaymentChange)
                    QVERIFY(m.text.contains(QtText::FromUtf8(calc::ScheduleEventText(e))));
        }
        // The fixed part following the rate down is in the one marker's text.
        QVERIFY(g.Markers()[3].text.contains(QStringLiteral("fixed part")));
        // The legend names the three kinds.
        int marks = 0;
        for (const Geometry::LegendEntry& e : g.Legend())
            marks += std::holds_alternative<Geometry::Mark>(e.what);
        QCOMPARE(marks, 3);
    }

    // With a start date the time axis is in dates: a year's label lies between the year's last
    // payment before it and its first payment after. Without one it is in years from the start:
    // year n at n years' periods.
    void timeAxisInDatesOrYears_data() {
        QTest::addColumn<bool>("dated");
        QTest::addColumn<int>("time");
        QTest::addColumn<double>("years");
        QTest::newRow("years, monthly") << false << 4 << 25.0;
        QTest::newRow("years, quarterly over a year") << false << 5 << 1.0;
        QTest::newRow("years, weekly over 40 years") << false << 1 << 40.0;
        QTest::newRow("dates, monthly") << true << 4 << 25.0;
        QTest::newRow("dates, weekly over 40 years") << true << 1 << 40.0;
        QTest::newRow("dates, fortnightly over a year: months") << true << 2 << 1.0;
    }
    void timeAxisInDatesOrYears() {
        QFETCH(bool, dated);
        QFETCH(int, time);
        QFETCH(double, years);
        calc::LoanPlan plan;
        if (dated) plan.start = ChartLoans::Date(2025, 3, 31);
        const calc::LoanSchedule schedule =
            ChartLoans::Make(ChartLoans::Terms(200000, 100000, years, time), plan);
        const Geometry g(schedule, nullptr, Sized({800, 400}));
        QCOMPARE(g.Dated(), dated);
        QCOMPARE(g.TimeCaption().isEmpty(), dated);
        QVERIFY(g.TimeTicks().size() >= 2);
        double previous = -1;
        for (const Geometry::Tick& t : g.TimeTicks()) {
            QVERIFY(t.at > previous);
            previous = t.at;
            if (!dated) {
                bool number = false;
                const double at = t.label.toDouble(&number);
                QVERIFY2(number, qPrintable(t.label));
                QVERIFY(std::abs(t.at - g.XOfPeriod(0) -
                                 at * schedule.PeriodsPerYear() *
                                     (g.XOfPeriod(1) - g.XOfPeriod(0))) < 0.01);
                continue;
            }
            // "2030" or "2025-06": the first day of that year or month.
            const QStringList parts = t.label.split(QLatin1Char('-'));
            QVERIFY(parts.size() == 1 || parts.size() == 2);
            const auto tickDate = ChartLoans::Date(parts[0].toInt(),
                                                   parts.size() == 2 ? parts[1].toUInt() : 1, 1);
            QVERIFY2(tickDate.ok(), qPrintable(t.label));
            const calc::PaymentCalendar calendar(*plan.start, time);
            const int after = calendar.PeriodOnOrAfter(tickDate);
            QVERIFY(after <= static_cast<int>(schedule.Periods()) + 1);
            QVERIFY(t.at <= g.XOfPeriod(after) + 0.01);
            if (after > 1) QVERIFY(t.at > g.XOfPeriod(after - 1));
        }
    }

    // The cursor shows the table's row: the period, its date, the loan's and each part's
    // payment, interest and balance, and says them in its text.
    void cursorIsTheTablesRow_data() {
        QTest::addColumn<bool>("dated");
        QTest::newRow("years") << false;
        QTest::newRow("dates") << true;
    }
    void cursorIsTheTablesRow() {
        QFETCH(bool, dated);
        const calc::LoanSchedule schedule = ChartLoans::Busy(dated);
        const Geometry g(schedule, nullptr, Sized({800, 400}));
        const int periods = static_cast<int>(schedule.Periods());
        QCOMPARE(g.Periods(), periods);
        for (const int period : {1, 12, 13, 30, 40, periods - 1, periods}) {
            const auto c = g.CursorAt(period);
            QVERIFY(c);
            QCOMPARE(c->period, period);
            const auto k = static_cast<std::size_t>(period - 1);
            const calc::ScheduleRow row = schedule.Row(k);
            QCOMPARE(c->loan.payment, row.payment);
            QCOMPARE(c->loan.interest, row.interest);
            QCOMPARE(c->loan.balance, row.balance);
            const auto& variable = schedule.Variable().Rows();
            const auto& fixed = schedule.Fixed().Rows();
            QCOMPARE(c->variable.has_value(), k < variable.size());
            QCOMPARE(c->fixed.has_value(), k < fixed.size());
            if (c->variable) QCOMPARE(c->variable->balance, variable[k].balance);
            if (c->fixed) QCOMPARE(c->fixed->balance, fixed[k].balance);
            QCOMPARE(c->date, schedule.DateOf(period));
            QCOMPARE(c->at, QPointF(g.XOfPeriod(period), g.YOfBalance(row.balance)));
            QVERIFY(g.Find(Geometry::Line::Loan)->points.contains(c->at));
            QVERIFY(c->text.startsWith(QStringLiteral("Period %1").arg(period)));
            for (const calc::Cents amount : {row.balance, row.payment, row.interest, row.Principal()})
                QVERIFY2(c->text.contains(QtText::Currency(amount)), qPrintable(c->text));
            if (c->date)
                QVERIFY(c->text.contains(QString::fromStdString(calc::PaymentCalendar::Iso(*c->date))));
            QCOMPARE(g.PeriodAt(c->at.x()), period);
        }
        QCOMPARE(g.CursorAt(0)->period, 1);
        QCOMPARE(g.CursorAt(periods + 5)->period, periods);
        QVERIFY(g.CursorAt(13)->text.contains(QStringLiteral("rate changes to 7.25%")));
    }

    // The lines a schedule and its scenarios give: the parts only where there are two, the line
    // without extras where the plan pays extra, the stressed ones when asked, each as long as its
    // own schedule.
    void linesFollowTheirSchedules() {
        const calc::LoanSchedule busy = ChartLoans::Busy(false);
        const calc::ScheduleScenarios scenarios(busy);
        const Geometry plain(busy, &scenarios, Sized({800, 400}));
        const Geometry stressed(busy, &scenarios, Sized({800, 400}, true));
        using L = Geometry::Line;
        QVERIFY(plain.Find(L::Variable) && plain.Find(L::Fixed) && plain.Find(L::WithoutExtras));
        QVERIFY(!plain.Find(L::PlusOne) && !plain.Find(L::PlusTwo));
        const std::pair<L, calc::ScenarioKind> scenarioLines[] = {
            {L::WithoutExtras, calc::ScenarioKind::WithoutExtras},
            {L::PlusOne, calc::ScenarioKind::VariablePlusOne},
            {L::PlusTwo, calc::ScenarioKind::VariablePlusTwo}};
        for (const auto& [line, kind] : scenarioLines) {
            const Geometry::Series* s = stressed.Find(line);
            QVERIFY(s);
            const calc::LoanSchedule& other = *scenarios.Find(kind)->result.schedule;
            QCOMPARE(s->points.size(), static_cast<qsizetype>(other.Periods() + 1));
            QCOMPARE(s->points.back().y(), stressed.YOfBalance(0));
            QCOMPARE(s->points[5].y(), stressed.YOfBalance(other.Row(4).balance));
        }
        int longest = 0;
        for (const calc::Scenario& s : scenarios.All())
            longest = std::max(longest, s.figures.lastPeriod);
        QCOMPARE(stressed.LongestPeriods(), longest);
        const Geometry::Series& variable = *plain.Find(L::Variable);
        QCOMPARE(variable.points.size(), static_cast<qsizetype>(busy.Variable().Rows().size() + 1));

        const calc::LoanSchedule oneP = ChartLoans::Make(ChartLoans::Terms(300000, 0, 25, 4));
        const calc::ScheduleScenarios none(oneP);
        const Geometry single(oneP, &none, Sized({800, 400}));
        QCOMPARE(single.AllSeries().size(), std::size_t{1});
        QCOMPARE(single.Markers().size(), std::size_t{0});
    }

    // Each line differs from every other in colour, dash and shape; the bars' two halves differ
    // in lightness as well as hue.
    void linesDifferByColourDashAndShape() {
        using L = Geometry::Line;
        const L lines[] = {L::Loan, L::Variable, L::Fixed, L::WithoutExtras, L::PlusOne, L::PlusTwo};
        for (std::size_t i = 0; i < std::size(lines); ++i)
            for (std::size_t j = i + 1; j < std::size(lines); ++j) {
                const ChartStyle::Look a = ChartStyle::Of(lines[i]), b = ChartStyle::Of(lines[j]);
                QVERIFY(a.colour != b.colour);
                QVERIFY(a.dashes != b.dashes);
                QVERIFY(a.shape != b.shape);
            }
        QVERIFY(ChartStyle::Of(L::WithoutExtras).dashes.size() >= 2);
        const QColor interest = ChartStyle::Of(Geometry::Swatch::Interest);
        const QColor principal = ChartStyle::Of(Geometry::Swatch::Principal);
        QVERIFY(std::abs(interest.lightnessF() - principal.lightnessF()) > 0.2);
    }
};

QTEST_MAIN(ChartGeometryTest)
#include "tst_chartgeometry.moc"
