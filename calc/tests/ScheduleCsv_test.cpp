#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>

namespace {

using calc::LoanSchedule;

TEST(ScheduleCsv, AStartDateAddsADateColumnAfterThePeriodAndChangesNothingElse) {
    const calc::LoanTerms terms{1000, 12, 0, 0, 1, 4, 0};
    calc::LoanPlan plan;
    plan.start = std::chrono::year_month_day{std::chrono::year(2025), std::chrono::month(1),
                                             std::chrono::day(31)};
    const std::string plain = calc::ScheduleCsv::Text(*LoanSchedule::Make(terms).schedule);
    const std::string dated = calc::ScheduleCsv::Text(*LoanSchedule::Make(terms, plan).schedule);
    EXPECT_EQ(dated.substr(0, 29), "Period,Date,Variable Payment,");
    EXPECT_NE(dated.find("\r\n2,2025-02-28,88.85,9.21,79.64,841.51,,,,,88.85,9.21,"),
              std::string::npos);
    EXPECT_NE(dated.find("\r\n12,2025-12-31,88.84,0.88,87.96,0.00,"), std::string::npos);
    // Without its dates, the file is the one without a start date.
    EXPECT_EQ(std::regex_replace(dated, std::regex("(^|\n)([^,]*),(Date|\\d{4}-\\d\\d-\\d\\d),"),
                                 "$1$2,"),
              plain);
}

} // namespace
