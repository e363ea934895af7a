// Random field texts through the number helpers, the loan split, the repayment table, the key
// filter and the print-out's amount text: no text the calculation writes may show an infinity
// or a NaN, and a complete table is either a failure or 14 currency texts and an empty Cel(2).
// The same loan's repayment schedule, where it has one, clears to $0.00, repays the amounts to
// the cent and pays the table's instalment. Through a random plan (start date, fixed period,
// rate changes, lump sums, the three choices) it does so too, each period's interest being the
// balance before it at the rate the plan puts in force; a plan it cannot follow is refused for a
// reason that plan can have.
//
// Input: one byte for the changed field, two for a typed key, one each for caret and
// selection, then texts separated by line feeds (fields 0..8, then the previous cells). The
// plan is read from the input's last bytes backwards, as FuzzedDataProvider reads numbers.

#include "calc/KeyFilter.h"
#include "calc/LoanPlan.h"
#include "calc/LoanSchedule.h"
#include "calc/LoanSplit.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "calc/RepaymentTable.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition, const char* what, std::string_view text) {
    if (!condition) {
        std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

bool ShowsNoInfinityOrNan(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("inf") == std::string::npos && lower.find("nan") == std::string::npos;
}

// A text the calculation wrote, as opposed to one it left as it was.
void CheckWritten(std::string_view before, std::string_view after, const char* what) {
    if (before != after) {
        Check(ShowsNoInfinityOrNan(after), what, after);
    }
}

bool IsCurrencyText(std::string_view text) {
    if (text.size() < 5 || text[0] != '$') {
        return false;
    }
    const std::size_t point = text.size() - 3;
    return text[point] == '.' && std::isdigit(static_cast<unsigned char>(text[point + 1])) &&
           std::isdigit(static_cast<unsigned char>(text[point + 2]));
}

using Date = std::chrono::year_month_day;

// A plan for a loan whose term ends in period last: events mostly inside it, now and then past it,
// by period or (with a start date) by date; dates that may not exist.
calc::LoanPlan RandomPlan(FuzzedDataProvider& in, int last, int repaymentTime) {
    calc::LoanPlan plan;
    const auto flags = in.ConsumeIntegral<std::uint16_t>();
    const auto rate = [&in] { return in.ConsumeIntegralInRange<int>(0, 3000) / 100.0; };
    if (flags & 1) {
        plan.start = Date{std::chrono::year(in.ConsumeIntegralInRange<int>(1900, 2200)),
                          std::chrono::month(in.ConsumeIntegralInRange<unsigned>(1, 12)),
                          std::chrono::day(in.ConsumeIntegralInRange<unsigned>(1, 31))};
    }
    const auto when = [&]() -> calc::PlanWhen {
        const int period = flags & 2 ? in.ConsumeIntegralInRange<int>(0, last + 3)
                                     : in.ConsumeIntegralInRange<int>(1, std::max(1, last));
        if (plan.start && plan.start->ok() && in.ConsumeBool()) {
            const calc::PaymentCalendar calendar(*plan.start, repaymentTime);
            const Date date = calendar.DateOf(period);
            return Date{std::chrono::sys_days(date) -
                        std::chrono::days(in.ConsumeIntegral<std::uint8_t>() % 20)};
        }
        return period;
    };
    if (flags & 4) {
        plan.fixedYears = in.ConsumeIntegralInRange<int>(0, 400) / 8.0;
        if (flags & 8) plan.revertRatePercent = rate();
    }
    if (flags & 16) plan.afterRateChange = calc::AfterRateChange::PaymentStays;
    if (flags & 32) plan.afterLumpSum = calc::AfterLumpSum::PaymentFollows;
    plan.carryOver = flags & 64;
    for (int n = in.ConsumeIntegralInRange<int>(0, 8); n > 0; --n)
        plan.rateChanges.push_back({when(), rate()});
    for (int n = in.ConsumeIntegralInRange<int>(0, 6); n > 0; --n) {
        const calc::PlanWhen at = when();
        plan.lumpSums.push_back(
            {at, in.ConsumeIntegralInRange<calc::Cents>(0, 10'000'000'000),
             in.ConsumeBool() ? calc::PlanPart::Fixed : calc::PlanPart::Variable});
    }
    return plan;
}

// The annual rate the plan puts in force for a part in a period, read from the plan itself.
double PlannedRate(const calc::LoanTerms& terms, const calc::PlanInPeriods& plan,
                   calc::PlanPart part, int period) {
    double variable = terms.variableRatePercent;
    for (const calc::PeriodRate& change : plan.rateChanges)
        if (change.period <= period) variable = change.ratePercent;
    if (part == calc::PlanPart::Variable) return variable;
    if (!plan.fixedPeriods || period <= *plan.fixedPeriods) return terms.fixedRatePercent;
    return plan.revertRatePercent.value_or(variable);
}

void CheckPlanned(const calc::LoanSchedule& s, const calc::LoanPlan& plan, std::string_view what) {
    const auto resolved = plan.Resolve(s.Terms().repaymentTime);
    Check(resolved.plan.has_value(), "planned schedule of a refused plan", what);
    for (const calc::PlanPart part : {calc::PlanPart::Variable, calc::PlanPart::Fixed}) {
        const calc::RepaymentSchedule& p = s.Part(part);
        calc::Cents balance = p.Amount(), principal = 0;
        for (std::size_t k = 0; k < p.Rows().size(); ++k) {
            const calc::ScheduleRow& row = p.Rows()[k];
            const int period = static_cast<int>(k) + 1;
            const double rate = calc::RepaymentSchedule::PeriodRate(
                PlannedRate(s.Terms(), *resolved.plan, part, period), s.PeriodsPerYear());
            Check(row.interest == static_cast<calc::Cents>(
                                      calc::RoundHalfEven(static_cast<double>(balance) * rate, 0)),
                  "planned interest", what);
            balance -= row.Principal();
            principal += row.Principal();
            Check(row.balance == balance, "planned balance chain", what);
        }
        Check(balance == 0, "planned part not cleared", what);
        Check(principal == p.Amount(), "planned part's amount not repaid", what);
    }
    Check(s.Totals().principal == s.Variable().Amount() + s.Fixed().Amount(), "planned principal",
          what);
    Check(!plan.start || (s.DateOf(1) && *s.DateOf(1) == *plan.start), "planned first date", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const int changed = data[0] % 12 - 1;
    const int key = data[1] | (data[2] << 8);
    const int caret = data[3] % 40 - 4;
    const int selection = data[4] % 40 - 4;
    const std::string_view rest(reinterpret_cast<const char*>(data + 5), size - 5);

    calc::LoanFields fields;
    calc::RepaymentCells cells;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size() + cells.size() && start <= rest.size(); ++i) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        const std::string text(rest.substr(start, end - start));
        (i < fields.size() ? fields[i] : cells[i - fields.size()]) = text;
        start = end + 1;
    }

    for (const std::string& text : fields) {
        const double value = calc::TextValue(text);
        Check(!std::isnan(value), "TextValue gave NaN", text);
        if (std::isfinite(value)) {
            const std::string shown = calc::NumberText(value);
            Check(ShowsNoInfinityOrNan(shown) && !shown.empty(), "NumberText", shown);
            Check(calc::NumberText(calc::TextValue(shown)) == shown, "NumberText round trip",
                  shown);
            Check(calc::CurrencyTextOf(value) == calc::CurrencyText(shown), "CurrencyTextOf",
                  shown);
        }
        for (const bool dollar : {false, true}) {
            CheckWritten(text, calc::AmountText(text, dollar), "AmountText");
        }
        if (ShowsNoInfinityOrNan(text)) {
            // A text that is no number passes through behind the "$".
            Check(ShowsNoInfinityOrNan(calc::CurrencyText(text)), "CurrencyText", text);
        }
        if (const auto strict = calc::StrictNumber(text)) {
            Check(std::isfinite(*strict), "StrictNumber", text);
        }
    }

    const calc::SplitResult split = calc::SplitLoan(fields, changed);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        CheckWritten(fields[i], split.fields[i], "SplitLoan");
    }

    calc::RepaymentFields entry;
    std::copy_n(split.fields.begin(), entry.size(), entry.begin());
    const calc::RepaymentResult table = calc::CalculateRepayments(entry, cells);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CheckWritten(cells[i], table.cells[i], "CalculateRepayments");
    }
    if (!table.failed && !table.cells[0].empty()) {
        for (std::size_t i = 0; i < table.cells.size(); ++i) {
            Check(i == 2 ? table.cells[i].empty() : IsCurrencyText(table.cells[i]), "table cell",
                  table.cells[i]);
        }
    }

    const int time = 1 + data[0] % 5;
    const calc::Cents extra = key % 1000 * 100;
    const calc::ScheduleResult result = calc::LoanSchedule::FromFields(entry, time, extra);
    if (result.schedule) {
        const calc::LoanSchedule& s = *result.schedule;
        Check(s.Totals().principal == s.Variable().Amount() + s.Fixed().Amount(),
              "schedule principal", entry[calc::FieldTerm]);
        Check(s.Periods() == 0 || s.Row(s.Periods() - 1).balance == 0, "schedule balance",
              entry[calc::FieldTerm]);
        const std::string& instalment = table.cells[static_cast<std::size_t>(3 * (time - 1))];
        Check(table.failed ||
                  instalment == calc::CurrencyTextOf(static_cast<double>(s.Instalment()) / 100),
              "schedule instalment", instalment);

        FuzzedDataProvider in(data, size);
        const calc::LoanPlan plan = RandomPlan(in, s.Variable().LastPeriod(), time);
        const calc::ScheduleResult planned =
            calc::LoanSchedule::FromFields(entry, time, extra, plan);
        const std::string& term = entry[calc::FieldTerm];
        if (planned.schedule) {
            CheckPlanned(*planned.schedule, plan, term);
            Check(planned.schedule->Instalment() == s.Instalment(), "planned instalment", term);
        } else {
            Check(!calc::ScheduleProblemSentence(planned).empty(), "planned problem's sentence",
                  term);
            // Only a payment that stays after a rate change can fall behind the interest; a
            // refused entry or a late event is one the plan has. Amounts near the largest may
            // still make a payment too large, at any choice.
            switch (planned.problem) {
            case calc::ScheduleProblem::PaymentBelowInterest:
                Check(plan.afterRateChange == calc::AfterRateChange::PaymentStays,
                      "a payment that follows refused", term);
                break;
            case calc::ScheduleProblem::PlanRefused:
                Check(!plan.Resolve(time).plan, "a plan refused that resolves", term);
                break;
            case calc::ScheduleProblem::EventAfterEnd:
                Check(planned.period > s.Variable().LastPeriod(), "an event refused in time", term);
                break;
            case calc::ScheduleProblem::Runaway:
            case calc::ScheduleProblem::TooLarge:
            case calc::ScheduleProblem::NotCalculable:
                break;
            default:
                Check(false, "planned schedule refused for a reason of the loan", term);
            }
        }
    }

    std::u16string text16;
    for (const char c : split.fields[0]) {
        text16 += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    for (int index = 0; index < 8; ++index) {
        const calc::KeyRule rule = calc::KeyRuleFor(index, text16);
        const int accepted = calc::FilterKey(text16, caret, selection, key, rule);
        Check(accepted == 0 || accepted == key, "FilterKey result", split.fields[0]);
        Check(accepted == 0 || key == 8 || key == '.' || (key >= '0' && key <= '9'),
              "FilterKey accepted a character no field takes", split.fields[0]);
    }
    return 0;
}
