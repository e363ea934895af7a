#pragma once

#include "RepaymentSchedule.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace calc {

enum class PlanPart : std::uint8_t { Variable, Fixed };

// When an event happens: a period (1 is the first payment) or a date, which names the first
// payment on or after it and needs the plan's start date.
using PlanWhen = std::variant<int, std::chrono::year_month_day>;

// The variable rate from then on, in percent a year.
struct RateChange {
    PlanWhen when = 1;
    double ratePercent = 0;
};

// A sum paid with that period's payment, into the part named first: never more than the part
// owes, the rest into the other part.
struct LumpSum {
    PlanWhen when = 1;
    Cents amount = 0;
    PlanPart part = PlanPart::Variable;
};

enum class AfterRateChange : std::uint8_t {
    PaymentFollows, // the payment changes so the part ends when it would have
    PaymentStays,   // the payment stays and the part's end moves
};

enum class AfterLumpSum : std::uint8_t {
    PaymentStays,   // the part ends sooner
    PaymentFollows, // the payment drops so the part ends when it would have
};

// Why a plan is refused before any schedule is made: its entries themselves are wrong, whatever
// the loan.
enum class PlanProblem : std::uint8_t {
    None,
    DateDoesNotExist, // the start, or an event's date, is no date of the years 1 to 9999
    DateWithoutStart, // an event is given by a date and the plan has no start date
    PeriodZero,       // an event in period 0 or before
    Negative,         // a negative rate, amount or number of years
    TooLarge,         // a lump sum beyond the largest amount, a number that is no number
    TwoRateChanges,   // two rate changes fall on one period
};

// Which entry a problem is about.
enum class PlanItem : std::uint8_t { None, Start, FixedYears, RevertRate, RateChange, LumpSum };

struct PlanCheck {
    PlanProblem problem = PlanProblem::None;
    PlanItem item = PlanItem::None;
    std::size_t index = 0;      // RateChange, LumpSum: which one, from 0 in the plan's order
    std::size_t otherIndex = 0; // TwoRateChanges: the earlier of the two in the plan's order
    int period = 0;             // TwoRateChanges: the period both fall on
};

// A sentence for the user naming the entry (rate changes and lump sums counted from 1), without
// a closing full stop; empty for none.
std::string PlanProblemText(const PlanCheck& check);

struct PeriodRate {
    int period = 0;
    double ratePercent = 0;
};

struct PeriodLump {
    int period = 0;
    Cents amount = 0;
    PlanPart part = PlanPart::Variable;
};

// A plan in periods, as a schedule follows it.
struct PlanInPeriods {
    // The fixed rate holds for periods 1 to fixedPeriods; none without a fixed period.
    std::optional<int> fixedPeriods;
    std::optional<double> revertRatePercent;
    std::vector<PeriodRate> rateChanges; // in period order, at most one a period
    std::vector<PeriodLump> lumpSums;    // in period order, the plan's order within a period
    AfterRateChange afterRateChange = AfterRateChange::PaymentFollows;
    AfterLumpSum afterLumpSum = AfterLumpSum::PaymentStays;
    bool carryOver = false;
};

struct PlanResolution {
    std::optional<PlanInPeriods> plan; // none when check says why
    PlanCheck check;
};

// What a borrower expects to happen to a loan over its life, beside its terms.
//
// - The fixed period: the fixed rate holds for the first floor(years x periods a year) periods
//   (a product a hair under a whole number counts as it); from the next one
//   the fixed part pays the revert rate. Without a revert rate it pays the variable rate in force
//   then and follows the variable rate's later changes, having become variable itself; with one
//   it keeps that rate. The reversion is a rate change of the fixed part, so afterRateChange
//   applies to it as to the variable part. A fixed period as long as the loan or longer never
//   ends while it is paid. The revert rate is read only with a fixed period.
// - Rate changes are of the variable rate; lump sums go into either part.
// - carryOver: when one part is paid off, its payment (as it was then) goes on into the other
//   part, so the loan's payment stays the same until the whole loan is paid.
// - The start date is the first payment's date; with it every period has a date (see
//   PaymentCalendar) and events may be given by date.
//
// How a schedule follows a plan, period by period, is told at LoanSchedule.
struct LoanPlan {
    static constexpr Cents kMaxLumpSum = 100'000'000'000'000; // $1 trillion, the largest amount

    std::optional<std::chrono::year_month_day> start;
    std::optional<double> fixedYears;
    std::optional<double> revertRatePercent;
    std::vector<RateChange> rateChanges;
    std::vector<LumpSum> lumpSums;
    AfterRateChange afterRateChange = AfterRateChange::PaymentFollows;
    AfterLumpSum afterLumpSum = AfterLumpSum::PaymentStays;
    bool carryOver = false;

    // A WHEN as a command line or a field gives it: a period number ("12") or a date
    // ("2026-03-31"), which may be one that does not exist (Resolve refuses it, naming its
    // entry, as it refuses period 0). A period beyond what an int holds reads as the largest.
    // Empty for any other text.
    static std::optional<PlanWhen> ParseWhen(std::string_view text);

    // Nothing in it can change an amount of a schedule: a start date at most.
    bool ChangesNoAmount() const;

    // The plan in periods of the repayment time (1 weekly .. 5 quarterly), dates read against
    // the start date; or the first problem in the order of the entries above (the start, the
    // fixed period, the revert rate, each rate change, each lump sum, then rate changes that
    // fall on one period). Periods past the loan's end are the schedule's to refuse.
    PlanResolution Resolve(int repaymentTime) const;
};

} // namespace calc
