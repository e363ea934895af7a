#include "ScheduleScenarios.h"

#include "NumberText.h"
#include "PaymentCalendar.h"
#include "ScheduleCsv.h"

#include <algorithm>

namespace calc {

namespace {

// A rate as a typed one reads: the sum of two doubles can land an ulp away from the rate the
// user would type for it, and the schedule reads rates through their text anyway.
double TypedRate(double ratePercent) {
    return TextValue(NumberText(ratePercent));
}

Scenario MakeScenario(ScenarioKind kind, ScheduleResult result) {
    Scenario scenario{kind, std::move(result), {}};
    if (scenario.result.schedule)
        scenario.figures = ScheduleScenarios::FiguresOf(*scenario.result.schedule);
    return scenario;
}

} // namespace

std::string_view ScheduleScenarios::Name(ScenarioKind kind) {
    switch (kind) {
    case ScenarioKind::AsPlanned:
        return "As planned";
    case ScenarioKind::VariablePlusOne:
        return "Variable +1%";
    case ScenarioKind::VariablePlusTwo:
        return "Variable +2%";
    case ScenarioKind::WithoutExtras:
        return "Without extra payments";
    }
    return {};
}

std::pair<LoanTerms, LoanPlan> ScheduleScenarios::Stressed(const LoanTerms& terms,
                                                           const LoanPlan& plan, double points) {
    std::pair<LoanTerms, LoanPlan> stressed{terms, plan};
    stressed.first.variableRatePercent = TypedRate(terms.variableRatePercent + points);
    for (RateChange& change : stressed.second.rateChanges)
        change.ratePercent = TypedRate(change.ratePercent + points);
    return stressed;
}

std::pair<LoanTerms, LoanPlan> ScheduleScenarios::WithoutExtras(const LoanTerms& terms,
                                                                const LoanPlan& plan) {
    std::pair<LoanTerms, LoanPlan> plain{terms, plan};
    plain.first.extra = 0;
    plain.second.lumpSums.clear();
    return plain;
}

bool ScheduleScenarios::HasExtras(const LoanSchedule& schedule) {
    return schedule.Terms().extra > 0 || !schedule.Plan().lumpSums.empty();
}

ScheduleScenarios::ScheduleScenarios(const LoanSchedule& planned) {
    const LoanTerms& terms = planned.Terms();
    const LoanPlan& plan = planned.Plan();
    scenarios_.push_back(
        MakeScenario(ScenarioKind::AsPlanned, ScheduleResult(planned, ScheduleProblem::None)));
    for (const auto& [kind, points] : {std::pair{ScenarioKind::VariablePlusOne, 1.0},
                                       std::pair{ScenarioKind::VariablePlusTwo, 2.0}}) {
        const auto [stressedTerms, stressedPlan] = Stressed(terms, plan, points);
        scenarios_.push_back(MakeScenario(kind, LoanSchedule::Make(stressedTerms, stressedPlan)));
    }
    if (HasExtras(planned)) {
        const auto [plainTerms, plainPlan] = WithoutExtras(terms, plan);
        scenarios_.push_back(
            MakeScenario(ScenarioKind::WithoutExtras, LoanSchedule::Make(plainTerms, plainPlan)));
    }
}

const Scenario* ScheduleScenarios::Find(ScenarioKind kind) const {
    const auto it = std::find_if(scenarios_.begin(), scenarios_.end(),
                                 [kind](const Scenario& s) { return s.kind == kind; });
    return it == scenarios_.end() ? nullptr : &*it;
}

ScenarioFigures ScheduleScenarios::FiguresOf(const LoanSchedule& schedule) {
    ScenarioFigures figures;
    const int periods = static_cast<int>(schedule.Periods());
    figures.totalInterest = schedule.Totals().interest;
    figures.lastPeriod = periods;
    if (periods > 0) figures.lastDate = schedule.DateOf(periods);
    // Walked once with the events beside it: the payments change only where an event says so
    // and a part's ends, so the highest is found without a pass over the events a period.
    Cents payment[2] = {schedule.Variable().RegularPayment(), schedule.Fixed().RegularPayment()};
    const RepaymentSchedule* parts[2] = {&schedule.Variable(), &schedule.Fixed()};
    const auto& events = schedule.Events();
    auto next = events.begin();
    for (int period = 1; period <= periods; ++period) {
        for (; next != events.end() && next->period <= period; ++next)
            if (next->kind == ScheduleEventKind::PaymentChange)
                payment[next->part == PlanPart::Variable ? 0 : 1] = next->amount;
        Cents instalment = 0;
        for (int i = 0; i < 2; ++i) {
            if (parts[i]->Amount() <= 0) continue;
            if (period <= parts[i]->Totals().payoffPeriod || schedule.Plan().carryOver)
                instalment += payment[i];
        }
        if (period == 1) figures.instalment = instalment;
        figures.highestInstalment = std::max(figures.highestInstalment, instalment);
    }
    return figures;
}

void ScheduleScenarios::WriteCsv(std::ostream& out) const {
    out << CsvText();
}

std::string ScheduleScenarios::CsvText() const {
    std::string text =
        "Scenario,Installment,Highest Installment,Total Interest,Last Period,Last Date\r\n";
    for (const Scenario& s : scenarios_) {
        text += Name(s.kind);
        if (!s.result.schedule) {
            text += ",,,,,\r\n";
            continue;
        }
        const ScenarioFigures& f = s.figures;
        text += ',' + ScheduleCsv::Amount(f.instalment) + ',' +
                ScheduleCsv::Amount(f.highestInstalment) + ',' +
                ScheduleCsv::Amount(f.totalInterest) + ',' + std::to_string(f.lastPeriod) + ',';
        if (f.lastDate) text += PaymentCalendar::Iso(*f.lastDate);
        text += "\r\n";
    }
    return text;
}

} // namespace calc
