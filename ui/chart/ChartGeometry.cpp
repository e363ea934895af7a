#include "ChartGeometry.h"

#include "calc/PaymentCalendar.h"
#include "calc/ScheduleScenarios.h"
#include "ui/common/QtText.h"

#include <QFontMetricsF>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

std::vector<calc::Cents> BalancesOf(const calc::RepaymentSchedule& part) {
    std::vector<calc::Cents> cents;
    cents.reserve(part.Rows().size() + 1);
    cents.push_back(part.Amount());
    for (const calc::ScheduleRow& row : part.Rows())
        cents.push_back(row.balance);
    return cents;
}

std::vector<calc::Cents> BalancesOf(const calc::LoanSchedule& loan) {
    const auto& variable = loan.Variable().Rows();
    const auto& fixed = loan.Fixed().Rows();
    std::vector<calc::Cents> cents(loan.Periods() + 1, 0);
    cents[0] = loan.Variable().Amount() + loan.Fixed().Amount();
    for (std::size_t k = 0; k < variable.size(); ++k)
        cents[k + 1] += variable[k].balance;
    for (std::size_t k = 0; k < fixed.size(); ++k)
        cents[k + 1] += fixed[k].balance;
    return cents;
}

const calc::LoanSchedule* ScenarioSchedule(const calc::ScheduleScenarios* scenarios,
                                           calc::ScenarioKind kind) {
    if (!scenarios) return nullptr;
    const calc::Scenario* s = scenarios->Find(kind);
    return s && s->result.schedule ? &*s->result.schedule : nullptr;
}

double DaysOf(year_month_day date) {
    return static_cast<double>(sys_days(date).time_since_epoch().count());
}

QString Iso(year_month_day date) {
    return QString::fromStdString(calc::PaymentCalendar::Iso(date));
}

// "2026-03": a month tick's label.
QString MonthLabel(std::chrono::year_month ym) {
    return QStringLiteral("%1-%2")
        .arg(static_cast<int>(ym.year()), 4, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(ym.month()), 2, 10, QLatin1Char('0'));
}

// A number of years without trailing zeros: "0.25", "1", "40".
QString YearsLabel(double years) {
    QString text = QLocale::c().toString(years, 'f', 2);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

// Douglas and Peucker's simplification: the first and last points, and between two kept points
// the one farthest from the line through them, as long as that is farther than tolerance.
QPolygonF Simplified(const QPolygonF& points, double tolerance) {
    const qsizetype n = points.size();
    if (n < 3) return points;
    std::vector<bool> keep(static_cast<std::size_t>(n), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<qsizetype, qsizetype>> spans{{0, n - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const QPointF a = points[first], b = points[last];
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::hypot(dx, dy);
        double farthest = -1;
        qsizetype at = first;
        for (qsizetype i = first + 1; i < last; ++i) {
            const QPointF p = points[i];
            const double d = length > 0 ? std::abs(dy * (p.x() - a.x()) - dx * (p.y() - a.y())) / length
                                        : std::hypot(p.x() - a.x(), p.y() - a.y());
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > tolerance) {
            keep[static_cast<std::size_t>(at)] = true;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    QPolygonF kept;
    for (qsizetype i = 0; i < n; ++i)
        if (keep[static_cast<std::size_t>(i)]) kept.append(points[i]);
    return kept;
}

} // namespace

// The balances of one line: at the start, then after each of its periods.
struct ChartGeometry::Balances {
    Line line;
    std::vector<calc::Cents> cents;
};

QString ChartGeometry::Name(Line line) {
    switch (line) {
    case Line::Loan:
        return QStringLiteral("Loan as planned");
    case Line::Variable:
        return QStringLiteral("Variable part");
    case Line::Fixed:
        return QStringLiteral("Fixed part");
    case Line::WithoutExtras:
        return QtText::FromUtf8(calc::ScheduleScenarios::Name(calc::ScenarioKind::WithoutExtras));
    case Line::PlusOne:
        return QtText::FromUtf8(calc::ScheduleScenarios::Name(calc::ScenarioKind::VariablePlusOne));
    case Line::PlusTwo:
        return QtText::FromUtf8(calc::ScheduleScenarios::Name(calc::ScenarioKind::VariablePlusTwo));
    }
    return {};
}

QString ChartGeometry::Name(Swatch swatch) {
    return swatch == Swatch::Interest ? QStringLiteral("Interest in the year")
                                      : QStringLiteral("Principal in the year");
}

QString ChartGeometry::Name(Mark mark) {
    switch (mark) {
    case Mark::RateChange:
        return QStringLiteral("Rate change");
    case Mark::FixedPeriodEnd:
        return QStringLiteral("Fixed period ends");
    case Mark::LumpSum:
        return QStringLiteral("Lump sum");
    }
    return {};
}

QString ChartGeometry::PlotCaption() const {
    return QStringLiteral("Owed after each payment");
}

QString ChartGeometry::BarCaption() const {
    return years_.Calendar() ? QStringLiteral("Paid in each calendar year")
                             : QStringLiteral("Paid in each year of the loan");
}

ChartGeometry::ChartGeometry(const calc::LoanSchedule& schedule,
                             const calc::ScheduleScenarios* scenarios, const Options& options)
    : schedule_(schedule), scenarios_(scenarios), options_(options),
      dated_(schedule.HasDates()), periods_(static_cast<int>(schedule.Periods())),
      years_(schedule) {
    LayOut();
}

void ChartGeometry::MeasureTimes(int periods) {
    times_.assign(static_cast<std::size_t>(periods) + 1, 0);
    if (dated_ && periods > 0) {
        for (int p = 1; p <= periods; ++p)
            times_[static_cast<std::size_t>(p)] = DaysOf(*schedule_.DateOf(p));
        // The loan starts a period before its first payment; the calendar names no date there,
        // so the second period's distance stands in for it.
        const double period =
            periods > 1 ? times_[2] - times_[1] : 365.0 / schedule_.PeriodsPerYear();
        times_[0] = times_[1] - period;
    } else {
        const double perYear = schedule_.PeriodsPerYear();
        for (int p = 0; p <= periods; ++p)
            times_[static_cast<std::size_t>(p)] = p / perYear;
    }
    t0_ = times_.front();
    t1_ = std::max(times_.back(), t0_ + (dated_ ? 1.0 : 1.0 / 365));
}

double ChartGeometry::XOfTime(double t) const {
    return plot_.left() + (t - t0_) / (t1_ - t0_) * plot_.width();
}

double ChartGeometry::XOfPeriod(int period) const {
    if (times_.empty()) return plot_.left();
    return XOfTime(TimeOf(std::clamp(period, 0, longest_)));
}

double ChartGeometry::YOfBalance(calc::Cents balance) const {
    return plot_.bottom() -
           static_cast<double>(balance) / static_cast<double>(balanceScale_.Top()) * plot_.height();
}

double ChartGeometry::YOfBar(calc::Cents amount) const {
    return bars_.bottom() -
           static_cast<double>(amount) / static_cast<double>(barScale_.Top()) * bars_.height();
}

int ChartGeometry::PeriodAt(double x) const {
    if (periods_ < 1) return 0;
    const double t = t0_ + (x - plot_.left()) / plot_.width() * (t1_ - t0_);
    const auto first = times_.begin() + 1, last = times_.begin() + periods_ + 1;
    const auto it = std::lower_bound(first, last, t);
    if (it == last) return periods_;
    if (it == first) return 1;
    const int after = static_cast<int>(it - times_.begin());
    return t - *(it - 1) < *it - t ? after - 1 : after;
}

const ChartGeometry::Series* ChartGeometry::Find(Line line) const {
    const auto it = std::find_if(series_.begin(), series_.end(),
                                 [line](const Series& s) { return s.line == line; });
    return it == series_.end() ? nullptr : &*it;
}

void ChartGeometry::LayOut() {
    const QFontMetricsF metrics(options_.font);
    const double h = metrics.height();
    const double pad = 0.5 * h;
    const double tick = 0.35 * h;
    const double width = options_.size.width();
    const double height = options_.size.height();

    // The lines: the loan's, its parts' where it has two, the scenarios' it shows.
    std::vector<Balances> lines;
    const bool bothParts = schedule_.Variable().Amount() > 0 && schedule_.Fixed().Amount() > 0;
    if (periods_ > 0) {
        lines.push_back({Line::Loan, BalancesOf(schedule_)});
        if (bothParts) {
            lines.push_back({Line::Variable, BalancesOf(schedule_.Variable())});
            lines.push_back({Line::Fixed, BalancesOf(schedule_.Fixed())});
        }
        const std::pair<Line, calc::ScenarioKind> overlays[] = {
            {Line::WithoutExtras, calc::ScenarioKind::WithoutExtras},
            {Line::PlusOne, calc::ScenarioKind::VariablePlusOne},
            {Line::PlusTwo, calc::ScenarioKind::VariablePlusTwo}};
        for (const auto& [line, kind] : overlays) {
            if (line != Line::WithoutExtras && !options_.stressed) continue;
            if (const calc::LoanSchedule* s = ScenarioSchedule(scenarios_, kind))
                lines.push_back({line, BalancesOf(*s)});
        }
    }
    longest_ = periods_;
    for (const Balances& b : lines)
        longest_ = std::max(longest_, static_cast<int>(b.cents.size()) - 1);
    MeasureTimes(longest_);

    // The legend first: its rows take what the width leaves them.
    PlaceLegend(width, lines);
    double legendBottom = pad;
    for (const LegendEntry& e : legend_)
        legendBottom = std::max(legendBottom, e.text.bottom());

    // Height: the legend, a caption over each panel, the panels, the time labels.
    const double plotTop = legendBottom + 0.5 * h + h + 0.2 * h;
    const double timeLabels = tick + h + pad;
    const double panelGap = 0.6 * h + h + 0.2 * h;
    const double panels = std::max(2.0, height - plotTop - panelGap - timeLabels);
    const double plotHeight = panels * 0.62;
    const double barHeight = panels - plotHeight;

    // The money scales: a tick every two and a half lines or so.
    calc::Cents highestBalance = 1, highestYear = 1;
    for (const Balances& b : lines)
        for (const calc::Cents c : b.cents)
            highestBalance = std::max(highestBalance, c);
    for (const calc::YearRow& y : years_.Rows())
        highestYear = std::max(highestYear, y.payments);
    // Headroom over the highest balance for the markers' shapes along the top.
    balanceScale_ = ChartScale(highestBalance + highestBalance / 16,
                               std::max(1, static_cast<int>(plotHeight / (2.4 * h))));
    barScale_ = ChartScale(highestYear, std::max(1, static_cast<int>(barHeight / (2.4 * h))));

    // Width: the money labels on the left, room for half a time label on the right.
    double labelWidth = metrics.horizontalAdvance(TimeCaption());
    for (const ChartScale* scale : {&balanceScale_, &barScale_})
        for (const calc::Cents value : scale->Ticks())
            labelWidth = std::max(labelWidth, metrics.horizontalAdvance(scale->Label(value)));
    const double left = pad + labelWidth + tick;
    const double right =
        width - std::max(pad, 0.5 * metrics.horizontalAdvance(QStringLiteral("8888-88")));
    const double plotWidth = std::max(2.0, right - left);

    plotCaptionAt_ = QPointF(left, plotTop - 0.2 * h - metrics.descent());
    plot_ = QRectF(left, plotTop, plotWidth, plotHeight);
    barCaptionAt_ = QPointF(left, plot_.bottom() + panelGap - 0.2 * h - metrics.descent());
    bars_ = QRectF(left, plot_.bottom() + panelGap, plotWidth, barHeight);
    timeLabelTop_ = bars_.bottom() + tick;
    timeCaption_ = QRectF(pad, timeLabelTop_, labelWidth, h);

    for (const calc::Cents value : balanceScale_.Ticks())
        balanceTicks_.push_back({YOfBalance(value), balanceScale_.Label(value)});
    for (const calc::Cents value : barScale_.Ticks())
        barTicks_.push_back({YOfBar(value), barScale_.Label(value)});
    MakeTimeTicks();

    for (const Balances& b : lines) {
        Series s;
        s.line = b.line;
        s.name = Name(b.line);
        s.points.reserve(static_cast<qsizetype>(b.cents.size()));
        for (std::size_t k = 0; k < b.cents.size(); ++k)
            s.points.append(QPointF(XOfTime(times_[k]), YOfBalance(b.cents[k])));
        s.drawn = Simplified(s.points, 0.05);
        series_.push_back(std::move(s));
    }
    MakeSeries();
    MakeBars();
    MakeMarkers();
}

void ChartGeometry::PlaceLegend(double width, const std::vector<Balances>& lines) {
    const QFontMetricsF metrics(options_.font);
    const double h = metrics.height();
    const double pad = 0.5 * h;
    std::vector<std::pair<std::variant<Line, Swatch, Mark>, QString>> entries;
    if (periods_ > 0) {
        for (const Balances& b : lines)
            entries.push_back({b.line, Name(b.line)});
        entries.push_back({Swatch::Interest, Name(Swatch::Interest)});
        entries.push_back({Swatch::Principal, Name(Swatch::Principal)});
        // Only the marks the chart has.
        for (const Mark mark : {Mark::RateChange, Mark::FixedPeriodEnd, Mark::LumpSum}) {
            const auto kind = mark == Mark::RateChange       ? calc::ScheduleEventKind::RateChange
                              : mark == Mark::FixedPeriodEnd ? calc::ScheduleEventKind::FixedPeriodEnd
                                                             : calc::ScheduleEventKind::LumpSum;
            const auto& events = schedule_.Events();
            if (std::any_of(events.begin(), events.end(),
                            [kind](const calc::ScheduleEvent& e) { return e.kind == kind; }))
                entries.push_back({mark, Name(mark)});
        }
    }
    const double sampleWidth = 2.4 * h;
    const double rowHeight = 1.3 * h;
    double x = pad, y = pad;
    for (const auto& [what, label] : entries) {
        const double textWidth = metrics.horizontalAdvance(label);
        const double entryWidth = sampleWidth + 0.4 * h + textWidth;
        if (x > pad && x + entryWidth > width - pad) {
            x = pad;
            y += rowHeight;
        }
        LegendEntry e;
        e.what = what;
        e.label = label;
        e.sample = QRectF(x, y + 0.1 * h, sampleWidth, 0.8 * h);
        e.text = QRectF(x + sampleWidth + 0.4 * h, y, textWidth, h);
        legend_.push_back(e);
        x += entryWidth + 1.2 * h;
    }
}

void ChartGeometry::MakeTimeTicks() {
    const QFontMetricsF metrics(options_.font);
    const double gap = 1.5 * metrics.height();
    const double perUnit = plot_.width() / (t1_ - t0_);
    if (!dated_) {
        const double widest = metrics.horizontalAdvance(YearsLabel(std::floor(t1_))) + gap;
        double step = 0.25;
        for (const double candidate : {0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 25.0, 50.0, 100.0,
                                       200.0, 250.0, 500.0, 1000.0}) {
            step = candidate;
            if (candidate * perUnit >= widest) break;
        }
        for (int k = 0; k * step <= t1_ + 1e-9; ++k)
            timeTicks_.push_back({XOfTime(k * step), YearsLabel(k * step)});
        return;
    }
    using namespace std::chrono;
    const year_month_day first{sys_days{days{static_cast<int>(t0_)}}};
    const year_month_day last{sys_days{days{static_cast<int>(std::ceil(t1_))}}};
    const int spanYears = static_cast<int>(last.year()) - static_cast<int>(first.year());
    // Months on a loan of a few years, as long as their labels fit; years otherwise.
    if (spanYears < 3) {
        const double widest = metrics.horizontalAdvance(QStringLiteral("8888-88")) + gap;
        for (const int step : {1, 2, 3, 6}) {
            if (step * 30.4 * perUnit < widest) continue;
            for (year_month ym = year_month(first.year(), first.month()) + months(1);
                 ym <= year_month(last.year(), last.month()); ym += months(1)) {
                if ((static_cast<unsigned>(ym.month()) - 1) % static_cast<unsigned>(step) != 0)
                    continue;
                const double t = DaysOf(ym / day(1));
                if (t >= t0_ && t <= t1_) timeTicks_.push_back({XOfTime(t), MonthLabel(ym)});
            }
            return;
        }
    }
    const double widest = metrics.horizontalAdvance(QStringLiteral("8888")) + gap;
    int step = 1;
    for (const int candidate : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000}) {
        step = candidate;
        if (candidate * 365.25 * perUnit >= widest) break;
    }
    for (int y = static_cast<int>(first.year()); y <= static_cast<int>(last.year()); ++y) {
        if (y % step != 0) continue;
        const double t = DaysOf(year(y) / January / day(1));
        if (t >= t0_ && t <= t1_) timeTicks_.push_back({XOfTime(t), QString::number(y)});
    }
}

void ChartGeometry::MakeSeries() {
    // A shape every so often along each line, the lines' shapes staggered so they do not sit on
    // each other where the lines run together.
    const double spacing = std::max(60.0, plot_.width() / 8);
    const auto count = static_cast<double>(series_.size());
    for (std::size_t i = 0; i < series_.size(); ++i) {
        Series& s = series_[i];
        if (s.points.isEmpty()) continue;
        const double end = s.points.back().x();
        for (double x = plot_.left() + spacing * (static_cast<double>(i) + 0.5) / count; x <= end;
             x += spacing) {
            const auto it = std::lower_bound(s.points.begin(), s.points.end(), x,
                                             [](const QPointF& p, double v) { return p.x() < v; });
            s.shapes.push_back(it == s.points.end() ? s.points.back() : *it);
        }
    }
}

void ChartGeometry::MakeBars() {
    using namespace std::chrono;
    for (const calc::YearRow& row : years_.Rows()) {
        double from = 0, to = 0;
        if (years_.Calendar()) {
            from = DaysOf(year(row.year) / January / day(1));
            to = DaysOf(year(row.year + 1) / January / day(1));
        } else {
            from = row.year - 1;
            to = row.year;
        }
        double x0 = XOfTime(std::max(from, t0_));
        double x1 = XOfTime(std::min(to, t1_));
        // A gap between bars where there is room for one.
        if (x1 - x0 >= 3) {
            const double inset = (x1 - x0) * 0.15;
            x0 += inset;
            x1 -= inset;
        }
        YearBar bar;
        bar.year = row;
        const calc::Cents interest = std::clamp<calc::Cents>(row.interest, 0, row.payments);
        bar.interest = QRectF(QPointF(x0, YOfBar(interest)), QPointF(x1, YOfBar(0)));
        bar.principal = QRectF(QPointF(x0, YOfBar(row.payments)), QPointF(x1, YOfBar(interest)));
        yearBars_.push_back(bar);
    }
}

void ChartGeometry::MakeMarkers() {
    for (const calc::ScheduleEvent& e : schedule_.Events()) {
        Mark mark;
        switch (e.kind) {
        case calc::ScheduleEventKind::RateChange:
            mark = Mark::RateChange;
            break;
        case calc::ScheduleEventKind::FixedPeriodEnd:
            mark = Mark::FixedPeriodEnd;
            break;
        case calc::ScheduleEventKind::LumpSum:
            mark = Mark::LumpSum;
            break;
        default:
            continue;
        }
        const QString text = QtText::FromUtf8(calc::ScheduleEventText(e));
        // One marker a kind and period: the fixed part following a change is the same change.
        const auto same = std::find_if(markers_.begin(), markers_.end(), [&](const Marker& m) {
            return m.period == e.period && m.mark == mark;
        });
        if (same != markers_.end()) {
            same->text += QStringLiteral("; ") + text;
            continue;
        }
        Marker m;
        m.mark = mark;
        m.period = e.period;
        m.x = XOfPeriod(e.period);
        m.rising = e.ratePercent >= schedule_.RatePercent(e.part, e.period - 1);
        m.text = text;
        markers_.push_back(m);
    }
}

std::optional<ChartGeometry::Cursor> ChartGeometry::CursorAt(int period) const {
    if (periods_ < 1) return std::nullopt;
    Cursor c;
    c.period = std::clamp(period, 1, periods_);
    const auto k = static_cast<std::size_t>(c.period - 1);
    c.date = schedule_.DateOf(c.period);
    c.loan = schedule_.Row(k);
    if (k < schedule_.Variable().Rows().size()) c.variable = schedule_.Variable().Rows()[k];
    if (k < schedule_.Fixed().Rows().size()) c.fixed = schedule_.Fixed().Rows()[k];
    c.at = QPointF(XOfPeriod(c.period), YOfBalance(c.loan.balance));
    c.text = CursorText(schedule_, c.period);
    return c;
}

QString ChartGeometry::CursorText(const calc::LoanSchedule& schedule, int period) {
    const int periods = static_cast<int>(schedule.Periods());
    if (periods < 1) return {};
    period = std::clamp(period, 1, periods);
    const auto k = static_cast<std::size_t>(period - 1);
    const std::optional<std::chrono::year_month_day> date = schedule.DateOf(period);
    const calc::ScheduleRow loan = schedule.Row(k);
    const auto& variable = schedule.Variable().Rows();
    const auto& fixed = schedule.Fixed().Rows();

    QString text = QStringLiteral("Period %1").arg(period);
    if (date) text += QStringLiteral(", ") + Iso(*date);
    text += QStringLiteral(": balance ") + QtText::Currency(loan.balance);
    if (schedule.Variable().Amount() > 0 && schedule.Fixed().Amount() > 0) {
        text += QStringLiteral(" (variable %1, fixed %2)")
                    .arg(QtText::Currency(k < variable.size() ? variable[k].balance : 0),
                         QtText::Currency(k < fixed.size() ? fixed[k].balance : 0));
    }
    text += QStringLiteral("; payment %1: interest %2, principal %3")
                .arg(QtText::Currency(loan.payment), QtText::Currency(loan.interest),
                     QtText::Currency(loan.Principal()));
    for (const calc::ScheduleEvent& e : schedule.EventsIn(period))
        text += QStringLiteral(". ") + QtText::FromUtf8(calc::ScheduleEventText(e));
    return text;
}
