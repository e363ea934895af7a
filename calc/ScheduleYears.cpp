#include "ScheduleYears.h"

#include "LoanSchedule.h"
#include "ScheduleCsv.h"

#include <algorithm>

namespace calc {

int ScheduleYears::LoanYearOf(int period, int repaymentTime) {
    // A period as a fraction of a year: days of 365, or a whole share of the months.
    long long numerator = 1, denominator = 12;
    switch (repaymentTime) {
    case 1:
        numerator = 7, denominator = 365;
        break;
    case 2:
        numerator = 14, denominator = 365;
        break;
    case 3:
        denominator = 24;
        break;
    case 5:
        denominator = 4;
        break;
    default:
        break;
    }
    const long long due = static_cast<long long>(std::max(period, 1)) * numerator;
    return static_cast<int>((due + denominator - 1) / denominator);
}

ScheduleYears::ScheduleYears(const LoanSchedule& schedule) : calendar_(schedule.HasDates()) {
    const int periods = static_cast<int>(schedule.Periods());
    const int time = schedule.Terms().repaymentTime;
    const auto& variable = schedule.Variable().Rows();
    const auto& fixed = schedule.Fixed().Rows();
    for (int period = 1; period <= periods; ++period) {
        const int year = calendar_ ? static_cast<int>(schedule.DateOf(period)->year())
                                   : LoanYearOf(period, time);
        if (rows_.empty() || rows_.back().year != year) {
            YearRow next;
            next.year = year;
            next.firstPeriod = period;
            rows_.push_back(next);
        }
        YearRow& row = rows_.back();
        row.lastPeriod = period;
        row.balance = 0;
        // The parts' rows directly: the loan's row is their sum, made on demand.
        const auto k = static_cast<std::size_t>(period - 1);
        for (const auto* rows : {&variable, &fixed}) {
            if (k >= rows->size()) continue;
            const ScheduleRow& part = (*rows)[k];
            row.payments += part.payment;
            row.interest += part.interest;
            row.principal += part.Principal();
            row.balance += part.balance;
        }
    }
}

std::size_t ScheduleYears::IndexOf(int period) const {
    if (rows_.empty()) return 0;
    const auto it = std::partition_point(rows_.begin(), rows_.end(),
                                         [period](const YearRow& r) { return r.lastPeriod < period; });
    return std::min(static_cast<std::size_t>(it - rows_.begin()), rows_.size() - 1);
}

void ScheduleYears::WriteCsv(std::ostream& out) const {
    out << CsvText();
}

std::string ScheduleYears::CsvText() const {
    std::string text = "Year,First Period,Last Period,Payments,Interest,Principal,Balance\r\n";
    for (const YearRow& row : rows_) {
        text += std::to_string(row.year) + ',' + std::to_string(row.firstPeriod) + ',' +
                std::to_string(row.lastPeriod);
        for (const Cents amount : {row.payments, row.interest, row.principal, row.balance})
            text += ',' + ScheduleCsv::Amount(amount);
        text += "\r\n";
    }
    return text;
}

} // namespace calc
