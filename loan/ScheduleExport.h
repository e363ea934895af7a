#pragma once

#include "calc/LoanPlan.h"
#include "calc/LoanSchedule.h"
#include "calc/RepaymentSchedule.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace loan {

struct ExportResult {
    bool ok = false;
    std::string error; // a sentence for the user when !ok
    // The plan was refused for what its entries are, whatever the loan: a bad command line.
    bool planRefused = false;
};

// The schedule of a loan in a loan file, or why it has none.
struct LoadedSchedule {
    ExportResult result;
    std::optional<calc::LoanSchedule> schedule; // only when result.ok
};

// The schedule of a loan in a loan file written as CSV, without any window.
class ScheduleExport {
  public:
    // The schedule WriteCsv writes, for what else the command line makes of it (the compare
    // table, the chart).
    static LoadedSchedule Load(const std::string& path, std::string_view code,
                               std::optional<int> time, calc::Cents extra,
                               const calc::LoanPlan* plan = nullptr);

    // Reads the loan file at path, finds the loan of code and writes its schedule for the
    // repayment time (the loan's own when empty) with extra on top of each payment, following
    // plan, or without one the plan kept for the loan beside the file (PlanFile). Nothing is
    // written after an error.
    static ExportResult WriteCsv(const std::string& path, std::string_view code,
                                 std::optional<int> time, calc::Cents extra, std::ostream& out,
                                 const calc::LoanPlan* plan = nullptr);
};

} // namespace loan
