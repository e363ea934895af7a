#include "ScheduleExport.h"

#include "LoanFileReader.h"
#include "LoanTable.h"

#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

namespace loan {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

ExportResult ScheduleExport::WriteCsv(const std::string& path, std::string_view code,
                                      std::optional<int> time, calc::Cents extra,
                                      std::ostream& out) {
    LoanGrid grid(kLoanCols, 2);
    const ReadResult read = LoanFileReader::ReadFile(path, grid);
    if (!read.ok) return {false, read.error};
    const int row = LoanTable::FindLoan(grid, code);
    if (row < 0) return {false, "There is no loan " + Quoted(Trimmed(code)) + " in " + path + "."};
    const int repaymentTime =
        time ? *time : RepaymentTimeIndexOf(grid.TextAt(row, ColRepaymentTime));
    const auto result =
        calc::LoanSchedule::FromFields(LoanTable::FieldsOfRow(grid, row), repaymentTime, extra);
    if (!result.schedule)
        return {false, "The loan " + Quoted(grid.TextAt(row, ColCode)) + " has no schedule. " +
                           std::string(calc::ScheduleProblemText(result.problem)) + "."};
    calc::ScheduleCsv::Write(*result.schedule, out);
    out.flush();
    if (!out) return {false, "The schedule could not be written."};
    return {true, {}};
}

} // namespace loan
