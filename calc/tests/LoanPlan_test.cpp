#include "calc/LoanPlan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using calc::LoanPlan;
using calc::PlanItem;
using calc::PlanPart;
using calc::PlanProblem;
using Date = std::chrono::year_month_day;

Date D(int y, unsigned m, unsigned d) {
    return Date{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

LoanPlan Plan(std::optional<Date> start, std::vector<calc::RateChange> rates,
              std::vector<calc::LumpSum> lumps = {}, std::optional<double> fixedYears = {},
              std::optional<double> revert = {}) {
    LoanPlan plan;
    plan.start = start;
    plan.rateChanges = std::move(rates);
    plan.lumpSums = std::move(lumps);
    plan.fixedYears = fixedYears;
    plan.revertRatePercent = revert;
    return plan;
}

// Each refusal a command line or the window must be able to word: what is wrong and with which
// entry.
TEST(LoanPlan, RefusesEntriesThatAreWrongWhateverTheLoan) {
    const struct {
        const char* what;
        LoanPlan plan;
        PlanProblem problem;
        PlanItem item;
        std::size_t index;
        const char* named;
    } cases[] = {
        // clang-format off
        {"a start that does not exist", Plan(D(2025, 2, 29), {}),
         PlanProblem::DateDoesNotExist, PlanItem::Start, 0, "start date"},
        {"an event on a date that does not exist", Plan(D(2025, 1, 1), {{3, 5}, {D(2025, 4, 31), 6}}),
         PlanProblem::DateDoesNotExist, PlanItem::RateChange, 1, "Rate change 2"},
        {"a date as when without a start", Plan({}, {}, {{D(2026, 1, 1), 100}}),
         PlanProblem::DateWithoutStart, PlanItem::LumpSum, 0, "Lump sum 1"},
        {"period 0", Plan({}, {}, {{1, 100}, {0, 100}}),
         PlanProblem::PeriodZero, PlanItem::LumpSum, 1, "Lump sum 2"},
        {"a period before the first", Plan({}, {{-4, 5}}),
         PlanProblem::PeriodZero, PlanItem::RateChange, 0, "Rate change 1"},
        {"a negative rate", Plan({}, {{4, -0.5}}),
         PlanProblem::Negative, PlanItem::RateChange, 0, "negative rate"},
        {"a negative lump sum", Plan({}, {}, {{4, -1}}),
         PlanProblem::Negative, PlanItem::LumpSum, 0, "negative amount"},
        {"a negative number of years", Plan({}, {}, {}, -1),
         PlanProblem::Negative, PlanItem::FixedYears, 0, "negative number of years"},
        {"a negative revert rate", Plan({}, {}, {}, 2, -3),
         PlanProblem::Negative, PlanItem::RevertRate, 0, "revert rate"},
        {"a rate that is no number", Plan({}, {{2, NAN}}),
         PlanProblem::TooLarge, PlanItem::RateChange, 0, "Rate change 1"},
        {"a lump sum beyond the largest amount", Plan({}, {}, {{2, LoanPlan::kMaxLumpSum + 1}}),
         PlanProblem::TooLarge, PlanItem::LumpSum, 0, "too large"},
        {"two rate changes at one period", Plan({}, {{12, 5}, {3, 6}, {12, 7}}),
         PlanProblem::TwoRateChanges, PlanItem::RateChange, 2, "Rate changes 1 and 3"},
        {"two dates that name one payment", Plan(D(2025, 1, 31), {{D(2025, 2, 28), 5}, {D(2025, 2, 1), 6}}),
         PlanProblem::TwoRateChanges, PlanItem::RateChange, 1, "period 2"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const auto resolved = c.plan.Resolve(4);
        EXPECT_FALSE(resolved.plan) << c.what;
        EXPECT_EQ(resolved.check.problem, c.problem) << c.what;
        EXPECT_EQ(resolved.check.item, c.item) << c.what;
        EXPECT_EQ(resolved.check.index, c.index) << c.what;
        const std::string text = calc::PlanProblemText(resolved.check);
        EXPECT_NE(text.find(c.named), std::string::npos) << c.what << ": " << text;
    }
}

TEST(LoanPlan, EventsByDateAreTheFirstPaymentOnOrAfterTheDateInPeriodOrder) {
    LoanPlan plan;
    plan.start = D(2025, 1, 31);
    plan.rateChanges = {{D(2025, 3, 31), 5}, {D(2024, 6, 1), 6}, {D(2025, 4, 1), 7}, {9, 8}};
    plan.lumpSums = {{D(2025, 3, 1), 100, PlanPart::Fixed}, {1, 200}, {D(2025, 2, 28), 300}};
    const auto resolved = plan.Resolve(4); // 31 Jan, 28 Feb, 31 Mar, 30 Apr
    ASSERT_TRUE(resolved.plan);
    std::vector<std::pair<int, double>> rates;
    for (const auto& change : resolved.plan->rateChanges)
        rates.emplace_back(change.period, change.ratePercent);
    EXPECT_EQ(rates, (std::vector<std::pair<int, double>>{{1, 6}, {3, 5}, {4, 7}, {9, 8}}));
    std::vector<std::pair<int, calc::Cents>> lumps;
    for (const auto& lump : resolved.plan->lumpSums)
        lumps.emplace_back(lump.period, lump.amount);
    EXPECT_EQ(lumps, (std::vector<std::pair<int, calc::Cents>>{{1, 200}, {2, 300}, {3, 100}}));
    EXPECT_EQ(resolved.plan->lumpSums.back().part, PlanPart::Fixed);
    // Weekly from the same start, 31 March and 1 April both name Friday 4 April.
    const auto weekly = plan.Resolve(1);
    EXPECT_EQ(weekly.check.problem, PlanProblem::TwoRateChanges);
    EXPECT_EQ(weekly.check.period, 10);
}

TEST(LoanPlan, AWhenIsAPeriodOrADateAsTyped) {
    const auto period = [](const char* text) { return std::get<int>(*LoanPlan::ParseWhen(text)); };
    EXPECT_EQ(period("12"), 12);
    EXPECT_EQ(period("0"), 0);
    EXPECT_EQ(period("99999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(std::get<Date>(*LoanPlan::ParseWhen("2026-03-31")), D(2026, 3, 31));
    // Left for Resolve to refuse by name.
    EXPECT_FALSE(std::get<Date>(*LoanPlan::ParseWhen("2026-04-31")).ok());
    for (const char* text : {"", "-3", "1.5", "12 ", "2026-3-31", "2026/03/31", "31.03.2026"})
        EXPECT_FALSE(LoanPlan::ParseWhen(text)) << text;
}

TEST(LoanPlan, TheFixedRateHoldsForWholePeriodsOfItsYears) {
    const struct {
        double years;
        int time, periods;
    } cases[] = {{5, 1, 260}, {7, 1, 365},  {3, 4, 36}, {1.99, 4, 23},
                 {0.5, 5, 2}, {2.5, 3, 60}, {0, 4, 0}};
    for (const auto& c : cases) {
        LoanPlan plan;
        plan.fixedYears = c.years;
        EXPECT_EQ(plan.Resolve(c.time).plan->fixedPeriods, c.periods) << c.years;
    }
    LoanPlan forever;
    forever.fixedYears = 1e300;
    EXPECT_FALSE(forever.Resolve(4).plan->fixedPeriods);
}

} // namespace
