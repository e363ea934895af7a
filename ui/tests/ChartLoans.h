#pragma once

#include "calc/LoanSchedule.h"

#include <QtGlobal>

#include <chrono>
#include <utility>

// The loans the chart's tests draw: a split loan through a busy plan, one of a dollar, one of
// two trillion dollars, each as the program would make it.
class ChartLoans {
  public:
    static calc::LoanTerms Terms(double variable, double fixed, double years, int time,
                                 calc::Cents extra = 0) {
        calc::LoanTerms terms;
        terms.variableAmount = variable;
        terms.variableRatePercent = 6.5;
        terms.fixedAmount = fixed;
        terms.fixedRatePercent = 5.99;
        terms.years = years;
        terms.repaymentTime = time;
        terms.extra = extra;
        return terms;
    }

    static std::chrono::year_month_day Date(int y, unsigned m, unsigned d) {
        return {std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
    }

    // A 25-year monthly loan of $300,000 in two parts: two years fixed, following the variable
    // rate after; the rate up in period 13 and down in 40; a lump sum in period 30; $100 extra
    // each month. Dated from 2025-03-31 when asked.
    static calc::LoanPlan BusyPlan(bool dated) {
        calc::LoanPlan plan;
        if (dated) plan.start = Date(2025, 3, 31);
        plan.fixedYears = 2;
        plan.rateChanges = {{13, 7.25}, {40, 5}};
        plan.lumpSums = {{30, 2'000'000, calc::PlanPart::Fixed}};
        return plan;
    }

    static calc::LoanSchedule Make(const calc::LoanTerms& terms, const calc::LoanPlan& plan = {}) {
        auto result = calc::LoanSchedule::Make(terms, plan);
        if (!result.schedule) qFatal("%s", calc::ScheduleProblemSentence(result).c_str());
        return std::move(*result.schedule);
    }

    static calc::LoanSchedule Busy(bool dated) {
        return Make(Terms(200000, 100000, 25, 4, 10000), BusyPlan(dated));
    }
};
