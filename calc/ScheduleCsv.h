#pragma once

#include "RepaymentSchedule.h"

#include <ostream>
#include <string>

namespace calc {

class LoanSchedule;

// A loan's schedule as comma-separated values (RFC 4180): a heading line, then one line per
// period: the period, its date (yyyy-mm-dd) where the loan's plan has a start date, then
// payment, interest, principal and balance of the variable part, the fixed part and the whole
// loan. Amounts are plain numbers with two decimals and no grouping
// (1234.50, -0.25); a part that is paid off leaves its four fields empty. Lines end with CR LF.
class ScheduleCsv {
  public:
    static void Write(const LoanSchedule& schedule, std::ostream& out);
    static std::string Text(const LoanSchedule& schedule);
    // One amount as the file writes it.
    static std::string Amount(Cents cents);
};

} // namespace calc
