#pragma once

#include "LoanFileReader.h"
#include "LoanTable.h"
#include "PlanFile.h"

#include "safefile/FileIdentity.h"
#include "safefile/FileSystem.h"
#include "safefile/WriteOutcome.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace loan {

// A question the window puts to the user as it is; only Yes goes on.
struct Question {
    std::string text;
    std::string caption;
};

// Something the user must be told.
struct Notice {
    enum class Kind { Information, Error };
    Kind kind = Kind::Information;
    std::string text;
};

// The file the loan table belongs to, and all that belongs with it: its name as the system holds
// it, the file as it was at open or at the last save (to notice another program's write), how
// many loans it held then, whether a query by example has hidden some of them since, the bytes
// after its last whole loan that a save will drop, the backup copies already pointed out, and the
// loans' plans, which live in a file of their own beside the loan file (PlanFile).
// It decides which questions a command must ask first and what the outcome of a read or a write
// means for the user; the window asks them and shows what it is told. Texts name files by their
// bytes, which the window decodes as it decodes any file name.
class OpenFile {
  public:
    explicit OpenFile(LoanTable& table, safefile::FileSystem& fs = safefile::FileSystem::Real())
        : table_(table), fs_(fs) {}

    // Empty while the table is untitled.
    const std::string& Name() const { return name_; }
    bool IsUntitled() const { return name_.empty(); }
    // The table holds changes its file does not.
    bool Modified() const { return table_.FileChanged; }

    // The table is no longer the file's: New, or a query that keeps only one loan.
    void MakeUntitled();
    // A query by example has hidden loans of the file; a save over it must not drop them unasked.
    void QueryHidLoans();

    // What leaving the table's contents behind must ask first, if anything.
    enum class Leaving { Exiting, Query };
    std::optional<Question> BeforeLeaving(Leaving why) const;
    // Before the user's new name for the table replaces a file that is there.
    static Question BeforeReplacing();
    // Before a save to target; each question in turn, all of them answered Yes to go on. Only a
    // save over the table's own file asks: when a query by example hid loans the save would
    // drop, when the file ends with bytes the save would drop, and when another program has
    // changed the file since it was opened or saved here. Any save asks before it replaces a plan
    // file that could not be read when the loans were opened.
    std::vector<Question> BeforeSaveOver(const std::string& target) const;

    // After the table was read from path (the reader left the table as it was on failure): the
    // file becomes the table's on success, and the plans beside it the table's plans. What to
    // tell the user, in order.
    std::vector<Notice> AfterRead(const std::string& path, const ReadResult& read);
    // After the table was written to target: the file becomes the table's on success, and then
    // the plans of the table's loans are written beside it; the table is unmodified only when
    // both were saved. What to tell the user, in order; nothing after a plain success.
    std::vector<Notice> AfterWrite(const std::string& target, const safefile::WriteOutcome& result,
                                   bool existed);

    // The plan of the loan of code (blanks around it ignored); an empty plan for none.
    calc::LoanPlan PlanOf(std::string_view code) const;
    // Keeps plan as the loan's; a plan that differs from the one kept is an unsaved change of
    // the table. An empty plan is no plan.
    void SetPlan(std::string_view code, const calc::LoanPlan& plan);
    // The table starts anew (File > New): no loan, so no plan.
    void ForgetPlans();
    // Every plan kept, those of loans a query hides or the user deleted since the last save too.
    const Plans& AllPlans() const { return plans_; }

  private:
    // Reads the plans beside path after the loans were read from it.
    void ReadPlans(const std::string& path, std::vector<Notice>& notices);
    // Writes the plans of the table's loans beside target; false, with a notice, on failure.
    bool WritePlans(const std::string& target, std::vector<Notice>& notices);
    // The file as this window last read or wrote it.
    void Remember(const std::optional<safefile::FileIdentity>& identity);
    // Copies of path kept from writes that did not finish, each pointed out once a run.
    void PointOutBackups(const std::string& path, std::vector<Notice>& notices);

    LoanTable& table_;
    safefile::FileSystem& fs_;
    std::string name_;
    std::optional<safefile::FileIdentity> identity_;
    int fileLoans_ = 0;
    bool queryHid_ = false;
    std::size_t tailBytes_ = 0;
    std::set<std::string> backupsPointedOut_;
    Plans plans_;
    // A plan file found unreadable at open, left as it is until a save is allowed to replace it.
    std::optional<std::string> unreadablePlans_;
};

} // namespace loan
