#include "calc/LoanSchedule.h"
#include "calc/PaymentCalendar.h"
#include "calc/ScheduleCsv.h"
#include "calc/ScheduleScenarios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using calc::Cents;
using calc::LoanPlan;
using calc::LoanSchedule;
using calc::LoanTerms;
using calc::ScenarioKind;
using calc::ScheduleScenarios;
using Date = std::chrono::year_month_day;

Date D(int y, unsigned m, unsigned d) {
    return Date{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

LoanTerms Terms(double variableRate, double fixedRate, int time = 4, Cents extra = 0) {
    LoanTerms terms;
    terms.variableAmount = 200000;
    terms.variableRatePercent = variableRate;
    terms.fixedAmount = 100000;
    terms.fixedRatePercent = fixedRate;
    terms.years = 25;
    terms.repaymentTime = time;
    terms.extra = extra;
    return terms;
}

LoanSchedule Make(const LoanTerms& terms, const LoanPlan& plan = {}) {
    auto result = LoanSchedule::Make(terms, plan);
    EXPECT_TRUE(result.schedule) << calc::ScheduleProblemSentence(result);
    return std::move(*result.schedule);
}

void ExpectSameRows(const LoanSchedule& a, const LoanSchedule& b) {
    ASSERT_EQ(a.Periods(), b.Periods());
    for (const calc::PlanPart part : {calc::PlanPart::Variable, calc::PlanPart::Fixed}) {
        const auto& x = a.Part(part).Rows();
        const auto& y = b.Part(part).Rows();
        ASSERT_EQ(x.size(), y.size());
        for (std::size_t k = 0; k < x.size(); ++k) {
            ASSERT_EQ(x[k].payment, y[k].payment) << "period " << k + 1;
            ASSERT_EQ(x[k].interest, y[k].interest) << "period " << k + 1;
            ASSERT_EQ(x[k].balance, y[k].balance) << "period " << k + 1;
        }
    }
}

const calc::Scenario& Get(const ScheduleScenarios& scenarios, ScenarioKind kind) {
    const calc::Scenario* s = scenarios.Find(kind);
    EXPECT_NE(s, nullptr);
    EXPECT_TRUE(s && s->result.schedule) << calc::ScheduleProblemSentence(s->result);
    return *s;
}

// For a loan without events the stressed scenarios are, to the cent, the same loan typed with
// its variable rate one and two points higher: the fixed part keeps its rate.
TEST(ScheduleScenarios, StressedLoanWithoutEventsIsTheLoanAtTheHigherRate) {
    const struct {
        double variable, fixed;
        int time;
        Cents extra;
        double plusOne, plusTwo; // typed
    } cases[] = {
        {6.5, 5.99, 4, 0, 7.5, 8.5},
        {5.99, 4.1, 1, 0, 6.99, 7.99},
        {0, 3.3, 5, 0, 1, 2},
        {7.1, 7.1, 2, 2000, 8.1, 9.1},
        {14.35, 0.7, 3, 0, 15.35, 16.35},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable);
        const ScheduleScenarios scenarios(Make(Terms(c.variable, c.fixed, c.time, c.extra)));
        const LoanSchedule plusOne = Make(Terms(c.plusOne, c.fixed, c.time, c.extra));
        const LoanSchedule plusTwo = Make(Terms(c.plusTwo, c.fixed, c.time, c.extra));
        ExpectSameRows(*Get(scenarios, ScenarioKind::VariablePlusOne).result.schedule, plusOne);
        ExpectSameRows(*Get(scenarios, ScenarioKind::VariablePlusTwo).result.schedule, plusTwo);
        EXPECT_EQ(Get(scenarios, ScenarioKind::VariablePlusTwo).figures.totalInterest,
                  plusTwo.Totals().interest);
    }
}

// Through a plan, each variable rate is higher: the starting one, every change and the fixed
// part's once it follows the variable rate; a revert rate of its own and the fixed period's rate
// stay. Checked against the plans written out at the higher rates.
TEST(ScheduleScenarios, StressedPlanRaisesEveryVariableRate) {
    LoanPlan plan;
    plan.start = D(2025, 3, 31);
    plan.fixedYears = 2;
    plan.rateChanges = {{13, 7.25}, {D(2028, 1, 1), 5.8}};
    plan.lumpSums = {{40, 500'000}};
    LoanPlan plusOne = plan;
    plusOne.rateChanges = {{13, 8.25}, {D(2028, 1, 1), 6.8}};
    LoanPlan plusTwo = plan;
    plusTwo.rateChanges = {{13, 9.25}, {D(2028, 1, 1), 7.8}};
    LoanPlan reverting = plan;
    reverting.revertRatePercent = 6.1;
    LoanPlan revertingPlusTwo = plusTwo;
    revertingPlusTwo.revertRatePercent = 6.1;
    // Without the fixed period, whose revert the fixed part's payment would not cover.
    LoanPlan staying = plan;
    staying.fixedYears.reset();
    staying.afterRateChange = calc::AfterRateChange::PaymentStays;
    staying.carryOver = true;
    LoanPlan stayingPlusOne = plusOne;
    stayingPlusOne.fixedYears.reset();
    stayingPlusOne.afterRateChange = calc::AfterRateChange::PaymentStays;
    stayingPlusOne.carryOver = true;

    const struct {
        const char* what;
        LoanPlan plan;
        ScenarioKind kind;
        LoanPlan written;
        double variable;
    } cases[] = {
        {"+1%, the fixed part following", plan, ScenarioKind::VariablePlusOne, plusOne, 7.5},
        {"+2%, the fixed part following", plan, ScenarioKind::VariablePlusTwo, plusTwo, 8.5},
        {"+2%, a revert rate of its own", reverting, ScenarioKind::VariablePlusTwo,
         revertingPlusTwo, 8.5},
        {"+1%, payment staying", staying, ScenarioKind::VariablePlusOne, stayingPlusOne, 7.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScheduleScenarios scenarios(Make(Terms(6.5, 5.99), c.plan));
        const LoanSchedule& stressed = *Get(scenarios, c.kind).result.schedule;
        ExpectSameRows(stressed, Make(Terms(c.variable, 5.99), c.written));
        EXPECT_EQ(stressed.Events().size(), Make(Terms(c.variable, 5.99), c.written).Events().size());
        // The fixed period's own rate stays.
        EXPECT_EQ(stressed.Fixed().Rows()[0].interest,
                  Make(Terms(6.5, 5.99), c.plan).Fixed().Rows()[0].interest);
    }
}

// Without extra payments is the same loan and plan with neither the extra each period nor the
// lump sums, and it is what the schedule's savings are measured against; a loan that pays
// nothing extra has no such scenario.
TEST(ScheduleScenarios, WithoutExtraPaymentsDropsTheExtraAndTheLumpSums) {
    LoanPlan lumps;
    lumps.rateChanges = {{20, 7}};
    lumps.lumpSums = {{10, 2'000'000}, {50, 300'000, calc::PlanPart::Fixed}};
    lumps.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    LoanPlan lumpsOnly;
    lumpsOnly.lumpSums = {{10, 2'000'000}};
    LoanPlan ratesOnly;
    ratesOnly.rateChanges = {{20, 7}};
    LoanPlan noLumps = lumps;
    noLumps.lumpSums.clear();

    const struct {
        const char* what;
        Cents extra;
        LoanPlan plan;
        std::optional<LoanPlan> plain; // none: no such scenario
    } cases[] = {
        {"an extra payment", 10000, {}, LoanPlan{}},
        {"lump sums through a plan", 0, lumps, noLumps},
        {"both", 2500, lumps, noLumps},
        {"lump sums alone", 0, lumpsOnly, LoanPlan{}},
        {"rate changes alone", 0, ratesOnly, std::nullopt},
        {"nothing", 0, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoanSchedule planned = Make(Terms(6.5, 5.99, 4, c.extra), c.plan);
        const ScheduleScenarios scenarios(planned);
        const calc::Scenario* without = scenarios.Find(ScenarioKind::WithoutExtras);
        ASSERT_EQ(without != nullptr, c.plain.has_value());
        EXPECT_EQ(scenarios.All().size(), c.plain ? 4u : 3u);
        if (!without) continue;
        const LoanSchedule plain = Make(Terms(6.5, 5.99, 4, 0), *c.plain);
        ExpectSameRows(*without->result.schedule, plain);
        ASSERT_TRUE(planned.TotalsWithoutExtras());
        EXPECT_EQ(without->figures.totalInterest, planned.TotalsWithoutExtras()->interest);
        EXPECT_EQ(without->figures.lastPeriod, planned.TotalsWithoutExtras()->payoffPeriod);
    }
}

// The figures of a scenario from its own rows: the first instalment is what the loan asks in
// period 1 without its extra money, the highest the most it asks in any period but a part's
// last (where a part pays only what it still owes).
TEST(ScheduleScenarios, FiguresComeFromTheScenariosRows) {
    LoanPlan rising;
    rising.rateChanges = {{24, 8}, {60, 9.5}, {120, 4}};
    LoanPlan revert;
    revert.fixedYears = 5;
    revert.revertRatePercent = 8.5;
    LoanPlan dated = rising;
    dated.start = D(2026, 1, 31);
    LoanPlan carried;
    carried.carryOver = true;

    const struct {
        const char* what;
        LoanTerms terms;
        LoanPlan plan;
    } cases[] = {
        {"no plan", Terms(6.5, 5.99), {}},
        {"rates rising then falling", Terms(6.5, 5.99), rising},
        {"the fixed part reverting higher", Terms(6.5, 5.99), revert},
        {"with dates, weekly", Terms(6.5, 5.99, 1), dated},
        {"carried over", Terms(9, 2), carried},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoanSchedule schedule = Make(c.terms, c.plan);
        const calc::ScenarioFigures f = ScheduleScenarios::FiguresOf(schedule);
        Cents highest = 0;
        const std::size_t lastOfEither =
            static_cast<std::size_t>(std::min(schedule.Variable().Totals().payoffPeriod,
                                              schedule.Fixed().Totals().payoffPeriod));
        for (std::size_t k = 0; k + 1 < lastOfEither; ++k)
            highest = std::max(highest, schedule.Row(k).payment);
        EXPECT_EQ(f.instalment, schedule.Row(0).payment);
        EXPECT_EQ(f.highestInstalment, highest);
        EXPECT_EQ(f.totalInterest, schedule.Totals().interest);
        EXPECT_EQ(f.lastPeriod, static_cast<int>(schedule.Periods()));
        EXPECT_EQ(f.lastDate, schedule.DateOf(f.lastPeriod));
        EXPECT_EQ(f.lastDate.has_value(), c.plan.start.has_value());
    }
}

// With carryOver a paid-off part passes its payment on, so it still counts in the instalment:
// here the variable part is paid off early by the extra payment, then the fixed part reverts to
// a higher rate and its payment rises.
TEST(ScheduleScenarios, PaidOffPartsPaymentCountsOnlyWhenCarriedOver) {
    const Cents extra = 30000;
    for (const bool carry : {false, true}) {
        SCOPED_TRACE(carry);
        LoanTerms terms = Terms(9, 1, 4, extra);
        terms.variableAmount = 20000;
        terms.fixedAmount = 280000;
        LoanPlan plan;
        plan.fixedYears = 10;
        plan.carryOver = carry;
        const LoanSchedule schedule = Make(terms, plan);
        const int revert = 121;
        ASSERT_LT(schedule.Variable().Totals().payoffPeriod, revert);
        ASSERT_GT(schedule.Fixed().Totals().payoffPeriod, revert + 1);
        // The period the fixed part reverts pays its new payment, the extra and, carried over,
        // the variable part's payment.
        const Cents after = schedule.Row(static_cast<std::size_t>(revert - 1)).payment - extra;
        const Cents fixedNew = after - (carry ? schedule.Variable().RegularPayment() : 0);
        ASSERT_GT(fixedNew, schedule.Fixed().RegularPayment());
        const calc::ScenarioFigures f = ScheduleScenarios::FiguresOf(schedule);
        EXPECT_EQ(f.instalment, schedule.Instalment());
        EXPECT_EQ(f.highestInstalment, std::max(schedule.Instalment(), after));
    }
}

// A payment that stays after a rate change may not cover the interest two points up: that
// scenario has no schedule and says why, and its line in the CSV is its name alone.
TEST(ScheduleScenarios, StressedScenarioWithoutScheduleSaysWhy) {
    LoanTerms terms = Terms(6.5, 5.99);
    terms.years = 40;
    LoanPlan plan;
    plan.rateChanges = {{200, 7.9}};
    plan.afterRateChange = calc::AfterRateChange::PaymentStays;
    const ScheduleScenarios scenarios(Make(terms, plan));
    const calc::Scenario* plusTwo = scenarios.Find(ScenarioKind::VariablePlusTwo);
    ASSERT_NE(plusTwo, nullptr);
    EXPECT_FALSE(plusTwo->result.schedule);
    EXPECT_EQ(plusTwo->result.problem, calc::ScheduleProblem::PaymentBelowInterest);
    EXPECT_EQ(plusTwo->result.period, 200);
    EXPECT_NE(scenarios.CsvText().find("\r\nVariable +2%,,,,,\r\n"), std::string::npos);
}

TEST(ScheduleScenarios, CsvNamesEachScenarioWithPlainAmounts) {
    LoanPlan plan;
    plan.start = D(2025, 1, 6);
    plan.lumpSums = {{12, 100'000}};
    for (const bool dated : {false, true}) {
        SCOPED_TRACE(dated);
        LoanPlan p = plan;
        if (!dated) p.start.reset();
        const ScheduleScenarios scenarios(Make(Terms(6.5, 5.99, 1), p));
        std::ostringstream out;
        scenarios.WriteCsv(out);
        std::istringstream lines(out.str());
        std::vector<std::string> got;
        for (std::string line; std::getline(lines, line);) {
            ASSERT_TRUE(line.ends_with('\r'));
            line.pop_back();
            got.push_back(line);
        }
        ASSERT_EQ(got.size(), 5u);
        EXPECT_EQ(got[0], "Scenario,Installment,Highest Installment,Total Interest,Last Period,"
                          "Last Date");
        const char* names[] = {"As planned", "Variable +1%", "Variable +2%",
                               "Without extra payments"};
        for (std::size_t i = 0; i < 4; ++i) {
            const calc::Scenario& s = scenarios.All()[i];
            const calc::ScenarioFigures& f = s.figures;
            std::string expected = std::string(names[i]) + "," +
                                   calc::ScheduleCsv::Amount(f.instalment) + "," +
                                   calc::ScheduleCsv::Amount(f.highestInstalment) + "," +
                                   calc::ScheduleCsv::Amount(f.totalInterest) + "," +
                                   std::to_string(f.lastPeriod) + ",";
            if (dated) expected += calc::PaymentCalendar::Iso(*s.result.schedule->DateOf(f.lastPeriod));
            EXPECT_EQ(got[i + 1], expected);
        }
        // Plain amounts: no "$", no grouping.
        EXPECT_EQ(out.str().find_first_of("$\""), std::string::npos);
    }
}

} // namespace
