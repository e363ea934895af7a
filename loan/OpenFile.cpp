#include "OpenFile.h"

#include "LoanFileWriter.h"

#include "safefile/ProcessStamp.h"

#include <array>
#include <cstdio>
#include <ctime>
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

// "8 December 2026, 14:30" in local time, in the program's own words whatever the locale.
std::string WhenMade(std::int64_t seconds) {
    static constexpr std::array<const char*, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!::localtime_r(&time, &local)) return "an unknown time";
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02d:%02d", local.tm_hour, local.tm_min);
    return std::to_string(local.tm_mday) + " " + kMonths[static_cast<std::size_t>(local.tm_mon)] +
           " " + std::to_string(local.tm_year + 1900) + ", " + clock;
}

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
    // The loans that were unsaved have been let go on purpose, after the window's question.
    ForgetRecoveryCopy();
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
        // The file holds them now, or the copy goes on for the plans it does not.
        UpdateRecoveryCopy();
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
    if (changed_) changed_();
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

void OpenFile::KeepRecoveryCopies(const std::string& folder) {
    if (folder.empty() || recovery_) return;
    recoveryFolder_.emplace(folder, fs_);
    recovery_ = std::make_unique<RecoveryWriter>(*recoveryFolder_,
                                                 UserFolders::Backups(RecoveryFolder::kSuffix));
}

std::string OpenFile::PlansForRecoveryCopy() const {
    return plans_.empty() ? std::string() : PlanFile::Text(plans_);
}

void OpenFile::RestorePlansFromRecoveryCopy(const RecoveryHeader& header,
                                            std::vector<Notice>& notices) {
    PlansRead read = PlanFile::Parse(header.plans);
    plans_ = std::move(read.plans);
    unreadablePlans_.reset();
    if (!header.unreadablePlans.empty()) unreadablePlans_ = header.unreadablePlans;
    if (header.plans.empty() || !read.Unreadable()) return;
    notices.push_back(
        {Notice::Kind::Error, "The plans of the recovered loans could not be read: " + read.error +
                                  ".\n\nThe loans are recovered without their plans."});
}

RecoveryHeader OpenFile::RecoveryHeaderNow() const {
    RecoveryHeader header;
    header.program = safefile::ProcessStamp::Own().Text();
    header.madeAt = static_cast<std::int64_t>(std::time(nullptr));
    header.fileName = name_;
    header.identity = identity_;
    header.fileLoans = fileLoans_;
    header.queryHid = queryHid_;
    header.tailBytes = tailBytes_;
    header.plans = PlansForRecoveryCopy();
    header.unreadablePlans = unreadablePlans_.value_or(std::string());
    return header;
}

void OpenFile::UpdateRecoveryCopy() {
    if (!recovery_ || recoveryFrozen_) return;
    if (!Modified()) {
        ForgetRecoveryCopy();
        // A table just opened: the memory its first snapshot needs is made ready meanwhile.
        recovery_->Prepare(table_.Grid.SnapshotRoom());
        return;
    }
    // The window waits only for the snapshot: a copy of the row pointers.
    recovery_->Write(RecoveryHeaderNow(), table_.Grid.Snapshot());
    copy_ = Copy::Written;
}

void OpenFile::ForgetRecoveryCopy() {
    if (!recovery_ || recoveryFrozen_ || copy_ != Copy::Written) return;
    recovery_->Remove();
    copy_ = Copy::None;
}

void OpenFile::DropRecoveryCopy() {
    ForgetRecoveryCopy();
}

void OpenFile::WaitForRecoveryCopy() {
    if (recovery_) recovery_->Wait();
}

void OpenFile::FreezeRecoveryCopy() {
    UpdateRecoveryCopy();
    WaitForRecoveryCopy();
    recoveryFrozen_ = true;
}

std::string OpenFile::RecoveryCopyPath() const {
    return recovery_ ? recovery_->Path() : std::string();
}

std::string OpenFile::RecoveryCopyError() const {
    return recovery_ ? recovery_->LastError() : std::string();
}

std::vector<std::string> OpenFile::RecoveryLeftovers() const {
    return recoveryFolder_ ? recoveryFolder_->Leftovers() : std::vector<std::string>();
}

std::optional<LeftoverCopy> OpenFile::TakeLeftover(const std::string& path,
                                                   std::vector<Notice>& notices) {
    // Taken over under this program's own name, which its copy of a changed table would
    // overwrite.
    if (!recovery_ || recoveryFrozen_ || Modified() || copy_ != Copy::None) return std::nullopt;
    LeftoverCopy copy;
    copy.leftAt = path;
    copy.path = recoveryFolder_->Claim(path);
    if (copy.path.empty()) return std::nullopt;
    copy_ = Copy::Held;
    std::string error;
    if (!recoveryFolder_->Read(copy.path, copy.bytes, error)) {
        // Unread is not damaged: it goes back to be offered at the next start.
        if (recoveryFolder_->Fs().Rename(copy.path, path) == 0) copy_ = Copy::None;
        notices.push_back({Notice::Kind::Error, "Loans that were not saved are kept at " + path +
                                                    ", but they cannot be read now.\n\n" + error});
        return std::nullopt;
    }
    const auto contents = RecoveryCopy::Read(copy.bytes, error);
    if (!contents) {
        const std::string aside = recoveryFolder_->SetAside(copy.path, copy.leftAt);
        if (!aside.empty()) copy_ = Copy::None;
        notices.push_back(
            {Notice::Kind::Error, "A copy of loans that were not saved is damaged: " + error +
                                      " Its loans cannot be recovered.\n\nThe copy is kept at " +
                                      (aside.empty() ? copy.path : aside) + "."});
        return std::nullopt;
    }
    copy.header = contents->header;
    copy.loansAt = static_cast<std::size_t>(contents->loans.data() - copy.bytes.data());
    copy.loansSize = contents->loans.size();
    const std::string whose = copy.header.fileName.empty()
                                  ? "an untitled table"
                                  : "the loan file " + copy.header.fileName;
    copy.question = {"Loans of " + whose + " from " + WhenMade(copy.header.madeAt) +
                         " were not saved.\n\nRecover them? Discard deletes them for good.",
                     ""};
    return copy;
}

std::vector<Notice> OpenFile::Recover(const LeftoverCopy& copy) {
    std::vector<Notice> notices;
    if (!recovery_ || copy_ != Copy::Held || copy.path != recovery_->Path()) return notices;
    const ReadResult read = LoanFileReader::ReadBytes(
        std::string_view(copy.bytes).substr(copy.loansAt, copy.loansSize), table_.Grid);
    if (!read.ok) {
        // Kept aside, out of the way of this program's own copy.
        const std::string aside = recoveryFolder_->SetAside(copy.path, copy.leftAt);
        if (!aside.empty()) copy_ = Copy::None;
        notices.push_back(
            {Notice::Kind::Error, "The loans that were not saved could not be recovered.\n\n" +
                                      read.error + "\n\nThe copy is kept at " +
                                      (aside.empty() ? copy.path : aside) + "."});
        return notices;
    }
    const RecoveryHeader& header = copy.header;
    name_ = header.fileName;
    identity_ = header.identity;
    fileLoans_ = static_cast<int>(header.fileLoans);
    queryHid_ = header.queryHid && !name_.empty();
    tailBytes_ = static_cast<std::size_t>(header.tailBytes);
    RestorePlansFromRecoveryCopy(header, notices);
    // Unsaved, as they were: the file is written only when the user saves.
    table_.FileChanged = true;
    UpdateRecoveryCopy();
    return notices;
}

void OpenFile::Discard(const LeftoverCopy& copy) {
    if (!recovery_ || recoveryFrozen_ || copy_ != Copy::Held || copy.path != recovery_->Path())
        return;
    recovery_->Remove();
    copy_ = Copy::None;
    WaitForRecoveryCopy();
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
