#include "calc/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace {

using calc::AmountText;
using calc::CurrencyText;
using calc::NumberText;
using calc::RoundHalfEven;
using calc::StrictNumber;
using calc::TextValue;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TextValue, ReadsLeniently) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},          {".", 0},          {"12.5.3", 12.5}, {"007", 7},        {"1 500", 1500},
        {"$1,234.56", 0}, {"1,234.56", 1},   {" -12", -12},    {"\t1\n2", 12},    {"+5", 5},
        {"- 5", -5},      {"--5", 0},        {"abc", 0},       {"5.", 5},         {".5", 0.5},
        {"1e3", 1000},    {"1D2", 100},      {"2d-1", 0.2},    {"1.5E-2", 0.015}, {"1E+15", 1e15},
        {"1e", 1},        {"1e+", 1},        {"e5", 0},        {"1 e 2", 100},    {"1e-999", 0},
        {"0.0e999", 0},   {"0.001e-400", 0}, {"12x34", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(TextValue, HugeExponentsOverflowToInfinity) {
    EXPECT_EQ(TextValue("1e999"), kInf);
    EXPECT_EQ(TextValue("-1e999"), -kInf);
    EXPECT_EQ(TextValue("0.001e99999999999999999999"), kInf);
    EXPECT_EQ(TextValue(std::string(400, '9')), kInf);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double x;
        int decimals;
        double rounded;
    } cases[] = {
        {0.125, 2, 0.12},
        {0.375, 2, 0.38},
        {-0.125, 2, -0.12},
        {-0.375, 2, -0.38},
        {1250.125, 2, 1250.12},
        {2.5, 0, 2},
        {3.5, 0, 4},
        {-2.5, 0, -2},
        {1234.5, 0, 1234},
        {0.126, 2, 0.13},
        {33333.33333, 2, 33333.33},
        {66.6666666, 3, 66.667},
        {0, 3, 0},
        {12.3456, 0, 12},
        // The product is taken in double precision: 2.675 * 100 is exactly 267.5 there, while
        // 1.005 * 100 falls just below 100.5.
        {2.675, 2, 2.68},
        {1.005, 2, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.x, c.decimals), c.rounded) << c.x << " to " << c.decimals;
    }
}

TEST(NumberText, GeneralFormWithFifteenDigits) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {1250.5, "1250.5"},
        {50000, "50000"},
        {0.125, "0.125"},
        {0, "0"},
        {-0.0, "0"},
        {-50, "-50"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-2.0 / 3, "-0.666666666666667"},
        {100.0000000000001, "100"},
        {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E+16"},
        {1e15, "1E+15"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1e300, "1E+300"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-1.5e-7, "-1.5E-07"},
        {33333.3, "33333.3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText(c.x), c.text) << c.x;
    }
}

TEST(NumberText, NeverShowsInfinityOrNan) {
    EXPECT_EQ(NumberText(kInf), "");
    EXPECT_EQ(NumberText(-kInf), "");
    EXPECT_EQ(NumberText(std::nan("")), "");
}

TEST(NumberText, ReadsBackToTheSameTextForRandomValues) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 20);
    for (int i = 0; i < 20000; ++i) {
        const double x = mantissa(random) * std::pow(10.0, exponent(random));
        const std::string text = NumberText(x);
        const double back = TextValue(text);
        ASSERT_NEAR(back, x, std::fabs(x) * 1e-14) << text;
        ASSERT_EQ(NumberText(back), text) << x;
        ASSERT_EQ(text.find_first_of("inIN"), std::string::npos) << text;
    }
}

TEST(CurrencyText, GroupsAndKeepsTwoDecimals) {
    const struct {
        const char* t;
        const char* text;
    } cases[] = {
        {"23909.42", "$23,909.42"},
        {"917.3", "$917.30"},
        {"0", "$0.00"},
        {"10000", "$10,000.00"},
        {"1234567.5", "$1,234,567.50"},
        {"-5.1", "$-5.10"},
        {"", "$"},
        {"999.995", "$1,000.00"},
        {"0.005", "$0.01"},
        {"-0.001", "$0.00"},
        {"1E+15", "$1,000,000,000,000,000.00"},
        {"1.5E-07", "$0.00"},
        {"abc", "$abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurrencyText(c.t), c.text) << '"' << c.t << '"';
    }
}

TEST(StrictNumber, AcceptsOnlyWholeNumberTexts) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"6.5", 6.5},
        {"6.", 6},
        {".5", 0.5},
        {" 7 ", 7},
        {"-1", -1},
        {"+2", 2},
        {"1e2", 100},
        {"1.5D1", 15},
        {".", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1,000", std::nullopt},
        {"$5", std::nullopt},
        {"1e", std::nullopt},
        {"abc", std::nullopt},
        {"1 5", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrictNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(AmountText, FormatsCellsThatReadAsNumbers) {
    const struct {
        const char* cell;
        bool dollar;
        const char* text;
    } cases[] = {
        {"50000", false, "50,000.00"},
        {"20000", true, "$20,000.00"},
        {"$1,234.56", true, "$1,234.56"},
        {"1234.5", false, "1,234.50"},
        {"  1234.5 ", true, "$1,234.50"},
        {"0.125", false, "0.13"},
        {"-0.125", false, "-0.13"},
        {"2.675", true, "$2.68"},
        {"1.0049999999999999", false, "1.01"},
        {"$-5.1", true, "-$5.10"},
        {"-$5", true, "-$5.00"},
        {"-5", true, "-$5.00"},
        {"-0.004", true, "$0.00"},
        {"1,234,567.891", false, "1,234,567.89"},
        {".5", false, "0.50"},
        {"", true, ""},
        {"   ", false, "   "},
        {"abc", true, "abc"},
        {"$", true, "$"},
        {".", false, "."},
        {"1.2.3", false, "1.2.3"},
        {"12abc", false, "12abc"},
        {"1e5", false, "1e5"},
        {"$$5", true, "$$5"},
        {"--5", true, "--5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AmountText(c.cell, c.dollar), c.text) << '"' << c.cell << '"';
    }
}

TEST(AmountText, LeavesNumbersBeyondDoublePrecisionUnchanged) {
    const std::string huge(400, '9');
    EXPECT_EQ(AmountText(huge, true), huge);
}

} // namespace

namespace {

TEST(CurrencyTextOf, EqualsTheCurrencyTextOfTheNumberText) {
    std::mt19937_64 random(99);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-6, 18);
    std::uniform_int_distribution<int> decimals(0, 4);
    for (int i = 0; i < 20000; ++i) {
        double x = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 2 == 0) {
            x = RoundHalfEven(x, decimals(random));
        }
        ASSERT_EQ(calc::CurrencyTextOf(x), CurrencyText(NumberText(x))) << x;
    }
    EXPECT_EQ(calc::CurrencyTextOf(kInf), "");
}

} // namespace

namespace {

// The forms an amount field and the command line take, and those they refuse.
TEST(AmountCents, TakesPlainAndGroupedDollarsWithUpToTwoDecimals) {
    const struct {
        const char* text;
        std::optional<std::int64_t> cents;
    } cases[] = {
        {"1000", 100000},         {"1,000", 100000},       {"1000.50", 100050},
        {"1,000.5", 100050},      {".25", 25},             {"12.", 1200},
        {"99,999,999.99", 9999999999}, {"12,345,678", 1234567800},
        {"", std::nullopt},       {".", std::nullopt},     {"1.234", std::nullopt},
        {"100000000", std::nullopt}, {"1,00", std::nullopt}, {"1,0000", std::nullopt},
        {"1000,000", std::nullopt},  {",100", std::nullopt}, {"1,000,", std::nullopt},
        {"1,,000", std::nullopt},    {"1,00.5", std::nullopt}, {"1.000,5", std::nullopt},
        {"-5", std::nullopt},        {"$5", std::nullopt},   {"1e3", std::nullopt},
        {" 5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calc::AmountCents(c.text), c.cents) << '"' << c.text << '"';
}

} // namespace
