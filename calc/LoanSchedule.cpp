#include "LoanSchedule.h"

#include "LoanSplit.h"
#include "NumberText.h"
#include "PlannedRepayment.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace calc {

namespace {

bool IsFilled(const std::string& text) {
    return text.find_first_not_of(' ') != std::string::npos;
}

int ValidTime(int repaymentTime) {
    return repaymentTime >= 1 && repaymentTime <= kRepaymentRows ? repaymentTime : 4;
}

RepaymentSchedule::Terms PartTerms(const LoanTerms& loan, double amount, double ratePercent) {
    return {amount, ratePercent, loan.years, PeriodsPerYear(ValidTime(loan.repaymentTime) - 1)};
}

// Cents of x and how far x lies above them, in cents (-0.5 to 0.5).
struct Rounded {
    Cents cents;
    double above;
};
Rounded RoundedCents(double dollars) {
    const Cents cents = ToCents(dollars);
    return {cents, dollars * 100.0 - static_cast<double>(cents)};
}

// Pays both parts period by period, the extra into the variable part first.
void PayTogether(RepaymentSchedule& variable, RepaymentSchedule& fixed, Cents extra) {
    while (!(variable.Cleared() && fixed.Cleared()) && !variable.Overflowed() &&
           !fixed.Overflowed()) {
        const Cents left = variable.PayPeriod(extra);
        fixed.PayPeriod(left);
    }
}

} // namespace

std::string_view ScheduleProblemText(ScheduleProblem problem) {
    switch (problem) {
    case ScheduleProblem::None:
        return {};
    case ScheduleProblem::Incomplete:
        return "The loan is not complete: the principal, term, both shares, both amounts and both "
               "rates must have a value";
    case ScheduleProblem::NotCalculable:
        return "The repayments of this loan cannot be calculated: check its term and rates";
    case ScheduleProblem::Negative:
        return "A schedule needs a term above zero and amounts, rates and extra payments of zero "
               "or more";
    case ScheduleProblem::TooLarge:
        return "This loan is too large or too long to list its payments";
    case ScheduleProblem::Runaway:
        return "At this rate over this term, payments rounded to the cent leave a balance too "
               "large to list";
    case ScheduleProblem::PlanRefused:
        return "The loan's plan cannot be followed as it is entered";
    case ScheduleProblem::EventAfterEnd:
        return "The plan has an event after the loan's last period";
    case ScheduleProblem::PaymentBelowInterest:
        return "After a rate change the payment no longer covers the interest";
    }
    return {};
}

std::string ScheduleEventText(const ScheduleEvent& event) {
    const std::string part = event.part == PlanPart::Variable ? "variable" : "fixed";
    const std::string rate = NumberText(event.ratePercent) + "%";
    switch (event.kind) {
    case ScheduleEventKind::RateChange:
        // Only a fixed part past its fixed period follows the variable rate.
        return event.part == PlanPart::Variable
                   ? "The variable rate changes to " + rate
                   : "The fixed part follows the variable rate to " + rate;
    case ScheduleEventKind::FixedPeriodEnd:
        return "The fixed period ends: the fixed part pays " + rate;
    case ScheduleEventKind::LumpSum:
        return "Lump sum of " + CurrencyTextOf(static_cast<double>(event.amount) / 100) +
               " into the " + part + " part";
    case ScheduleEventKind::PaymentChange:
        return "The " + part + " part's installment becomes " +
               CurrencyTextOf(static_cast<double>(event.amount) / 100);
    }
    return {};
}

std::string ScheduleProblemSentence(const ScheduleResult& result) {
    const std::string period = std::to_string(result.period);
    switch (result.problem) {
    case ScheduleProblem::PlanRefused:
        return PlanProblemText(result.plan);
    case ScheduleProblem::EventAfterEnd:
        return "The plan has an event in period " + period + ", after the loan's last period";
    case ScheduleProblem::PaymentBelowInterest:
        return "In period " + period +
               " the payment no longer covers the interest at the new rate: the loan would "
               "never be paid";
    default:
        return std::string(ScheduleProblemText(result.problem));
    }
}

LoanSchedule::LoanSchedule(const LoanTerms& terms, RepaymentSchedule variable,
                           RepaymentSchedule fixed)
    : terms_(terms), variable_(std::move(variable)), fixed_(std::move(fixed)) {}

double LoanSchedule::PeriodsPerYear() const {
    return calc::PeriodsPerYear(ValidTime(terms_.repaymentTime) - 1);
}

LoanSchedule::Result LoanSchedule::Make(const LoanTerms& terms) {
    return Make(terms, LoanPlan{});
}

LoanSchedule::Result LoanSchedule::Make(const LoanTerms& terms, const LoanPlan& plan) {
    const double numbers[] = {terms.variableAmount, terms.variableRatePercent, terms.fixedAmount,
                              terms.fixedRatePercent, terms.years};
    if (!std::all_of(std::begin(numbers), std::end(numbers),
                     [](double x) { return std::isfinite(x); }))
        return {std::nullopt, ScheduleProblem::TooLarge};
    if (terms.years <= 0 || terms.extra < 0 ||
        std::any_of(std::begin(numbers), std::end(numbers), [](double x) { return x < 0; }))
        return {std::nullopt, ScheduleProblem::Negative};
    const RepaymentSchedule::Terms variableTerms =
        PartTerms(terms, terms.variableAmount, terms.variableRatePercent);
    const RepaymentSchedule::Terms fixedTerms =
        PartTerms(terms, terms.fixedAmount, terms.fixedRatePercent);
    if (variableTerms.periodsPerYear * terms.years > kMaxPeriods ||
        terms.variableAmount > kMaxDollars || terms.fixedAmount > kMaxDollars ||
        static_cast<double>(terms.extra) > kMaxDollars * 100)
        return {std::nullopt, ScheduleProblem::TooLarge};

    const auto variableExact = RepaymentSchedule::ExactPayment(variableTerms);
    const auto fixedExact = RepaymentSchedule::ExactPayment(fixedTerms);
    if (!variableExact || !fixedExact) return {std::nullopt, ScheduleProblem::NotCalculable};
    // The results table's instalment, from the same sum in the same order.
    const double exactInstalment = *fixedExact + *variableExact;
    if (!(exactInstalment <= kMaxDollars)) return {std::nullopt, ScheduleProblem::TooLarge};

    Rounded variablePayment = RoundedCents(*variableExact);
    Rounded fixedPayment = RoundedCents(*fixedExact);
    const Cents missing = ToCents(exactInstalment) - variablePayment.cents - fixedPayment.cents;
    if (missing > 0) {
        (fixedPayment.above > variablePayment.above ? fixedPayment : variablePayment).cents +=
            missing;
    } else if (missing < 0) {
        (fixedPayment.above < variablePayment.above ? fixedPayment : variablePayment).cents +=
            missing;
    }

    // The loan's own faults are named before its plan's.
    const PlanResolution resolved = plan.Resolve(terms.repaymentTime);
    if (!resolved.plan) return {std::nullopt, ScheduleProblem::PlanRefused, 0, resolved.check};
    const PlanInPeriods& inPeriods = *resolved.plan;
    RepaymentSchedule variable(variableTerms, variablePayment.cents);
    RepaymentSchedule fixed(fixedTerms, fixedPayment.cents);
    const bool planned = !plan.ChangesNoAmount();
    // Reads its rates through their texts: only for a plan that may change an amount.
    std::optional<PlannedRepayment> planRun;
    if (planned) planRun.emplace(inPeriods, terms, variableTerms.periodsPerYear);
    std::vector<ScheduleEvent> events;
    if (planned) {
        // Both parts end in the same period; an event after it has nothing to act on.
        // Both lists are in period order: the first late event is the first of either past it.
        const auto lateRate = std::find_if(
            inPeriods.rateChanges.begin(), inPeriods.rateChanges.end(),
            [&variable](const PeriodRate& c) { return c.period > variable.LastPeriod(); });
        const auto lateLump = std::find_if(
            inPeriods.lumpSums.begin(), inPeriods.lumpSums.end(),
            [&variable](const PeriodLump& l) { return l.period > variable.LastPeriod(); });
        int late = 0;
        if (lateRate != inPeriods.rateChanges.end()) late = lateRate->period;
        if (lateLump != inPeriods.lumpSums.end() && (late == 0 || lateLump->period < late))
            late = lateLump->period;
        if (late > 0) return {std::nullopt, ScheduleProblem::EventAfterEnd, late};
        const PlannedRepayment::Outcome outcome =
            planRun->Run(variable, fixed, terms.extra, true, &events);
        if (outcome.problem != ScheduleProblem::None)
            return {std::nullopt, outcome.problem, outcome.period};
    } else {
        PayTogether(variable, fixed, terms.extra);
        if (variable.Overflowed() || fixed.Overflowed())
            return {std::nullopt, ScheduleProblem::Runaway};
    }

    LoanSchedule schedule(terms, std::move(variable), std::move(fixed));
    schedule.plan_ = plan;
    if (plan.start) schedule.calendar_.emplace(*plan.start, ValidTime(terms.repaymentTime));
    schedule.events_ = std::move(events);
    ScheduleTotals& totals = schedule.totals_;
    for (const RepaymentSchedule* part : {&schedule.variable_, &schedule.fixed_}) {
        totals.payments += part->Totals().payments;
        totals.interest += part->Totals().interest;
        totals.principal += part->Totals().principal;
    }
    totals.payoffPeriod =
        std::max(schedule.variable_.Totals().payoffPeriod, schedule.fixed_.Totals().payoffPeriod);

    if (terms.extra > 0 || !inPeriods.lumpSums.empty()) {
        // Only its totals count.
        RepaymentSchedule plainVariable(variableTerms, variablePayment.cents, false);
        RepaymentSchedule plainFixed(fixedTerms, fixedPayment.cents, false);
        bool made = true;
        if (planned) {
            // Without the money the plan pays in, a payment that stays may fall behind the
            // interest: then there is nothing to measure against.
            made = planRun->Run(plainVariable, plainFixed, 0, false, nullptr).problem ==
                   ScheduleProblem::None;
        } else {
            PayTogether(plainVariable, plainFixed, 0);
        }
        if (made) {
            ScheduleTotals plain;
            for (const RepaymentSchedule* part : {&plainVariable, &plainFixed}) {
                plain.payments += part->Totals().payments;
                plain.interest += part->Totals().interest;
                plain.principal += part->Totals().principal;
            }
            plain.payoffPeriod =
                std::max(plainVariable.Totals().payoffPeriod, plainFixed.Totals().payoffPeriod);
            schedule.periodsSaved_ = plain.payoffPeriod - totals.payoffPeriod;
            schedule.interestSaved_ = plain.interest - totals.interest;
            schedule.withoutExtras_ = plain;
        }
    }
    return {std::move(schedule), ScheduleProblem::None};
}

std::span<const ScheduleEvent> LoanSchedule::EventsIn(int period) const {
    const auto first = std::lower_bound(events_.begin(), events_.end(), period,
                                        [](const ScheduleEvent& e, int p) { return e.period < p; });
    const auto last = std::upper_bound(first, events_.end(), period,
                                       [](int p, const ScheduleEvent& e) { return p < e.period; });
    return {first, last};
}

double LoanSchedule::RatePercent(PlanPart part, int period) const {
    // The part's last rate event up to the period.
    auto it = std::upper_bound(events_.begin(), events_.end(), period,
                               [](int p, const ScheduleEvent& e) { return p < e.period; });
    while (it != events_.begin()) {
        --it;
        if (it->part == part && (it->kind == ScheduleEventKind::RateChange ||
                                 it->kind == ScheduleEventKind::FixedPeriodEnd))
            return it->ratePercent;
    }
    return part == PlanPart::Variable ? terms_.variableRatePercent : terms_.fixedRatePercent;
}

std::optional<std::chrono::year_month_day> LoanSchedule::DateOf(int period) const {
    if (!calendar_) return std::nullopt;
    return calendar_->DateOf(period);
}

std::optional<std::chrono::year_month_day> LoanSchedule::PayoffDate(PlanPart part) const {
    const int period = Part(part).Totals().payoffPeriod;
    if (period == 0) return std::nullopt;
    return DateOf(period);
}

ScheduleRow LoanSchedule::Row(std::size_t k) const {
    ScheduleRow row;
    for (const RepaymentSchedule* part : {&variable_, &fixed_}) {
        if (k >= part->Rows().size()) continue;
        const ScheduleRow& p = part->Rows()[k];
        row.payment += p.payment;
        row.interest += p.interest;
        row.balance += p.balance;
    }
    return row;
}

LoanSchedule::Result LoanSchedule::FromFields(const RepaymentFields& fields, int repaymentTime,
                                              Cents extra) {
    return FromFields(fields, repaymentTime, extra, LoanPlan{});
}

LoanSchedule::Result LoanSchedule::FromFields(const RepaymentFields& fields, int repaymentTime,
                                              Cents extra, const LoanPlan& plan) {
    if (!std::all_of(fields.begin(), fields.end(), IsFilled))
        return {std::nullopt, ScheduleProblem::Incomplete};
    const auto variableRate = StrictNumber(fields[FieldVariableRate]);
    const auto fixedRate = StrictNumber(fields[FieldFixedRate]);
    if (!variableRate || !fixedRate) return {std::nullopt, ScheduleProblem::NotCalculable};
    LoanTerms terms;
    terms.variableAmount = TextValue(fields[FieldVariableAmount]);
    terms.variableRatePercent = *variableRate;
    terms.fixedAmount = TextValue(fields[FieldFixedAmount]);
    terms.fixedRatePercent = *fixedRate;
    terms.years = TextValue(fields[FieldTerm]);
    terms.repaymentTime = repaymentTime;
    terms.extra = extra;
    // A term that reads as 0 has no periods, as in the results table.
    if (terms.years == 0) return {std::nullopt, ScheduleProblem::NotCalculable};
    return Make(terms, plan);
}

} // namespace calc
