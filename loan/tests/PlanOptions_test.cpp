// Plan options' values as the command line gives them: each form an option takes, and the
// sentence for each it does not. What is wrong with the plan as a whole is the plan's to say.
#include "loan/PlanOptions.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

TEST(PlanOptions, EachOptionTakesItsFormsAndNamesWhatItDoesNot) {
    using Take = std::string (loan::PlanOptions::*)(std::string_view);
    const struct {
        Take take;
        const char* value;
        bool taken;
    } cases[] = {
        {&loan::PlanOptions::Start, "2026-01-31", true},
        {&loan::PlanOptions::Start, "2026-02-30", true}, // the plan names the date
        {&loan::PlanOptions::Start, "12", false},
        {&loan::PlanOptions::Start, "31/01/2026", false},
        {&loan::PlanOptions::FixedYears, "2.5", true},
        {&loan::PlanOptions::FixedYears, "-1", true}, // the plan names it negative
        {&loan::PlanOptions::FixedYears, "three", false},
        {&loan::PlanOptions::FixedYears, "", false},
        {&loan::PlanOptions::RevertRate, "7.1", true},
        {&loan::PlanOptions::RevertRate, "7%", false},
        {&loan::PlanOptions::RateChange, "13=7.25", true},
        {&loan::PlanOptions::RateChange, "2027-07-01=6.9", true},
        {&loan::PlanOptions::RateChange, "0=-1", true},
        {&loan::PlanOptions::RateChange, "13", false},
        {&loan::PlanOptions::RateChange, "=7", false},
        {&loan::PlanOptions::RateChange, "13=", false},
        {&loan::PlanOptions::RateChange, "July=7", false},
        {&loan::PlanOptions::LumpSum, "24=5000", true},
        {&loan::PlanOptions::LumpSum, "24=1,000.50@fixed", true},
        {&loan::PlanOptions::LumpSum, "24=-5@variable", true},
        {&loan::PlanOptions::LumpSum, "24=5000@both", false},
        {&loan::PlanOptions::LumpSum, "24=5.001", false},
        {&loan::PlanOptions::LumpSum, "24=$5", false},
        {&loan::PlanOptions::LumpSum, "24", false},
    };
    for (const auto& c : cases) {
        loan::PlanOptions options;
        const std::string why = (options.*c.take)(c.value);
        EXPECT_EQ(why.empty(), c.taken) << c.value << ": " << why;
        if (!c.taken) {
            EXPECT_NE(why.find(std::string("\"") + c.value + "\""), std::string::npos);
        }
        EXPECT_TRUE(options.Any());
    }
}

TEST(PlanOptions, TheOptionsMakeTheWholePlanInTheirOrder) {
    loan::PlanOptions options;
    EXPECT_FALSE(options.Any());
    for (const std::string& why :
         {options.Start("2026-01-31"), options.FixedYears("3"), options.RevertRate("7.1"),
          options.RateChange("13=7.25"), options.RateChange("2027-07-01=6.9"),
          options.LumpSum("24=1,000.50@fixed"), options.LumpSum("30=-20")})
        EXPECT_EQ(why, "");
    options.KeepPayment();
    options.KeepTerm();
    options.CarryOver();
    const calc::LoanPlan& plan = options.Plan();
    EXPECT_EQ(plan.start, std::optional(year_month_day{year(2026), month(1), day(31)}));
    EXPECT_EQ(plan.fixedYears, 3.0);
    EXPECT_EQ(plan.revertRatePercent, 7.1);
    ASSERT_EQ(plan.rateChanges.size(), 2u);
    EXPECT_EQ(plan.rateChanges[0].when, calc::PlanWhen(13));
    EXPECT_EQ(plan.rateChanges[1].when,
              calc::PlanWhen(year_month_day{year(2027), month(7), day(1)}));
    ASSERT_EQ(plan.lumpSums.size(), 2u);
    EXPECT_EQ(plan.lumpSums[0].amount, 100'050);
    EXPECT_EQ(plan.lumpSums[0].part, calc::PlanPart::Fixed);
    EXPECT_EQ(plan.lumpSums[1].amount, -2'000);
    EXPECT_EQ(plan.afterRateChange, calc::AfterRateChange::PaymentStays);
    EXPECT_EQ(plan.afterLumpSum, calc::AfterLumpSum::PaymentFollows);
    EXPECT_TRUE(plan.carryOver);
    EXPECT_EQ(plan.Resolve(4).check.problem, calc::PlanProblem::Negative);
}

} // namespace
