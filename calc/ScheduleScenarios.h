#pragma once

#include "LoanSchedule.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calc {

enum class ScenarioKind : std::uint8_t { AsPlanned, VariablePlusOne, VariablePlusTwo, WithoutExtras };

// What the compare table shows of a scenario's schedule.
struct ScenarioFigures {
    Cents instalment = 0;        // the first period's
    Cents highestInstalment = 0; // the highest over the loan's life
    Cents totalInterest = 0;
    int lastPeriod = 0;
    std::optional<std::chrono::year_month_day> lastDate; // with a start date
};

struct Scenario {
    ScenarioKind kind = ScenarioKind::AsPlanned;
    ScheduleResult result; // the scenario's schedule, or why it has none
    ScenarioFigures figures; // only with a schedule
};

// The loan as planned beside the same loan under other conditions, each a whole schedule:
//
// - "Variable +1%" and "Variable +2%": every variable rate one or two points higher, the rate the
//   loan starts with and every rate change of the plan. A fixed part that follows the variable
//   rate once its fixed period ends follows the higher rate with it; a fixed part given a revert
//   rate of its own keeps that rate, as the plan says it would whatever the variable rate did.
//   The fixed rate of the fixed period stays. Each higher rate is read as the program reads a
//   typed one (its 15-digit text), so 5.99 + 1 is exactly the loan at 6.99.
// - "Without extra payments": the same loan and plan without the extra payment each period and
//   the plan's lump sums (carryOver stays, as it moves no money of its own); only when the plan
//   has either. Its totals are the ones the schedule's savings are measured against.
//
// A stressed scenario may have no schedule (a payment that stays after a rate change and no
// longer covers the higher interest): then its result says why.
//
// An instalment is what the loan asks each period without its extra money: each part's payment
// in force (its first, changed where the schedule notes a new one), while the part is owed and,
// with carryOver, after it is paid off too, since its payment then goes on into the other part.
class ScheduleScenarios {
  public:
    explicit ScheduleScenarios(const LoanSchedule& planned);

    const std::vector<Scenario>& All() const { return scenarios_; }
    // The scenario of that kind, or nullptr when it is not one of these.
    const Scenario* Find(ScenarioKind kind) const;

    // "As planned", "Variable +1%", "Variable +2%", "Without extra payments".
    static std::string_view Name(ScenarioKind kind);
    // The loan and plan with every variable rate the points higher, as told above.
    static std::pair<LoanTerms, LoanPlan> Stressed(const LoanTerms& terms, const LoanPlan& plan,
                                                   double points);
    // The loan and plan without the extra payment and the lump sums.
    static std::pair<LoanTerms, LoanPlan> WithoutExtras(const LoanTerms& terms,
                                                        const LoanPlan& plan);
    // True when the plan or the loan pays extra money in: an extra payment or a lump sum.
    static bool HasExtras(const LoanSchedule& schedule);

    static ScenarioFigures FiguresOf(const LoanSchedule& schedule);

    // The compare table as comma-separated values: the heading
    // "Scenario,Installment,Highest Installment,Total Interest,Last Period,Last Date", one line a
    // scenario named as Name() names it, plain amounts with two decimals and the last date as
    // yyyy-mm-dd or empty without a start date; a scenario without a schedule leaves its fields
    // empty. Lines end with CR LF, as the schedule's own CSV.
    void WriteCsv(std::ostream& out) const;
    std::string CsvText() const;

  private:
    std::vector<Scenario> scenarios_;
};

} // namespace calc
