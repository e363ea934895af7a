#include "LoanPlan.h"

#include "PaymentCalendar.h"
#include "RepaymentTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace calc {

namespace {

std::string Item(PlanItem item, std::size_t index) {
    switch (item) {
    case PlanItem::Start:
        return "The start date";
    case PlanItem::FixedYears:
        return "The fixed period";
    case PlanItem::RevertRate:
        return "The revert rate";
    case PlanItem::RateChange:
        return "Rate change " + std::to_string(index + 1);
    case PlanItem::LumpSum:
        return "Lump sum " + std::to_string(index + 1);
    case PlanItem::None:
        break;
    }
    return "The plan";
}

// What a negative entry has that is negative.
const char* NegativeWhat(PlanItem item) {
    switch (item) {
    case PlanItem::FixedYears:
        return " has a negative number of years";
    case PlanItem::LumpSum:
        return " has a negative amount";
    default:
        return " has a negative rate";
    }
}

PlanCheck Problem(PlanProblem problem, PlanItem item, std::size_t index = 0) {
    PlanCheck check;
    check.problem = problem;
    check.item = item;
    check.index = index;
    return check;
}

PlanProblem NumberProblem(double x) {
    if (!std::isfinite(x)) return PlanProblem::TooLarge;
    return x < 0 ? PlanProblem::Negative : PlanProblem::None;
}

} // namespace

std::string PlanProblemText(const PlanCheck& check) {
    const std::string item = Item(check.item, check.index);
    switch (check.problem) {
    case PlanProblem::None:
        return {};
    case PlanProblem::DateDoesNotExist:
        return check.item == PlanItem::Start ? item + " is not a date that exists"
                                             : item + " is on a date that does not exist";
    case PlanProblem::DateWithoutStart:
        return item + " is given by a date, which needs a start date";
    case PlanProblem::PeriodZero:
        return item + " is in a period before the first; the first payment is period 1";
    case PlanProblem::Negative:
        return item + NegativeWhat(check.item);
    case PlanProblem::TooLarge:
        return item + " is too large";
    case PlanProblem::TwoRateChanges:
        return "Rate changes " + std::to_string(check.otherIndex + 1) + " and " +
               std::to_string(check.index + 1) + " both fall on period " +
               std::to_string(check.period);
    }
    return {};
}

std::optional<PlanWhen> LoanPlan::ParseWhen(std::string_view text) {
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const auto number = [](std::string_view part) {
        long long value = 0;
        for (const char c : part)
            value = std::min<long long>(value * 10 + (c - '0'), std::numeric_limits<int>::max());
        return static_cast<int>(value);
    };
    if (digits(text)) return PlanWhen{number(text)};
    // The calendar's own reading would refuse 31 April outright; here it is left to Resolve.
    if (text.size() == 10 && text[4] == '-' && text[7] == '-' && digits(text.substr(0, 4)) &&
        digits(text.substr(5, 2)) && digits(text.substr(8, 2)))
        return PlanWhen{std::chrono::year_month_day{
            std::chrono::year(number(text.substr(0, 4))),
            std::chrono::month(static_cast<unsigned>(number(text.substr(5, 2)))),
            std::chrono::day(static_cast<unsigned>(number(text.substr(8, 2))))}};
    return std::nullopt;
}

bool LoanPlan::ChangesNoAmount() const {
    return !fixedYears && rateChanges.empty() && lumpSums.empty() && !carryOver;
}

PlanResolution LoanPlan::Resolve(int repaymentTime) const {
    PlanResolution out;
    const auto refuse = [&out](PlanCheck check) {
        out.check = check;
        return out;
    };
    const int time = repaymentTime >= 1 && repaymentTime <= kRepaymentRows ? repaymentTime : 4;
    std::optional<PaymentCalendar> calendar;
    if (start) {
        if (!PaymentCalendar::Accepts(*start))
            return refuse(Problem(PlanProblem::DateDoesNotExist, PlanItem::Start));
        calendar.emplace(*start, time);
    }

    PlanInPeriods plan;
    plan.afterRateChange = afterRateChange;
    plan.afterLumpSum = afterLumpSum;
    plan.carryOver = carryOver;
    if (fixedYears) {
        if (const PlanProblem problem = NumberProblem(*fixedYears); problem != PlanProblem::None)
            return refuse(Problem(problem, PlanItem::FixedYears));
        if (revertRatePercent) {
            if (const PlanProblem problem = NumberProblem(*revertRatePercent);
                problem != PlanProblem::None)
                return refuse(Problem(problem, PlanItem::RevertRate));
            plan.revertRatePercent = revertRatePercent;
        }
        // 5 years of 365/7 weeks is 260.71 weeks: 260 at the fixed rate. A product a hair from
        // a whole number is taken as it, as the period count of the term is. A fixed period
        // beyond any schedule never ends.
        const double periods = std::floor(*fixedYears * PeriodsPerYear(time - 1) + 1e-6);
        if (periods <= PaymentCalendar::kMaxPeriods) plan.fixedPeriods = static_cast<int>(periods);
    }

    // The period of an event, or why it has none.
    const auto periodOf = [&calendar](const PlanWhen& when, int& period) {
        if (const int* number = std::get_if<int>(&when)) {
            period = *number;
        } else {
            const auto& date = std::get<std::chrono::year_month_day>(when);
            if (!PaymentCalendar::Accepts(date)) return PlanProblem::DateDoesNotExist;
            if (!calendar) return PlanProblem::DateWithoutStart;
            period = calendar->PeriodOnOrAfter(date);
        }
        return period < 1 ? PlanProblem::PeriodZero : PlanProblem::None;
    };

    for (std::size_t i = 0; i < rateChanges.size(); ++i) {
        PeriodRate change{0, rateChanges[i].ratePercent};
        PlanProblem problem = periodOf(rateChanges[i].when, change.period);
        if (problem == PlanProblem::None) problem = NumberProblem(change.ratePercent);
        if (problem != PlanProblem::None) return refuse(Problem(problem, PlanItem::RateChange, i));
        plan.rateChanges.push_back(change);
    }
    for (std::size_t i = 0; i < lumpSums.size(); ++i) {
        PeriodLump lump{0, lumpSums[i].amount, lumpSums[i].part};
        PlanProblem problem = periodOf(lumpSums[i].when, lump.period);
        if (problem == PlanProblem::None && lump.amount < 0) problem = PlanProblem::Negative;
        if (problem == PlanProblem::None && lump.amount > kMaxLumpSum)
            problem = PlanProblem::TooLarge;
        if (problem != PlanProblem::None) return refuse(Problem(problem, PlanItem::LumpSum, i));
        plan.lumpSums.push_back(lump);
    }

    // Sorted by index, so a clash names the entries as the user made them.
    std::vector<std::size_t> byPeriod(plan.rateChanges.size());
    for (std::size_t i = 0; i < byPeriod.size(); ++i)
        byPeriod[i] = i;
    std::stable_sort(byPeriod.begin(), byPeriod.end(), [&plan](std::size_t a, std::size_t b) {
        return plan.rateChanges[a].period < plan.rateChanges[b].period;
    });
    std::vector<PeriodRate> sorted;
    sorted.reserve(byPeriod.size());
    for (std::size_t i = 0; i < byPeriod.size(); ++i) {
        const PeriodRate& change = plan.rateChanges[byPeriod[i]];
        if (i > 0 && sorted.back().period == change.period) {
            PlanCheck check = Problem(PlanProblem::TwoRateChanges, PlanItem::RateChange,
                                      std::max(byPeriod[i], byPeriod[i - 1]));
            check.otherIndex = std::min(byPeriod[i], byPeriod[i - 1]);
            check.period = change.period;
            return refuse(check);
        }
        sorted.push_back(change);
    }
    plan.rateChanges = std::move(sorted);
    std::stable_sort(plan.lumpSums.begin(), plan.lumpSums.end(),
                     [](const PeriodLump& a, const PeriodLump& b) { return a.period < b.period; });
    out.plan = std::move(plan);
    return out;
}

} // namespace calc
