#include "calc/LoanSplit.h"
#include "calc/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

using calc::LoanFields;
using calc::SplitLoan;

// Fields 0, 2, 4, 5, 7 of a loan; the others hold marker texts that must never change.
LoanFields Loan(const char* principal, const char* variablePercent, const char* variableAmount,
                const char* fixedPercent, const char* fixedAmount) {
    return {principal,    "25",   variablePercent, "6.5", variableAmount,
            fixedPercent, "5.99", fixedAmount,     "CODE"};
}

TEST(SplitLoan, RewritesTheDependentFields) {
    const struct {
        const char* name;
        LoanFields before;
        int changed;
        LoanFields after;
    } cases[] = {
        {"variable percent sets the rest", Loan("200000", "60", "", "", ""), 2,
         Loan("200000", "60", "120000", "40", "80000")},
        {"amounts may miss the principal by rounding", Loan("100000", "33.3333", "", "", ""), 2,
         Loan("100000", "33.3333", "33333.3", "66.667", "66667")},
        {"variable amount", Loan("300000", "", "100000", "", ""), 4,
         Loan("300000", "33.333", "100000", "66.667", "200000")},
        {"fixed amount", Loan("300000", "", "", "", "100000"), 7,
         Loan("300000", "66.667", "200000", "33.333", "100000")},
        {"half a cent goes to the even cent", Loan("1", "12.5", "", "", ""), 2,
         Loan("1", "12.5", "0.12", "87.5", "0.88")},
        {"and up when that is even", Loan("1", "37.5", "", "", ""), 2,
         Loan("1", "37.5", "0.38", "62.5", "0.62")},
        {"amount above the principal", Loan("100000", "", "150000", "", ""), 4,
         Loan("100000", "150", "150000", "-50", "-50000")},
        {"principal leaves the percents", Loan("250000", "40", "1", "60", "2"), 0,
         Loan("250000", "40", "100000", "60", "150000")},
        {"fixed percent", Loan("250000", "", "", "25", ""), 5,
         Loan("250000", "75", "187500", "25", "62500")},
        {"empty principal", Loan("", "70", "", "", ""), 2, Loan("", "70", "0", "30", "0")},
        {"zero principal and an amount", Loan("0", "1", "70", "2", "3"), 4,
         Loan("0", "1", "70", "2", "3")},
        {"negative principal becomes 0", Loan("-5", "40", "1", "60", "2"), 0,
         Loan("0", "40", "1", "60", "2")},
        {"negative variable percent", Loan("1000", "-1", "1", "2", "3"), 2,
         Loan("1000", "-1", "1", "2", "3")},
        {"negative principal skips only the own rewrite", Loan("-100", "40", "1", "60", "2"), 2,
         Loan("-100", "40", "1", "60", "-60")},
        {"fixed percent with a negative principal", Loan("-100", "40", "1", "60", "2"), 5,
         Loan("-100", "40", "1", "60", "2")},
        {"negative fixed percent leaves the fixed amount", Loan("1000", "", "", "-10", "5"), 5,
         Loan("1000", "110", "1100", "-10", "5")},
        {"negative fixed amount", Loan("1000", "1", "2", "3", "-4"), 7,
         Loan("1000", "1", "2", "3", "-4")},
        {"text that is no number reads as 0", Loan("abc", "50", "", "", ""), 2,
         Loan("abc", "50", "0", "50", "0")},
    };
    for (const auto& c : cases) {
        const auto result = SplitLoan(c.before, c.changed);
        EXPECT_FALSE(result.failed) << c.name;
        EXPECT_EQ(result.fields, c.after) << c.name;
    }
}

TEST(SplitLoan, OtherFieldsChangeNothing) {
    const LoanFields loan = Loan("1000", "10", "5", "20", "7");
    for (const int index : {1, 3, 6, 8, -1, 9, 1000}) {
        const auto result = SplitLoan(loan, index);
        EXPECT_FALSE(result.failed);
        EXPECT_EQ(result.fields, loan) << index;
    }
}

TEST(SplitLoan, AFailureKeepsWhatWasWrittenBeforeIt) {
    const struct {
        const char* name;
        LoanFields before;
        int changed;
        LoanFields after;
    } cases[] = {
        {"principal too large to read", Loan("1e999", "50", "1", "50", "2"), 0,
         Loan("1e999", "50", "1", "50", "2")},
        {"amount overflows in rounding", Loan("1e307", "50", "1", "50", "2"), 2,
         Loan("1e307", "50", "1", "50", "2")},
        {"fixed percent written before the failure", Loan("1e307", "50", "1", "", "2"), 2,
         Loan("1e307", "50", "1", "50", "2")},
        {"fixed amount fails after the variable amount", Loan("1e306", "1", "x", "1e10", "y"), 0,
         Loan("1e306", "1", "1E+304", "1e10", "y")},
        {"share overflows", Loan("1e-300", "", "1e300", "", ""), 4,
         Loan("1e-300", "", "1e300", "", "")},
    };
    for (const auto& c : cases) {
        const auto result = SplitLoan(c.before, c.changed);
        EXPECT_TRUE(result.failed) << c.name;
        EXPECT_EQ(result.fields, c.after) << c.name;
    }
    EXPECT_EQ(calc::kSplitFailureMessage, "Unexpected error in loan calculation");
}

// A random number text with up to the given decimals, as typed into a field.
std::string RandomText(std::mt19937_64& random, double maximum, int decimals) {
    const double value = std::uniform_real_distribution<double>(0, maximum)(random);
    return calc::NumberText(calc::RoundHalfEven(value, decimals));
}

TEST(SplitLoan, PercentsAddUpToAHundredAfterAPercentChanges) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 5000; ++i) {
        LoanFields fields = Loan(RandomText(random, 99999999, 2).c_str(), "", "", "", "");
        const int changed = i % 2 == 0 ? 2 : 5;
        fields[changed] = RandomText(random, 100, 4);
        const auto result = SplitLoan(fields, changed);
        ASSERT_FALSE(result.failed);
        const double sum = calc::TextValue(result.fields[2]) + calc::TextValue(result.fields[5]);
        ASSERT_NEAR(sum, 100, 0.001) << result.fields[2] << " + " << result.fields[5];
        // Each amount is its percent of the principal, to the cent.
        const double principal = calc::TextValue(result.fields[0]);
        for (const auto& [percent, amount] : {std::pair{2, 4}, std::pair{5, 7}}) {
            ASSERT_NEAR(calc::TextValue(result.fields[amount]),
                        calc::TextValue(result.fields[percent]) / 100 * principal, 0.005001)
                << result.fields[percent] << "% of " << result.fields[0];
        }
    }
}

TEST(SplitLoan, AmountsAddUpToThePrincipalAfterAnAmountChanges) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 5000; ++i) {
        LoanFields fields = Loan(RandomText(random, 99999999, 2).c_str(), "", "", "", "");
        const int changed = i % 2 == 0 ? 4 : 7;
        fields[changed] = RandomText(random, calc::TextValue(fields[0]), 2);
        const auto result = SplitLoan(fields, changed);
        ASSERT_FALSE(result.failed);
        const double amounts =
            calc::TextValue(result.fields[4]) + calc::TextValue(result.fields[7]);
        ASSERT_NEAR(amounts, calc::TextValue(fields[0]), 1e-6) << fields[0];
        const double percents =
            calc::TextValue(result.fields[2]) + calc::TextValue(result.fields[5]);
        ASSERT_NEAR(percents, 100, 1e-9);
    }
}

} // namespace
