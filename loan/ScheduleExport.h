#pragma once

#include "LoanGrid.h"

#include "calc/RepaymentSchedule.h"
#include "calc/RepaymentTable.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace loan {

struct ExportResult {
    bool ok = false;
    std::string error; // a sentence for the user when !ok
};

// A loan of a loan table as the repayment schedule sees it, and the schedule of a loan in a loan
// file written as CSV (for the command line, without any window).
class ScheduleExport {
  public:
    // The texts of columns 1..8 of a loan row, in the order of the results table's inputs.
    static calc::RepaymentFields FieldsOfRow(const LoanGrid& grid, int row);
    // The loan row 1..R-2 of code (blanks around it ignored): the first exact match, else the
    // first that differs only in case; -1 for none.
    static int FindLoan(const LoanGrid& grid, std::string_view code);

    // A repayment time by name, ignoring case: 1 "Weekly" .. 5 "Quarterly"; empty otherwise.
    static std::optional<int> ParseTime(std::string_view name);
    // An extra payment in dollars: digits with at most one "." and two decimals, at most
    // 99,999,999.99, nothing else; empty otherwise.
    static std::optional<calc::Cents> ParseExtra(std::string_view text);

    // Reads the loan file at path, finds the loan of code and writes its schedule for the
    // repayment time (the loan's own when empty) with extra on top of each payment. Nothing is
    // written after an error.
    static ExportResult WriteCsv(const std::string& path, std::string_view code,
                                 std::optional<int> time, calc::Cents extra, std::ostream& out);
};

} // namespace loan
