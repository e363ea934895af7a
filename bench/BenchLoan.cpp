#include "BenchLoan.h"

#include <chrono>

const calc::RepaymentFields& BenchLoan::Fields() {
    static const calc::RepaymentFields fields = {"300000", "40",     "66.667", "6.5",
                                                 "200000", "33.333", "5.99",   "100000"};
    return fields;
}

calc::LoanPlan BenchLoan::BusyPlan(double lowestRate) {
    calc::LoanPlan plan;
    plan.start = std::chrono::year_month_day{std::chrono::year(2025), std::chrono::month(1),
                                             std::chrono::day(6)};
    plan.fixedYears = 5;
    for (int i = 0; i < 40; ++i)
        plan.rateChanges.push_back({27 + 52 * i, lowestRate + (i % 7) * 0.5});
    for (int i = 0; i < 20; ++i)
        plan.lumpSums.push_back(
            {50 + 100 * i, 200000, i % 2 ? calc::PlanPart::Fixed : calc::PlanPart::Variable});
    return plan;
}
