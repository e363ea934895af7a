#include "PlannedRepayment.h"

#include "NumberText.h"
#include "RepaymentTable.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace calc {

namespace {

using Outcome = PlannedRepayment::Outcome;

// Lump sums of one period add up to no more than this, far beyond anything a part can owe.
constexpr Cents kMaxMoney = 1'000'000'000'000'000'000;

// A part beside its schedule: where it is to end and what it is given this period.
struct PartState {
    RepaymentSchedule& schedule;
    PlanPart id;
    double end; // the period it is to end in, counted from the start; need not be whole
    std::optional<RepaymentSchedule::Bill> bill;
    Cents room = 0;      // what it owes beyond its bill's due
    Cents take = 0;      // what it is given beyond the due
    Cents lumpTaken = 0; // how much of that came from lump sums
    Cents carried = 0;   // once paid off, its payment as it was then
};

// The period whose payment clears a part that is to end at end, as RepaymentSchedule counts it.
int LastPeriodOf(double end) {
    return static_cast<int>(std::max(1.0, std::ceil(end - 1e-6)));
}

} // namespace

PlannedRepayment::PlannedRepayment(const PlanInPeriods& plan, const LoanTerms& terms,
                                   double periodsPerYear)
    : plan_(plan), terms_(terms), periodsPerYear_(periodsPerYear),
      variablePeriodRate_(RepaymentSchedule::PeriodRate(terms.variableRatePercent, periodsPerYear)),
      revertPeriodRate_(
          RepaymentSchedule::PeriodRate(plan.revertRatePercent.value_or(0), periodsPerYear)) {
    // Each rate read through its text once, not once a run and part.
    changeRates_.reserve(plan.rateChanges.size());
    for (const PeriodRate& change : plan.rateChanges)
        changeRates_.push_back(RepaymentSchedule::PeriodRate(change.ratePercent, periodsPerYear));
}

Outcome PlannedRepayment::Run(RepaymentSchedule& variable, RepaymentSchedule& fixed, Cents extra,
                              bool withLumpSums, std::vector<ScheduleEvent>* events) const {
    const double term = periodsPerYear_ * terms_.years;
    PartState parts[2] = {{variable, PlanPart::Variable, term, {}},
                          {fixed, PlanPart::Fixed, term, {}}};
    PartState& v = parts[0];
    PartState& f = parts[1];
    const bool paymentFollowsRate = plan_.afterRateChange == AfterRateChange::PaymentFollows;
    const bool paymentFollowsLump = plan_.afterLumpSum == AfterLumpSum::PaymentFollows;
    const auto note = [events](int period, PlanPart part, ScheduleEventKind kind, double rate,
                               Cents amount) {
        if (events) events->push_back({period, part, kind, rate, amount});
    };

    // The part pays from period `from` what clears its balance at its rate over the periods
    // left, in cents.
    const auto followBalance = [&](PartState& p, double periodsLeft, int from) -> Outcome {
        RepaymentSchedule& s = p.schedule;
        const auto exact = PMT(s.RatePerPeriod(), std::max(1.0, periodsLeft),
                               -static_cast<double>(s.Balance()) / 100);
        if (!exact) return {ScheduleProblem::NotCalculable, from};
        if (!(*exact <= LoanSchedule::kMaxDollars)) return {ScheduleProblem::TooLarge, from};
        const Cents payment = ToCents(*exact);
        if (payment != s.Payment()) {
            s.SetPayment(payment);
            note(from, p.id, ScheduleEventKind::PaymentChange, 0, payment);
        }
        return {};
    };

    // A part's rate from period k on.
    const auto changeRate = [&](PartState& p, double ratePercent, double rate, int k,
                                bool noted) -> Outcome {
        RepaymentSchedule& s = p.schedule;
        if (s.Cleared() || rate == s.RatePerPeriod()) return {};
        s.SetRatePerPeriod(rate);
        if (noted) note(k, p.id, ScheduleEventKind::RateChange, ratePercent, 0);
        if (paymentFollowsRate) return followBalance(p, p.end - (k - 1), k);

        // The payment stays: it must keep ahead of the interest, and the part ends where the
        // balance runs out at this payment (NPER), not where its term ended.
        const double balance = static_cast<double>(s.Balance());
        const double interest = RoundHalfEven(balance * rate, 0);
        const double payment = static_cast<double>(s.Payment());
        if (payment >= balance + interest) return {}; // this period's payment clears it
        if (payment <= interest) return {ScheduleProblem::PaymentBelowInterest, k};
        // Paying more than the rounded interest, the payment is more than the exact interest
        // too, so the logarithm's argument stays positive.
        const double periods = rate == 0
                                   ? balance / payment
                                   : -std::log1p(-rate * balance / payment) / std::log1p(rate);
        p.end = (k - 1) + periods;
        if (!(p.end <= LoanSchedule::kMaxPeriods)) return {ScheduleProblem::TooLarge, k};
        s.SetLastPeriod(LastPeriodOf(p.end));
        return {};
    };

    double variableRate = terms_.variableRatePercent;
    double variablePeriodRate = variablePeriodRate_;
    bool fixedFollowsVariable = false;
    auto nextRate = plan_.rateChanges.begin();
    auto nextLump = withLumpSums ? plan_.lumpSums.begin() : plan_.lumpSums.end();
    const int revertPeriod = plan_.fixedPeriods ? *plan_.fixedPeriods + 1 : 0;
    for (int k = 1; !(variable.Cleared() && fixed.Cleared()); ++k) {
        if (k > LoanSchedule::kMaxPeriods) return {ScheduleProblem::TooLarge, k};

        // Most periods have no event: then the parts pay as without a plan, a PayPeriod each,
        // which keeps a long schedule with a few dozen events as fast as one without. With
        // carryOver that holds too, unless a part may be paid off by its own payment with some
        // of it left over for the other part: only one whose balance is no more than its
        // payment can.
        const bool eventful = (nextRate != plan_.rateChanges.end() && nextRate->period == k) ||
                              k == revertPeriod ||
                              (nextLump != plan_.lumpSums.end() && nextLump->period == k);
        if (!eventful) {
            const bool handsOn =
                plan_.carryOver && !variable.Cleared() && !fixed.Cleared() &&
                (variable.Balance() <= variable.Payment() || fixed.Balance() <= fixed.Payment());
            if (!handsOn) {
                const bool carry = plan_.carryOver;
                const Cents left =
                    variable.PayPeriod(extra + (carry && fixed.Cleared() ? f.carried : 0));
                fixed.PayPeriod(left + (carry && variable.Cleared() ? v.carried : 0));
                if (variable.Overflowed() || fixed.Overflowed())
                    return {ScheduleProblem::Runaway, k};
                for (PartState& p : parts)
                    if (p.carried == 0 && p.schedule.Cleared()) p.carried = p.schedule.Payment();
                continue;
            }
        }

        Outcome outcome;
        bool variableChanged = false;
        if (nextRate != plan_.rateChanges.end() && nextRate->period == k) {
            variableRate = nextRate->ratePercent;
            variablePeriodRate =
                changeRates_[static_cast<std::size_t>(nextRate - plan_.rateChanges.begin())];
            variableChanged = true;
            ++nextRate;
            outcome = changeRate(v, variableRate, variablePeriodRate, k, true);
        }
        if (outcome.problem == ScheduleProblem::None && k == revertPeriod) {
            fixedFollowsVariable = !plan_.revertRatePercent;
            const double rate = plan_.revertRatePercent.value_or(variableRate);
            if (!fixed.Cleared())
                note(k, PlanPart::Fixed, ScheduleEventKind::FixedPeriodEnd, rate, 0);
            outcome = changeRate(f, rate,
                                 plan_.revertRatePercent ? revertPeriodRate_ : variablePeriodRate,
                                 k, false);
        } else if (outcome.problem == ScheduleProblem::None && fixedFollowsVariable &&
                   variableChanged) {
            outcome = changeRate(f, variableRate, variablePeriodRate, k, true);
        }
        if (outcome.problem != ScheduleProblem::None) return outcome;

        for (PartState& p : parts) {
            p.bill.reset();
            p.room = p.take = p.lumpTaken = 0;
            if (p.schedule.Cleared()) continue;
            p.bill = p.schedule.NextBill();
            if (!p.bill) return {ScheduleProblem::Runaway, k};
            p.room = p.bill->owed - p.bill->due;
        }

        Cents lumpInto[2] = {0, 0};
        for (; nextLump != plan_.lumpSums.end() && nextLump->period == k; ++nextLump) {
            Cents& into = lumpInto[nextLump->part == PlanPart::Variable ? 0 : 1];
            into = std::min(kMaxMoney, into + nextLump->amount);
            note(k, nextLump->part, ScheduleEventKind::LumpSum, 0, nextLump->amount);
        }
        Cents carryInto[2] = {0, 0};
        if (plan_.carryOver) {
            for (int i = 0; i < 2; ++i) {
                const PartState& p = parts[i];
                // A part paid off by its own payment this period passes on what it left over.
                const Cents spare = !p.bill ? p.carried
                                    : p.bill->due == p.bill->owed
                                        ? p.schedule.Payment() - p.bill->owed
                                        : 0;
                carryInto[1 - i] += std::max<Cents>(0, spare);
            }
        }

        // Each part first takes what names it, then what the other could not take.
        const auto give = [](PartState& p, Cents& money, bool lump) {
            const Cents taken = std::min(p.room, money);
            p.room -= taken;
            p.take += taken;
            money -= taken;
            if (lump) p.lumpTaken += taken;
        };
        Cents extraLeft = extra;
        give(v, lumpInto[0], true);
        give(v, extraLeft, false);
        give(v, carryInto[0], false);
        give(f, lumpInto[1], true);
        give(f, lumpInto[0], true);
        give(f, extraLeft, false);
        give(f, carryInto[1], false);
        give(v, lumpInto[1], true);

        for (PartState& p : parts) {
            if (!p.bill) continue;
            p.schedule.Pay(*p.bill, p.take);
            if (p.schedule.Cleared()) {
                if (p.carried == 0) p.carried = p.schedule.Payment();
            } else if (paymentFollowsLump && p.lumpTaken > 0) {
                if (const Outcome o = followBalance(p, p.end - k, k + 1);
                    o.problem != ScheduleProblem::None)
                    return o;
            }
        }
    }
    return {};
}

} // namespace calc
