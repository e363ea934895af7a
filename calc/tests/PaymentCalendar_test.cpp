#include "calc/PaymentCalendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

using calc::PaymentCalendar;
using std::chrono::sys_days;
using Date = std::chrono::year_month_day;

Date D(int y, unsigned m, unsigned d) {
    return Date{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

std::vector<std::string> Dates(Date first, int time, int count) {
    const PaymentCalendar calendar(first, time);
    std::vector<std::string> out;
    for (int k = 1; k <= count; ++k)
        out.push_back(PaymentCalendar::Iso(calendar.DateOf(k)));
    return out;
}

using Texts = std::vector<std::string>;

TEST(PaymentCalendar, EachRepaymentTimeWithTheMonthEndRuleAndLeapYears) {
    const struct {
        const char* what;
        Date first;
        int time;
        Texts dates;
    } cases[] = {
        // clang-format off
        {"weekly across 29 February", D(2024, 2, 19), 1,
         {"2024-02-19", "2024-02-26", "2024-03-04", "2024-03-11"}},
        {"fortnightly across the year's end", D(2024, 12, 16), 2,
         {"2024-12-16", "2024-12-30", "2025-01-13", "2025-01-27"}},
        {"monthly from the 31st: the last day in shorter months, then the 31st again",
         D(2025, 1, 31), 4, {"2025-01-31", "2025-02-28", "2025-03-31", "2025-04-30", "2025-05-31"}},
        {"monthly from the 31st in a leap year", D(2024, 1, 31), 4,
         {"2024-01-31", "2024-02-29", "2024-03-31"}},
        {"monthly from 29 February", D(2024, 2, 29), 4, {"2024-02-29", "2024-03-29", "2024-04-29"}},
        {"monthly from the 30th across the year's end", D(2024, 11, 30), 4,
         {"2024-11-30", "2024-12-30", "2025-01-30", "2025-02-28", "2025-03-30"}},
        {"quarterly from 30 November", D(2023, 11, 30), 5,
         {"2023-11-30", "2024-02-29", "2024-05-30", "2024-08-30", "2024-11-30", "2025-02-28"}},
        {"twice-monthly from the 10th: the 10th and the 25th", D(2025, 1, 10), 3,
         {"2025-01-10", "2025-01-25", "2025-02-10", "2025-02-25"}},
        {"twice-monthly from the 31st: the 16th and the last day", D(2025, 1, 31), 3,
         {"2025-01-31", "2025-02-16", "2025-02-28", "2025-03-16", "2025-03-31"}},
        {"twice-monthly from the 15th: the 15th and the 30th, 29 February in a leap year",
         D(2024, 1, 15), 3, {"2024-01-15", "2024-01-30", "2024-02-15", "2024-02-29", "2024-03-15"}},
        {"twice-monthly from the 16th: the 1st and the 16th", D(2025, 1, 16), 3,
         {"2025-01-16", "2025-02-01", "2025-02-16"}},
        {"twice-monthly from the 1st: the 1st and the 16th", D(2025, 12, 1), 3,
         {"2025-12-01", "2025-12-16", "2026-01-01"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Dates(c.first, c.time, static_cast<int>(c.dates.size())), c.dates) << c.what;
    }
    const PaymentCalendar monthly(D(2024, 2, 29), 4);
    EXPECT_EQ(PaymentCalendar::Iso(monthly.DateOf(13)), "2025-02-28");
    EXPECT_EQ(PaymentCalendar::Iso(monthly.DateOf(14)), "2025-03-29");
    // 29 February every fourth year, and not in 2100.
    const PaymentCalendar quarterly(D(2096, 2, 29), 5);
    EXPECT_EQ(PaymentCalendar::Iso(quarterly.DateOf(17)), "2100-02-28");
    EXPECT_EQ(PaymentCalendar::Iso(quarterly.DateOf(33)), "2104-02-29");
}

// Dates of every repayment time from random first dates: each period after the one before, the
// gap its repayment time makes, and a date given for an event finds the first payment on or after
// it.
TEST(PaymentCalendar, PeriodsRiseAndEveryDateFindsTheFirstPaymentOnOrAfterIt) {
    std::mt19937 random(4171);
    // Days between payments, fewest and most, weekly to quarterly.
    const int gaps[5][2] = {{7, 7}, {14, 14}, {12, 18}, {28, 31}, {89, 92}};
    for (int i = 0; i < 200; ++i) {
        const int time = 1 + i % 5;
        const Date first =
            D(1990 + static_cast<int>(random() % 60), 1 + random() % 12, 1 + random() % 31);
        if (!first.ok()) continue;
        const PaymentCalendar calendar(first, time);
        EXPECT_EQ(calendar.DateOf(1), first);
        EXPECT_EQ(calendar.PeriodOnOrAfter(D(1900, 1, 1)), 1);
        for (int k = 2; k <= 60; ++k) {
            const sys_days before(calendar.DateOf(k - 1)), at(calendar.DateOf(k));
            const int gap = (at - before).count();
            SCOPED_TRACE(PaymentCalendar::Iso(first) + " time " + std::to_string(time) +
                         " period " + std::to_string(k));
            EXPECT_GE(gap, gaps[time - 1][0]);
            EXPECT_LE(gap, gaps[time - 1][1]);
            EXPECT_EQ(calendar.PeriodOnOrAfter(Date(at)), k);
            EXPECT_EQ(calendar.PeriodOnOrAfter(Date(before + std::chrono::days(1))), k);
        }
    }
    const PaymentCalendar weekly(D(2025, 1, 6), 1);
    EXPECT_EQ(weekly.PeriodOnOrAfter(D(9999, 12, 31)), PaymentCalendar::kMaxPeriods + 1);
}

TEST(PaymentCalendar, IsoDatesReadOnlyWhenTheyExist) {
    const struct {
        const char* text;
        bool exists;
    } cases[] = {
        {"2024-02-29", true},   {"2025-02-29", false},  {"2100-02-29", false},
        {"2000-02-29", true},   {"2025-04-31", false},  {"2025-13-01", false},
        {"2025-00-10", false},  {"2025-01-00", false},  {"0000-01-01", false},
        {"0001-01-01", true},   {"9999-12-31", true},   {"2025-1-01", false},
        {"2025-01-01 ", false}, {" 2025-01-01", false}, {"2025/01/01", false},
        {"+025-01-01", false},  {"2025-01-1x", false},  {"", false},
    };
    for (const auto& c : cases) {
        const auto date = PaymentCalendar::ParseIso(c.text);
        EXPECT_EQ(date.has_value(), c.exists) << c.text;
        if (date) {
            EXPECT_EQ(PaymentCalendar::Iso(*date), c.text);
        }
    }
}

TEST(PaymentCalendar, YearsAndMonthsOfAPeriodCount) {
    const struct {
        int periods, time;
        const char* text;
    } cases[] = {
        {300, 4, "25 years"},       {302, 4, "25 years 2 months"},
        {13, 4, "1 year 1 month"},  {1, 4, "1 month"},
        {0, 4, "0 months"},         {1304, 1, "25 years"},
        {1, 1, "1 month"},          {652, 2, "25 years"},
        {49, 3, "2 years 1 month"}, {5, 5, "1 year 3 months"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaymentCalendar::YearsAndMonths(c.periods, c.time), c.text) << c.periods;
}

} // namespace
