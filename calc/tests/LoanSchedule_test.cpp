#include "calc/LoanSchedule.h"
#include "calc/NumberText.h"
#include "calc/RepaymentTable.h"
#include "calc/ScheduleCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <utility>

namespace {

using calc::Cents;
using calc::LoanSchedule;
using calc::RepaymentFields;
using calc::RepaymentSchedule;
using calc::ScheduleProblem;
using calc::ScheduleRow;

RepaymentFields Loan(const std::string& term, const std::string& variableRate,
                     const std::string& variableAmount, const std::string& fixedRate,
                     const std::string& fixedAmount) {
    return {"300000", term, "50", variableRate, variableAmount, "50", fixedRate, fixedAmount};
}

const RepaymentFields kExample = Loan("25", "6.5", "200000", "5.99", "100000");

LoanSchedule Schedule(const RepaymentFields& fields, int time, Cents extra = 0) {
    auto result = LoanSchedule::FromFields(fields, time, extra);
    EXPECT_EQ(result.problem, ScheduleProblem::None);
    return std::move(*result.schedule);
}

// The instalment cell of the results table, as a plain amount ("1994.10").
std::string TableInstalment(const RepaymentFields& fields, int time) {
    const auto table = calc::CalculateRepayments(fields, {});
    std::string text;
    for (char c : table.cells[static_cast<std::size_t>(3 * (time - 1))])
        if (c != '$' && c != ',') text += c;
    return text;
}

// What every schedule must satisfy, part by part and for the whole loan.
void ExpectBalanced(const LoanSchedule& s, const std::string& what) {
    SCOPED_TRACE(what);
    for (const RepaymentSchedule* part : {&s.Variable(), &s.Fixed()}) {
        Cents balance = part->Amount(), principal = 0, interest = 0, payments = 0;
        for (const ScheduleRow& row : part->Rows()) {
            balance -= row.Principal();
            ASSERT_EQ(row.balance, balance);
            principal += row.Principal();
            interest += row.interest;
            payments += row.payment;
        }
        EXPECT_EQ(balance, 0);
        EXPECT_EQ(principal, part->Amount());
        EXPECT_EQ(interest, payments - part->Amount());
        EXPECT_EQ(part->Totals().interest, interest);
        EXPECT_LE(static_cast<int>(part->Rows().size()), part->LastPeriod());
    }
    EXPECT_EQ(s.Totals().principal, s.Variable().Amount() + s.Fixed().Amount());
    EXPECT_EQ(s.Totals().interest, s.Totals().payments - s.Totals().principal);
    Cents loanPayments = 0;
    for (std::size_t k = 0; k < s.Periods(); ++k)
        loanPayments += s.Row(k).payment;
    EXPECT_EQ(loanPayments, s.Totals().payments);
    if (s.Periods() > 0) {
        EXPECT_EQ(s.Row(s.Periods() - 1).balance, 0);
    }
}

TEST(LoanSchedule, RegularPaymentIsTheTablesInstalmentAndTheCloserCallCarriesTheCent) {
    // The 25-year example: the exact parts' payments' fractions of a cent decide.
    const struct {
        RepaymentFields fields;
        int time;
        Cents variable, fixed;
    } cases[] = {
        {kExample, 1, 31052, 14802}, // 310.52248 + 148.01431 = 458.53679: a cent short; the
                                     // fixed part lies .43 of a cent above its cents, the
                                     // variable .25, so the fixed part carries it
        {kExample, 2, 62120, 29610}, // no cent off
        {kExample, 3, 67485, 32167}, // a cent short: variable .34 above, fixed .21
        {kExample, 4, 135041, 64369},
        {kExample, 5, 405996, 193522}, // a cent over: the variable part was rounded up the most
        {Loan("25", "5.99", "100000", "6.5", "200000"), 1, 14802, 31052}, // the other way round
    };
    for (const auto& c : cases) {
        const LoanSchedule s = Schedule(c.fields, c.time);
        EXPECT_EQ(s.Variable().RegularPayment(), c.variable) << c.time;
        EXPECT_EQ(s.Fixed().RegularPayment(), c.fixed) << c.time;
        EXPECT_EQ(calc::ScheduleCsv::Amount(s.Instalment()), TableInstalment(c.fields, c.time));
        EXPECT_EQ(s.Row(0).payment, s.Instalment());
        ExpectBalanced(s, std::to_string(c.time));
    }
}

// Seeded random loans over all five repayment times: zero and high rates, zero parts, whole and
// fractional terms, with and without an extra payment.
TEST(LoanSchedule, InvariantsOverRandomLoans) {
    std::mt19937_64 random(20261208);
    const auto pick = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const auto chance = [&](double p) { return pick(0, 1) < p; };
    for (int i = 0; i < 300; ++i) {
        const auto amount = [&] {
            return chance(0.15) ? std::string("0")
                                : calc::NumberText(std::round(pick(1, 2e6) * 100) / 100);
        };
        const double years =
            chance(0.3) ? std::round(pick(0.25, 40) * 4) / 4 : std::round(pick(1, 100));
        // Up to 100% a year over short terms; beyond, see the runaway case below.
        const auto rate = [&] {
            if (chance(0.15)) return std::string("0");
            const double highest = years <= 5 && chance(0.3) ? 100 : 15;
            return calc::NumberText(std::round(pick(0, highest) * 1000) / 1000);
        };
        const RepaymentFields fields =
            Loan(calc::NumberText(years), rate(), amount(), rate(), amount());
        const int time = 1 + i % 5;
        const Cents extra = chance(0.5) ? 0 : static_cast<Cents>(pick(1, 200000));
        const std::string what = fields[1] + "y " + fields[3] + "% " + fields[4] + " / " +
                                 fields[6] + "% " + fields[7] + " time " + std::to_string(time) +
                                 " extra " + std::to_string(extra);

        auto result = LoanSchedule::FromFields(fields, time, extra);
        ASSERT_EQ(result.problem, ScheduleProblem::None) << what;
        const LoanSchedule& s = *result.schedule;
        ExpectBalanced(s, what);
        EXPECT_EQ(calc::ScheduleCsv::Amount(s.Instalment()), TableInstalment(fields, time)) << what;
        // Each part's payment is its exact payment to within a cent.
        for (const auto& [part, rateField, amountField] :
             {std::tuple{&s.Variable(), 3, 4}, std::tuple{&s.Fixed(), 6, 7}}) {
            const double exact = *RepaymentSchedule::ExactPayment(
                {calc::TextValue(fields[amountField]), *calc::StrictNumber(fields[rateField]),
                 years, s.PeriodsPerYear()});
            EXPECT_LE(std::fabs(static_cast<double>(part->RegularPayment()) - exact * 100), 1.0)
                << what;
        }
        const LoanSchedule plain = Schedule(fields, time);
        EXPECT_LE(s.Periods(), plain.Periods()) << what;
        EXPECT_LE(s.Totals().interest, plain.Totals().interest) << what;
        EXPECT_EQ(s.PeriodsSaved(), static_cast<int>(plain.Periods() - s.Periods()));
        EXPECT_EQ(s.InterestSaved(), plain.Totals().interest - s.Totals().interest);
    }
}

TEST(LoanSchedule, ExtraGoesToTheVariablePartFirstThenTheFixedPart) {
    const LoanSchedule plain = Schedule(kExample, 4);
    const LoanSchedule s = Schedule(kExample, 4, 50000); // $500 more a month
    const auto& variable = s.Variable().Rows();
    const auto& fixed = s.Fixed().Rows();
    ASSERT_LT(variable.size(), fixed.size());
    EXPECT_EQ(variable.front().payment, s.Variable().RegularPayment() + 50000);
    EXPECT_EQ(fixed.front().payment, s.Fixed().RegularPayment());
    // The period that clears the variable part hands what is left of its extra to the fixed
    // part; from then on the fixed part takes all of it.
    const std::size_t last = variable.size() - 1;
    const Cents extraUsed =
        std::max<Cents>(0, variable[last].payment - s.Variable().RegularPayment());
    EXPECT_EQ(fixed[last].payment, s.Fixed().RegularPayment() + 50000 - extraUsed);
    EXPECT_EQ(fixed[last + 1].payment, s.Fixed().RegularPayment() + 50000);
    EXPECT_EQ(s.Row(last + 1).payment, s.Fixed().RegularPayment() + 50000);
    EXPECT_EQ(s.PeriodsSaved(), 300 - static_cast<int>(fixed.size()));
    EXPECT_GT(s.PeriodsSaved(), 0);
    EXPECT_EQ(s.InterestSaved(), plain.Totals().interest - s.Totals().interest);
    EXPECT_GT(s.InterestSaved(), 0);
    ExpectBalanced(s, "extra");
}

TEST(LoanSchedule, PartOfNothingHasNoRows) {
    const LoanSchedule s = Schedule(Loan("10", "0", "100000", "7", "0"), 4);
    EXPECT_TRUE(s.Fixed().Rows().empty());
    EXPECT_EQ(s.Periods(), 120u);
    EXPECT_EQ(s.Instalment(), 83333);
    EXPECT_EQ(s.Row(119).payment, 83373); // the last takes the rounding
    EXPECT_EQ(Schedule(Loan("10", "5", "0", "7", "0"), 2).Periods(), 0u);
}

TEST(LoanSchedule, RefusesWhatItCannotList) {
    const struct {
        RepaymentFields fields;
        Cents extra;
        ScheduleProblem problem;
    } cases[] = {
        {Loan("25", "6.5", " ", "5.99", "100000"), 0, ScheduleProblem::Incomplete},
        {Loan("25", ".", "200000", "5.99", "100000"), 0, ScheduleProblem::NotCalculable},
        {Loan("0", "6.5", "200000", "5.99", "100000"), 0, ScheduleProblem::NotCalculable},
        {Loan("100", "999", "200000", "5.99", "100000"), 0, ScheduleProblem::NotCalculable},
        // 94.665% a year over 56 years: the payment, rounded down by a fraction of a cent, falls
        // behind the interest, and that shortfall compounds beyond any amount.
        {Loan("56", "94.665", "46671.4", "0.22", "1236872.33"), 0, ScheduleProblem::Runaway},
        {Loan("25", "6.5", "-5", "5.99", "100000"), 0, ScheduleProblem::Negative},
        {Loan("25", "-1", "200000", "5.99", "100000"), 0, ScheduleProblem::Negative},
        {Loan("25", "6.5", "200000", "5.99", "100000"), -1, ScheduleProblem::Negative},
        {Loan("2000", "6.5", "200000", "5.99", "100000"), 0, ScheduleProblem::TooLarge},
        {Loan("25", "6.5", "1e15", "5.99", "100000"), 0, ScheduleProblem::TooLarge},
        {Loan("25", "6.5", "1e400", "5.99", "100000"), 0, ScheduleProblem::TooLarge},
    };
    for (const auto& c : cases) {
        const auto result = LoanSchedule::FromFields(
            c.fields, c.problem == ScheduleProblem::Runaway ? 3 : 1, c.extra);
        EXPECT_FALSE(result.schedule) << c.fields[1] << " " << c.fields[3] << " " << c.fields[4];
        EXPECT_EQ(result.problem, c.problem) << c.fields[1] << " " << c.fields[3];
        EXPECT_FALSE(calc::ScheduleProblemText(c.problem).empty());
    }
}

TEST(ScheduleCsv, HeadingThenOneLinePerPeriodInPlainAmounts) {
    const LoanSchedule s = Schedule(Loan("1", "12", "1000", "0", "0"), 4);
    const std::string csv = calc::ScheduleCsv::Text(s);
    const std::string heading =
        "Period,Variable Payment,Variable Interest,Variable Principal,Variable Balance,"
        "Fixed Payment,Fixed Interest,Fixed Principal,Fixed Balance,"
        "Loan Payment,Loan Interest,Loan Principal,Loan Balance\r\n";
    EXPECT_EQ(csv.substr(0, heading.size()), heading);
    EXPECT_NE(csv.find("\r\n1,88.85,10.00,78.85,921.15,,,,,88.85,10.00,78.85,921.15\r\n"),
              std::string::npos);
    const std::string last = "\r\n12,88.84,0.88,87.96,0.00,,,,,88.84,0.88,87.96,0.00\r\n";
    EXPECT_EQ(csv.substr(csv.size() - last.size()), last);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13);
    for (const auto& [cents, text] : {std::pair<Cents, const char*>{123456, "1234.56"},
                                      {5, "0.05"},
                                      {-25, "-0.25"},
                                      {0, "0.00"}})
        EXPECT_EQ(calc::ScheduleCsv::Amount(cents), text);
}

} // namespace
