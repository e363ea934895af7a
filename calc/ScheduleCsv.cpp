#include "ScheduleCsv.h"

#include "LoanSchedule.h"

#include <charconv>
#include <sstream>

namespace calc {

namespace {

constexpr const char* kHeading =
    "Period,Variable Payment,Variable Interest,Variable Principal,Variable Balance,"
    "Fixed Payment,Fixed Interest,Fixed Principal,Fixed Balance,"
    "Loan Payment,Loan Interest,Loan Principal,Loan Balance\r\n";

// Appends ",payment,interest,principal,balance", or four empty fields without a row.
void AppendRow(std::string& line, const ScheduleRow* row) {
    if (!row) {
        line += ",,,,";
        return;
    }
    for (const Cents amount : {row->payment, row->interest, row->Principal(), row->balance}) {
        line += ',';
        line += ScheduleCsv::Amount(amount);
    }
}

} // namespace

std::string ScheduleCsv::Amount(Cents cents) {
    // The magnitude as unsigned, so the most negative count of cents has one too.
    const bool negative = cents < 0;
    const auto magnitude = negative ? 0 - static_cast<unsigned long long>(cents)
                                    : static_cast<unsigned long long>(cents);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 100).ptr;
    std::string text = negative ? "-" : "";
    text.append(digits, end);
    const auto fraction = static_cast<int>(magnitude % 100);
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

void ScheduleCsv::Write(const LoanSchedule& schedule, std::ostream& out) {
    out << kHeading;
    const auto& variable = schedule.Variable().Rows();
    const auto& fixed = schedule.Fixed().Rows();
    std::string line;
    for (std::size_t k = 0; k < schedule.Periods(); ++k) {
        line.clear();
        line += std::to_string(k + 1);
        AppendRow(line, k < variable.size() ? &variable[k] : nullptr);
        AppendRow(line, k < fixed.size() ? &fixed[k] : nullptr);
        const ScheduleRow loan = schedule.Row(k);
        AppendRow(line, &loan);
        line += "\r\n";
        out << line;
    }
}

std::string ScheduleCsv::Text(const LoanSchedule& schedule) {
    std::ostringstream out;
    Write(schedule, out);
    return std::move(out).str();
}

} // namespace calc
