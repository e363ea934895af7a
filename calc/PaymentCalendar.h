#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace calc {

// The dates of a loan's payments, from the first payment's date and the repayment time (1
// weekly, 2 fortnightly, 3 twice-monthly, 4 monthly, 5 quarterly; any other reads as monthly,
// as the schedule reads it). Dates only name the periods: interest stays per period.
//
// - Weekly payments fall every 7 days, fortnightly ones every 14.
// - Monthly and quarterly payments fall on the first payment's day of the month, every month or
//   every third month. A month too short for that day has its payment on its last day, and the
//   month after goes back to the first payment's day: 31 Jan, 28 Feb (29 in a leap year), 31 Mar.
// - Twice-monthly payments fall on two days of every month, 15 days apart: the A-th and the
//   (A+15)-th, where A is the first payment's day when that is the 15th or earlier, and otherwise
//   the first payment's day less 15. A month too short for the later day has it on its last day.
//   So a first payment on the 1st pays on the 1st and the 16th, on the 10th on the 10th and the
//   25th, on the 30th on the 15th and the 30th (28 or 29 February), on the 31st on the 16th and
//   the month's last day.
class PaymentCalendar {
  public:
    using Date = std::chrono::year_month_day;

    // Periods are counted up to here: as many as a schedule lists. Dates of years 1 to 9999 stay
    // well inside what year_month_day holds that far on.
    static constexpr int kMaxPeriods = 52'143;

    // The first payment's date must be Accepted.
    PaymentCalendar(Date first, int repaymentTime);

    // A date that exists, in the years 1 to 9999.
    static bool Accepts(Date date);

    Date First() const { return first_; }
    int RepaymentTime() const { return time_; }

    // The date of period 1 to kMaxPeriods (1 is the first payment); a period outside is taken
    // as the nearest of them.
    Date DateOf(int period) const;
    // The first period whose date is on or after the date: 1 for any date up to the first
    // payment, kMaxPeriods + 1 for one after period kMaxPeriods.
    int PeriodOnOrAfter(Date date) const;

    // "yyyy-mm-dd", exactly, of a date that Accepts takes; empty otherwise ("2025-02-29",
    // "2025-2-28", "0000-01-01" and " 2025-02-28" are no dates).
    static std::optional<Date> ParseIso(std::string_view text);
    // "yyyy-mm-dd".
    static std::string Iso(Date date);

    // How long a number of periods lasts, in years and months rounded to the nearest month
    // ("25 years 2 months", "1 year", "3 months"); at least a month for any period at all, and
    // "0 months" for none.
    static std::string YearsAndMonths(int periods, int repaymentTime);

  private:
    Date first_;
    int time_;
    int dayA_ = 0;          // twice-monthly: the earlier of the two days
    bool firstIsB_ = false; // twice-monthly: the first payment falls on the later day
};

} // namespace calc
