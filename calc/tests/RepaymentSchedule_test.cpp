#include "calc/RepaymentSchedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using calc::Cents;
using calc::RepaymentSchedule;
using calc::ScheduleRow;

RepaymentSchedule Paid(double amount, double ratePercent, double years, double periodsPerYear) {
    const RepaymentSchedule::Terms terms{amount, ratePercent, years, periodsPerYear};
    RepaymentSchedule schedule(terms, calc::ToCents(*RepaymentSchedule::ExactPayment(terms)));
    schedule.PayToEnd();
    return schedule;
}

std::vector<Cents> Column(const RepaymentSchedule& schedule, Cents ScheduleRow::*field) {
    std::vector<Cents> out;
    for (const ScheduleRow& row : schedule.Rows())
        out.push_back(row.*field);
    return out;
}

// $1,000 at 12% a year, monthly for a year, worked by hand: 1% a month, PMT 88.8488 -> 88.85;
// each month's interest is 1% of the balance to the cent; the twelfth payment is what is left.
TEST(RepaymentSchedule, TextbookCaseWorkedByHand) {
    const RepaymentSchedule s = Paid(1000, 12, 1, 12);
    EXPECT_EQ(s.RegularPayment(), 8885);
    EXPECT_EQ(Column(s, &ScheduleRow::payment),
              (std::vector<Cents>{8885, 8885, 8885, 8885, 8885, 8885, 8885, 8885, 8885, 8885, 8885,
                                  8884}));
    EXPECT_EQ(Column(s, &ScheduleRow::interest),
              (std::vector<Cents>{1000, 921, 842, 761, 680, 598, 515, 431, 347, 261, 175, 88}));
    EXPECT_EQ(Column(s, &ScheduleRow::balance),
              (std::vector<Cents>{92115, 84151, 76108, 67984, 59779, 51492, 43122, 34668, 26130,
                                  17506, 8796, 0}));
    EXPECT_EQ(s.Totals().payments, 106619);
    EXPECT_EQ(s.Totals().interest, 6619);
    EXPECT_EQ(s.Totals().principal, 100000);
    EXPECT_EQ(s.Totals().payoffPeriod, 12);
}

TEST(RepaymentSchedule, ZeroRatePaysEqualPartsAndTheLastTakesTheRounding) {
    // 1000 / 12 = 83.33 a month; the twelfth pays the 83.37 left.
    const RepaymentSchedule s = Paid(1000, 0, 1, 12);
    ASSERT_EQ(s.Rows().size(), 12u);
    for (std::size_t k = 0; k < 11; ++k)
        EXPECT_EQ(s.Rows()[k].payment, 8333) << k;
    EXPECT_EQ(s.Rows().back().payment, 8337);
    EXPECT_EQ(s.Totals().interest, 0);
}

TEST(RepaymentSchedule, FractionalPeriodCountEndsWithAShortPayment) {
    // Weekly over 25 years is 1303.57 periods: 1304 payments, the last one smaller.
    const RepaymentSchedule s = Paid(200000, 6.5, 25, 365.0 / 7.0);
    ASSERT_EQ(s.Rows().size(), 1304u);
    EXPECT_EQ(s.LastPeriod(), 1304);
    EXPECT_LT(s.Rows().back().payment, s.RegularPayment());
    EXPECT_EQ(s.Rows().back().balance, 0);
    // A whole number of periods that doubles compute a hair above (365/7 x 7) adds no row.
    EXPECT_EQ(Paid(5000, 5, 7, 365.0 / 7.0).Rows().size(), 365u);
}

TEST(RepaymentSchedule, NothingOwedHasNoRows) {
    const RepaymentSchedule s = Paid(0, 6, 25, 12);
    EXPECT_TRUE(s.Rows().empty());
    EXPECT_TRUE(s.Cleared());
    EXPECT_EQ(s.Totals().payoffPeriod, 0);
}

TEST(RepaymentSchedule, ExtraIsTakenOnlyUpToWhatIsOwed) {
    const RepaymentSchedule::Terms terms{1000, 12, 1, 12};
    RepaymentSchedule s(terms, 8885);
    EXPECT_EQ(s.PayPeriod(5000), 0); // all of it used: 138.85 paid
    EXPECT_EQ(s.Rows().front().payment, 13885);
    // 871.15 left plus 8.71 interest is 879.86: 791.01 of the 1,000.00 extra pays it off.
    EXPECT_EQ(s.PayPeriod(100000), 20899);
    EXPECT_EQ(s.Rows().back().payment, 87986);
    EXPECT_TRUE(s.Cleared());
    EXPECT_EQ(s.PayPeriod(700), 700); // a cleared part takes nothing
    EXPECT_EQ(s.Rows().size(), 2u);
}

} // namespace
