#include "SchedulePrintout.h"

#include "calc/LoanSchedule.h"
#include "loan/LoanTable.h"
#include "ui/common/Printer.h"
#include "ui/common/QtText.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr int kColumns = 13;
constexpr int kGap = 2;
constexpr int kLargestPoints = 9, kSmallestPoints = 6;

constexpr const char* kParts[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kAmounts[4] = {"Payment", "Interest", "Principal", "Balance"};

QString Money(calc::Cents cents, bool dollar) {
    const QString text = QtText::Currency(cents);
    return dollar ? text : text.mid(1);
}

using Cells = std::array<QString, kColumns>;

// The texts of the print-out before they are laid out in lines.
struct Texts {
    QString title;
    std::vector<Cells> rows;
    Cells totals;
    QStringList notes;
};

Cells RowCells(const calc::LoanSchedule& s, std::size_t k, bool dollar) {
    Cells cells;
    cells[0] = QString::number(k + 1);
    const calc::ScheduleRow loan = s.Row(k);
    const calc::ScheduleRow* parts[3] = {
        k < s.Variable().Rows().size() ? &s.Variable().Rows()[k] : nullptr,
        k < s.Fixed().Rows().size() ? &s.Fixed().Rows()[k] : nullptr, &loan};
    for (int p = 0; p < 3; ++p) {
        if (!parts[p]) continue;
        const calc::ScheduleRow& row = *parts[p];
        const calc::Cents amounts[4] = {row.payment, row.interest, row.Principal(), row.balance};
        for (int a = 0; a < 4; ++a)
            cells[static_cast<std::size_t>(1 + 4 * p + a)] = Money(amounts[a], dollar);
    }
    return cells;
}

Texts MakeTexts(const calc::LoanSchedule& s, const QString& code, bool dollar) {
    Texts texts;
    const calc::LoanTerms& terms = s.Terms();
    texts.title = QStringLiteral("Repayment Schedule  %1  %2  instalment %3")
                      .arg(code, QLatin1String(loan::RepaymentTimeName(terms.repaymentTime).data()),
                           Money(s.Instalment(), true));
    if (terms.extra > 0) texts.title += QStringLiteral(" + extra %1").arg(Money(terms.extra, true));
    texts.rows.reserve(s.Periods());
    for (std::size_t k = 0; k < s.Periods(); ++k)
        texts.rows.push_back(RowCells(s, k, dollar));

    texts.totals[0] = QStringLiteral("Total");
    const calc::ScheduleTotals* totals[3] = {&s.Variable().Totals(), &s.Fixed().Totals(),
                                             &s.Totals()};
    for (int p = 0; p < 3; ++p) {
        texts.totals[static_cast<std::size_t>(1 + 4 * p)] = Money(totals[p]->payments, dollar);
        texts.totals[static_cast<std::size_t>(2 + 4 * p)] = Money(totals[p]->interest, dollar);
        texts.totals[static_cast<std::size_t>(3 + 4 * p)] = Money(totals[p]->principal, dollar);
    }
    QString paidOff =
        QStringLiteral("The loan is paid off in period %1").arg(s.Totals().payoffPeriod);
    QStringList parts;
    if (s.Variable().Totals().payoffPeriod > 0)
        parts << QStringLiteral("the variable part in period %1")
                     .arg(s.Variable().Totals().payoffPeriod);
    if (s.Fixed().Totals().payoffPeriod > 0)
        parts << QStringLiteral("the fixed part in period %1").arg(s.Fixed().Totals().payoffPeriod);
    if (!parts.isEmpty()) paidOff += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    texts.notes << paidOff + QLatin1Char('.');
    if (terms.extra > 0)
        texts.notes << QStringLiteral("The extra payment saves %1 periods and %2 of interest.")
                           .arg(s.PeriodsSaved())
                           .arg(Money(s.InterestSaved(), true));
    return texts;
}

std::array<int, kColumns> Widths(const Texts& texts) {
    std::array<int, kColumns> widths{};
    widths[0] = static_cast<int>(std::max(QStringLiteral("Period").size(), texts.totals[0].size()));
    for (int c = 1; c < kColumns; ++c)
        widths[static_cast<std::size_t>(c)] = static_cast<int>(qstrlen(kAmounts[(c - 1) % 4]));
    const auto widen = [&widths](const Cells& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(cells[c].size()));
    };
    for (const Cells& row : texts.rows)
        widen(row);
    widen(texts.totals);
    return widths;
}

int LineWidth(const std::array<int, kColumns>& widths) {
    int total = kGap * (kColumns - 1);
    for (int w : widths)
        total += w;
    return total;
}

QString Line(const Cells& cells, const std::array<int, kColumns>& widths) {
    QString line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0) line += QString(kGap, QLatin1Char(' '));
        line += cells[c].rightJustified(widths[c]);
    }
    return line;
}

// "------- Variable -------" over each part's four columns.
QString GroupLine(const std::array<int, kColumns>& widths) {
    QString line(widths[0], QLatin1Char(' '));
    for (int p = 0; p < 3; ++p) {
        int span = kGap * 3;
        for (int a = 0; a < 4; ++a)
            span += widths[static_cast<std::size_t>(1 + 4 * p + a)];
        const QString name = QStringLiteral(" %1 ").arg(QLatin1String(kParts[p]));
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
    Texts texts;
    std::array<int, kColumns> widths{};
    bool fitted = false;
    for (int points = kLargestPoints; points >= kSmallestPoints && !fitted; --points) {
        if (!printer.SetFontSize(points)) return false;
        const int room = printer.CharactersPerLine();
        for (const bool dollar : {true, false}) {
            texts = MakeTexts(schedule, code, dollar);
            widths = Widths(texts);
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

    Cells names;
    names[0] = QStringLiteral("Period");
    for (int c = 1; c < kColumns; ++c)
        names[static_cast<std::size_t>(c)] = QLatin1String(kAmounts[(c - 1) % 4]);
    const QString group = GroupLine(widths);
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
