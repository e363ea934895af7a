#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace calc {

// Money in whole cents: the schedule adds and subtracts exactly.
using Cents = std::int64_t;

// Whole cents of an amount in dollars, by the program's rounding (an exact half to the even cent).
// For amounts well inside what a 64-bit count of cents holds.
Cents ToCents(double dollars);

struct ScheduleRow {
    Cents payment = 0;
    Cents interest = 0;
    Cents balance = 0; // still owed after the payment
    // The loan repaid by the payment.
    Cents Principal() const { return payment - interest; }
};

struct ScheduleTotals {
    Cents payments = 0;
    Cents interest = 0;
    Cents principal = 0;
    int payoffPeriod = 0; // the period of the last payment; 0 when nothing was owed
};

// The period-by-period repayment of one part of a loan, an annuity paid at the end of each
// period. Each period's interest is the balance times the rate per period, rounded to cents; the
// rest of the payment repays the loan. The period count, periods per year times the term, need
// not be whole: payments go on until the balance is cleared, and the payment of the last period
// (the one that holds the end of the term, or the first one that covers what is owed) is exactly
// the balance plus its interest, so the balance ends at $0.00 and the principal repaid adds up to
// the amount.
class RepaymentSchedule {
  public:
    struct Terms {
        double amount = 0;         // dollars, 0 or more
        double ratePercent = 0;    // annual, 0 or more
        double years = 0;          // more than 0
        double periodsPerYear = 0; // 365/7, 365/14, 24, 12 or 4
    };

    // The part's payment per period as the results table computes it, unrounded: PMT over
    // periods per year times the term. Empty when there is none (no periods, or a payment too
    // large for a double).
    static std::optional<double> ExactPayment(const Terms& terms);

    // An unpaid schedule of the amount (rounded to cents) with the given regular payment.
    // Without keepRows only the totals are kept.
    RepaymentSchedule(const Terms& terms, Cents regularPayment, bool keepRows = true);

    // The rate per period as the results table reads the annual rate: through a text of 15
    // significant digits, then divided by the periods a year.
    static double PeriodRate(double ratePercent, double periodsPerYear);

    // Pays the next period: the payment and up to extra more, never more than is owed. Returns
    // what is left of extra. A cleared schedule takes nothing and returns all of it.
    Cents PayPeriod(Cents extra = 0);
    // Pays every remaining period without extra.
    void PayToEnd();

    // A loan whose parts share their periods' money (lump sums, a paid-off part's payment) asks
    // each part for its bill first and pays it after: PayPeriod in two steps.
    struct Bill {
        Cents interest = 0;
        Cents owed = 0;    // the balance and its interest: what clears the part
        Cents due = 0;     // the payment, or what is owed where that is less
        bool last = false; // the part's last period: it pays all it owes whatever it is given
    };
    // The next period's bill; empty for a cleared part, and for one whose balance outgrew what
    // can be counted (then Overflowed()).
    std::optional<Bill> NextBill();
    // Pays the bill and more on top of what is due, up to what is owed.
    void Pay(const Bill& bill, Cents more);

    // The rate per period from the next period on.
    void SetRatePerPeriod(double rate) { ratePerPeriod_ = rate; }
    // The payment from the next period on.
    void SetPayment(Cents payment) { payment_ = payment; }
    // The period whose payment clears the part, from now on.
    void SetLastPeriod(int period) { lastPeriod_ = period; }

    bool Cleared() const { return balance_ <= 0; }
    // True when a balance outgrew what the schedule can count (a payment of a fraction of a
    // cent against a huge rate); the rows then stop short.
    bool Overflowed() const { return overflowed_; }

    Cents Amount() const { return amount_; }
    // The payment the part starts with.
    Cents RegularPayment() const { return regularPayment_; }
    // The payment in force: the regular payment unless the part was told another.
    Cents Payment() const { return payment_; }
    double RatePerPeriod() const { return ratePerPeriod_; }
    Cents Balance() const { return balance_; }
    // The period whose payment clears whatever is left: the one holding the end of the term,
    // unless the part was told another.
    int LastPeriod() const { return lastPeriod_; }

    const std::vector<ScheduleRow>& Rows() const { return rows_; }
    const ScheduleTotals& Totals() const { return totals_; }

  private:
    Cents amount_ = 0;
    Cents regularPayment_ = 0;
    Cents payment_ = 0;
    double ratePerPeriod_ = 0;
    int lastPeriod_ = 0;
    Cents balance_ = 0;
    bool keepRows_ = true;
    bool overflowed_ = false;
    std::vector<ScheduleRow> rows_;
    ScheduleTotals totals_;
};

} // namespace calc
