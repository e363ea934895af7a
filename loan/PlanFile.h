#pragma once

#include "UserFolders.h"

#include "calc/LoanPlan.h"
#include "safefile/BackupStore.h"
#include "safefile/FileSystem.h"
#include "safefile/WriteOutcome.h"

#include <map>
#include <string>
#include <string_view>

namespace loan {

// The plans of a loan file's loans, by loan code (without the blanks around it).
using Plans = std::map<std::string, calc::LoanPlan, std::less<>>;

struct PlansRead {
    enum class State {
        Missing, // no plan file: no plans
        Read,    // plans holds them
        Damaged, // not a plan file this program can read; error says why
        Newer,   // written by a later version of the program, in a format this one does not know
    };
    State state = State::Missing;
    Plans plans;
    std::string error;

    bool Unreadable() const { return state == State::Damaged || state == State::Newer; }
};

// The file beside a loan file that keeps its loans' plans, so the loan file itself keeps its
// format byte for byte: the loan file's name with ".plans" after it, JSON in UTF-8 with a format
// version. Dates are ISO dates, amounts whole cents, rates percent a year.
//
//   {"format": "dravenholt-loan plans", "version": 1,
//    "plans": [{"code": "HOME", "start": "2026-01-31", "fixedYears": 3, "revertRate": 7.1,
//               "rateChanges": [{"when": 12, "rate": 7.25}, {"when": "2027-03-31", "rate": 6.9}],
//               "lumpSums": [{"when": 24, "cents": 200000, "part": "fixed"}],
//               "afterRateChange": "payment stays", "afterLumpSum": "payment follows",
//               "carryOver": true}]}
//
// Entries a plan does not have are left out. Keys this version does not know are passed over,
// so a later version may add some without a new format version.
class PlanFile {
  public:
    static constexpr int kVersion = 1;
    static constexpr const char* kSuffix = ".plans";
    static constexpr const char* kFormat = "dravenholt-loan plans";

    static std::string CompanionOf(const std::string& loanFile) { return loanFile + kSuffix; }

    static std::string Text(const Plans& plans);
    static PlansRead Parse(std::string_view text);
    // Missing when there is no file at path; Damaged, with the reason, when it cannot be read.
    static PlansRead Read(const std::string& path,
                          safefile::FileSystem& fs = safefile::FileSystem::Real());
    static safefile::WriteOutcome Write(const std::string& path, const Plans& plans,
                                        safefile::FileSystem& fs = safefile::FileSystem::Real(),
                                        const safefile::BackupStore& backups = Backups());

    // A plan that changes nothing at all, not even the dates: kept as no plan.
    static bool IsEmpty(const calc::LoanPlan& plan);
    // Both plans say the same in every entry.
    static bool Same(const calc::LoanPlan& a, const calc::LoanPlan& b);

    static safefile::BackupStore Backups() { return UserFolders::Backups(kSuffix); }
};

} // namespace loan
