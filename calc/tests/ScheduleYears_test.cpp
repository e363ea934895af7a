#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"
#include "calc/ScheduleYears.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

namespace {

using calc::Cents;
using calc::LoanPlan;
using calc::LoanSchedule;
using calc::ScheduleYears;
using calc::YearRow;
using Date = std::chrono::year_month_day;

Date D(int y, unsigned m, unsigned d) {
    return Date{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

LoanSchedule Make(int time, Cents extra, const LoanPlan& plan, double years = 25) {
    calc::LoanTerms terms;
    terms.variableAmount = 200000;
    terms.variableRatePercent = 6.5;
    terms.fixedAmount = 100000;
    terms.fixedRatePercent = 5.99;
    terms.years = years;
    terms.repaymentTime = time;
    terms.extra = extra;
    auto result = LoanSchedule::Make(terms, plan);
    EXPECT_TRUE(result.schedule) << calc::ScheduleProblemSentence(result);
    return std::move(*result.schedule);
}

LoanPlan BusyPlan(std::optional<Date> start) {
    LoanPlan plan;
    plan.start = start;
    plan.fixedYears = 3;
    plan.rateChanges = {{30, 7.25}, {100, 5.5}};
    plan.lumpSums = {{40, 1'000'000}, {41, 250'000, calc::PlanPart::Fixed}};
    return plan;
}

// Every year is its periods' rows added up; the years follow each other without a gap and hold
// every period once, so they add up to the schedule's totals.
TEST(ScheduleYears, EachYearIsItsPeriodsRowsSummed) {
    const struct {
        const char* what;
        int time;
        Cents extra;
        LoanPlan plan;
        double years;
    } cases[] = {
        {"weekly, no plan", 1, 0, {}, 25},
        {"fortnightly with an extra payment", 2, 5000, {}, 25},
        {"twice-monthly, calendar years", 3, 0, BusyPlan(D(2025, 2, 28)), 25},
        {"monthly through a plan", 4, 0, BusyPlan({}), 25},
        {"monthly from mid-November", 4, 2500, BusyPlan(D(2025, 11, 15)), 25},
        {"quarterly over a term of part of a year", 5, 0, {}, 0.6},
        {"weekly over 40 years from a leap day", 1, 0, BusyPlan(D(2024, 2, 29)), 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoanSchedule schedule = Make(c.time, c.extra, c.plan, c.years);
        const ScheduleYears years(schedule);
        ASSERT_FALSE(years.Rows().empty());
        EXPECT_EQ(years.Calendar(), c.plan.start.has_value());
        int expectedFirst = 1;
        Cents payments = 0, interest = 0, principal = 0;
        std::optional<int> previousYear;
        for (const YearRow& year : years.Rows()) {
            ASSERT_EQ(year.firstPeriod, expectedFirst);
            ASSERT_GE(year.lastPeriod, year.firstPeriod);
            if (previousYear) {
                EXPECT_EQ(year.year, *previousYear + 1);
            }
            previousYear = year.year;
            YearRow summed;
            for (int p = year.firstPeriod; p <= year.lastPeriod; ++p) {
                const calc::ScheduleRow row = schedule.Row(static_cast<std::size_t>(p - 1));
                summed.payments += row.payment;
                summed.interest += row.interest;
                summed.principal += row.Principal();
                if (c.plan.start) {
                    EXPECT_EQ(static_cast<int>(schedule.DateOf(p)->year()), year.year);
                }
                EXPECT_EQ(years.IndexOf(p), static_cast<std::size_t>(&year - years.Rows().data()));
            }
            EXPECT_EQ(year.payments, summed.payments);
            EXPECT_EQ(year.interest, summed.interest);
            EXPECT_EQ(year.principal, summed.principal);
            EXPECT_EQ(year.balance, schedule.Row(static_cast<std::size_t>(year.lastPeriod - 1)).balance);
            payments += year.payments;
            interest += year.interest;
            principal += year.principal;
            expectedFirst = year.lastPeriod + 1;
        }
        EXPECT_EQ(expectedFirst - 1, static_cast<int>(schedule.Periods()));
        EXPECT_EQ(payments, schedule.Totals().payments);
        EXPECT_EQ(interest, schedule.Totals().interest);
        EXPECT_EQ(principal, schedule.Totals().principal);
        EXPECT_EQ(years.Rows().back().balance, 0);
    }
}

// The loan's own years hold what falls due in them: a period is its share of a 365-day year (of
// twelve months), so the payments of any stretch of whole years number the periods a year times
// the years, and no year is more than a payment off another.
TEST(ScheduleYears, LoanYearsHoldThePaymentsDueInThem) {
    const struct {
        int time;
        int years;       // a stretch after which the days come round whole
        int periodsDue;  // the payments due in it
    } cases[] = {{1, 7, 365}, {2, 14, 365}, {3, 1, 24}, {4, 1, 12}, {5, 1, 4}, {9, 1, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        int fewest = 1 << 30, most = 0;
        for (int year = 1; year <= 3 * c.years; ++year) {
            int count = 0;
            for (int p = 1; p <= 3 * c.periodsDue + 1; ++p)
                count += ScheduleYears::LoanYearOf(p, c.time) == year;
            fewest = std::min(fewest, count);
            most = std::max(most, count);
        }
        EXPECT_LE(most - fewest, 1);
        EXPECT_EQ(ScheduleYears::LoanYearOf(c.periodsDue, c.time), c.years);
        EXPECT_EQ(ScheduleYears::LoanYearOf(c.periodsDue + 1, c.time), c.years + 1);
        EXPECT_EQ(ScheduleYears::LoanYearOf(1, c.time), 1);
    }
}

TEST(ScheduleYears, CalendarYearsStartWithTheFirstPaymentsYear) {
    const LoanSchedule schedule = Make(4, 0, BusyPlan(D(2025, 11, 15)));
    const ScheduleYears years(schedule);
    EXPECT_EQ(years.Rows().front().year, 2025);
    EXPECT_EQ(years.Rows().front().lastPeriod, 2); // 15 November and 15 December
    EXPECT_EQ(years.Rows()[1].lastPeriod - years.Rows()[1].firstPeriod + 1, 12);
}

TEST(ScheduleYears, CsvHasAHeadingThenOneLineAYear) {
    const LoanSchedule schedule = Make(4, 0, {}, 2);
    const ScheduleYears years(schedule);
    const std::string csv = years.CsvText();
    const YearRow& first = years.Rows().front();
    const std::string line = "1,1,12," + calc::ScheduleCsv::Amount(first.payments) + "," +
                             calc::ScheduleCsv::Amount(first.interest) + "," +
                             calc::ScheduleCsv::Amount(first.principal) + "," +
                             calc::ScheduleCsv::Amount(first.balance) + "\r\n";
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "Year,First Period,Last Period,Payments,Interest,Principal,Balance\r\n");
    EXPECT_NE(csv.find("\r\n" + line), std::string::npos);
    EXPECT_TRUE(csv.ends_with(",0.00\r\n"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
}

} // namespace
