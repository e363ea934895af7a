#include "ScheduleExport.h"

#include "LoanFileReader.h"
#include "LoanTable.h"

#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

#include <algorithm>
#include <cctype>

namespace loan {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

calc::RepaymentFields ScheduleExport::FieldsOfRow(const LoanGrid& grid, int row) {
    calc::RepaymentFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = std::string(grid.TextAt(row, ColPrincipal + static_cast<int>(i)));
    return fields;
}

int ScheduleExport::FindLoan(const LoanGrid& grid, std::string_view code) {
    code = Trimmed(code);
    const int last = grid.Rows() - 2;
    for (int row = 1; row <= last; ++row)
        if (Trimmed(grid.TextAt(row, ColCode)) == code) return row;
    const std::string upper = UpperCase(code);
    for (int row = 1; row <= last; ++row)
        if (UpperCase(Trimmed(grid.TextAt(row, ColCode))) == upper) return row;
    return -1;
}

std::optional<int> ScheduleExport::ParseTime(std::string_view name) {
    for (int i = 1; i < static_cast<int>(kRepaymentTimeNames.size()); ++i)
        if (SameIgnoringCase(name, kRepaymentTimeNames[static_cast<std::size_t>(i)])) return i;
    return std::nullopt;
}

std::optional<calc::Cents> ScheduleExport::ParseExtra(std::string_view text) {
    calc::Cents whole = 0;
    int integerDigits = 0, decimals = -1; // -1: no point yet
    calc::Cents fraction = 0;
    for (const char c : text) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
        } else if (c >= '0' && c <= '9' && decimals < 0 && integerDigits < 8) {
            whole = whole * 10 + (c - '0');
            ++integerDigits;
        } else if (c >= '0' && c <= '9' && decimals >= 0 && decimals < 2) {
            fraction = fraction * 10 + (c - '0');
            ++decimals;
        } else {
            return std::nullopt;
        }
    }
    if (integerDigits == 0 && decimals <= 0) return std::nullopt;
    for (int d = std::max(decimals, 0); d < 2; ++d)
        fraction *= 10;
    return whole * 100 + fraction;
}

ExportResult ScheduleExport::WriteCsv(const std::string& path, std::string_view code,
                                      std::optional<int> time, calc::Cents extra,
                                      std::ostream& out) {
    LoanGrid grid(kLoanCols, 2);
    const ReadResult read = LoanFileReader::ReadFile(path, grid);
    if (!read.ok) return {false, read.error};
    const int row = FindLoan(grid, code);
    if (row < 0) return {false, "There is no loan " + Quoted(Trimmed(code)) + " in " + path + "."};
    const int repaymentTime =
        time ? *time : RepaymentTimeIndexOf(grid.TextAt(row, ColRepaymentTime));
    const auto result =
        calc::LoanSchedule::FromFields(FieldsOfRow(grid, row), repaymentTime, extra);
    if (!result.schedule)
        return {false, "The loan " + Quoted(grid.TextAt(row, ColCode)) + " has no schedule. " +
                           std::string(calc::ScheduleProblemText(result.problem)) + "."};
    calc::ScheduleCsv::Write(*result.schedule, out);
    out.flush();
    if (!out) return {false, "The schedule could not be written."};
    return {true, {}};
}

} // namespace loan
