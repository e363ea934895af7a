#pragma once

#include <QString>

class Printer;

namespace calc {
class LoanSchedule;
}

// The printed schedule, in a fixed-pitch font as large as lets a row's line fit the page.
//
// It opens with the loan at a glance: the loan (code, principal, term, parts and rates, the extra
// payment), the plan and its events, the totals, the compare table of scenarios and the chart,
// on the first page where they fit. Then the table: a period a row (or a year a row), the
// loan's title, the page number and the column headings on every page, and at its end the
// totals and what happened in the marked periods, never on a page with fewer than a few rows
// of their own. Then the end of the job.
class SchedulePrintout {
  public:
    static constexpr int kDefaultLinesPerPage = 60; // for a printer that cannot tell
    static constexpr int kHeadingLines = 4;
    // The least the chart is given, in lines, beside the loan on a page; with less room left,
    // it goes on the next page.
    static constexpr int kChartLines = 16;
    // The rows the totals at the table's end keep with them on their page, where the table has
    // that many.
    static constexpr int kRowsKeptWithTotals = 6;

    struct Options {
        bool years = false;    // a year a row, as the window's One row a year
        bool stressed = false; // the chart's Variable +1% and +2% lines
    };

    // False when the printer failed; the job is then left unended.
    static bool Print(Printer& printer, const calc::LoanSchedule& schedule, const QString& code);
    static bool Print(Printer& printer, const calc::LoanSchedule& schedule, const QString& code,
                      const Options& options);
};
