#include "RepaymentSchedule.h"

#include "NumberText.h"
#include "RepaymentTable.h"

#include <algorithm>
#include <cmath>

namespace calc {

namespace {

// Far beyond any loan, well inside what a double multiplies exactly in cents.
constexpr Cents kMaxBalance = 1'000'000'000'000'000; // $10 trillion

// The annual rate as the results table reads it: through a text of 15 significant digits.
double AnnualFraction(double ratePercent) {
    return TextValue(NumberText(ratePercent / 100));
}

} // namespace

Cents ToCents(double dollars) {
    // The same scaled product RoundHalfEven(dollars, 2) rounds, kept whole.
    return static_cast<Cents>(RoundHalfEven(dollars * 100.0, 0));
}

std::optional<double> RepaymentSchedule::ExactPayment(const Terms& terms) {
    const double n = terms.periodsPerYear;
    return PMT(AnnualFraction(terms.ratePercent) / n, n * terms.years, -terms.amount);
}

double RepaymentSchedule::PeriodRate(double ratePercent, double periodsPerYear) {
    return AnnualFraction(ratePercent) / periodsPerYear;
}

RepaymentSchedule::RepaymentSchedule(const Terms& terms, Cents regularPayment, bool keepRows)
    : amount_(ToCents(terms.amount)), regularPayment_(regularPayment), payment_(regularPayment),
      ratePerPeriod_(PeriodRate(terms.ratePercent, terms.periodsPerYear)), balance_(amount_),
      keepRows_(keepRows) {
    // 25 years monthly is 300 periods, though 12 x 25 in doubles may come out a hair above;
    // 2.5 years weekly is 130.36 periods, so 131 payments.
    const double periods = terms.periodsPerYear * terms.years;
    lastPeriod_ = static_cast<int>(std::max(1.0, std::ceil(periods - 1e-6)));
    if (amount_ > 0 && keepRows_) rows_.reserve(static_cast<std::size_t>(lastPeriod_));
}

Cents RepaymentSchedule::PayPeriod(Cents extra) {
    if (balance_ <= 0 || overflowed_) return extra;
    const int period = totals_.payoffPeriod + 1;
    // Checked before it becomes a whole number of cents, which must fit the integer.
    const double interest = RoundHalfEven(static_cast<double>(balance_) * ratePerPeriod_, 0);
    if (!(interest + static_cast<double>(balance_) <= static_cast<double>(kMaxBalance))) {
        overflowed_ = true;
        return extra;
    }
    ScheduleRow row;
    row.interest = static_cast<Cents>(interest);
    const Cents owed = balance_ + row.interest;
    row.payment = payment_ + extra;
    if (period >= lastPeriod_ || row.payment >= owed) row.payment = owed;
    const Cents extraUsed = std::clamp<Cents>(row.payment - payment_, 0, extra);
    balance_ -= row.Principal();
    row.balance = balance_;
    if (keepRows_) rows_.push_back(row);
    totals_.payments += row.payment;
    totals_.interest += row.interest;
    totals_.principal += row.Principal();
    totals_.payoffPeriod = period;
    return extra - extraUsed;
}

std::optional<RepaymentSchedule::Bill> RepaymentSchedule::NextBill() {
    if (balance_ <= 0 || overflowed_) return std::nullopt;
    const double interest = RoundHalfEven(static_cast<double>(balance_) * ratePerPeriod_, 0);
    if (!(interest + static_cast<double>(balance_) <= static_cast<double>(kMaxBalance))) {
        overflowed_ = true;
        return std::nullopt;
    }
    Bill bill;
    bill.interest = static_cast<Cents>(interest);
    bill.owed = balance_ + bill.interest;
    bill.due = std::min(payment_, bill.owed);
    bill.last = totals_.payoffPeriod + 1 >= lastPeriod_;
    return bill;
}

void RepaymentSchedule::Pay(const Bill& bill, Cents more) {
    ScheduleRow row;
    row.interest = bill.interest;
    row.payment = bill.last ? bill.owed : std::min(bill.owed, bill.due + more);
    balance_ -= row.Principal();
    row.balance = balance_;
    // Not push_back: with a second caller GCC stops inlining it into PayPeriod, whose every
    // period it then costs (a tenth of the plain schedule's time).
    if (keepRows_) rows_.emplace_back(row);
    totals_.payments += row.payment;
    totals_.interest += row.interest;
    totals_.principal += row.Principal();
    ++totals_.payoffPeriod;
}

void RepaymentSchedule::PayToEnd() {
    while (!Cleared() && !overflowed_)
        PayPeriod();
}

} // namespace calc
