#pragma once

#include "calc/LoanPlan.h"

#include <string>
#include <string_view>

namespace loan {

// A loan's plan as the command line gives it, one option at a time, in the order given. Each
// option's value is read here; what is wrong with the plan as a whole (a date that does not
// exist, period 0, a negative number, two rate changes at one period) is LoanPlan::Resolve's to
// say, naming the entry.
class PlanOptions {
  public:
    // Each takes an option's value and returns an empty text, or the sentence why the value is
    // not one the option takes.
    std::string Start(std::string_view date);          // YYYY-MM-DD
    std::string FixedYears(std::string_view years);    // a number
    std::string RevertRate(std::string_view rate);     // percent a year
    std::string RateChange(std::string_view whenRate); // WHEN=RATE
    std::string LumpSum(std::string_view whenAmount);  // WHEN=AMOUNT or WHEN=AMOUNT@fixed
    void KeepPayment() { Touch(), plan_.afterRateChange = calc::AfterRateChange::PaymentStays; }
    void KeepTerm() { Touch(), plan_.afterLumpSum = calc::AfterLumpSum::PaymentFollows; }
    void CarryOver() { Touch(), plan_.carryOver = true; }

    // Some plan option was given: the options are the whole plan.
    bool Any() const { return any_; }
    const calc::LoanPlan& Plan() const { return plan_; }

  private:
    void Touch() { any_ = true; }

    calc::LoanPlan plan_;
    bool any_ = false;
};

} // namespace loan
