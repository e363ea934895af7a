#include "calc/NumberText.h"
#include "calc/RepaymentTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <regex>
#include <string>

namespace {

using calc::CalculateRepayments;
using calc::RepaymentCells;
using calc::RepaymentFields;

RepaymentFields Loan(const char* term, const char* variableRate, const char* variableAmount,
                     const char* fixedRate, const char* fixedAmount,
                     const char* principal = "300000") {
    return {principal, term, "50", variableRate, variableAmount, "50", fixedRate, fixedAmount};
}

const RepaymentCells kEmpty{};

TEST(CalculateRepayments, WorkedExamplesToTheCent) {
    const struct {
        const char* name;
        RepaymentFields fields;
        RepaymentCells cells;
    } cases[] = {
        {"25 years",
         Loan("25", "6.5", "200000", "5.99", "100000"),
         {"$458.54", "$23,909.42", "", "$917.30", "$23,915.35", "$5.93", "$996.52", "$23,916.37",
          "$1.02", "$1,994.10", "$23,929.25", "$12.88", "$5,995.18", "$23,980.74", "$51.49"}},
        {"30 years",
         Loan("30", "7.25", "150000", "6.8", "100000", "250000"),
         {"$385.27", "$20,089.12", "", "$770.69", "$20,093.05", "$3.93", "$837.24", "$20,093.73",
          "$0.68", "$1,675.19", "$20,102.28", "$8.55", "$5,034.11", "$20,136.45", "$34.17"}},
        {"zero rates",
         {"100000", "10", "100", "0", "100000", "0", "0", "0"},
         {"$191.78", "$10,000.00", "", "$383.56", "$10,000.00", "$0.00", "$416.67", "$10,000.00",
          "$0.00", "$833.33", "$10,000.00", "$0.00", "$2,500.00", "$10,000.00", "$0.00"}},
    };
    for (const auto& c : cases) {
        const auto result = CalculateRepayments(c.fields, kEmpty);
        EXPECT_FALSE(result.failed) << c.name;
        EXPECT_EQ(result.cells, c.cells) << c.name;
    }
}

TEST(CalculateRepayments, FollowsTheAmountsNotThePrincipal) {
    const auto stated =
        CalculateRepayments(Loan("20", "5", "100000", "6", "100000", "300000"), kEmpty);
    const auto actual =
        CalculateRepayments(Loan("20", "5", "100000", "6", "100000", "200000"), kEmpty);
    EXPECT_EQ(stated.cells, actual.cells);
}

TEST(CalculateRepayments, FractionalTermAndLooseNumberForms) {
    const auto result = CalculateRepayments(Loan("2.5", " 6. ", "1 000", ".5", "0"), kEmpty);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.cells[0].front(), '$');
    // 1000 over 2.5 years at 6%, monthly: 30 payments of 35.98.
    EXPECT_EQ(result.cells[10], "$431.75");
}

TEST(CalculateRepayments, AnUnfilledFieldEmptiesTheTable) {
    const auto previous =
        CalculateRepayments(Loan("25", "6.5", "200000", "5.99", "100000"), kEmpty);
    for (int field = 0; field < 8; ++field) {
        for (const char* blank : {"", "   "}) {
            auto fields = Loan("25", "6.5", "200000", "5.99", "100000");
            fields[field] = blank;
            const auto result = CalculateRepayments(fields, previous.cells);
            EXPECT_FALSE(result.failed) << field;
            EXPECT_EQ(result.cells, kEmpty) << field;
        }
    }
}

TEST(CalculateRepayments, BadRateOrTermLeavesThePreviousTable) {
    const auto previous =
        CalculateRepayments(Loan("25", "6.5", "200000", "5.99", "100000"), kEmpty);
    const RepaymentFields cases[] = {
        Loan("0", "6.5", "200000", "5.99", "100000"),
        Loan(".", "6.5", "200000", "5.99", "100000"),
        Loan("25", ".", "200000", "5.99", "100000"),
        Loan("25", "6.5", "200000", "x", "100000"),
        Loan("25", "6.5", "200000", "1,5", "100000"),
        Loan("25", "1e999", "200000", "5.99", "100000"),
        Loan("1e999", "6.5", "200000", "5.99", "100000"),
        Loan("25", "6.5", "1e999", "5.99", "100000"),
        Loan("1e300", "6.5", "200000", "5.99", "100000"),
        Loan("25", "-10000", "200000", "5.99", "100000"),
    };
    for (const auto& fields : cases) {
        const auto result = CalculateRepayments(fields, previous.cells);
        EXPECT_TRUE(result.failed) << fields[1] << ' ' << fields[3] << ' ' << fields[6];
        EXPECT_EQ(result.cells, previous.cells);
    }
    EXPECT_EQ(calc::kRepaymentFailureMessage, "Unexpected error in loan repayment calculation");
}

TEST(CalculateRepayments, AFailureMidwayKeepsThePlainNumbersWritten) {
    RepaymentCells previous;
    previous.fill("old");
    // The weekly instalment still fits once rounded; the yearly payment does not.
    const auto result = CalculateRepayments(Loan("1", "0", "1e307", "0", "0"), previous);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.cells[0], calc::NumberText(calc::RoundHalfEven(1e307 / (365.0 / 7), 2)));
    for (int i = 1; i < calc::kRepaymentCells; ++i) {
        EXPECT_EQ(result.cells[i], "old") << i;
    }
}

TEST(PMT, PaymentAtPeriodEnds) {
    EXPECT_EQ(calc::PMT(0.01, 0, -100), std::nullopt);
    EXPECT_DOUBLE_EQ(*calc::PMT(0, 10, -100), 10);
    EXPECT_NEAR(*calc::PMT(0.01, 12, -1000), 88.85, 0.005);
    EXPECT_EQ(calc::PMT(1e10, 1e300, -1), std::nullopt);
    EXPECT_DOUBLE_EQ(calc::PeriodsPerYear(0), 365.0 / 7);
    EXPECT_DOUBLE_EQ(calc::PeriodsPerYear(1), 365.0 / 14);
}

// Cents of a currency text such as "$-1,234.50".
std::int64_t Cents(const std::string& currency) {
    std::string digits;
    for (const char c : currency) {
        if (c != '$' && c != ',' && c != '.') {
            digits += c;
        }
    }
    return std::stoll(digits);
}

std::string RandomNumber(std::mt19937_64& random, double minimum, double maximum, int decimals) {
    const double value = std::uniform_real_distribution<double>(minimum, maximum)(random);
    return calc::NumberText(calc::RoundHalfEven(value, decimals));
}

TEST(CalculateRepayments, RandomLoansGiveAConsistentTable) {
    const std::regex currency(R"(\$-?\d{1,3}(,\d{3})*\.\d\d)");
    std::mt19937_64 random(2718);
    for (int i = 0; i < 3000; ++i) {
        const RepaymentFields fields = {RandomNumber(random, 0, 99999999, 2),
                                        RandomNumber(random, 1, 100, 0),
                                        RandomNumber(random, 0, 100, 3),
                                        RandomNumber(random, 0, 100, 3),
                                        RandomNumber(random, 0, 99999999, 2),
                                        RandomNumber(random, 0, 100, 3),
                                        i % 7 == 0 ? "0" : RandomNumber(random, 0, 100, 3),
                                        RandomNumber(random, 0, 99999999, 2)};
        const auto result = CalculateRepayments(fields, kEmpty);
        ASSERT_FALSE(result.failed) << fields[1] << ' ' << fields[3] << ' ' << fields[6];
        const auto& cel = result.cells;
        ASSERT_EQ(cel[2], "");
        for (int c = 0; c < calc::kRepaymentCells; ++c) {
            if (c != 2) {
                ASSERT_TRUE(std::regex_match(cel[c], currency)) << c << ": " << cel[c];
            }
        }
        for (int row = 1; row < calc::kRepaymentRows; ++row) {
            ASSERT_EQ(Cents(cel[3 * row + 2]), Cents(cel[3 * row + 1]) - Cents(cel[3 * row - 2]))
                << "row " << row;
        }
        for (int row = 0; row < calc::kRepaymentRows; ++row) {
            // The yearly payment comes from the unrounded instalment: it may differ from the
            // rounded one times the periods by at most half a cent a period.
            const double n = calc::PeriodsPerYear(row);
            const double gap = static_cast<double>(Cents(cel[3 * row])) * n -
                               static_cast<double>(Cents(cel[3 * row + 1]));
            ASSERT_LE(std::fabs(gap), 0.5 * n + 1) << "row " << row;
        }
    }
}

} // namespace
