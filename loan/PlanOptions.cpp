#include "PlanOptions.h"

#include "calc/NumberText.h"

namespace loan {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A rate or a number of years: a plain number, a negative one included so that the plan can
// name it as negative rather than as something unreadable.
std::optional<double> Number(std::string_view text) {
    if (text.empty() || text.front() == ' ' || text.back() == ' ') return std::nullopt;
    return calc::StrictNumber(text);
}

const char* const kWhen = "a period number (1 is the first payment) or a date YYYY-MM-DD";

} // namespace

std::string PlanOptions::Start(std::string_view date) {
    Touch();
    const auto when = calc::LoanPlan::ParseWhen(date);
    if (!when || !std::holds_alternative<std::chrono::year_month_day>(*when))
        return "--start " + Quoted(date) + " is not a date written YYYY-MM-DD, such as 2026-01-31.";
    plan_.start = std::get<std::chrono::year_month_day>(*when);
    return {};
}

std::string PlanOptions::FixedYears(std::string_view years) {
    Touch();
    const auto value = Number(years);
    if (!value) return "--fixed-years " + Quoted(years) + " is not a number of years, such as 3.";
    plan_.fixedYears = *value;
    return {};
}

std::string PlanOptions::RevertRate(std::string_view rate) {
    Touch();
    const auto value = Number(rate);
    if (!value) return "--revert-rate " + Quoted(rate) + " is not a rate in percent, such as 6.5.";
    plan_.revertRatePercent = *value;
    return {};
}

std::string PlanOptions::RateChange(std::string_view whenRate) {
    Touch();
    const auto equals = whenRate.find('=');
    const auto when = calc::LoanPlan::ParseWhen(whenRate.substr(0, equals));
    const auto rate =
        equals == std::string_view::npos ? std::nullopt : Number(whenRate.substr(equals + 1));
    if (!when || !rate)
        return "--rate-change " + Quoted(whenRate) +
               " is not WHEN=RATE, such as 13=7.25: WHEN is " + kWhen +
               ", RATE the variable rate in percent from then on.";
    plan_.rateChanges.push_back({*when, *rate});
    return {};
}

std::string PlanOptions::LumpSum(std::string_view whenAmount) {
    Touch();
    const auto equals = whenAmount.find('=');
    std::string_view amount =
        equals == std::string_view::npos ? std::string_view{} : whenAmount.substr(equals + 1);
    calc::PlanPart part = calc::PlanPart::Variable;
    bool partNamed = true;
    if (const auto at = amount.rfind('@'); at != std::string_view::npos) {
        const std::string_view name = amount.substr(at + 1);
        part = name == "fixed" ? calc::PlanPart::Fixed : calc::PlanPart::Variable;
        partNamed = name == "fixed" || name == "variable";
        amount = amount.substr(0, at);
    }
    // A minus sign is read so that the plan refuses the amount as negative.
    const bool negative = !amount.empty() && amount.front() == '-';
    const auto cents = calc::AmountCents(negative ? amount.substr(1) : amount);
    const auto when = calc::LoanPlan::ParseWhen(whenAmount.substr(0, equals));
    if (!when || !cents || !partNamed)
        return "--lump " + Quoted(whenAmount) +
               " is not WHEN=AMOUNT or WHEN=AMOUNT@fixed, such as 24=5000 or "
               "2027-06-30=1,000.50@fixed: WHEN is " +
               kWhen + ", AMOUNT dollars up to 99,999,999.99.";
    plan_.lumpSums.push_back({*when, negative ? -*cents : *cents, part});
    return {};
}

} // namespace loan
