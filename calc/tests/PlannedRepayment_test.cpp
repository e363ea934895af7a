// A loan's plan through its schedule: LoanSchedule::Make with a plan, which PlannedRepayment pays.
#include "calc/LoanSchedule.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "calc/RepaymentTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
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
constexpr PlanPart V = PlanPart::Variable, F = PlanPart::Fixed;

Date D(int y, unsigned m, unsigned d) {
    return Date{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

// Payment, interest and balance of each period from..to (from 1), one after the other.
std::vector<Cents> Rows(const RepaymentSchedule& part, int from = 1, int to = 1 << 30) {
    std::vector<Cents> out;
    const auto end = std::min(part.Rows().size(), static_cast<std::size_t>(to));
    for (auto k = static_cast<std::size_t>(from - 1); k < end; ++k)
        out.insert(out.end(),
                   {part.Rows()[k].payment, part.Rows()[k].interest, part.Rows()[k].balance});
    return out;
}

enum Choices { kRateStays = 1, kLumpFollows = 2, kCarryOver = 4 };

void Choose(LoanPlan& plan, int choices) {
    plan.afterRateChange = choices & kRateStays ? calc::AfterRateChange::PaymentStays
                                                : calc::AfterRateChange::PaymentFollows;
    plan.afterLumpSum = choices & kLumpFollows ? calc::AfterLumpSum::PaymentFollows
                                               : calc::AfterLumpSum::PaymentStays;
    plan.carryOver = choices & kCarryOver;
}

LoanPlan Plan(std::vector<calc::RateChange> rates, std::vector<calc::LumpSum> lumps = {},
              std::optional<double> fixedYears = {}, std::optional<double> revert = {},
              int choices = 0) {
    LoanPlan plan;
    plan.rateChanges = std::move(rates);
    plan.lumpSums = std::move(lumps);
    plan.fixedYears = fixedYears;
    plan.revertRatePercent = revert;
    Choose(plan, choices);
    return plan;
}

// $1,000 at 12% a year in each part, monthly for a year: 1% a month, 88.85 a month each, the
// textbook case RepaymentSchedule's tests work by hand.
const LoanTerms kTextbook{1000, 12, 1000, 12, 1, 4, 0};
// clang-format off
const std::vector<Cents> kTextbookRows = {
    8885, 1000, 92115,  8885, 921, 84151,  8885, 842, 76108,  8885, 761, 67984,
    8885, 680, 59779,  8885, 598, 51492,  8885, 515, 43122,  8885, 431, 34668,
    8885, 347, 26130,  8885, 261, 17506,  8885, 175, 8796,  8884, 88, 0};
// clang-format on

std::optional<LoanSchedule> Made(const LoanTerms& terms, const LoanPlan& plan) {
    auto result = LoanSchedule::Make(terms, plan);
    EXPECT_EQ(result.problem, ScheduleProblem::None) << calc::ScheduleProblemSentence(result);
    return std::move(result.schedule);
}

TEST(PlannedRepayment, HandWorkedRatesFixedPeriodsAndLumpSums) {
    // clang-format off
    const std::vector<Cents> revertedTo6 = {
        8733, 257, 43016,  8733, 215, 34498,  8733, 172, 25937,  8733, 130, 17334,
        8733, 87, 8688,  8731, 43, 0};
    const std::vector<Cents> restStays = {
        44734, 921, 48302,  8885, 483, 39900,  8885, 399, 31414,  8885, 314, 22843,
        8885, 228, 14186,  8885, 142, 5443,  5497, 54, 0};
    const struct {
        const char* what;
        LoanPlan plan;
        PlanPart part;
        int from; // the rows before are the textbook's
        std::vector<Cents> rows;
    } cases[] = {
        // Period 4 pays 2% on 761.08 (15.22); PMT(2%, 12 - 3 = 9 periods, 761.08) = 93.244.
        {"the variable rate to 24% from period 4", Plan({{4, 24}}), V, 4, {
            9324, 1522, 68306,  9324, 1366, 60348,  9324, 1207, 52231,  9324, 1045, 43952,
            9324, 879, 35507,  9324, 710, 26893,  9324, 538, 18107,  9324, 362, 9145,
            9328, 183, 0}},
        {"the fixed part meanwhile", Plan({{4, 24}}), F, 13, {}},
        // Half a year fixed, 6 periods; then 0.5% a month: PMT(0.5%, 6, 514.92) = 87.328.
        {"the fixed period ends and reverts to 6%", Plan({}, {}, 0.5, 6), F, 7, revertedTo6},
        {"a revert rate stays when the variable rate moves", Plan({{5, 9}, {10, 3}}, {}, 0.5, 6),
         F, 7, revertedTo6},
        // 9% from period 5: PMT(0.75%, 8, 679.84) = 87.873; 3% from period 10:
        // PMT(0.25%, 3, 259.73) = 87.010.
        {"the variable rate to 9% and then 3%", Plan({{5, 9}, {10, 3}}, {}, 0.5), V, 5, {
            8787, 510, 59707,  8787, 448, 51368,  8787, 385, 42966,  8787, 322, 34501,
            8787, 259, 25973,  8701, 65, 17337,  8701, 43, 8679,  8701, 22, 0}},
        // Without a revert rate the fixed part takes the variable rate in force, 9%:
        // PMT(0.75%, 6, 514.92) = 88.087; and follows it to 3%: PMT(0.25%, 3, 260.33) = 87.211.
        {"the fixed part becomes variable", Plan({{5, 9}, {10, 3}}, {}, 0.5), F, 7, {
            8809, 386, 43069,  8809, 323, 34583,  8809, 259, 26033,  8721, 65, 17377,
            8721, 43, 8699,  8721, 22, 0}},
        // The payment stays: at 24% the balance takes NPER 9.49 periods from period 4.
        {"the payment stays at 24% and the end moves to period 13",
         Plan({{4, 24}}, {}, {}, {}, kRateStays), V, 4, {
            8885, 1522, 68745,  8885, 1375, 61235,  8885, 1225, 53575,  8885, 1072, 45762,
            8885, 915, 37792,  8885, 756, 29663,  8885, 593, 21371,  8885, 427, 12913,
            8885, 258, 4286,  4372, 86, 0}},
        {"the payment stays at 6% and the last one is smaller",
         Plan({{4, 6}}, {}, {}, {}, kRateStays), V, 4, {
            8885, 381, 67604,  8885, 338, 59057,  8885, 295, 50467,  8885, 252, 41834,
            8885, 209, 33158,  8885, 166, 24439,  8885, 122, 15676,  8885, 78, 6869,
            6903, 34, 0}},
        // 88.85 + 300 in period 2, 9.21 of it interest; then 88.85 a month on 541.51.
        {"$300: the payment stays and the part ends in period 9", Plan({}, {{2, 30000}}), V, 2, {
            38885, 921, 54151,  8885, 542, 45808,  8885, 458, 37381,  8885, 374, 28870,
            8885, 289, 20274,  8885, 203, 11592,  8885, 116, 2823,  2851, 28, 0}},
        // From period 3: PMT(1%, 12 - 2 = 10, 541.51) = 57.174; the part still ends in period 12.
        {"$300: the payment follows", Plan({}, {{2, 30000}}, {}, {}, kLumpFollows), V, 2, {
            38885, 921, 54151,  5717, 542, 48976,  5717, 490, 43749,  5717, 437, 38469,
            5717, 385, 33137,  5717, 331, 27751,  5717, 278, 22312,  5717, 223, 16818,
            5717, 168, 11269,  5717, 113, 5665,  5722, 57, 0}},
        // $1,200 is more than the 930.36 the part owes: it is cleared and the other part takes
        // the rest, 1,200 - (930.36 - 88.85) = 358.49, with its own payment.
        {"$1,200 clears the variable part", Plan({}, {{2, 120000}}), V, 2, {93036, 921, 0}},
        {"the rest goes into the fixed part", Plan({}, {{2, 120000}}), F, 2, restStays},
        {"into the fixed part first", Plan({}, {{2, 120000, F}}), F, 2, {93036, 921, 0}},
        {"its rest into the variable part", Plan({}, {{2, 120000, F}}), V, 2, restStays},
        // The part that took the rest follows too: PMT(1%, 10, 483.02) = 51.00.
        {"the rest lowers that part's payment", Plan({}, {{2, 120000}}, {}, {}, kLumpFollows),
         F, 2, {
            44734, 921, 48302,  5100, 483, 43685,  5100, 437, 39022,  5100, 390, 34312,
            5100, 343, 29555,  5100, 296, 24751,  5100, 248, 19899,  5100, 199, 14998,
            5100, 150, 10048,  5100, 100, 5048,  5098, 50, 0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto s = Made(kTextbook, c.plan);
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(Rows(s->Part(c.part), c.from), c.rows) << c.what;
        EXPECT_EQ(Rows(s->Part(c.part), 1, c.from - 1),
                  std::vector<Cents>(kTextbookRows.begin(), kTextbookRows.begin() + 3 * c.from - 3))
            << c.what;
    }
}

TEST(PlannedRepayment, APaidOffPartsPaymentGoesOnIntoTheOtherPart) {
    const auto s = Made(kTextbook, Plan({}, {{2, 30000}}, {}, {}, kCarryOver));
    ASSERT_TRUE(s);
    // The variable part ends in period 9 with 28.51 of its 88.85: the 60.34 left over and from
    // then on all 88.85 go into the fixed part.
    EXPECT_EQ(Rows(s->Fixed(), 9),
              (std::vector<Cents>{14919, 347, 20096, 17770, 201, 2527, 2552, 25, 0}));
    for (std::size_t k = 0; k + 1 < s->Periods(); ++k)
        EXPECT_EQ(s->Row(k).payment, s->Instalment() + (k == 1 ? 30000 : 0)) << k;
    EXPECT_EQ(Made(kTextbook, Plan({}, {{2, 30000}}))->Fixed().Rows().size(), 12u);
}

TEST(PlannedRepayment, RefusesAPlanTheLoanCannotFollowAndNamesThePeriod) {
    LoanPlan byDate = Plan({}, {{D(2026, 1, 1), 100}});
    byDate.start = D(2025, 1, 31);
    const struct {
        const char* what;
        LoanTerms terms;
        LoanPlan plan;
        ScheduleProblem problem;
        int period;
        const char* named;
    } cases[] = {
        // clang-format off
        {"a rate change after the last period", kTextbook, Plan({{13, 5}}),
         ScheduleProblem::EventAfterEnd, 13, "period 13"},
        {"the first of the late events", kTextbook, Plan({{40, 5}}, {{12, 100}, {30, 100}}),
         ScheduleProblem::EventAfterEnd, 30, "period 30"},
        {"a date after the end", kTextbook, byDate, ScheduleProblem::EventAfterEnd, 13, "period 13"},
        // 761.08 at 150% a year is 95.14 of interest in period 4, more than its 88.85.
        {"a payment that no longer covers the interest", kTextbook,
         Plan({{4, 150}}, {}, {}, {}, kRateStays), ScheduleProblem::PaymentBelowInterest, 4, "period 4"},
        {"nor after the fixed period", kTextbook, Plan({}, {}, 0.25, 150, kRateStays),
         ScheduleProblem::PaymentBelowInterest, 4, "period 4"},
        {"a plan wrong whatever the loan", kTextbook, Plan({}, {{0, 100}}),
         ScheduleProblem::PlanRefused, 0, "Lump sum 1"},
        {"the loan's own fault first", {-1, 12, 1000, 12, 1, 4, 0}, Plan({}, {{0, 100}}),
         ScheduleProblem::Negative, 0, ""},
        // $1 billion over 4,000 years pays 20,833.33 a month; at 0.02% a year 16,666.67 of it
        // is interest, and what is left would take 96,500 months.
        {"a payment that stays ahead of the interest by too little to list",
         {1e9, 0, 0, 0, 4000, 4, 0}, Plan({{1, 0.02}}, {}, {}, {}, kRateStays),
         ScheduleProblem::TooLarge, 1, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        const auto result = LoanSchedule::Make(c.terms, c.plan);
        EXPECT_FALSE(result.schedule) << c.what;
        EXPECT_EQ(result.problem, c.problem) << c.what;
        EXPECT_EQ(result.period, c.period) << c.what;
        const std::string sentence = calc::ScheduleProblemSentence(result);
        EXPECT_NE(sentence.find(c.named), std::string::npos) << c.what << ": " << sentence;
    }
    // The last period itself takes events; a payment that follows takes any rate.
    EXPECT_TRUE(Made(kTextbook, Plan({{12, 150}}, {{12, 100}})));
    EXPECT_TRUE(Made(kTextbook, Plan({{4, 150}})));
}

TEST(PlannedRepayment, SavingsAreAgainstTheSamePlanWithoutExtraMoney) {
    LoanTerms terms = kTextbook;
    terms.extra = 1000;
    const auto s = Made(terms, Plan({{3, 18}}, {{5, 20000, F}}));
    const auto without = Made(kTextbook, Plan({{3, 18}}));
    ASSERT_TRUE(s && without && s->TotalsWithoutExtras());
    EXPECT_EQ(s->TotalsWithoutExtras()->interest, without->Totals().interest);
    EXPECT_EQ(s->InterestSaved(), without->Totals().interest - s->Totals().interest);
    EXPECT_EQ(s->PeriodsSaved(), static_cast<int>(without->Periods() - s->Periods()));
    EXPECT_GT(s->InterestSaved(), 0);
    EXPECT_FALSE(without->TotalsWithoutExtras());
}

// What the window and the CSV read beside the rows: what happened where, each part's rate, the
// dates.
TEST(PlannedRepayment, EventsRatesAndDatesOfTheSchedule) {
    LoanPlan plan = Plan({{5, 9}, {10, 12}}, {{8, 10000, F}}, 0.5);
    plan.start = D(2025, 1, 31);
    const auto s = Made(kTextbook, plan);
    ASSERT_TRUE(s);
    using Texts = std::vector<std::string>;
    const auto texts = [&s](int period) {
        Texts out;
        for (const auto& e : s->EventsIn(period))
            out.push_back(calc::ScheduleEventText(e));
        return out;
    };
    // clang-format off
    EXPECT_EQ(texts(5), (Texts{"The variable rate changes to 9%",
                               "The variable part's installment becomes $87.87"}));
    EXPECT_TRUE(texts(6).empty());
    EXPECT_EQ(texts(7), (Texts{"The fixed period ends: the fixed part pays 9%",
                               "The fixed part's installment becomes $88.09"}));
    EXPECT_EQ(texts(8), Texts{"Lump sum of $100.00 into the fixed part"});
    EXPECT_EQ(texts(10)[2], "The fixed part follows the variable rate to 12%");
    // clang-format on
    // Period by period from 1: the variable and the fixed rate; 12% again from period 10.
    const double rates[][2] = {{12, 12}, {12, 12}, {12, 12}, {12, 12}, {9, 12},  {9, 12},
                               {9, 9},   {9, 9},   {9, 9},   {12, 12}, {12, 12}, {12, 12}};
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(s->RatePercent(V, k), rates[k - 1][0]) << k;
        EXPECT_EQ(s->RatePercent(F, k), rates[k - 1][1]) << k;
    }
    EXPECT_EQ(calc::PaymentCalendar::Iso(*s->DateOf(2)), "2025-02-28");
    EXPECT_EQ(calc::PaymentCalendar::Iso(*s->PayoffDate(V)), "2025-12-31");
    // The lump sum would have ended the fixed part sooner, but the payment that follows the rate
    // change in period 10 spreads what is left over the rest of the term.
    EXPECT_EQ(s->Fixed().Totals().payoffPeriod, 12);
    plan.rateChanges.pop_back();
    EXPECT_EQ(calc::PaymentCalendar::Iso(*Made(kTextbook, plan)->PayoffDate(F)), "2025-11-30");
    EXPECT_FALSE(Made(kTextbook, {})->DateOf(1));
}

// Seeded random loans and plans. The rate a part pays in a period is read from the plan as a
// borrower reads it, not from the schedule's events.
struct RandomCase {
    LoanTerms terms;
    LoanPlan plan;
    int lastPeriod = 0;                  // the term's
    std::map<int, double> variableRates; // from the period on
    std::optional<int> fixedPeriods;
    std::set<int> lumpPeriods;

    double Rate(PlanPart part, int period) const {
        double variable = terms.variableRatePercent;
        for (const auto& [from, rate] : variableRates)
            if (from <= period) variable = rate;
        if (part == V) return variable;
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
        return Chance(0.15) ? 0 : std::round(Pick(0, highest) * 1e3) / 1e3;
    }

    // Large loans keep a cent of rounding in a payment from adding up to a period's payment, so
    // their parts end exactly where their payments say. Lump sums up to a share of their part.
    RandomCase Case(int time, bool large, double lumpShare, bool withExtra) {
        RandomCase c;
        LoanTerms& t = c.terms;
        const double highest = large ? 10 : 15, longest = large ? 30 : 40;
        const auto amount = [&] {
            return !large && Chance(0.15) ? 0 : std::round(Pick(large ? 1e5 : 1, 2e6) * 100) / 100;
        };
        const auto years = [&] {
            return Chance(0.3) ? std::round(Pick(0.25, longest) * 4) / 4
                               : std::round(Pick(1, longest));
        };
        // Braces call them in order, so the seed makes the same loans.
        t = {amount(), Rate(highest), amount(), Rate(highest), years(), time, 0};
        if (withExtra && Chance(0.5)) t.extra = static_cast<Cents>(Pick(1, 200000));
        c.lastPeriod = LoanSchedule::Make(t).schedule->Variable().LastPeriod();
        LoanPlan& plan = c.plan;
        if (Chance(0.5)) plan.start = D(Whole(1990, 2060), Whole(1, 12), Whole(1, 28));
        // An event by date: its payment's date, or the day after the payment before.
        const auto when = [&](int period) -> calc::PlanWhen {
            if (!plan.start || !Chance(0.3)) return period;
            const calc::PaymentCalendar calendar(*plan.start, time);
            if (period == 1 || Chance(0.5)) return calendar.DateOf(period);
            return Date{std::chrono::sys_days(calendar.DateOf(period - 1)) + std::chrono::days(1)};
        };
        if (Chance(0.5)) {
            c.fixedPeriods = Whole(0, c.lastPeriod + 3);
            plan.fixedYears = *c.fixedPeriods / calc::PeriodsPerYear(time - 1);
            if (Chance(0.5)) plan.revertRatePercent = Rate(15);
        }
        for (int n = Whole(0, 6); n > 0; --n) {
            const int period = Whole(1, c.lastPeriod);
            if (c.variableRates.count(period)) continue;
            // Some to the rate already in force.
            const double rate = Chance(0.2) ? c.Rate(V, period) : Rate(15);
            c.variableRates[period] = rate;
            plan.rateChanges.push_back({when(period), rate});
        }
        for (int n = Whole(0, 4); n > 0; --n) {
            const PlanPart part = Chance(0.5) ? V : F;
            const double most = (part == V ? t.variableAmount : t.fixedAmount) * lumpShare;
            const int period = Whole(1, c.lastPeriod);
            plan.lumpSums.push_back({when(period), calc::ToCents(Pick(0, most)), part});
            c.lumpPeriods.insert(period);
        }
        Choose(plan, Whole(0, 7));
        return c;
    }
};

// Each period's interest is the balance before it times the rate in force for the period, to
// the cent; balances chain exactly; each part clears to $0.00 having repaid its amount.
void ExpectFollowsItsPlan(const LoanSchedule& s, const RandomCase& c) {
    const double perYear = calc::PeriodsPerYear(c.terms.repaymentTime - 1);
    for (const PlanPart part : {V, F}) {
        const RepaymentSchedule& p = s.Part(part);
        Cents balance = p.Amount(), principal = 0;
        for (std::size_t k = 0; k < p.Rows().size(); ++k) {
            const int period = static_cast<int>(k) + 1;
            const double rate = RepaymentSchedule::PeriodRate(c.Rate(part, period), perYear);
            const auto& row = p.Rows()[k];
            ASSERT_EQ(row.interest, static_cast<Cents>(calc::RoundHalfEven(
                                        static_cast<double>(balance) * rate, 0)))
                << period;
            ASSERT_EQ(RepaymentSchedule::PeriodRate(s.RatePercent(part, period), perYear), rate)
                << period;
            balance -= row.Principal();
            principal += row.Principal();
            ASSERT_EQ(row.balance, balance) << period;
        }
        EXPECT_EQ(balance, 0);
        EXPECT_EQ(principal, p.Amount());
    }
    Cents payments = 0;
    for (std::size_t k = 0; k < s.Periods(); ++k)
        payments += s.Row(k).payment;
    EXPECT_EQ(payments, s.Totals().payments);
}

// Four kinds of plan, a quarter of the cases each: any plan; a payment that follows both rate
// changes and lump sums, which keeps each part's end (unless a lump sum paid it off); one that
// stays after both, which keeps each part's payment outside the periods of lump sums; and one
// that changes nothing (rate changes to the rate in force or one its 15 digits cannot tell
// from it, lump sums of $0, a fixed period that reverts to its own rate or outlasts the loan),
// which gives the rows of the loan without it.
TEST(PlannedRepayment, InvariantsOverRandomLoansAndPlans) {
    enum Kind { kAny, kFollows, kStays, kNothing };
    Draw d{std::mt19937_64(20261214)};
    int made = 0;
    for (int i = 0; i < 1200; ++i) {
        SCOPED_TRACE("case " + std::to_string(i)); // the seed makes each again
        const Kind kind = static_cast<Kind>(i % 4);
        const bool oneWay = kind == kFollows || kind == kStays;
        RandomCase c = d.Case(1 + i / 4 % 5, oneWay,
                              kind == kNothing ? 0
                              : oneWay         ? 0.1
                                               : 0.5,
                              !oneWay);
        LoanPlan& plan = c.plan;
        if (kind == kNothing) plan.carryOver = false;
        if (oneWay) Choose(plan, kind == kStays ? kRateStays : kLumpFollows);
        if (kind == kNothing) {
            for (auto& change : plan.rateChanges) {
                const double same = c.terms.variableRatePercent;
                change.ratePercent = d.Chance(0.5) ? same : std::nextafter(same, 1e9);
            }
            c.variableRates.clear();
            if (d.Chance(0.5))
                plan.fixedYears = c.terms.years + 1 + d.Pick(0, 5), c.fixedPeriods.reset();
            else if (plan.fixedYears)
                plan.revertRatePercent = c.terms.fixedRatePercent;
        }
        const auto result = LoanSchedule::Make(c.terms, plan);
        if (!result.schedule) {
            // Only a payment that stays can fall behind the interest or take too long.
            EXPECT_TRUE(kind == kAny || kind == kStays);
            EXPECT_EQ(plan.afterRateChange, calc::AfterRateChange::PaymentStays);
            EXPECT_TRUE(result.problem == ScheduleProblem::PaymentBelowInterest ||
                        result.problem == ScheduleProblem::TooLarge)
                << calc::ScheduleProblemSentence(result);
            continue;
        }
        ++made;
        const LoanSchedule& s = *result.schedule;
        ExpectFollowsItsPlan(s, c);
        if (kind == kNothing) {
            const LoanSchedule plain = *LoanSchedule::Make(c.terms).schedule;
            EXPECT_EQ(Rows(plain.Variable()), Rows(s.Variable()));
            EXPECT_EQ(Rows(plain.Fixed()), Rows(s.Fixed()));
            EXPECT_EQ(plain.Instalment(), s.Instalment());
            EXPECT_EQ(plain.PeriodsSaved(), s.PeriodsSaved());
            EXPECT_EQ(plain.InterestSaved(), s.InterestSaved());
        }
        for (const PlanPart part : {V, F}) {
            const RepaymentSchedule& p = s.Part(part);
            const int payoff = p.Totals().payoffPeriod;
            if (kind == kFollows && payoff > 0) {
                EXPECT_TRUE(payoff == c.lastPeriod || c.lumpPeriods.count(payoff))
                    << "ends in " << payoff << " of " << c.lastPeriod;
            }
            for (std::size_t k = 0; kind == kStays && k + 1 < p.Rows().size(); ++k) {
                if (c.lumpPeriods.count(static_cast<int>(k) + 1)) continue;
                ASSERT_EQ(p.Rows()[k].payment, p.RegularPayment()) << k;
            }
        }
    }
    EXPECT_GT(made, 1000);
}

} // namespace
