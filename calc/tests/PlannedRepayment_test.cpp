// A loan's plan through its schedule: LoanSchedule::Make with a plan, which PlannedRepayment pays.
#include "calc/LoanSchedule.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "calc/RepaymentTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using calc::Cents;
using calc::LoanPlan;
using calc::LoanSchedule;
using calc::LoanTerms;
using calc::PlanPart;
using calc::RepaymentSchedule;
using calc::ScheduleEventKind;
using calc::ScheduleProblem;
using Date = std::chrono::year_month_day;

struct Row {
    Cents payment, interest, balance;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& r, std::ostream* out) {
    *out << "{" << r.payment << "," << r.interest << "," << r.balance << "}";
}

// The part's rows of periods from..to (from 1).
std::vector<Row> Rows(const RepaymentSchedule& part, int from = 1, int to = 1 << 30) {
    std::vector<Row> out;
    const std::size_t end = std::min(part.Rows().size(), static_cast<std::size_t>(to));
    for (std::size_t k = static_cast<std::size_t>(from - 1); k < end; ++k)
        out.push_back({part.Rows()[k].payment, part.Rows()[k].interest, part.Rows()[k].balance});
    return out;
}

LoanTerms Terms(double variable, double variableRate, double fixed, double fixedRate,
                double years = 1, int time = 4, Cents extra = 0) {
    return {variable, variableRate, fixed, fixedRate, years, time, extra};
}

// $1,000 at 12% a year in each part, monthly for a year: 1% a month, 88.85 a month each, the
// textbook case RepaymentSchedule's tests work by hand.
const LoanTerms kTextbook = Terms(1000, 12, 1000, 12);
const std::vector<Row> kTextbookRows = {{8885, 1000, 92115}, {8885, 921, 84151}, {8885, 842, 76108},
                                        {8885, 761, 67984},  {8885, 680, 59779}, {8885, 598, 51492},
                                        {8885, 515, 43122},  {8885, 431, 34668}, {8885, 347, 26130},
                                        {8885, 261, 17506},  {8885, 175, 8796},  {8884, 88, 0}};

LoanPlan Plan(const std::function<void(LoanPlan&)>& fill) {
    LoanPlan plan;
    fill(plan);
    return plan;
}

std::optional<LoanSchedule> Made(const LoanTerms& terms, const LoanPlan& plan) {
    auto result = LoanSchedule::Make(terms, plan);
    EXPECT_EQ(result.problem, ScheduleProblem::None) << calc::ScheduleProblemSentence(result);
    return std::move(result.schedule);
}

TEST(PlannedRepayment, RatesChangeFromTheirPeriodAndThePaymentFollowsOverThePeriodsLeft) {
    const struct {
        const char* what;
        LoanPlan plan;
        PlanPart part;
        int from;
        std::vector<Row> rows;
    } cases[] = {
        // Period 4 pays 2% on 761.08 (15.22); PMT(2%, 12 - 3 = 9 periods, 761.08) = 93.244.
        {"the variable rate to 24% from period 4",
         Plan([](LoanPlan& p) {
             p.rateChanges = {{4, 24}};
         }),
         PlanPart::Variable,
         4,
         {{9324, 1522, 68306},
          {9324, 1366, 60348},
          {9324, 1207, 52231},
          {9324, 1045, 43952},
          {9324, 879, 35507},
          {9324, 710, 26893},
          {9324, 538, 18107},
          {9324, 362, 9145},
          {9328, 183, 0}}},
        {"the fixed part meanwhile", Plan([](LoanPlan& p) {
             p.rateChanges = {{4, 24}};
         }),
         PlanPart::Fixed, 1, kTextbookRows},
        // Half a year fixed: 6 periods at 12%, then 0.5% a month; PMT(0.5%, 6, 514.92) = 87.328.
        {"the fixed period ends after 6 periods and reverts to 6%",
         Plan([](LoanPlan& p) {
             p.fixedYears = 0.5;
             p.revertRatePercent = 6;
         }),
         PlanPart::Fixed,
         7,
         {{8733, 257, 43016},
          {8733, 215, 34498},
          {8733, 172, 25937},
          {8733, 130, 17334},
          {8733, 87, 8688},
          {8731, 43, 0}}},
        {"a revert rate is kept when the variable rate moves",
         Plan([](LoanPlan& p) {
             p.fixedYears = 0.5;
             p.revertRatePercent = 6;
             p.rateChanges = {{5, 9}, {10, 3}};
         }),
         PlanPart::Fixed,
         7,
         {{8733, 257, 43016},
          {8733, 215, 34498},
          {8733, 172, 25937},
          {8733, 130, 17334},
          {8733, 87, 8688},
          {8731, 43, 0}}},
        // 9% from period 5: PMT(0.75%, 8, 679.84) = 87.873; 3% from period 10:
        // PMT(0.25%, 3, 259.73) = 87.010.
        {"the variable rate to 9% and then 3%",
         Plan([](LoanPlan& p) {
             p.fixedYears = 0.5;
             p.rateChanges = {{5, 9}, {10, 3}};
         }),
         PlanPart::Variable,
         5,
         {{8787, 510, 59707},
          {8787, 448, 51368},
          {8787, 385, 42966},
          {8787, 322, 34501},
          {8787, 259, 25973},
          {8701, 65, 17337},
          {8701, 43, 8679},
          {8701, 22, 0}}},
        // Without a revert rate the fixed part takes the variable rate in force, 9%:
        // PMT(0.75%, 6, 514.92) = 88.087; and follows it to 3%: PMT(0.25%, 3, 260.33) = 87.211.
        {"the fixed part becomes variable",
         Plan([](LoanPlan& p) {
             p.fixedYears = 0.5;
             p.rateChanges = {{5, 9}, {10, 3}};
         }),
         PlanPart::Fixed,
         7,
         {{8809, 386, 43069},
          {8809, 323, 34583},
          {8809, 259, 26033},
          {8721, 65, 17377},
          {8721, 43, 8699},
          {8721, 22, 0}}},
        // The payment stays: the balance takes longer at 24%, NPER 9.49 periods from period 4.
        {"the payment stays at 24% and the end moves to period 13",
         Plan([](LoanPlan& p) {
             p.rateChanges = {{4, 24}};
             p.afterRateChange = calc::AfterRateChange::PaymentStays;
         }),
         PlanPart::Variable,
         4,
         {{8885, 1522, 68745},
          {8885, 1375, 61235},
          {8885, 1225, 53575},
          {8885, 1072, 45762},
          {8885, 915, 37792},
          {8885, 756, 29663},
          {8885, 593, 21371},
          {8885, 427, 12913},
          {8885, 258, 4286},
          {4372, 86, 0}}},
        {"the payment stays at 6% and the last payment is smaller",
         Plan([](LoanPlan& p) {
             p.rateChanges = {{4, 6}};
             p.afterRateChange = calc::AfterRateChange::PaymentStays;
         }),
         PlanPart::Variable,
         4,
         {{8885, 381, 67604},
          {8885, 338, 59057},
          {8885, 295, 50467},
          {8885, 252, 41834},
          {8885, 209, 33158},
          {8885, 166, 24439},
          {8885, 122, 15676},
          {8885, 78, 6869},
          {6903, 34, 0}}},
    };
    for (const auto& c : cases) {
        const auto s = Made(kTextbook, c.plan);
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(Rows(s->Part(c.part), c.from), c.rows) << c.what;
        EXPECT_EQ(Rows(s->Part(c.part), 1, c.from - 1),
                  std::vector<Row>(kTextbookRows.begin(), kTextbookRows.begin() + c.from - 1))
            << c.what;
    }
}

TEST(PlannedRepayment, LumpSumsArePaidWithTheirPeriodsPaymentIntoTheirPartFirst) {
    const auto lump = [](Cents amount, PlanPart part, calc::AfterLumpSum after) {
        return Plan([=](LoanPlan& p) {
            p.lumpSums = {{2, amount, part}};
            p.afterLumpSum = after;
        });
    };
    const auto stays = calc::AfterLumpSum::PaymentStays;
    const auto follows = calc::AfterLumpSum::PaymentFollows;
    const std::vector<Row> restStays = {{44734, 921, 48302}, {8885, 483, 39900}, {8885, 399, 31414},
                                        {8885, 314, 22843},  {8885, 228, 14186}, {8885, 142, 5443},
                                        {5497, 54, 0}};
    const struct {
        const char* what;
        LoanPlan plan;
        PlanPart part;
        std::vector<Row> rows; // from period 2
    } cases[] = {
        // 88.85 + 300 = 388.85 in period 2, 9.21 of it interest; then 88.85 a month on 541.51.
        {"$300: the payment stays and the part ends in period 9",
         lump(30000, PlanPart::Variable, stays),
         PlanPart::Variable,
         {{38885, 921, 54151},
          {8885, 542, 45808},
          {8885, 458, 37381},
          {8885, 374, 28870},
          {8885, 289, 20274},
          {8885, 203, 11592},
          {8885, 116, 2823},
          {2851, 28, 0}}},
        // From period 3: PMT(1%, 12 - 2 = 10, 541.51) = 57.174; the part still ends in period 12.
        {"$300: the payment follows",
         lump(30000, PlanPart::Variable, follows),
         PlanPart::Variable,
         {{38885, 921, 54151},
          {5717, 542, 48976},
          {5717, 490, 43749},
          {5717, 437, 38469},
          {5717, 385, 33137},
          {5717, 331, 27751},
          {5717, 278, 22312},
          {5717, 223, 16818},
          {5717, 168, 11269},
          {5717, 113, 5665},
          {5722, 57, 0}}},
        // $1,200 is more than the 930.36 the part owes: it is cleared and the other part takes
        // the rest, 1,200 - (930.36 - 88.85) = 358.49, with its own payment.
        {"$1,200 into the variable part clears it",
         lump(120000, PlanPart::Variable, stays),
         PlanPart::Variable,
         {{93036, 921, 0}}},
        {"the rest goes into the fixed part", lump(120000, PlanPart::Variable, stays),
         PlanPart::Fixed, restStays},
        {"into the fixed part, the rest into the variable part",
         lump(120000, PlanPart::Fixed, stays), PlanPart::Variable, restStays},
        {"into the fixed part first",
         lump(120000, PlanPart::Fixed, stays),
         PlanPart::Fixed,
         {{93036, 921, 0}}},
        // The part that took the rest follows too: PMT(1%, 10, 483.02) = 51.00.
        {"the rest lowers the other part's payment when it follows",
         lump(120000, PlanPart::Variable, follows),
         PlanPart::Fixed,
         {{44734, 921, 48302},
          {5100, 483, 43685},
          {5100, 437, 39022},
          {5100, 390, 34312},
          {5100, 343, 29555},
          {5100, 296, 24751},
          {5100, 248, 19899},
          {5100, 199, 14998},
          {5100, 150, 10048},
          {5100, 100, 5048},
          {5098, 50, 0}}},
    };
    for (const auto& c : cases) {
        const auto s = Made(kTextbook, c.plan);
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(Rows(s->Part(c.part), 2), c.rows) << c.what;
    }
}

TEST(PlannedRepayment, APaidOffPartsPaymentGoesOnIntoTheOtherPart) {
    LoanPlan plan;
    plan.lumpSums = {{2, 30000}};
    plan.carryOver = true;
    const auto s = Made(kTextbook, plan);
    ASSERT_TRUE(s);
    // The variable part ends in period 9 with 28.51 of its 88.85: the 60.34 left over and from
    // then on all 88.85 go into the fixed part.
    EXPECT_EQ(Rows(s->Fixed(), 9),
              (std::vector<Row>{{14919, 347, 20096}, {17770, 201, 2527}, {2552, 25, 0}}));
    for (std::size_t k = 0; k + 1 < s->Periods(); ++k)
        EXPECT_EQ(s->Row(k).payment, s->Instalment() + (k == 1 ? 30000 : 0)) << k;
    // Without it the fixed part runs its term.
    plan.carryOver = false;
    EXPECT_EQ(Made(kTextbook, plan)->Fixed().Rows().size(), 12u);
}

TEST(PlannedRepayment, RefusesAPlanTheLoanCannotFollowAndNamesThePeriod) {
    const auto stays = calc::AfterRateChange::PaymentStays;
    const struct {
        const char* what;
        LoanTerms terms;
        LoanPlan plan;
        ScheduleProblem problem;
        int period;
        const char* named;
    } cases[] = {
        {"a rate change after the last period", kTextbook, Plan([](LoanPlan& p) {
             p.rateChanges = {{13, 5}};
         }),
         ScheduleProblem::EventAfterEnd, 13, "period 13"},
        {"the first of the late events", kTextbook, Plan([](LoanPlan& p) {
             p.rateChanges = {{40, 5}};
             p.lumpSums = {{12, 100}, {30, 100}};
         }),
         ScheduleProblem::EventAfterEnd, 30, "period 30"},
        {"a date after the end", kTextbook, Plan([](LoanPlan& p) {
             p.start = Date{std::chrono::year(2025), std::chrono::month(1), std::chrono::day(31)};
             p.lumpSums = {
                 {Date{std::chrono::year(2026), std::chrono::month(1), std::chrono::day(1)}, 100}};
         }),
         ScheduleProblem::EventAfterEnd, 13, "period 13"},
        // 761.08 at 150% a year is 95.14 of interest in period 4, more than its 88.85.
        {"a payment that no longer covers the interest", kTextbook, Plan([&](LoanPlan& p) {
             p.rateChanges = {{4, 150}};
             p.afterRateChange = stays;
         }),
         ScheduleProblem::PaymentBelowInterest, 4, "period 4"},
        {"the fixed part's reversion too", kTextbook, Plan([&](LoanPlan& p) {
             p.fixedYears = 0.25;
             p.revertRatePercent = 150;
             p.afterRateChange = stays;
         }),
         ScheduleProblem::PaymentBelowInterest, 4, "period 4"},
        {"a plan wrong whatever the loan", kTextbook, Plan([](LoanPlan& p) {
             p.lumpSums = {{0, 100}};
         }),
         ScheduleProblem::PlanRefused, 0, "Lump sum 1"},
        {"the loan's own fault first", Terms(-1, 12, 1000, 12), Plan([](LoanPlan& p) {
             p.lumpSums = {{0, 100}};
         }),
         ScheduleProblem::Negative, 0, ""},
        // $1 billion over 4,000 years pays 20,833.33 a month; at 0.02% a year 16,666.67 of it
        // is interest, and what is left would take 96,500 months.
        {"a payment that stays ahead of the interest by too little to list",
         Terms(1e9, 0, 0, 0, 4000), Plan([&](LoanPlan& p) {
             p.rateChanges = {{1, 0.02}};
             p.afterRateChange = stays;
         }),
         ScheduleProblem::TooLarge, 1, ""},
    };
    for (const auto& c : cases) {
        const auto result = LoanSchedule::Make(c.terms, c.plan);
        EXPECT_FALSE(result.schedule) << c.what;
        EXPECT_EQ(result.problem, c.problem) << c.what;
        EXPECT_EQ(result.period, c.period) << c.what;
        const std::string sentence = calc::ScheduleProblemSentence(result);
        EXPECT_NE(sentence.find(c.named), std::string::npos) << c.what << ": " << sentence;
    }
    // The last period itself takes events; the payment that follows takes any rate.
    EXPECT_TRUE(Made(kTextbook, Plan([](LoanPlan& p) {
                         p.rateChanges = {{12, 150}};
                         p.lumpSums = {{12, 100}};
                     })));
    EXPECT_TRUE(Made(kTextbook, Plan([](LoanPlan& p) { p.rateChanges = {{4, 150}}; })));
}

TEST(PlannedRepayment, SavingsAreAgainstTheSamePlanWithoutExtraMoney) {
    LoanPlan plan;
    plan.rateChanges = {{3, 18}};
    plan.lumpSums = {{5, 20000, PlanPart::Fixed}};
    LoanTerms terms = kTextbook;
    terms.extra = 1000;
    const auto s = Made(terms, plan);
    ASSERT_TRUE(s);
    LoanPlan plain = plan;
    plain.lumpSums.clear();
    const auto without = Made(kTextbook, plain);
    ASSERT_TRUE(s->TotalsWithoutExtras());
    EXPECT_EQ(s->TotalsWithoutExtras()->interest, without->Totals().interest);
    EXPECT_EQ(s->InterestSaved(), without->Totals().interest - s->Totals().interest);
    EXPECT_EQ(s->PeriodsSaved(), static_cast<int>(without->Periods() - s->Periods()));
    EXPECT_GT(s->InterestSaved(), 0);
    EXPECT_FALSE(Made(kTextbook, plain)->TotalsWithoutExtras());
}

// What the window and the CSV read beside the rows: what happened where, each part's rate, the
// dates.
TEST(PlannedRepayment, EventsRatesAndDatesOfTheSchedule) {
    LoanPlan plan;
    plan.start = Date{std::chrono::year(2025), std::chrono::month(1), std::chrono::day(31)};
    plan.fixedYears = 0.5;
    plan.rateChanges = {{5, 9}, {10, 12}};
    plan.lumpSums = {{8, 10000, PlanPart::Fixed}};
    const auto s = Made(kTextbook, plan);
    ASSERT_TRUE(s);
    const auto kinds = [&s](int period) {
        std::vector<std::pair<PlanPart, ScheduleEventKind>> out;
        for (const auto& e : s->EventsIn(period))
            out.emplace_back(e.part, e.kind);
        return out;
    };
    using K = ScheduleEventKind;
    EXPECT_EQ(kinds(5),
              (std::vector<std::pair<PlanPart, K>>{{PlanPart::Variable, K::RateChange},
                                                   {PlanPart::Variable, K::PaymentChange}}));
    EXPECT_EQ(kinds(7), (std::vector<std::pair<PlanPart, K>>{{PlanPart::Fixed, K::FixedPeriodEnd},
                                                             {PlanPart::Fixed, K::PaymentChange}}));
    EXPECT_EQ(kinds(8), (std::vector<std::pair<PlanPart, K>>{{PlanPart::Fixed, K::LumpSum}}));
    EXPECT_TRUE(kinds(6).empty());
    EXPECT_EQ(s->EventsIn(7)[1].amount, 8809);
    // 12% again from period 10: back to the rate the fixed part started with.
    const struct {
        int period;
        double variable, fixed;
    } rates[] = {{1, 12, 12}, {4, 12, 12}, {5, 9, 12},   {6, 9, 12},
                 {7, 9, 9},   {9, 9, 9},   {10, 12, 12}, {12, 12, 12}};
    for (const auto& r : rates) {
        EXPECT_EQ(s->RatePercent(PlanPart::Variable, r.period), r.variable) << r.period;
        EXPECT_EQ(s->RatePercent(PlanPart::Fixed, r.period), r.fixed) << r.period;
    }
    ASSERT_TRUE(s->HasDates());
    EXPECT_EQ(calc::PaymentCalendar::Iso(*s->DateOf(2)), "2025-02-28");
    EXPECT_EQ(calc::PaymentCalendar::Iso(*s->PayoffDate(PlanPart::Variable)), "2025-12-31");
    // The lump sum would have ended the fixed part sooner, but the payment that follows the rate
    // change in period 10 spreads what is left over the rest of the term.
    EXPECT_EQ(s->Fixed().Totals().payoffPeriod, 12);
    EXPECT_EQ(s->EventsIn(10).back().amount, 5426);
    plan.rateChanges.pop_back();
    EXPECT_EQ(calc::PaymentCalendar::Iso(*Made(kTextbook, plan)->PayoffDate(PlanPart::Fixed)),
              "2025-11-30");
    EXPECT_FALSE(Made(kTextbook, {})->DateOf(1));
}

// Seeded random loans and plans. What the plan means for each part's rate is read from the plan
// as a borrower reads it, period by period, not from the schedule's events.
struct RandomCase {
    LoanTerms terms;
    LoanPlan plan;
    int lastPeriod = 0;                  // the term's
    std::map<int, double> variableRates; // from the period on
    std::optional<int> fixedPeriods;
    std::set<int> lumpPeriods;
    std::string what;

    double PeriodsPerYear() const { return calc::PeriodsPerYear(terms.repaymentTime - 1); }
    double Rate(PlanPart part, int period) const {
        double variable = terms.variableRatePercent;
        for (const auto& [from, rate] : variableRates)
            if (from <= period) variable = rate;
        if (part == PlanPart::Variable) return variable;
        if (!fixedPeriods || period <= *fixedPeriods) return terms.fixedRatePercent;
        return plan.revertRatePercent.value_or(variable);
    }
};

struct Draw {
    std::mt19937_64 random;
    double Pick(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    }
    int Whole(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool Chance(double p) { return Pick(0, 1) < p; }
    double Rate(double highest) {
        return Chance(0.15) ? 0 : std::round(Pick(0, highest) * 1000) / 1000;
    }
};

// Large loans keep a cent of rounding in the payment from adding up to a period's payment, so
// their parts end exactly where their payments say.
LoanTerms RandomTerms(Draw& d, int time, bool large) {
    const auto amount = [&] {
        if (!large && d.Chance(0.15)) return 0.0;
        return std::round(d.Pick(large ? 1e5 : 1, 2e6) * 100) / 100;
    };
    LoanTerms t;
    t.variableAmount = amount();
    t.variableRatePercent = d.Rate(large ? 10 : 15);
    t.fixedAmount = amount();
    t.fixedRatePercent = d.Rate(large ? 10 : 15);
    t.years = d.Chance(0.3) ? std::round(d.Pick(0.25, large ? 30 : 40) * 4) / 4
                            : std::round(d.Pick(1, large ? 30 : 40));
    t.repaymentTime = time;
    return t;
}

struct PlanDraw {
    int rateChanges = 6;
    int lumpSums = 4;
    double lumpShare = 0.5; // of the part's amount, at most
};

RandomCase RandomPlan(Draw& d, const LoanTerms& terms, const PlanDraw& how) {
    RandomCase c;
    c.terms = terms;
    c.lastPeriod = LoanSchedule::Make(terms).schedule->Variable().LastPeriod();
    LoanPlan& plan = c.plan;
    std::optional<calc::PaymentCalendar> calendar;
    if (d.Chance(0.5)) {
        plan.start = Date{std::chrono::year(d.Whole(1990, 2060)),
                          std::chrono::month(static_cast<unsigned>(d.Whole(1, 12))),
                          std::chrono::day(static_cast<unsigned>(d.Whole(1, 28 + d.Whole(0, 3))))};
        if (!plan.start->ok()) plan.start = {};
        if (plan.start) calendar.emplace(*plan.start, terms.repaymentTime);
    }
    // An event by date: its payment's date, or the day after the payment before.
    const auto when = [&](int period) -> calc::PlanWhen {
        if (!calendar || !d.Chance(0.3)) return period;
        if (period == 1 || d.Chance(0.5)) return calendar->DateOf(period);
        return Date{std::chrono::sys_days(calendar->DateOf(period - 1)) + std::chrono::days(1)};
    };
    if (d.Chance(0.5)) {
        c.fixedPeriods = d.Whole(0, c.lastPeriod + 3);
        plan.fixedYears = *c.fixedPeriods / c.PeriodsPerYear();
        if (d.Chance(0.5)) plan.revertRatePercent = d.Rate(15);
    }
    for (int n = d.Whole(0, how.rateChanges); n > 0; --n) {
        const int period = d.Whole(1, c.lastPeriod);
        if (c.variableRates.count(period)) continue;
        // Some to the rate already in force.
        const double rate = d.Chance(0.2) ? c.Rate(PlanPart::Variable, period) : d.Rate(15);
        c.variableRates[period] = rate;
        plan.rateChanges.push_back({when(period), rate});
    }
    for (int n = d.Whole(0, how.lumpSums); n > 0; --n) {
        const PlanPart part = d.Chance(0.5) ? PlanPart::Variable : PlanPart::Fixed;
        const double amount = part == PlanPart::Variable ? terms.variableAmount : terms.fixedAmount;
        const int period = d.Whole(1, c.lastPeriod);
        plan.lumpSums.push_back(
            {when(period), calc::ToCents(d.Pick(0, amount * how.lumpShare)), part});
        c.lumpPeriods.insert(period);
    }
    plan.afterRateChange =
        d.Chance(0.5) ? calc::AfterRateChange::PaymentFollows : calc::AfterRateChange::PaymentStays;
    plan.afterLumpSum =
        d.Chance(0.5) ? calc::AfterLumpSum::PaymentStays : calc::AfterLumpSum::PaymentFollows;
    plan.carryOver = d.Chance(0.3);
    c.what = calc::NumberText(terms.variableAmount) + " at " +
             calc::NumberText(terms.variableRatePercent) + "% / " +
             calc::NumberText(terms.fixedAmount) + " at " +
             calc::NumberText(terms.fixedRatePercent) + "%, " + calc::NumberText(terms.years) +
             " years, time " + std::to_string(terms.repaymentTime) + ", extra " +
             std::to_string(terms.extra) + "; " + std::to_string(plan.rateChanges.size()) +
             " rate changes, " + std::to_string(plan.lumpSums.size()) + " lump sums, fixed " +
             std::to_string(c.fixedPeriods.value_or(-1)) + " periods";
    return c;
}

// Each period's interest is the balance before it times the rate in force for the period, to
// the cent; balances chain exactly; each part clears to $0.00 having repaid its amount.
void ExpectFollowsItsPlan(const LoanSchedule& s, const RandomCase& c) {
    SCOPED_TRACE(c.what);
    for (const PlanPart part : {PlanPart::Variable, PlanPart::Fixed}) {
        const RepaymentSchedule& p = s.Part(part);
        Cents balance = p.Amount(), principal = 0;
        for (std::size_t k = 0; k < p.Rows().size(); ++k) {
            const int period = static_cast<int>(k) + 1;
            const double rate =
                RepaymentSchedule::PeriodRate(c.Rate(part, period), c.PeriodsPerYear());
            const auto& row = p.Rows()[k];
            ASSERT_EQ(row.interest, static_cast<Cents>(calc::RoundHalfEven(
                                        static_cast<double>(balance) * rate, 0)))
                << "period " << period;
            ASSERT_EQ(
                RepaymentSchedule::PeriodRate(s.RatePercent(part, period), c.PeriodsPerYear()),
                rate)
                << "period " << period;
            balance -= row.Principal();
            principal += row.Principal();
            ASSERT_EQ(row.balance, balance) << "period " << period;
        }
        EXPECT_EQ(balance, 0);
        EXPECT_EQ(principal, p.Amount());
    }
    EXPECT_EQ(s.Totals().principal, s.Variable().Amount() + s.Fixed().Amount());
    Cents payments = 0;
    for (std::size_t k = 0; k < s.Periods(); ++k)
        payments += s.Row(k).payment;
    EXPECT_EQ(payments, s.Totals().payments);
    EXPECT_TRUE(std::is_sorted(s.Events().begin(), s.Events().end(),
                               [](const auto& a, const auto& b) { return a.period < b.period; }));
}

TEST(PlannedRepayment, InvariantsOverRandomLoansAndPlans) {
    Draw d{std::mt19937_64(20261214)};
    int made = 0;
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        LoanTerms terms = RandomTerms(d, 1 + i % 5, false);
        terms.extra = d.Chance(0.5) ? 0 : static_cast<Cents>(d.Pick(1, 200000));
        const RandomCase c = RandomPlan(d, terms, {});
        const auto result = LoanSchedule::Make(c.terms, c.plan);
        if (!result.schedule) {
            // Only a payment that stays can fall behind the interest or take too long.
            EXPECT_EQ(c.plan.afterRateChange, calc::AfterRateChange::PaymentStays) << c.what;
            EXPECT_TRUE(result.problem == ScheduleProblem::PaymentBelowInterest ||
                        result.problem == ScheduleProblem::TooLarge)
                << c.what << ": " << calc::ScheduleProblemSentence(result);
            continue;
        }
        ++made;
        ExpectFollowsItsPlan(*result.schedule, c);
    }
    EXPECT_GT(made, count * 3 / 4);
}

TEST(PlannedRepayment, APaymentThatFollowsKeepsTheEndAndOneThatStaysKeepsThePayment) {
    Draw d{std::mt19937_64(77001)};
    for (int i = 0; i < 300; ++i) {
        const bool follows = i % 2 == 0;
        RandomCase c = RandomPlan(d, RandomTerms(d, 1 + i / 2 % 5, true), {6, 4, 0.1});
        c.plan.carryOver = false;
        c.plan.afterRateChange =
            follows ? calc::AfterRateChange::PaymentFollows : calc::AfterRateChange::PaymentStays;
        c.plan.afterLumpSum =
            follows ? calc::AfterLumpSum::PaymentFollows : calc::AfterLumpSum::PaymentStays;
        const auto result = LoanSchedule::Make(c.terms, c.plan);
        if (!follows && !result.schedule) continue;
        ASSERT_TRUE(result.schedule) << c.what << ": " << calc::ScheduleProblemSentence(result);
        const LoanSchedule& s = *result.schedule;
        ExpectFollowsItsPlan(s, c);
        for (const PlanPart part : {PlanPart::Variable, PlanPart::Fixed}) {
            const RepaymentSchedule& p = s.Part(part);
            if (p.Rows().empty()) continue;
            const int payoff = p.Totals().payoffPeriod;
            if (follows) {
                // Unless a lump sum paid it off.
                EXPECT_TRUE(payoff == c.lastPeriod || c.lumpPeriods.count(payoff))
                    << c.what << ": ends in " << payoff << " of " << c.lastPeriod;
                continue;
            }
            for (std::size_t k = 0; k + 1 < p.Rows().size(); ++k) {
                if (c.lumpPeriods.count(static_cast<int>(k) + 1)) continue;
                ASSERT_EQ(p.Rows()[k].payment, p.RegularPayment()) << c.what << " " << k;
            }
        }
        if (!follows) {
            EXPECT_TRUE(std::none_of(s.Events().begin(), s.Events().end(), [](const auto& e) {
                return e.kind == ScheduleEventKind::PaymentChange;
            })) << c.what;
        }
    }
}

// Rate changes to the rate in force (or one the rate's 15 digits cannot tell from it), lump
// sums of $0, a fixed period that reverts to its own rate or outlasts the loan, a start date:
// row for row the schedule without them, by either choice.
TEST(PlannedRepayment, APlanThatChangesNothingGivesTodaysSchedule) {
    Draw d{std::mt19937_64(5150)};
    for (int i = 0; i < 300; ++i) {
        LoanTerms terms = RandomTerms(d, 1 + i % 5, false);
        terms.extra = d.Chance(0.5) ? 0 : static_cast<Cents>(d.Pick(1, 200000));
        RandomCase c = RandomPlan(d, terms, {6, 4, 0});
        c.plan.carryOver = false;
        for (auto& change : c.plan.rateChanges)
            change.ratePercent = d.Chance(0.5) ? terms.variableRatePercent
                                               : std::nextafter(terms.variableRatePercent, 1e9);
        if (d.Chance(0.5)) {
            c.plan.fixedYears = terms.years + 1 + d.Pick(0, 5);
        } else if (c.plan.fixedYears) {
            c.plan.revertRatePercent = terms.fixedRatePercent;
        }
        const auto plain = LoanSchedule::Make(terms);
        const auto planned = LoanSchedule::Make(terms, c.plan);
        ASSERT_TRUE(plain.schedule && planned.schedule) << c.what;
        const LoanSchedule& a = *plain.schedule;
        const LoanSchedule& b = *planned.schedule;
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Rows(a.Variable()), Rows(b.Variable()));
        EXPECT_EQ(Rows(a.Fixed()), Rows(b.Fixed()));
        EXPECT_EQ(a.Instalment(), b.Instalment());
        EXPECT_EQ(a.Totals().interest, b.Totals().interest);
        EXPECT_EQ(a.PeriodsSaved(), b.PeriodsSaved());
        EXPECT_EQ(a.InterestSaved(), b.InterestSaved());
    }
}

} // namespace
