#pragma once

#include "LoanPlan.h"
#include "PaymentCalendar.h"
#include "RepaymentSchedule.h"
#include "RepaymentTable.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
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
    PlanRefused,   // the plan's entries are wrong whatever the loan (ScheduleResult::plan says how)
    EventAfterEnd, // an event of the plan falls after the loan's last period
    PaymentBelowInterest, // the payment stays after a rate change and no longer covers the
                          // interest
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

enum class ScheduleEventKind : std::uint8_t {
    RateChange,     // the part's rate changed: the variable rate, or the fixed part following it
                    // once its fixed period is over
    FixedPeriodEnd, // the fixed period is over: the fixed part's rate reverts (it may stay the
                    // same)
    LumpSum,        // a lump sum named this part
    PaymentChange,  // the part's payment changed: after a rate change or a lump sum
};

// What happened in a period to a part.
struct ScheduleEvent {
    int period = 0; // from 1
    PlanPart part = PlanPart::Variable;
    ScheduleEventKind kind = ScheduleEventKind::RateChange;
    double ratePercent = 0; // RateChange, FixedPeriodEnd: the part's rate from this period on
    Cents amount = 0;       // LumpSum: the sum as the plan gives it (the part may take less);
                            // PaymentChange: the part's payment from this period on
};

// What happened, for a tooltip or a note beside the row, without a closing full stop:
// "The variable rate changes to 7.25%", "The fixed period ends: the fixed part pays 6.5%",
// "Lump sum of $2,000.00 into the fixed part", "The variable part's installment becomes $1,234.56".
// Amounts and rates as the program's texts write them.
std::string ScheduleEventText(const ScheduleEvent& event);

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
// part; it is not carried over to the other unless the plan says so. The schedule is then measured
// against the same loan without the extra: the periods and the interest saved.
//
// A plan (LoanPlan) changes this period by period; a plan that changes no amount goes the same
// way as no plan, and one whose events change nothing (a rate change to the rate in force, a
// lump sum of $0, a fixed period that outlasts the loan) gives the same rows. In each period:
// - First the rates: a change of the variable rate, then the fixed part's: its reversion at the
//   end of the fixed period, or the variable rate's change once the fixed part has become
//   variable. A change to the rate a part already pays does nothing at all. Otherwise the
//   period's interest is at the new rate, and
//   - when the payment follows, the part pays from this period the PMT at the new rate over the
//     periods left (periods a year x term - (period - 1), at least one, need not be whole) on
//     its balance before the period, rounded to cents; its last payment still clears it in the
//     period it would have ended anyway. What an earlier lump sum or extra payment has repaid is
//     spread over the rest of the term too: from then on it lowers the payment instead of
//     bringing the end forward;
//   - when the payment stays, it must be more than this period's interest, or there is no
//     schedule (PaymentBelowInterest, naming the period). The part's end moves to where its
//     balance, its rate and its payment take it (NPER, rounded up to a period whose payment
//     clears the part).
// - Then the money: each part's payment, or what it owes where that is less; then, as far as
//   a part owes more, lump sums into it, the extra payment (the variable part first) and, with
//   carryOver, the payments of parts paid off (in the period a part is paid off, what its payment
//   had left over). What a part cannot take goes to the other part. A part's last period clears
//   it: what it owes beyond its payment comes first from that money, the rest from the part.
// - Then, when the payment follows lump sums, each part a lump sum went into pays from the next
//   period the PMT over the periods left to its end on its new balance (at least one period).
// Events after the loan's last period (periods a year x term, rounded up) are refused
// (EventAfterEnd). A schedule that would run beyond kMaxPeriods is TooLarge. The savings compare
// the schedule with the same loan and plan without the extra payment and the lump sums
// (carryOver stays: it moves no money of its own into the loan).
class LoanSchedule {
  public:
    // The most periods listed: a thousand years of weekly payments.
    static constexpr int kMaxPeriods = 52'143;
    // The largest amount, payment or extra payment in dollars.
    static constexpr double kMaxDollars = 1e12;

    using Result = ScheduleResult;

    static Result Make(const LoanTerms& terms);
    static Result Make(const LoanTerms& terms, const LoanPlan& plan);
    // The loan of entry fields 0..7 (the results table's inputs), read as that table reads them.
    static Result FromFields(const RepaymentFields& fields, int repaymentTime, Cents extra = 0);
    static Result FromFields(const RepaymentFields& fields, int repaymentTime, Cents extra,
                             const LoanPlan& plan);

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

    // Against the same loan without the extra payment and the plan's lump sums; 0 without
    // either, or where that loan has no schedule.
    int PeriodsSaved() const { return periodsSaved_; }
    Cents InterestSaved() const { return interestSaved_; }
    // The totals the savings are measured against; none as for the savings.
    const std::optional<ScheduleTotals>& TotalsWithoutExtras() const { return withoutExtras_; }

    const LoanPlan& Plan() const { return plan_; }
    const RepaymentSchedule& Part(PlanPart part) const {
        return part == PlanPart::Variable ? variable_ : fixed_;
    }
    // What happened, in period order: only periods where something did.
    const std::vector<ScheduleEvent>& Events() const { return events_; }
    std::span<const ScheduleEvent> EventsIn(int period) const;
    // The annual rate in percent the part pays in the period (from 1).
    double RatePercent(PlanPart part, int period) const;
    // With a start date: the date of the period (from 1), else none.
    bool HasDates() const { return calendar_.has_value(); }
    std::optional<std::chrono::year_month_day> DateOf(int period) const;
    // The date of the part's last payment; none without a start date or for a part of nothing.
    std::optional<std::chrono::year_month_day> PayoffDate(PlanPart part) const;

  private:
    LoanSchedule(const LoanTerms& terms, RepaymentSchedule variable, RepaymentSchedule fixed);

    LoanTerms terms_;
    RepaymentSchedule variable_;
    RepaymentSchedule fixed_;
    ScheduleTotals totals_;
    int periodsSaved_ = 0;
    Cents interestSaved_ = 0;
    std::optional<ScheduleTotals> withoutExtras_;
    LoanPlan plan_;
    std::optional<PaymentCalendar> calendar_;
    std::vector<ScheduleEvent> events_;
};

struct ScheduleResult {
    ScheduleResult(std::optional<LoanSchedule> made, ScheduleProblem why, int at = 0,
                   PlanCheck check = {})
        : schedule(std::move(made)), problem(why), period(at), plan(check) {}

    std::optional<LoanSchedule> schedule; // none when problem says why
    ScheduleProblem problem = ScheduleProblem::None;
    int period = 0; // EventAfterEnd, PaymentBelowInterest: the period it happens in
    PlanCheck plan; // PlanRefused: what is wrong with the plan
};

// The sentence for the user of ScheduleProblemText, with the period or the plan's entry named
// where the problem has one; without a closing full stop.
std::string ScheduleProblemSentence(const ScheduleResult& result);

} // namespace calc
