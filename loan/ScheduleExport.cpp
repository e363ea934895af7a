#include "ScheduleExport.h"

#include "LoanFileReader.h"
#include "LoanTable.h"
#include "PlanFile.h"

#include "calc/LoanSchedule.h"
#include "calc/ScheduleCsv.h"

namespace loan {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

LoadedSchedule ScheduleExport::Load(const std::string& path, std::string_view code,
                                    std::optional<int> time, calc::Cents extra,
                                    const calc::LoanPlan* plan) {
    LoanGrid grid(kLoanCols, 2);
    const ReadResult read = LoanFileReader::ReadFile(path, grid);
    if (!read.ok) return {{false, read.error}, {}};
    const int row = LoanTable::FindLoan(grid, code);
    if (row < 0)
        return {{false, "There is no loan " + Quoted(Trimmed(code)) + " in " + path + "."}, {}};
    const int repaymentTime =
        time ? *time : RepaymentTimeIndexOf(grid.TextAt(row, ColRepaymentTime));
    calc::LoanPlan stored;
    if (!plan) {
        const std::string companion = PlanFile::CompanionOf(path);
        PlansRead read = PlanFile::Read(companion);
        if (read.Unreadable())
            return {{false, "The plans in " + companion + " could not be read: " + read.error +
                                ". Give the plan as options, or --no-plan for none."},
                    {}};
        const auto found = read.plans.find(Trimmed(grid.TextAt(row, ColCode)));
        if (found != read.plans.end()) stored = found->second;
        plan = &stored;
    }
    auto result = calc::LoanSchedule::FromFields(LoanTable::FieldsOfRow(grid, row), repaymentTime,
                                                 extra, *plan);
    if (!result.schedule) {
        ExportResult refused{false,
                             "The loan " + Quoted(grid.TextAt(row, ColCode)) +
                                 " has no schedule. " + calc::ScheduleProblemSentence(result) + "."};
        refused.planRefused = result.problem == calc::ScheduleProblem::PlanRefused;
        return {refused, {}};
    }
    return {{true, {}}, std::move(result.schedule)};
}

ExportResult ScheduleExport::WriteCsv(const std::string& path, std::string_view code,
                                      std::optional<int> time, calc::Cents extra, std::ostream& out,
                                      const calc::LoanPlan* plan) {
    const LoadedSchedule loaded = Load(path, code, time, extra, plan);
    if (!loaded.schedule) return loaded.result;
    calc::ScheduleCsv::Write(*loaded.schedule, out);
    out.flush();
    if (!out) return {false, "The schedule could not be written."};
    return {true, {}};
}

} // namespace loan
