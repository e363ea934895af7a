#include "SchedulePrintout.h"

#include "DateEdit.h"

#include "calc/LoanSchedule.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "calc/ScheduleScenarios.h"
#include "calc/ScheduleYears.h"
#include "loan/LoanTable.h"
#include "ui/chart/ChartGeometry.h"
#include "ui/chart/ChartPainter.h"
#include "ui/common/Printer.h"
#include "ui/common/QtText.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSizeF>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kGap = 2;
constexpr int kLargestPoints = 9, kSmallestPoints = 6;
// The chart's texts in points; its lines are drawn in points too.
constexpr int kChartFontPoints = 8;
// A chart wider than this many times its height reads as a strip: it keeps to this width.
constexpr double kWidestChart = 2.6;

constexpr const char* kParts[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kAmounts[4] = {"Payment", "Interest", "Principal", "Balance"};
constexpr const char* kYearAmounts[4] = {"Payments", "Interest", "Principal", "Balance"};

QString Money(calc::Cents cents, bool dollar) {
    const QString text = QtText::Currency(cents);
    return dollar ? text : text.mid(1);
}

using Cells = std::vector<QString>;
using Widths = std::vector<int>;

// The table's columns: the period and its date where the plan has a start date, then four
// amounts of each part that is one (a part of $0 has none) and of the loan; or, a year a row,
// the year and its periods, then the loan's four amounts.
struct Layout {
    bool years = false;
    bool dates = false;
    std::vector<int> parts; // 0 variable, 1 fixed, 2 loan

    int Lead() const { return years || dates ? 2 : 1; }
    std::size_t Columns() const { return static_cast<std::size_t>(Lead()) + 4 * parts.size(); }
    QString Amount(std::size_t column) const {
        const std::size_t a = (column - static_cast<std::size_t>(Lead())) % 4;
        return QLatin1String(years ? kYearAmounts[a] : kAmounts[a]);
    }
};

Layout LayoutOf(const calc::LoanSchedule& s, bool years) {
    Layout layout;
    layout.years = years;
    layout.dates = s.HasDates();
    if (!years) {
        if (s.Terms().variableAmount != 0) layout.parts.push_back(0);
        if (s.Terms().fixedAmount != 0) layout.parts.push_back(1);
    }
    layout.parts.push_back(2);
    return layout;
}

// The texts of the print-out before they are laid out in lines.
struct Texts {
    QString title;
    std::vector<Cells> rows;
    Cells totals;
    QStringList notes;
};

Cells RowCells(const calc::LoanSchedule& s, const Layout& layout, std::size_t k, bool dollar) {
    Cells cells(layout.Columns());
    const int period = static_cast<int>(k) + 1;
    // A period where something happens is marked; the notes say what.
    cells[0] = QString::number(period) + (s.EventsIn(period).empty() ? QString() : QStringLiteral("*"));
    if (layout.dates)
        if (const auto date = s.DateOf(period)) cells[1] = DateEdit::Text(*date);
    const calc::ScheduleRow loan = s.Row(k);
    const calc::ScheduleRow* parts[3] = {
        k < s.Variable().Rows().size() ? &s.Variable().Rows()[k] : nullptr,
        k < s.Fixed().Rows().size() ? &s.Fixed().Rows()[k] : nullptr, &loan};
    for (std::size_t p = 0; p < layout.parts.size(); ++p) {
        const calc::ScheduleRow* row = parts[layout.parts[p]];
        if (!row) continue;
        const calc::Cents amounts[4] = {row->payment, row->interest, row->Principal(),
                                        row->balance};
        for (std::size_t a = 0; a < 4; ++a)
            cells[static_cast<std::size_t>(layout.Lead()) + 4 * p + a] = Money(amounts[a], dollar);
    }
    return cells;
}

// A year's row: the year, marked where something happens in one of its periods, and its
// periods; then what its payments came to and the balance at its end.
Cells YearCells(const calc::LoanSchedule& s, const calc::YearRow& year, bool dollar) {
    bool marked = false;
    for (int p = year.firstPeriod; p <= year.lastPeriod && !marked; ++p)
        marked = !s.EventsIn(p).empty();
    return {QString::number(year.year) + (marked ? QStringLiteral("*") : QString()),
            year.firstPeriod == year.lastPeriod
                ? QString::number(year.firstPeriod)
                : QStringLiteral("%1-%2").arg(year.firstPeriod).arg(year.lastPeriod),
            Money(year.payments, dollar),
            Money(year.interest, dollar),
            Money(year.principal, dollar),
            Money(year.balance, dollar)};
}

// "period 300 (31/12/2050)" with a start date, else "period 300 (25 years)".
QString Payoff(const calc::LoanSchedule& s, int period) {
    const auto date = s.DateOf(period);
    return QStringLiteral("period %1 (%2)")
        .arg(period)
        .arg(date ? DateEdit::Text(*date)
                  : QtText::FromUtf8(calc::PaymentCalendar::YearsAndMonths(
                        period, s.Terms().repaymentTime)));
}

QString Title(const calc::LoanSchedule& s, const QString& code, bool years) {
    const calc::LoanTerms& terms = s.Terms();
    QString title =
        QStringLiteral("%1  %2  %3  instalment %4")
            .arg(years ? QStringLiteral("Repayment Schedule by Year")
                       : QStringLiteral("Repayment Schedule"),
                 code, QLatin1String(loan::RepaymentTimeName(terms.repaymentTime).data()),
                 Money(s.Instalment(), true));
    if (terms.extra > 0) title += QStringLiteral(" + extra %1").arg(Money(terms.extra, true));
    return title;
}

// What the extra money saves, as the window's note says it; none without extra money.
QString SavingNote(const calc::LoanSchedule& s) {
    if (!s.Plan().lumpSums.empty())
        return QStringLiteral("%1 save %2 periods and %3 of interest.")
            .arg(s.Terms().extra > 0 ? QStringLiteral("The extra payment and the lump sums")
                                     : QStringLiteral("The lump sums"))
            .arg(s.PeriodsSaved())
            .arg(Money(s.InterestSaved(), true));
    if (s.Terms().extra > 0)
        return QStringLiteral("The extra payment saves %1 periods and %2 of interest.")
            .arg(s.PeriodsSaved())
            .arg(Money(s.InterestSaved(), true));
    return {};
}

Texts MakeTexts(const calc::LoanSchedule& s, const Layout& layout, const QString& code,
                bool dollar) {
    Texts texts;
    texts.title = Title(s, code, layout.years);
    if (layout.years) {
        const calc::ScheduleYears years(s);
        for (const calc::YearRow& year : years.Rows())
            texts.rows.push_back(YearCells(s, year, dollar));
    } else {
        texts.rows.reserve(s.Periods());
        for (std::size_t k = 0; k < s.Periods(); ++k)
            texts.rows.push_back(RowCells(s, layout, k, dollar));
    }

    texts.totals.resize(layout.Columns());
    texts.totals[0] = QStringLiteral("Total");
    const calc::ScheduleTotals* totals[3] = {&s.Variable().Totals(), &s.Fixed().Totals(),
                                             &s.Totals()};
    for (std::size_t p = 0; p < layout.parts.size(); ++p) {
        const calc::ScheduleTotals& t = *totals[layout.parts[p]];
        const std::size_t first = static_cast<std::size_t>(layout.Lead()) + 4 * p;
        texts.totals[first] = Money(t.payments, dollar);
        texts.totals[first + 1] = Money(t.interest, dollar);
        texts.totals[first + 2] = Money(t.principal, dollar);
    }
    // With a plan the payoffs come with their dates, or how long they take; a plain schedule's
    // note reads as it always has.
    const bool planned = s.HasDates() || !s.Plan().ChangesNoAmount();
    const auto when = [&s, planned](int period) {
        return planned ? Payoff(s, period) : QStringLiteral("period %1").arg(period);
    };
    QString paidOff = QStringLiteral("The loan is paid off in %1").arg(when(s.Totals().payoffPeriod));
    QStringList parts;
    if (s.Variable().Totals().payoffPeriod > 0)
        parts << QStringLiteral("the variable part in %1").arg(when(s.Variable().Totals().payoffPeriod));
    if (s.Fixed().Totals().payoffPeriod > 0)
        parts << QStringLiteral("the fixed part in %1").arg(when(s.Fixed().Totals().payoffPeriod));
    if (!parts.isEmpty()) paidOff += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    texts.notes << paidOff + QLatin1Char('.');
    if (const QString saving = SavingNote(s); !saving.isEmpty()) texts.notes << saving;
    // What happened in each marked period.
    int lastPeriod = 0;
    for (const calc::ScheduleEvent& event : s.Events()) {
        const QString text = QtText::FromUtf8(calc::ScheduleEventText(event)) + QLatin1Char('.');
        if (event.period != lastPeriod)
            texts.notes << QStringLiteral("* Period %1: %2").arg(event.period).arg(text);
        else
            texts.notes.last() += QLatin1Char(' ') + text;
        lastPeriod = event.period;
    }
    return texts;
}

Cells ColumnNames(const calc::LoanSchedule& s, const Layout& layout) {
    Cells names(layout.Columns());
    if (layout.years) {
        names[0] = s.HasDates() ? QStringLiteral("Year") : QStringLiteral("Loan Year");
        names[1] = QStringLiteral("Periods");
    } else {
        names[0] = QStringLiteral("Period");
        if (layout.dates) names[1] = QStringLiteral("Date");
    }
    for (std::size_t c = static_cast<std::size_t>(layout.Lead()); c < names.size(); ++c)
        names[c] = layout.Amount(c);
    return names;
}

Widths WidthsOf(const Texts& texts, const Cells& names) {
    Widths widths(names.size());
    const auto widen = [&widths](const Cells& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(cells[c].size()));
    };
    widen(names);
    for (const Cells& row : texts.rows)
        widen(row);
    widen(texts.totals);
    return widths;
}

int LineWidth(const Widths& widths) {
    int total = kGap * (static_cast<int>(widths.size()) - 1);
    for (int w : widths)
        total += w;
    return total;
}

// The cells right-justified in their columns, or left-justified where left says so.
QString Line(const Cells& cells, const Widths& widths, const std::vector<bool>& left = {}) {
    QString line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0) line += QString(kGap, QLatin1Char(' '));
        line += c < left.size() && left[c] ? cells[c].leftJustified(widths[c])
                                           : cells[c].rightJustified(widths[c]);
    }
    return line;
}

// A small table of its own: a heading line and the rows, each column as wide as its widest.
QStringList Table(const std::vector<Cells>& rows, const std::vector<bool>& left) {
    Widths widths(rows.empty() ? 0 : rows.front().size());
    for (const Cells& row : rows)
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(row[c].size()));
    QStringList lines;
    for (const Cells& row : rows)
        lines << Line(row, widths, left);
    return lines;
}

// "------- Variable -------" over each part's four columns.
QString GroupLine(const Widths& widths, const Layout& layout) {
    int lead = kGap * (layout.Lead() - 1);
    for (int c = 0; c < layout.Lead(); ++c)
        lead += widths[static_cast<std::size_t>(c)];
    QString line(lead, QLatin1Char(' '));
    for (std::size_t p = 0; p < layout.parts.size(); ++p) {
        int span = kGap * 3;
        for (std::size_t a = 0; a < 4; ++a)
            span += widths[static_cast<std::size_t>(layout.Lead()) + 4 * p + a];
        const QString name = QStringLiteral(" %1 ").arg(QLatin1String(kParts[layout.parts[p]]));
        const int left = (span - static_cast<int>(name.size())) / 2;
        line += QString(kGap, QLatin1Char(' ')) + QString(left, QLatin1Char('-')) + name +
                QString(span - left - static_cast<int>(name.size()), QLatin1Char('-'));
    }
    return line;
}

// The text broken at spaces into lines of at most width characters (a longer word whole), the
// lines after the first indented by indent.
QStringList Wrapped(const QString& text, int width, int indent = 2) {
    QStringList lines;
    // The text's own indent stays on its first line.
    qsizetype lead = 0;
    while (lead < text.size() && text[lead] == QLatin1Char(' '))
        ++lead;
    QString line(lead, QLatin1Char(' '));
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line = QString(indent, QLatin1Char(' '));
        }
        if (!line.trimmed().isEmpty()) line += QLatin1Char(' ');
        line += word;
    }
    if (!line.trimmed().isEmpty()) lines << line;
    return lines;
}

QString Rate(double percent) {
    return QtText::FromUtf8(calc::NumberText(percent)) + QLatin1Char('%');
}

// The loan as it was given: the code, the principal and term, how it is repaid, each part.
QString LoanLine(const calc::LoanSchedule& s, const QString& code) {
    const calc::LoanTerms& t = s.Terms();
    const auto dollars = [](double amount) {
        return QtText::FromUtf8(calc::CurrencyTextOf(amount));
    };
    QString text =
        QStringLiteral("Loan %1: %2 over %3 %4, repaid %5")
            .arg(code, dollars(t.variableAmount + t.fixedAmount),
                 QtText::FromUtf8(calc::NumberText(t.years)),
                 t.years == 1 ? QStringLiteral("year") : QStringLiteral("years"),
                 QString::fromLatin1(loan::RepaymentTimeName(t.repaymentTime).data()).toLower());
    QStringList parts;
    if (t.variableAmount != 0)
        parts << QStringLiteral("variable %1 at %2")
                     .arg(dollars(t.variableAmount), Rate(t.variableRatePercent));
    if (t.fixedAmount != 0)
        parts << QStringLiteral("fixed %1 at %2")
                     .arg(dollars(t.fixedAmount), Rate(t.fixedRatePercent));
    text += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    if (t.extra > 0) text += QStringLiteral("; %1 extra each period").arg(Money(t.extra, true));
    return text + QLatin1Char('.');
}

// The plan in words, and what happens when, as the schedule follows it; nothing for a loan
// without one.
QStringList PlanLines(const calc::LoanSchedule& s, int width) {
    const calc::LoanPlan& plan = s.Plan();
    QStringList said;
    if (plan.start) said << QStringLiteral("first payment on %1").arg(DateEdit::Text(*plan.start));
    if (plan.fixedYears && s.Terms().fixedAmount != 0)
        said << QStringLiteral("the fixed rate for %1 %2, then %3")
                    .arg(QtText::FromUtf8(calc::NumberText(*plan.fixedYears)),
                         *plan.fixedYears == 1 ? QStringLiteral("year") : QStringLiteral("years"),
                         plan.revertRatePercent ? Rate(*plan.revertRatePercent)
                                                : QStringLiteral("the variable rate"));
    if (!plan.rateChanges.empty())
        said << (plan.afterRateChange == calc::AfterRateChange::PaymentStays
                     ? QStringLiteral("the installment stays after a rate change")
                     : QStringLiteral("the installment follows a rate change"));
    if (!plan.lumpSums.empty())
        said << (plan.afterLumpSum == calc::AfterLumpSum::PaymentFollows
                     ? QStringLiteral("the installment follows a lump sum")
                     : QStringLiteral("the installment stays after a lump sum"));
    if (plan.carryOver)
        said << QStringLiteral("a paid-off part's installment goes on into the other");
    QStringList lines;
    if (!said.isEmpty())
        lines << Wrapped(
            QStringLiteral("Plan: ") + said.join(QStringLiteral("; ")) + QLatin1Char('.'), width);
    // The plan's own events, the payments they bring left to the table's notes.
    for (const calc::ScheduleEvent& event : s.Events()) {
        if (event.kind == calc::ScheduleEventKind::PaymentChange) continue;
        // A fixed part following the variable rate moves with it: the variable change says so.
        if (event.kind == calc::ScheduleEventKind::RateChange &&
            event.part == calc::PlanPart::Fixed)
            continue;
        const auto date = s.DateOf(event.period);
        const QString when =
            date ? QStringLiteral("Period %1 (%2)").arg(event.period).arg(DateEdit::Text(*date))
                 : QStringLiteral("Period %1").arg(event.period);
        lines << Wrapped(
            QStringLiteral("  %1: %2.").arg(when, QtText::FromUtf8(calc::ScheduleEventText(event))),
            width, 4);
    }
    return lines;
}

// The totals of each part and of the loan, with when each is paid off.
QStringList TotalsLines(const calc::LoanSchedule& s, bool dollar) {
    std::vector<Cells> rows = {{QString(), QStringLiteral("Payments"), QStringLiteral("Interest"),
                                QStringLiteral("Principal"), QStringLiteral("Paid off in")}};
    const calc::ScheduleTotals* totals[3] = {&s.Variable().Totals(), &s.Fixed().Totals(),
                                             &s.Totals()};
    const double amounts[3] = {s.Terms().variableAmount, s.Terms().fixedAmount, 1};
    for (int p = 0; p < 3; ++p) {
        if (amounts[p] == 0) continue;
        const calc::ScheduleTotals& t = *totals[p];
        rows.push_back({QLatin1String(kParts[p]), Money(t.payments, dollar),
                        Money(t.interest, dollar), Money(t.principal, dollar),
                        t.payoffPeriod > 0 ? Payoff(s, t.payoffPeriod) : QString()});
    }
    QStringList lines = Table(rows, {true, false, false, false, true});
    if (const QString saving = SavingNote(s); !saving.isEmpty()) lines << saving;
    return lines;
}

// The compare table, as the window's: a row a scenario, the Last Date with a start date.
QStringList CompareLines(const calc::ScheduleScenarios& scenarios, bool dated, bool dollar) {
    Cells heading = {QStringLiteral("Scenario"), QStringLiteral("Installment"),
                     QStringLiteral("Highest Installment"), QStringLiteral("Total Interest"),
                     QStringLiteral("Last Period")};
    if (dated) heading.push_back(QStringLiteral("Last Date"));
    std::vector<Cells> rows = {heading};
    QStringList reasons;
    for (const calc::Scenario& scenario : scenarios.All()) {
        const QString name = QtText::FromUtf8(calc::ScheduleScenarios::Name(scenario.kind));
        if (!scenario.result.schedule) {
            // Said under the table: a sentence would stretch its column past the page.
            rows.push_back(Cells(heading.size()));
            rows.back()[0] = name;
            rows.back()[1] = QStringLiteral("none");
            reasons << QStringLiteral("%1 has no schedule: %2.")
                           .arg(name,
                                QtText::FromUtf8(calc::ScheduleProblemSentence(scenario.result)));
            continue;
        }
        const calc::ScenarioFigures& f = scenario.figures;
        Cells row = {name, Money(f.instalment, dollar), Money(f.highestInstalment, dollar),
                     Money(f.totalInterest, dollar), QString::number(f.lastPeriod)};
        if (dated) row.push_back(f.lastDate ? DateEdit::Text(*f.lastDate) : QString());
        rows.push_back(row);
    }
    return Table(rows, {true}) + reasons;
}

// The lines of the first pages: the loan, its plan, the totals and the compare table.
QStringList SummaryLines(const calc::LoanSchedule& s, const QString& code,
                         const calc::ScheduleScenarios& scenarios, int width, bool dollar) {
    QStringList lines = Wrapped(LoanLine(s, code), width);
    lines << PlanLines(s, width);
    lines << QString() << TotalsLines(s, dollar);
    lines << QString() << CompareLines(scenarios, s.HasDates(), dollar);
    QStringList wrapped;
    for (const QString& line : lines)
        wrapped << (line.size() > width ? Wrapped(line, width) : QStringList{line});
    return wrapped;
}

// A page: its body's lines under the headings, and the chart after them where it has one.
struct Page {
    bool table = false; // with the table's column headings
    QStringList lines;
    int chartLines = 0;
};

} // namespace

bool SchedulePrintout::Print(Printer& printer, const calc::LoanSchedule& schedule,
                             const QString& code) {
    return Print(printer, schedule, code, Options{});
}

bool SchedulePrintout::Print(Printer& printer, const calc::LoanSchedule& schedule,
                             const QString& code, const Options& options) {
    if (!printer.SetFixedPitch()) return false;
    // The largest font whose lines fit, with "$" before the amounts if that fits at all.
    const Layout layout = LayoutOf(schedule, options.years);
    const Cells names = ColumnNames(schedule, layout);
    Texts texts;
    Widths widths;
    bool fitted = false, dollar = true;
    int room = 0;
    for (int points = kLargestPoints; points >= kSmallestPoints && !fitted; --points) {
        if (!printer.SetFontSize(points)) return false;
        room = printer.CharactersPerLine();
        for (const bool withDollar : {true, false}) {
            texts = MakeTexts(schedule, layout, code, withDollar);
            widths = WidthsOf(texts, names);
            dollar = withDollar;
            if (room <= 0 || LineWidth(widths) <= room) {
                fitted = true;
                break;
            }
        }
    }
    const int lineWidth = LineWidth(widths);
    // The loan's lines may run as wide as the page; where it cannot tell, as a usual page.
    const int textWidth = room > 0 ? room : std::max(lineWidth, 100);
    const int pageLines =
        printer.LinesPerPage() > 0 ? printer.LinesPerPage() : kDefaultLinesPerPage;
    const int summaryRoom = std::max(1, pageLines - 2);
    const int rowsPerPage = std::max(1, pageLines - kHeadingLines);

    // The loan at a glance, then the chart in what is left of its page, or on the next.
    const calc::ScheduleScenarios scenarios(schedule);
    std::vector<Page> pages(1);
    for (const QString& line : SummaryLines(schedule, code, scenarios, textWidth, dollar)) {
        if (pages.back().lines.size() == summaryRoom) pages.emplace_back();
        pages.back().lines << line;
    }
    if (summaryRoom - pages.back().lines.size() - 1 < kChartLines) pages.emplace_back();
    if (!pages.back().lines.isEmpty()) pages.back().lines << QString();
    pages.back().chartLines =
        std::max<int>(1, summaryRoom - static_cast<int>(pages.back().lines.size()));

    // The table's pages: the rows, then the totals and the notes with rows of their own.
    std::vector<QStringList> table(1);
    for (const Cells& row : texts.rows) {
        if (table.back().size() == rowsPerPage) table.emplace_back();
        table.back() << Line(row, widths);
    }
    QStringList tail;
    tail << QString() << Line(texts.totals, widths) << texts.notes;
    const auto size = [](const QStringList& lines) { return static_cast<int>(lines.size()); };
    QStringList& last = table.back();
    const int keepable = std::min(kRowsKeptWithTotals, rowsPerPage - size(tail));
    if (size(last) + size(tail) <= rowsPerPage) {
        // A short last page takes rows from the one before, so the totals are not alone.
        if (table.size() > 1 && size(last) < keepable) {
            QStringList& before = table[table.size() - 2];
            const int moved = std::min(keepable - size(last), size(before) - 1);
            last = before.mid(size(before) - moved) + last;
            before = before.mid(0, size(before) - moved);
        }
    } else if (keepable > 0) {
        // The totals start a page of their own with the last rows.
        const int moved = std::min(keepable, size(last) - 1);
        QStringList next = last.mid(size(last) - moved);
        last = last.mid(0, size(last) - moved);
        table.push_back(next);
    } else {
        table.emplace_back();
    }
    for (const QString& line : tail) {
        if (table.back().size() == rowsPerPage) table.emplace_back();
        table.back() << line;
    }
    for (QStringList& lines : table)
        pages.push_back(Page{true, std::move(lines), 0});

    const QString group = GroupLine(widths, layout);
    const QString columns = Line(names, widths);
    const int pageCount = static_cast<int>(pages.size());
    const int titleWidth = std::max(lineWidth, std::min(textWidth, 120));
    for (int p = 0; p < pageCount; ++p) {
        const Page& page = pages[static_cast<std::size_t>(p)];
        if (p > 0 && !printer.NewPage()) return false;
        const QString number = QStringLiteral("Page %1 of %2").arg(p + 1).arg(pageCount);
        const int pad =
            std::max(2, (page.table ? lineWidth : titleWidth) -
                            static_cast<int>(texts.title.size()) - static_cast<int>(number.size()));
        QStringList heading = {texts.title + QString(pad, QLatin1Char(' ')) + number, QString()};
        if (page.table) heading << group << columns;
        for (const QStringList& lines : {heading, page.lines})
            for (const QString& line : lines)
                if (!printer.PrintLine(line)) return false;
        if (page.chartLines > 0 &&
            !printer.DrawPicture(page.chartLines, [&](QPainter& painter, const QSizeF& points) {
                ChartGeometry::Options chart;
                chart.size = QSizeF(std::min(points.width(), points.height() * kWidestChart),
                                    points.height());
                chart.font = QGuiApplication::font();
                chart.font.setPixelSize(kChartFontPoints);
                chart.stressed = options.stressed;
                ChartPainter::Paint(painter, ChartGeometry(schedule, &scenarios, chart));
            }))
            return false;
    }
    return printer.EndDoc();
}
