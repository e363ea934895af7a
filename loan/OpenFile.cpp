#include "OpenFile.h"

#include "LoanFileWriter.h"

#include <string_view>

#include <sys/stat.h>

namespace loan {

namespace {

// "1 loan", "3 loans".
std::string Loans(int n) {
    return n == 1 ? "1 loan" : std::to_string(n) + " loans";
}

std::string Bytes(std::size_t n) {
    return n == 1 ? "1 byte" : std::to_string(n) + " bytes";
}

const char* const kSaveFile = "Save File?";

} // namespace

void OpenFile::MakeUntitled() {
    name_.clear();
    identity_.reset();
    queryHid_ = false;
    tailBytes_ = 0;
}

void OpenFile::QueryHidLoans() {
    queryHid_ = !IsUntitled();
}

std::optional<Question> OpenFile::BeforeLeaving(Leaving why) const {
    if (!Modified()) return std::nullopt;
    return Question{why == Leaving::Query ? "Save file before the query?"
                                          : "Save file before exiting?",
                    kSaveFile};
}

Question OpenFile::BeforeReplacing() {
    return {"This loan file already exists. Replace existing loan by over writing it?",
            "Over Write?"};
}

std::vector<Question> OpenFile::BeforeSaveOver(const std::string& target) const {
    std::vector<Question> questions;
    // Whoever's file it is, its plans were not this table's to lose.
    if (unreadablePlans_ && *unreadablePlans_ == PlanFile::CompanionOf(target))
        questions.push_back({"The plan file " + *unreadablePlans_ +
                                 " could not be read when the loans were opened. Saving replaces "
                                 "it with the plans of this table, and what it holds now is "
                                 "lost. Replace it?",
                             "Replace Plans?"});
    if (IsUntitled() || target != name_) return questions;
    if (queryHid_) {
        const int shown = table_.LoanCount();
        const std::string found =
            shown == 0 ? "the query found none, so the table is empty. Replace the file with the "
                         "empty table?"
                       : "the table shows the " + std::to_string(shown) +
                             " found by the query. Replace the file with " +
                             (shown == 1 ? "this " : "these ") + Loans(shown) + "?";
        questions.push_back(
            {"The loan file " + target + " holds " + Loans(fileLoans_) + "; " + found, kSaveFile});
    }
    if (tailBytes_ > 0)
        questions.push_back({"The loan file " + target + " ends with " + Bytes(tailBytes_) +
                                 " that are not a whole loan; saving drops them. Replace the "
                                 "file with the table?",
                             kSaveFile});
    const auto now = safefile::FileIdentity::Of(target, fs_);
    // A file deleted meanwhile loses nothing by being written again.
    if (identity_ && now && *now != *identity_)
        questions.push_back({"The loan file " + target +
                                 " has been changed by another program since it was opened. "
                                 "Replace it with this table?",
                             "Loan File Changed"});
    return questions;
}

std::vector<Notice> OpenFile::AfterRead(const std::string& path, const ReadResult& read) {
    std::vector<Notice> notices;
    if (!read.ok) {
        // The reader replaces the table only after reading the whole file, so the table, its
        // name and the caption all still belong together.
        notices.push_back({Notice::Kind::Error,
                           "The loan file " + path + " could not be opened.\n\n" + read.error});
        PointOutBackups(path, notices);
        return notices;
    }
    name_ = path;
    table_.FileChanged = false;
    Remember(read.identity);
    tailBytes_ = read.droppedTailBytes;
    if (tailBytes_ > 0)
        notices.push_back(
            {Notice::Kind::Information,
             "The loan file " + path + " ends with " + Bytes(tailBytes_) + " that " +
                 (tailBytes_ == 1 ? "is" : "are") + " not a whole loan. " +
                 (tailBytes_ == 1 ? "It is" : "They are") + " not shown, and " +
                 (tailBytes_ == 1 ? "it" : "they") + " will be dropped if the file is saved."});
    ReadPlans(path, notices);
    PointOutBackups(path, notices);
    return notices;
}

std::vector<Notice> OpenFile::AfterWrite(const std::string& target,
                                         const safefile::WriteOutcome& result, bool existed) {
    std::vector<Notice> notices;
    using safefile::WriteState;
    if (result.state == WriteState::Saved) {
        name_ = target;
        Remember(result.written);
        tailBytes_ = 0;
        // The loans are saved either way; only with their plans is nothing left unsaved.
        table_.FileChanged = !WritePlans(target, notices);
        PointOutBackups(target, notices);
        return notices;
    }
    // Whatever happened, the loans stay marked unsaved; the box says what became of the file.
    std::string text;
    switch (result.state) {
    case WriteState::Unconfirmed:
        text = "The loans were written to " + target +
               ", but the system could not confirm that they are safely on disk. Save again to "
               "be sure.\n\n" +
               result.error;
        break;
    case WriteState::FailedAsItWas:
    case WriteState::FailedRestored:
        text = "The loans could not be saved to " + target + ".\n\n" + result.error;
        if (existed) text += "\n\nThe file is as it was before.";
        break;
    case WriteState::FailedCopyKept:
    case WriteState::Unknown:
    case WriteState::Saved:
        text = "The loans could not be saved to " + target + ".\n\n" + result.error;
        break;
    }
    if (!result.backup.empty()) backupsPointedOut_.insert(result.backup);
    // The file as this save left it is not another program's doing.
    if (target == name_ && result.written) {
        if (result.state == WriteState::Unconfirmed) {
            Remember(result.written);
            tailBytes_ = 0;
        } else {
            identity_ = result.written;
        }
    }
    notices.push_back({Notice::Kind::Error, text});
    PointOutBackups(target, notices);
    return notices;
}

calc::LoanPlan OpenFile::PlanOf(std::string_view code) const {
    const auto found = plans_.find(Trimmed(code));
    return found == plans_.end() ? calc::LoanPlan{} : found->second;
}

void OpenFile::SetPlan(std::string_view code, const calc::LoanPlan& plan) {
    const std::string key(Trimmed(code));
    const auto found = plans_.find(key);
    const bool empty = PlanFile::IsEmpty(plan);
    if (found == plans_.end() ? empty : PlanFile::Same(found->second, plan)) return;
    if (empty)
        plans_.erase(found);
    else
        plans_[key] = plan;
    table_.FileChanged = true;
}

void OpenFile::ForgetPlans() {
    plans_.clear();
}

void OpenFile::ReadPlans(const std::string& path, std::vector<Notice>& notices) {
    const std::string companion = PlanFile::CompanionOf(path);
    PlansRead read = PlanFile::Read(companion, fs_);
    plans_ = std::move(read.plans);
    unreadablePlans_.reset();
    if (!read.Unreadable()) return;
    // The loans are open all the same; the plan file waits, as it is, for a save that asks.
    unreadablePlans_ = companion;
    notices.push_back({Notice::Kind::Error,
                       "The plans of these loans could not be read from " + companion + ": " +
                           read.error +
                           ".\n\nThe loans are open without their plans. The plan file is left "
                           "as it is; saving the loans asks before replacing it."});
}

bool OpenFile::WritePlans(const std::string& target, std::vector<Notice>& notices) {
    // Plans go with the loans the file now holds: those of deleted loans, and of loans a query
    // hid and the save dropped, go with them.
    Plans kept;
    for (int row = 1; row <= table_.LoanCount(); ++row) {
        const auto found = plans_.find(Trimmed(table_.Grid.TextAt(row, ColCode)));
        if (found != plans_.end()) kept.insert(*found);
    }
    const std::string companion = PlanFile::CompanionOf(target);
    struct stat info {};
    // No plans and no plan file: nothing to say, and no file to leave beside the loans.
    const bool there = fs_.Lstat(companion, &info) == 0;
    if (kept.empty() && !there) {
        plans_.clear();
        if (unreadablePlans_ == companion) unreadablePlans_.reset();
        return true;
    }
    const safefile::WriteOutcome result = PlanFile::Write(companion, kept, fs_);
    if (result.Saved()) {
        plans_ = std::move(kept);
        if (unreadablePlans_ == companion) unreadablePlans_.reset();
        return true;
    }
    std::string text = "The loans were saved to " + target + ", but their plans could not be "
                       "saved to " + companion + ".\n\n" + result.error;
    if (result.state == safefile::WriteState::Unconfirmed)
        text = "The loans were saved to " + target + ". Their plans were written to " +
               companion + ", but the system could not confirm that they are safely on disk.\n\n" +
               result.error;
    else if (there && (result.state == safefile::WriteState::FailedAsItWas ||
                       result.state == safefile::WriteState::FailedRestored))
        text += "\n\nThe plan file is as it was before.";
    else if (!result.backup.empty())
        text += "\n\nA copy of the plan file as it was is kept at " + result.backup + ".";
    text += "\n\nThe loans stay marked unsaved: save again to keep their plans.";
    notices.push_back({Notice::Kind::Error, text});
    return false;
}

void OpenFile::Remember(const std::optional<safefile::FileIdentity>& identity) {
    identity_ = identity;
    fileLoans_ = table_.LoanCount();
    queryHid_ = false;
}

void OpenFile::PointOutBackups(const std::string& path, std::vector<Notice>& notices) {
    for (const std::string& copy : LoanFileWriter::Backups().Leftovers(path)) {
        if (!backupsPointedOut_.insert(copy).second) continue;
        notices.push_back({Notice::Kind::Information,
                           "A copy of the loan file " + path +
                               ", as it was before a save that did not finish, is kept at " +
                               copy +
                               ".\n\nOpen it with File > Open to see its loans, and delete it "
                               "once you no longer need it."});
    }
}

} // namespace loan
