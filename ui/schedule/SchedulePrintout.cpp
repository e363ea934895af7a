#include "SchedulePrintout.h"

#include "DateEdit.h"

#include "calc/LoanSchedule.h"
#include "calc/PaymentCalendar.h"
#include "loan/LoanTable.h"
#include "ui/common/Printer.h"
#include "ui/common/QtText.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kGap = 2;
constexpr int kLargestPoints = 9, kSmallestPoints = 6;

constexpr const char* kParts[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kAmounts[4] = {"Payment", "Interest", "Principal", "Balance"};

QString Money(calc::Cents cents, bool dollar) {
    const QString text = QtText::Currency(cents);
    return dollar ? text : text.mid(1);
}

using Cells = std::vector<QString>;
using Widths = std::vector<int>;

// The columns printed: the period, its date where the plan has a start date, then four amounts
// of each part that is one (a part of $0 has none) and of the loan.
struct Layout {
    bool dates = false;
    std::vector<int> parts; // 0 variable, 1 fixed, 2 loan

    int Lead() const { return dates ? 2 : 1; }
    std::size_t Columns() const { return static_cast<std::size_t>(Lead()) + 4 * parts.size(); }
};

Layout LayoutOf(const calc::LoanSchedule& s) {
    Layout layout;
    layout.dates = s.HasDates();
    if (s.Terms().variableAmount != 0) layout.parts.push_back(0);
    if (s.Terms().fixedAmount != 0) layout.parts.push_back(1);
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

// "period 300 (31/12/2050)" with a start date, else "period 300 (25 years)".
QString Payoff(const calc::LoanSchedule& s, int period) {
    const auto date = s.DateOf(period);
    return QStringLiteral("period %1 (%2)")
        .arg(period)
        .arg(date ? DateEdit::Text(*date)
                  : QtText::FromUtf8(calc::PaymentCalendar::YearsAndMonths(
                        period, s.Terms().repaymentTime)));
}

Texts MakeTexts(const calc::LoanSchedule& s, const Layout& layout, const QString& code,
                bool dollar) {
    Texts texts;
    const calc::LoanTerms& terms = s.Terms();
    texts.title = QStringLiteral("Repayment Schedule  %1  %2  instalment %3")
                      .arg(code, QLatin1String(loan::RepaymentTimeName(terms.repaymentTime).data()),
                           Money(s.Instalment(), true));
    if (terms.extra > 0) texts.title += QStringLiteral(" + extra %1").arg(Money(terms.extra, true));
    texts.rows.reserve(s.Periods());
    for (std::size_t k = 0; k < s.Periods(); ++k)
        texts.rows.push_back(RowCells(s, layout, k, dollar));

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
    if (!s.Plan().lumpSums.empty())
        texts.notes << QStringLiteral("%1 save %2 periods and %3 of interest.")
                           .arg(terms.extra > 0 ? QStringLiteral("The extra payment and the lump sums")
                                                : QStringLiteral("The lump sums"))
                           .arg(s.PeriodsSaved())
                           .arg(Money(s.InterestSaved(), true));
    else if (terms.extra > 0)
        texts.notes << QStringLiteral("The extra payment saves %1 periods and %2 of interest.")
                           .arg(s.PeriodsSaved())
                           .arg(Money(s.InterestSaved(), true));
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

Widths WidthsOf(const Texts& texts, const Layout& layout) {
    Widths widths(layout.Columns());
    widths[0] = static_cast<int>(std::max(QStringLiteral("Period").size(), texts.totals[0].size()));
    if (layout.dates) widths[1] = static_cast<int>(QStringLiteral("Date").size());
    for (std::size_t c = static_cast<std::size_t>(layout.Lead()); c < widths.size(); ++c)
        widths[c] = static_cast<int>(
            qstrlen(kAmounts[(c - static_cast<std::size_t>(layout.Lead())) % 4]));
    const auto widen = [&widths](const Cells& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(cells[c].size()));
    };
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

QString Line(const Cells& cells, const Widths& widths) {
    QString line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0) line += QString(kGap, QLatin1Char(' '));
        line += cells[c].rightJustified(widths[c]);
    }
    return line;
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

} // namespace

bool SchedulePrintout::Print(Printer& printer, const calc::LoanSchedule& schedule,
                             const QString& code) {
    if (!printer.SetFixedPitch()) return false;
    // The largest font whose lines fit, with "$" before the amounts if that fits at all.
    const Layout layout = LayoutOf(schedule);
    Texts texts;
    Widths widths;
    bool fitted = false;
    for (int points = kLargestPoints; points >= kSmallestPoints && !fitted; --points) {
        if (!printer.SetFontSize(points)) return false;
        const int room = printer.CharactersPerLine();
        for (const bool dollar : {true, false}) {
            texts = MakeTexts(schedule, layout, code, dollar);
            widths = WidthsOf(texts, layout);
            if (room <= 0 || LineWidth(widths) <= room) {
                fitted = true;
                break;
            }
        }
    }
    const int lineWidth = LineWidth(widths);
    const int pageLines =
        printer.LinesPerPage() > 0 ? printer.LinesPerPage() : kDefaultLinesPerPage;
    const int rowsPerPage = std::max(1, pageLines - kHeadingLines);

    // Each page's lines below its headings: the periods, then the totals where they fit whole.
    std::vector<QStringList> pages(1);
    for (const Cells& row : texts.rows) {
        if (pages.back().size() == rowsPerPage) pages.emplace_back();
        pages.back() << Line(row, widths);
    }
    QStringList tail;
    tail << QString() << Line(texts.totals, widths) << texts.notes;
    if (pages.back().size() + tail.size() > rowsPerPage && !pages.back().isEmpty())
        pages.emplace_back();
    pages.back() << tail;

    Cells names(layout.Columns());
    names[0] = QStringLiteral("Period");
    if (layout.dates) names[1] = QStringLiteral("Date");
    for (std::size_t c = static_cast<std::size_t>(layout.Lead()); c < names.size(); ++c)
        names[c] = QLatin1String(kAmounts[(c - static_cast<std::size_t>(layout.Lead())) % 4]);
    const QString group = GroupLine(widths, layout);
    const QString columns = Line(names, widths);
    const int pageCount = static_cast<int>(pages.size());
    for (int p = 0; p < pageCount; ++p) {
        if (p > 0 && !printer.NewPage()) return false;
        const QString number = QStringLiteral("Page %1 of %2").arg(p + 1).arg(pageCount);
        const int pad = std::max(2, lineWidth - static_cast<int>(texts.title.size()) -
                                        static_cast<int>(number.size()));
        const QStringList heading = {texts.title + QString(pad, QLatin1Char(' ')) + number,
                                     QString(), group, columns};
        for (const QStringList& lines : {heading, pages[static_cast<std::size_t>(p)]})
            for (const QString& line : lines)
                if (!printer.PrintLine(line)) return false;
    }
    return printer.EndDoc();
}
