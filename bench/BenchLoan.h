#pragma once

#include "calc/LoanPlan.h"
#include "calc/RepaymentTable.h"

// The long loan the schedule, chart and window benchmarks share, so their figures speak of the
// same work: $300,000 over 40 years, two thirds variable at 6.5%, one third fixed at 5.99%.
class BenchLoan {
  public:
    static const calc::RepaymentFields& Fields();
    // A busy plan for it: a start date, 5 years fixed, 40 changes of the variable rate (from
    // lowestRate up, in half points), and 20 lump sums of $2,000 into either part.
    static calc::LoanPlan BusyPlan(double lowestRate = 5.0);
};
