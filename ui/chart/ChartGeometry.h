#pragma once

#include "ChartScale.h"

#include "calc/LoanSchedule.h"
#include "calc/ScheduleYears.h"

#include <QFont>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace calc {
class ScheduleScenarios;
}

// Where everything of a loan's chart goes, in device-independent units and without a pixel
// drawn, so the painter only follows it and tests can check it.
//
// Two panels share the time axis: above, what is owed after each period (the lines); below,
// each year's payments split into interest and principal (stacked bars), years as
// calc::ScheduleYears counts them. Time runs left to right from the loan's start (period 0, one
// period before the first payment): in calendar dates when the plan has a start date, so a
// period sits at its payment's date and a bar spans its calendar year; otherwise in years, a
// period p at p / periods a year. The money axes start at $0 and end at a round tick.
class ChartGeometry {
  public:
    // The lines: the loan as planned, its two parts, the loan without the plan's extra money and
    // the loan at the stressed rates.
    enum class Line : std::uint8_t { Loan, Variable, Fixed, WithoutExtras, PlusOne, PlusTwo };
    // The bars' two halves.
    enum class Swatch : std::uint8_t { Interest, Principal };
    // What the chart marks at its period.
    enum class Mark : std::uint8_t { RateChange, FixedPeriodEnd, LumpSum };

    struct Options {
        QSizeF size{800, 400};
        QFont font;              // in pixels: the texts are measured in units
        bool stressed = false;   // the Variable +1% and +2% lines over the plan's
    };

    struct Series {
        Line line = Line::Loan;
        QString name;
        // The balance at the start (period 0) and after each period the line has, in order.
        QPolygonF points;
        // The line as drawn: the points without those that lie within a twentieth of a unit of
        // the line through the points kept around them. A weekly loan has two points a unit;
        // drawn all, their joins cost a frame's time.
        QPolygonF drawn;
        // Where the line's shape is drawn along it, so it is told apart without its colour.
        std::vector<QPointF> shapes;
    };

    struct Tick {
        double at = 0; // x on the time axis, y on a money axis
        QString label;
    };

    struct YearBar {
        calc::YearRow year;
        QRectF interest;  // from $0 up
        QRectF principal; // on top of the interest
    };

    struct Marker {
        Mark mark = Mark::RateChange;
        int period = 0;
        double x = 0;
        bool rising = true; // a rate change: up or down
        QString text;       // what happened, every event of its kind in the period
    };

    struct LegendEntry {
        std::variant<Line, Swatch, Mark> what;
        QString label;
        QRectF sample; // where its line, swatch or mark is shown
        QRectF text;
    };

    // What the chart shows at a period: the table's row for it.
    struct Cursor {
        int period = 0; // from 1
        std::optional<std::chrono::year_month_day> date;
        calc::ScheduleRow loan;
        std::optional<calc::ScheduleRow> variable; // none once the part is paid off
        std::optional<calc::ScheduleRow> fixed;
        QPointF at; // the loan's balance after the period
        // "Period 12, 2026-01-31: balance $299,586.20 (variable ..., fixed ...); payment
        // $1,987.80: interest $1,574.00, principal $413.80", then what happened in the period.
        QString text;
    };

    // The schedule (and the scenarios, for the line without extras and the stressed lines) must
    // outlive the geometry. A schedule without periods gives an empty chart.
    ChartGeometry(const calc::LoanSchedule& schedule, const calc::ScheduleScenarios* scenarios,
                  const Options& options);

    QRectF Bounds() const { return QRectF(QPointF(0, 0), options_.size); }
    QFont Font() const { return options_.font; }
    // The panels' areas: inside them lie every point, bar and marker.
    QRectF PlotArea() const { return plot_; }
    QRectF BarArea() const { return bars_; }
    // Each panel's caption, above it at the left.
    QString PlotCaption() const;
    QString BarCaption() const;
    QPointF PlotCaptionAt() const { return plotCaptionAt_; }
    QPointF BarCaptionAt() const { return barCaptionAt_; }
    // The time axis's caption ("Years"), under the money labels; empty with dates.
    QString TimeCaption() const { return dated_ ? QString() : QStringLiteral("Years"); }
    QRectF TimeCaptionRect() const { return timeCaption_; }

    bool Dated() const { return dated_; }
    const ChartScale& BalanceScale() const { return balanceScale_; }
    const ChartScale& BarScale() const { return barScale_; }
    const std::vector<Tick>& TimeTicks() const { return timeTicks_; }
    const std::vector<Tick>& BalanceTicks() const { return balanceTicks_; }
    const std::vector<Tick>& BarTicks() const { return barTicks_; }
    // Where the time labels' row is: under the bar area.
    double TimeLabelTop() const { return timeLabelTop_; }

    const std::vector<Series>& AllSeries() const { return series_; }
    const Series* Find(Line line) const;
    const std::vector<YearBar>& Bars() const { return yearBars_; }
    const std::vector<Marker>& Markers() const { return markers_; }
    const std::vector<LegendEntry>& Legend() const { return legend_; }

    // The periods of the schedule (the cursor's range), and of the longest line shown.
    int Periods() const { return periods_; }
    int LongestPeriods() const { return longest_; }
    double XOfPeriod(int period) const; // 0 is the loan's start
    double YOfBalance(calc::Cents balance) const;
    double YOfBar(calc::Cents amount) const;
    // The period nearest x, from 1 to Periods(); 0 without periods.
    int PeriodAt(double x) const;
    // The cursor at the period, clamped to 1..Periods(); none without periods.
    std::optional<Cursor> CursorAt(int period) const;
    // The cursor's text alone, which needs no layout: empty without periods.
    static QString CursorText(const calc::LoanSchedule& schedule, int period);

    static QString Name(Line line);
    static QString Name(Swatch swatch);
    static QString Name(Mark mark);

  private:
    double TimeOf(int period) const { return times_[static_cast<std::size_t>(period)]; }
    double XOfTime(double t) const;
    void MeasureTimes(int periods);
    void LayOut();
    void MakeTimeTicks();
    void MakeSeries();
    void MakeBars();
    void MakeMarkers();
    struct Balances;
    void PlaceLegend(double width, const std::vector<Balances>& lines);

    const calc::LoanSchedule& schedule_;
    const calc::ScheduleScenarios* scenarios_;
    Options options_;
    bool dated_ = false;
    int periods_ = 0;
    int longest_ = 0;
    // Time of each period from 0 to longest_: days since the epoch with dates, else years.
    std::vector<double> times_;
    double t0_ = 0, t1_ = 1;
    calc::ScheduleYears years_;
    ChartScale balanceScale_{1, 1};
    ChartScale barScale_{1, 1};
    QRectF plot_, bars_, timeCaption_;
    QPointF plotCaptionAt_, barCaptionAt_;
    double timeLabelTop_ = 0;
    std::vector<Tick> timeTicks_, balanceTicks_, barTicks_;
    std::vector<Series> series_;
    std::vector<YearBar> yearBars_;
    std::vector<Marker> markers_;
    std::vector<LegendEntry> legend_;
};
