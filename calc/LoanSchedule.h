#pragma once

#include "RepaymentSchedule.h"
#include "RepaymentTable.h"

#include <optional>
#include <string_view>
#include <vector>

namespace calc {

// Why a loan has no schedule.
enum class ScheduleProblem {
    None,
    Incomplete,    // a field of the loan is blank
    NotCalculable, // the results table cannot be calculated either (a rate that is no number, a
                   // term of no periods, a payment too large for a double)
    Negative,      // a negative amount, rate, term or extra payment
    TooLarge,      // more periods or dollars than a schedule can list
    Runaway,       // a balance grows beyond what can be listed: at a very high rate over a long
                   // term, the fraction of a cent the payment is rounded down by compounds
};

// A sentence for the user, without a closing full stop.
std::string_view ScheduleProblemText(ScheduleProblem problem);

struct LoanTerms {
    double variableAmount = 0;
    double variableRatePercent = 0;
    double fixedAmount = 0;
    double fixedRatePercent = 0;
    double years = 0;
    int repaymentTime = 4; // 1 weekly, 2 fortnightly, 3 bi-monthly, 4 monthly, 5 quarterly
    Cents extra = 0;       // paid on top of the instalment every period
};

struct ScheduleResult;

// The repayment schedule of a whole loan: its variable and its fixed part, each an annuity of
// its own over the same term, paid together period by period.
//
// The regular payment of the loan is the results table's instalment for the repayment time, to
// the cent: the two parts' payments rounded to cents, except where those add up to a cent more
// or less than the instalment. Then the cent goes to the part whose own rounding was the closer
// call (the one with the larger fraction of a cent left over when a cent is missing, the smaller
// when there is one too many; the variable part on a tie), so each part's payment stays within a
// cent of its exact payment and never goes below zero.
//
// An extra payment is paid every period on top of the instalment, into the variable part first:
// it repays the variable part's balance; once that is cleared, what the period's extra has left
// goes to the fixed part, and from then on all of it. A part's regular payment ends with the
// part; it is not carried over to the other. The schedule is then measured against the same
// loan without the extra: the periods and the interest saved.
class LoanSchedule {
  public:
    // The most periods listed: a thousand years of weekly payments.
    static constexpr int kMaxPeriods = 52'143;
    // The largest amount, payment or extra payment in dollars.
    static constexpr double kMaxDollars = 1e12;

    using Result = ScheduleResult;

    static Result Make(const LoanTerms& terms);
    // The loan of entry fields 0..7 (the results table's inputs), read as that table reads them.
    static Result FromFields(const RepaymentFields& fields, int repaymentTime, Cents extra = 0);

    const LoanTerms& Terms() const { return terms_; }
    double PeriodsPerYear() const;
    Cents Instalment() const { return variable_.RegularPayment() + fixed_.RegularPayment(); }

    const RepaymentSchedule& Variable() const { return variable_; }
    const RepaymentSchedule& Fixed() const { return fixed_; }
    // The whole loan's periods: as many as its longer part has.
    std::size_t Periods() const { return static_cast<std::size_t>(totals_.payoffPeriod); }
    // The whole loan in period k (from 0): the sums of the parts' rows, a part that is paid off
    // adding nothing. Made on demand, which keeps a long schedule small.
    ScheduleRow Row(std::size_t k) const;
    const ScheduleTotals& Totals() const { return totals_; }

    // Against the same loan without the extra payment; 0 without one.
    int PeriodsSaved() const { return periodsSaved_; }
    Cents InterestSaved() const { return interestSaved_; }

  private:
    LoanSchedule(const LoanTerms& terms, RepaymentSchedule variable, RepaymentSchedule fixed);

    LoanTerms terms_;
    RepaymentSchedule variable_;
    RepaymentSchedule fixed_;
    ScheduleTotals totals_;
    int periodsSaved_ = 0;
    Cents interestSaved_ = 0;
};

struct ScheduleResult {
    std::optional<LoanSchedule> schedule; // none when problem says why
    ScheduleProblem problem = ScheduleProblem::None;
};

} // namespace calc
