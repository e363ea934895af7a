#include "PaymentCalendar.h"

#include "RepaymentTable.h"

#include <algorithm>
#include <cmath>

namespace calc {

namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::months;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month;
using std::chrono::year_month_day;
using std::chrono::year_month_day_last;

int ValidTime(int repaymentTime) {
    return repaymentTime >= 1 && repaymentTime <= kRepaymentRows ? repaymentTime : 4;
}

// The given day of a month, or the month's last day where the month is shorter.
year_month_day DayOrLast(year_month ym, unsigned wanted) {
    const unsigned last = static_cast<unsigned>(
        year_month_day_last(ym.year(), std::chrono::month_day_last(ym.month())).day());
    return {ym.year(), ym.month(), day(std::min(wanted, last))};
}

// The number a run of decimal digits writes; empty when any character is no digit.
std::optional<int> Digits(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

void AppendPadded(std::string& text, int value, int width) {
    const std::string digits = std::to_string(value);
    text.append(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))),
                '0');
    text += digits;
}

} // namespace

PaymentCalendar::PaymentCalendar(Date first, int repaymentTime)
    : first_(first), time_(ValidTime(repaymentTime)) {
    const unsigned d = static_cast<unsigned>(first.day());
    firstIsB_ = d > 15;
    dayA_ = static_cast<int>(firstIsB_ ? d - 15 : d);
}

bool PaymentCalendar::Accepts(Date date) {
    return date.ok() && date.year() >= year(1) && date.year() <= year(9999);
}

PaymentCalendar::Date PaymentCalendar::DateOf(int period) const {
    const int step = std::clamp(period, 1, kMaxPeriods) - 1;
    const year_month firstMonth(first_.year(), first_.month());
    switch (time_) {
    case 1:
        return year_month_day(sys_days(first_) + days(7 * step));
    case 2:
        return year_month_day(sys_days(first_) + days(14 * step));
    case 3: {
        // Counted in half months from the earlier day of the first payment's month.
        const int half = step + (firstIsB_ ? 1 : 0);
        const year_month ym = firstMonth + months(half / 2);
        return DayOrLast(ym, static_cast<unsigned>(half % 2 == 0 ? dayA_ : dayA_ + 15));
    }
    case 5:
        return DayOrLast(firstMonth + months(3 * step), static_cast<unsigned>(first_.day()));
    default:
        return DayOrLast(firstMonth + months(step), static_cast<unsigned>(first_.day()));
    }
}

int PaymentCalendar::PeriodOnOrAfter(Date date) const {
    const sys_days wanted(date);
    if (sys_days(DateOf(kMaxPeriods)) < wanted) return kMaxPeriods + 1;
    // Dates rise with the period, so the first one on or after the date is found by halving.
    int low = 1, high = kMaxPeriods;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (sys_days(DateOf(middle)) < wanted)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::optional<PaymentCalendar::Date> PaymentCalendar::ParseIso(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto y = Digits(text.substr(0, 4));
    const auto m = Digits(text.substr(5, 2));
    const auto d = Digits(text.substr(8, 2));
    if (!y || !m || !d) return std::nullopt;
    const Date date{year(*y), month(static_cast<unsigned>(*m)), day(static_cast<unsigned>(*d))};
    if (!Accepts(date)) return std::nullopt;
    return date;
}

std::string PaymentCalendar::Iso(Date date) {
    std::string text;
    text.reserve(10);
    AppendPadded(text, static_cast<int>(date.year()), 4);
    text += '-';
    AppendPadded(text, static_cast<int>(static_cast<unsigned>(date.month())), 2);
    text += '-';
    AppendPadded(text, static_cast<int>(static_cast<unsigned>(date.day())), 2);
    return text;
}

std::string PaymentCalendar::YearsAndMonths(int periods, int repaymentTime) {
    if (periods <= 0) return "0 months";
    const double perYear = PeriodsPerYear(ValidTime(repaymentTime) - 1);
    const long total = std::max(1L, std::lround(periods * 12.0 / perYear));
    const long years = total / 12, monthsLeft = total % 12;
    const auto count = [](long n, const char* one, const char* many) {
        return std::to_string(n) + (n == 1 ? one : many);
    };
    if (years == 0) return count(monthsLeft, " month", " months");
    if (monthsLeft == 0) return count(years, " year", " years");
    return count(years, " year", " years") + " " + count(monthsLeft, " month", " months");
}

} // namespace calc
