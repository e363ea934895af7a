#include "LoanSchedule.h"

#include "LoanSplit.h"
#include "NumberText.h"

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
    }
    return {};
}

LoanSchedule::LoanSchedule(const LoanTerms& terms, RepaymentSchedule variable,
                           RepaymentSchedule fixed)
    : terms_(terms), variable_(std::move(variable)), fixed_(std::move(fixed)) {}

double LoanSchedule::PeriodsPerYear() const {
    return calc::PeriodsPerYear(ValidTime(terms_.repaymentTime) - 1);
}

LoanSchedule::Result LoanSchedule::Make(const LoanTerms& terms) {
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

    RepaymentSchedule variable(variableTerms, variablePayment.cents);
    RepaymentSchedule fixed(fixedTerms, fixedPayment.cents);
    PayTogether(variable, fixed, terms.extra);
    if (variable.Overflowed() || fixed.Overflowed())
        return {std::nullopt, ScheduleProblem::Runaway};

    LoanSchedule schedule(terms, std::move(variable), std::move(fixed));
    ScheduleTotals& totals = schedule.totals_;
    for (const RepaymentSchedule* part : {&schedule.variable_, &schedule.fixed_}) {
        totals.payments += part->Totals().payments;
        totals.interest += part->Totals().interest;
        totals.principal += part->Totals().principal;
    }
    totals.payoffPeriod =
        std::max(schedule.variable_.Totals().payoffPeriod, schedule.fixed_.Totals().payoffPeriod);

    if (terms.extra > 0) {
        // Only its totals count.
        RepaymentSchedule plainVariable(variableTerms, variablePayment.cents, false);
        RepaymentSchedule plainFixed(fixedTerms, fixedPayment.cents, false);
        PayTogether(plainVariable, plainFixed, 0);
        const int plainPeriods =
            std::max(plainVariable.Totals().payoffPeriod, plainFixed.Totals().payoffPeriod);
        schedule.periodsSaved_ = plainPeriods - totals.payoffPeriod;
        schedule.interestSaved_ =
            plainVariable.Totals().interest + plainFixed.Totals().interest - totals.interest;
    }
    return {std::move(schedule), ScheduleProblem::None};
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
    return Make(terms);
}

} // namespace calc
