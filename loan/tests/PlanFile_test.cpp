// The plan file beside a loan file: what it keeps comes back whole, and anything that is not a
// plan file this version wrote is refused for what it is, never half read.
#include "loan/PlanFile.h"
#include "safefile/tests/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using loan::PlanFile;
using loan::PlansRead;
using namespace std::chrono;

// A plan with every entry, dates that do not exist and negatives included: the file keeps what
// the user typed, and the plan names what is wrong with it.
calc::LoanPlan Busy() {
    calc::LoanPlan plan;
    plan.start = year_month_day{year(2026), month(1), day(31)};
    plan.fixedYears = 2.5;
    plan.revertRatePercent = 7.125;
    plan.rateChanges = {{13, 7.25}, {year_month_day{year(2027), month(2), day(30)}, 0.1}, {40, -1}};
    plan.lumpSums = {{24, 500'000, calc::PlanPart::Fixed},
                     {year_month_day{year(2028), month(6), day(30)}, 1, calc::PlanPart::Variable}};
    plan.afterRateChange = calc::AfterRateChange::PaymentStays;
    plan.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    plan.carryOver = true;
    return plan;
}

TEST(PlanFile, WhatItWritesReadsBackTheSame) {
    calc::LoanPlan onlyStart;
    onlyStart.start = year_month_day{year(1), month(1), day(1)};
    const loan::Plans plans = {{"HOME", Busy()}, {"CAR", onlyStart}, {"Straße 5", Busy()}};
    const std::string text = PlanFile::Text(plans);
    const PlansRead read = PlanFile::Parse(text);
    ASSERT_EQ(read.state, PlansRead::State::Read) << read.error;
    ASSERT_EQ(read.plans.size(), plans.size());
    for (const auto& [code, plan] : plans) {
        ASSERT_TRUE(read.plans.contains(code)) << code;
        EXPECT_TRUE(PlanFile::Same(read.plans.at(code), plan)) << code;
    }
    EXPECT_EQ(PlanFile::Text(read.plans), text);
    EXPECT_FALSE(PlanFile::Same(Busy(), onlyStart));
    EXPECT_TRUE(PlanFile::IsEmpty(calc::LoanPlan{}));
    EXPECT_FALSE(PlanFile::IsEmpty(onlyStart));
}

TEST(PlanFile, AFileItCannotReadIsDamagedOrNewerWithTheReason) {
    const std::string head = R"({"format": "dravenholt-loan plans", "version": 1, "plans": )";
    const struct {
        std::string text;
        PlansRead::State state;
        std::string why;
    } cases[] = {
        {"", PlansRead::State::Damaged, "it is not JSON"},
        {"{\"format\": \"dravenholt-loan plans\", \"version\": 1,", PlansRead::State::Damaged,
         "it is not JSON"},
        {"[]", PlansRead::State::Damaged, "it is not a file of loan plans"},
        {R"({"format": "other", "version": 1})", PlansRead::State::Damaged,
         "it is not a file of loan plans"},
        {R"({"format": "dravenholt-loan plans"})", PlansRead::State::Damaged,
         "its format version is missing"},
        {R"({"format": "dravenholt-loan plans", "version": "1"})", PlansRead::State::Damaged,
         "its format version is missing"},
        {R"({"format": "dravenholt-loan plans", "version": 2, "plans": 5})",
         PlansRead::State::Newer,
         "it was written by a later version of the program (format version 2; this version "
         "reads 1)"},
        {head + "{}}", PlansRead::State::Damaged, "the plans are not a list"},
        {head + "[{}]}", PlansRead::State::Damaged, "plan 1 has no loan code"},
        {head + R"([{"code": "A"}, {"code": "A"}]})", PlansRead::State::Damaged,
         "plan 2 is a second plan for the loan \"A\""},
        {head + R"([{"code": "A", "start": "31/01/2026"}]})", PlansRead::State::Damaged,
         "plan 1: the start is not a date written yyyy-mm-dd"},
        {head + R"([{"code": "A", "fixedYears": "3"}]})", PlansRead::State::Damaged,
         "plan 1: the fixed period is not a number"},
        {head + R"([{"code": "A", "rateChanges": [{"when": 3}]}]})", PlansRead::State::Damaged,
         "plan 1: rate change 1 lacks its period or its rate"},
        {head + R"([{"code": "A", "rateChanges": [{"when": 3e9, "rate": 1}]}]})",
         PlansRead::State::Damaged, "plan 1: rate change 1 is not a date written yyyy-mm-dd"},
        {head + R"([{"code": "A", "lumpSums": [{"when": 3, "cents": 1.5}]}]})",
         PlansRead::State::Damaged, "plan 1: lump sum 1's amount is not whole cents"},
        {head + R"([{"code": "A", "lumpSums": [{"when": 3, "cents": 1, "part": "both"}]}]})",
         PlansRead::State::Damaged,
         "plan 1: lump sum 1's part is neither \"variable\" nor \"fixed\""},
        {head + R"([{"code": "A", "afterRateChange": "sometimes"}]})", PlansRead::State::Damaged,
         "plan 1: afterRateChange is neither \"payment follows\" nor \"payment stays\""},
        {head + R"([{"code": "A", "carryOver": 1}]})", PlansRead::State::Damaged,
         "plan 1: carryOver is neither true nor false"},
    };
    for (const auto& c : cases) {
        const PlansRead read = PlanFile::Parse(c.text);
        EXPECT_EQ(read.state, c.state) << c.text;
        EXPECT_EQ(read.error, c.why) << c.text;
        EXPECT_TRUE(read.plans.empty()) << c.text;
        EXPECT_TRUE(read.Unreadable());
    }
    // What a later version may add within the same format version is passed over.
    const PlansRead later = PlanFile::Parse(
        head + R"([{"code": "A", "fixedYears": 3, "colour": "blue"}], "chart": {}})");
    ASSERT_EQ(later.state, PlansRead::State::Read) << later.error;
    EXPECT_EQ(later.plans.at("A").fixedYears, 3.0);
}

class PlanFileOnDisk : public TempFolder {};

TEST_F(PlanFileOnDisk, NoFileIsNoPlansAndAFolderIsNoFile) {
    EXPECT_EQ(PlanFile::Read(Path("none.loa.plans")).state, PlansRead::State::Missing);
    std::filesystem::create_directory(Path("folder.loa.plans"));
    const PlansRead folder = PlanFile::Read(Path("folder.loa.plans"));
    EXPECT_EQ(folder.state, PlansRead::State::Damaged);
    EXPECT_EQ(folder.error, "it is not a regular file");

    const std::string path = PlanFile::CompanionOf(Path("loans.loa"));
    EXPECT_EQ(path, Path("loans.loa.plans"));
    ASSERT_TRUE(PlanFile::Write(path, {{"HOME", Busy()}}).Saved());
    const PlansRead read = PlanFile::Read(path);
    ASSERT_EQ(read.state, PlansRead::State::Read) << read.error;
    EXPECT_TRUE(PlanFile::Same(read.plans.at("HOME"), Busy()));
}

} // namespace
