#include "ScheduleCsv.h"

#include "LoanSchedule.h"
#include "PaymentCalendar.h"

#include <charconv>
#include <string_view>

namespace calc {

namespace {

constexpr std::string_view kPeriodHeading = "Period,";
constexpr std::string_view kDateHeading = "Date,";
constexpr std::string_view kAmountsHeading =
    "Variable Payment,Variable Interest,Variable Principal,Variable Balance,"
    "Fixed Payment,Fixed Interest,Fixed Principal,Fixed Balance,"
    "Loan Payment,Loan Interest,Loan Principal,Loan Balance\r\n";

// Appends an amount: "-" for a negative one, the whole dollars, "." and two digits of cents.
void AppendAmount(std::string& text, Cents cents) {
    // The magnitude as unsigned, so the most negative count of cents has one too.
    const bool negative = cents < 0;
    const auto magnitude = negative ? 0 - static_cast<unsigned long long>(cents)
                                    : static_cast<unsigned long long>(cents);
    char digits[32];
    char* end = digits;
    if (negative) *end++ = '-';
    end = std::to_chars(end, digits + sizeof digits, magnitude / 100).ptr;
    const auto fraction = static_cast<unsigned>(magnitude % 100);
    *end++ = '.';
    *end++ = static_cast<char>('0' + fraction / 10);
    *end++ = static_cast<char>('0' + fraction % 10);
    text.append(digits, end);
}

// Appends ",payment,interest,principal,balance", or four empty fields without a row.
void AppendRow(std::string& text, const ScheduleRow* row) {
    if (!row) {
        text += ",,,,";
        return;
    }
    for (const Cents amount : {row->payment, row->interest, row->Principal(), row->balance}) {
        text += ',';
        AppendAmount(text, amount);
    }
}

} // namespace

std::string ScheduleCsv::Amount(Cents cents) {
    std::string text;
    AppendAmount(text, cents);
    return text;
}

std::string ScheduleCsv::Text(const LoanSchedule& schedule) {
    const auto& variable = schedule.Variable().Rows();
    const auto& fixed = schedule.Fixed().Rows();
    const bool dated = schedule.HasDates();
    std::string text(kPeriodHeading);
    if (dated) text += kDateHeading;
    text += kAmountsHeading;
    text.reserve(text.size() + schedule.Periods() * (dated ? 171 : 160));
    for (std::size_t k = 0; k < schedule.Periods(); ++k) {
        char period[24];
        text.append(period, std::to_chars(period, period + sizeof period, k + 1).ptr);
        if (dated) {
            text += ',';
            text += PaymentCalendar::Iso(*schedule.DateOf(static_cast<int>(k + 1)));
        }
        AppendRow(text, k < variable.size() ? &variable[k] : nullptr);
        AppendRow(text, k < fixed.size() ? &fixed[k] : nullptr);
        const ScheduleRow loan = schedule.Row(k);
        AppendRow(text, &loan);
        text += "\r\n";
    }
    return text;
}

void ScheduleCsv::Write(const LoanSchedule& schedule, std::ostream& out) {
    const std::string text = Text(schedule);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace calc
