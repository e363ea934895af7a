#pragma once

#include "LoanFileReader.h"
#include "LoanTable.h"
#include "PlanFile.h"
#include "RecoveryCopy.h"
#include "RecoveryFolder.h"
#include "RecoveryWriter.h"
#include "UserFolders.h"

#include "safefile/FileIdentity.h"
#include "safefile/FileSystem.h"
#include "safefile/WriteOutcome.h"

#include <functional>
#include <memory>
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

// A recovery copy left by a program that has ended, taken over by this one to be offered.
struct LeftoverCopy {
    std::string leftAt; // where its program left it
    std::string path;   // where it is now
    std::string bytes;  // the whole copy, checked
    RecoveryHeader header;
    std::size_t loansAt = 0, loansSize = 0; // the loan records within bytes
    Question question;                      // whether to recover the loans: Recover, or Discard
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

    // ---- The recovery copy: while the table holds changes its file does not, a copy of them is
    // kept in a folder of the user's, so that a crash, a kill or the end of the session loses
    // none of them. The window tells the open file when the table has changed; the open file
    // knows when the copy must go.

    // Told when the open file itself leaves the table with unsaved changes (a plan set), so that
    // the window follows them as it follows changes of the cells.
    void SetChangeListener(std::function<void()> changed) { changed_ = std::move(changed); }
    // Starts keeping copies in folder (none while it is empty), before anything is changed.
    void KeepRecoveryCopies(const std::string& folder);
    // Brings the copy in line with the table after a change: a snapshot of the table is written
    // in the background while the table is modified, and the copy is removed when it is not.
    void UpdateRecoveryCopy();
    // The user let the unsaved loans go (No to saving them before the program ends): no copy.
    void DropRecoveryCopy();
    // Until the copy on disk is what was last asked for.
    void WaitForRecoveryCopy();
    // The program ends without asking (a signal): the copy is brought in line with the table,
    // written out, and kept as it is whatever is asked afterwards.
    void FreezeRecoveryCopy();
    // This program's copy, or empty while none is kept; why its last write failed, if it did.
    std::string RecoveryCopyPath() const;
    std::string RecoveryCopyError() const;

    // The copies left by programs that have ended, oldest first. Offered at start, before the
    // table is changed.
    std::vector<std::string> RecoveryLeftovers() const;
    // Takes a leftover over and reads it. Nothing when another program took it first or it
    // cannot be offered; a damaged copy is set aside, and notices says so.
    std::optional<LeftoverCopy> TakeLeftover(const std::string& path, std::vector<Notice>& notices);
    // Recover: the leftover's loans become the table, marked unsaved, under their file's name, with
    // Save's questions as they were (the file itself is not touched). What to tell the user.
    std::vector<Notice> Recover(const LeftoverCopy& copy);
    // Discard: the leftover is removed.
    void Discard(const LeftoverCopy& copy);

  private:
    // Reads the plans beside path after the loans were read from it.
    void ReadPlans(const std::string& path, std::vector<Notice>& notices);
    // Writes the plans of the table's loans beside target; false, with a notice, on failure.
    bool WritePlans(const std::string& target, std::vector<Notice>& notices);
    // The loans' plans in a recovery copy: their plan file's text (a copy of loans without any
    // has no plans section), and back from a recovered copy's.
    std::string PlansForRecoveryCopy() const;
    void RestorePlansFromRecoveryCopy(const RecoveryHeader& header, std::vector<Notice>& notices);
    // The copy's header as the table stands now.
    RecoveryHeader RecoveryHeaderNow() const;
    // Removes the copy in the background.
    void ForgetRecoveryCopy();

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

    std::function<void()> changed_;
    std::optional<RecoveryFolder> recoveryFolder_;
    bool recoveryFrozen_ = false;
    // What this program's copy is: none, written from the table, or a leftover taken over to be
    // offered, which only the user's answer may remove.
    enum class Copy { None, Written, Held };
    Copy copy_ = Copy::None;
    // Last, so it finishes its work first when the open file goes.
    std::unique_ptr<RecoveryWriter> recovery_;
};

} // namespace loan
