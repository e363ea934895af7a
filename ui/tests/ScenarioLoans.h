#pragma once

#include "calc/LoanSchedule.h"

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

// The compare table's scenarios worked out apart from the program's own scenarios: each one a
// loan of its own, made from its fields and plan, and its figures read off its rows.
class ScenarioLoans {
  public:
    // The 25-year example loan: $200,000 at 6.5% and $100,000 at 5.99%, the variable rate as
    // given.
    static calc::RepaymentFields Fields(const char* variableRate = "6.5") {
        return {"300000", "25", "66.667", variableRate, "200000", "33.333", "5.99", "100000"};
    }

    static calc::LoanSchedule Make(const calc::RepaymentFields& fields, int time, calc::Cents extra,
                                   const calc::LoanPlan& plan) {
        auto result = calc::LoanSchedule::FromFields(fields, time, extra, plan);
        if (!result.schedule) qFatal("%s", calc::ScheduleProblemSentence(result).c_str());
        return std::move(*result.schedule);
    }

    // The plan with every rate change the points higher.
    static calc::LoanPlan Raised(calc::LoanPlan plan, double points) {
        for (calc::RateChange& change : plan.rateChanges)
            change.ratePercent += points;
        return plan;
    }

    // What the compare table says of a loan, from its rows: the installment is a period's
    // payment without the extra payment and the lump sums paid in it, up to the first part's
    // last payment, which clears the part whatever it asks.
    struct Figures {
        calc::Cents first = 0, highest = 0, interest = 0;
        int last = 0;
        std::optional<std::chrono::year_month_day> date;
    };

    static Figures FiguresOf(const calc::LoanSchedule& s) {
        Figures f;
        int end = s.Totals().payoffPeriod;
        for (const calc::RepaymentSchedule* part : {&s.Variable(), &s.Fixed()})
            if (part->Totals().payoffPeriod > 0) end = std::min(end, part->Totals().payoffPeriod);
        for (int p = 1; p < end; ++p) {
            calc::Cents lumps = 0;
            for (const calc::LumpSum& lump : s.Plan().lumpSums)
                if (const int* at = std::get_if<int>(&lump.when); at && *at == p)
                    lumps += lump.amount;
            const calc::Cents instalment =
                s.Row(static_cast<std::size_t>(p - 1)).payment - s.Terms().extra - lumps;
            if (p == 1) f.first = instalment;
            f.highest = std::max(f.highest, instalment);
        }
        f.interest = s.Totals().interest;
        f.last = s.Totals().payoffPeriod;
        f.date = s.DateOf(f.last);
        return f;
    }
};
