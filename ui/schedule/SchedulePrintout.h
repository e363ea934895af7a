#pragma once

#include <QString>

class Printer;

namespace calc {
class LoanSchedule;
}

// The printed schedule: in a fixed-pitch font, as large as lets a period's line fit the page,
// the loan's title, the page number and the column headings on every page, the periods, then
// the totals; and the end of the job.
class SchedulePrintout {
  public:
    static constexpr int kDefaultLinesPerPage = 60; // for a printer that cannot tell
    static constexpr int kHeadingLines = 4;

    // False when the printer failed; the job is then left unended.
    static bool Print(Printer& printer, const calc::LoanSchedule& schedule, const QString& code);
};
