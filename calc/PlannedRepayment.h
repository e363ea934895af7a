#pragma once

#include "LoanPlan.h"
#include "LoanSchedule.h"
#include "RepaymentSchedule.h"

#include <vector>

namespace calc {

// Pays a loan's two parts together, period by period, through the events of its plan, as
// LoanSchedule tells; LoanSchedule's way for a plan that may change an amount.
class PlannedRepayment {
  public:
    struct Outcome {
        ScheduleProblem problem = ScheduleProblem::None;
        int period = 0; // where the problem shows
    };

    // The plan, the loan's terms and its periods a year must outlive the object.
    PlannedRepayment(const PlanInPeriods& plan, const LoanTerms& terms, double periodsPerYear);

    // Pays both unpaid parts until they are cleared. Without lump sums, the plan's are left
    // out (the loan the savings are measured against). Events, where given, get what happened.
    Outcome Run(RepaymentSchedule& variable, RepaymentSchedule& fixed, Cents extra,
                bool withLumpSums, std::vector<ScheduleEvent>* events) const;

  private:
    const PlanInPeriods& plan_;
    const LoanTerms& terms_;
    double periodsPerYear_;
    // Per period: the variable rate the loan starts with, the revert rate, each rate change's.
    double variablePeriodRate_;
    double revertPeriodRate_;
    std::vector<double> changeRates_;
};

} // namespace calc
