#pragma once

#include "RepaymentSchedule.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace calc {

class LoanSchedule;

// One year of a schedule: what its payments came to and what was owed at its end.
struct YearRow {
    int year = 0;        // the loan's year from 1, or the calendar year (see ScheduleYears)
    int firstPeriod = 0; // the year's periods, from 1
    int lastPeriod = 0;
    Cents payments = 0;
    Cents interest = 0;
    Cents principal = 0;
    Cents balance = 0; // the whole loan still owed after the year's last payment
};

// A schedule one row a year, the whole loan's payments summed over the periods of each year.
//
// With a start date the years are calendar years: a payment belongs to the year of its date, so
// the first and the last year may hold only a few payments. Without one, they are the loan's
// own years from its start, a payment falling its period count of periods after it: year n holds
// the payments due after n - 1 and up to n years (of 365 days for weekly and fortnightly
// payments), so monthly ones go twelve a year and weekly ones 52, with a 53rd every seventh year,
// as the days add up. A payment is never split between years, so every year's sums are exactly
// its periods' rows added up and the years add up to the schedule's totals.
class ScheduleYears {
  public:
    explicit ScheduleYears(const LoanSchedule& schedule);

    // True when the years are calendar years.
    bool Calendar() const { return calendar_; }
    const std::vector<YearRow>& Rows() const { return rows_; }
    // The index in Rows() of the year holding the period (from 1), clamped to the schedule.
    std::size_t IndexOf(int period) const;

    // The loan's own year (from 1) a payment of the period (from 1) falls in, for the repayment
    // time (1 weekly .. 5 quarterly, any other as monthly). The arithmetic is in whole numbers:
    // a weekly period is 7/365 of a year exactly, never a double that lands a hair off.
    static int LoanYearOf(int period, int repaymentTime);

    // As comma-separated values, in the schedule's own CSV's form: the heading
    // "Year,First Period,Last Period,Payments,Interest,Principal,Balance", then one line a year
    // with plain amounts; lines end with CR LF.
    void WriteCsv(std::ostream& out) const;
    std::string CsvText() const;

  private:
    bool calendar_ = false;
    std::vector<YearRow> rows_;
};

} // namespace calc
