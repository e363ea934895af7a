// What the open file decides for the window: the questions before a command, and what a read or
// a write means for the user.
#include "safefile/tests/TempFolder.h"
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/OpenFile.h"
#include "loan/PlanFile.h"

#include <gtest/gtest.h>

namespace {

using loan::Notice;
using loan::OpenFile;
using loan::Question;
using safefile::WriteState;

std::array<std::string, loan::kLoanCols> Loan(const std::string& code) {
    return {code, "250000", "25", "60", "7.5", "150000", "40", "6.9", "100000", "Monthly",
            "$1,500.00", "$18,000.00", "Yes"};
}

std::vector<std::string> Texts(const std::vector<Question>& questions) {
    std::vector<std::string> texts;
    for (const Question& q : questions)
        texts.push_back(q.text);
    return texts;
}

class OpenFileTest : public TempFolder {
  protected:
    // The table opened from a file of the given loans and trailing bytes.
    void OpenWith(std::initializer_list<const char*> codes, std::size_t tail = 0) {
        path_ = Path("loans.loa");
        loan::LoanTable written;
        for (const char* code : codes)
            written.WriteLoan(written.Grid.Rows() - 1, Loan(code));
        ASSERT_TRUE(loan::LoanFileWriter::WriteFile(path_, written.Grid).Saved());
        if (tail > 0) std::ofstream(path_, std::ios::app | std::ios::binary) << std::string(tail, 'x');
        notices_ = file_.AfterRead(path_, loan::LoanFileReader::ReadFile(path_, table_.Grid));
    }

    loan::LoanTable table_;
    OpenFile file_{table_};
    std::string path_;
    std::vector<Notice> notices_;
};

TEST_F(OpenFileTest, OnlyUnsavedChangesAskBeforeTheyAreLeft) {
    EXPECT_FALSE(file_.BeforeLeaving(OpenFile::Leaving::Exiting));
    table_.WriteLoan(1, Loan("HOME"));
    const auto exiting = file_.BeforeLeaving(OpenFile::Leaving::Exiting);
    const auto query = file_.BeforeLeaving(OpenFile::Leaving::Query);
    ASSERT_TRUE(exiting && query);
    EXPECT_EQ(exiting->text, "Save file before exiting?");
    EXPECT_EQ(query->text, "Save file before the query?");
    EXPECT_EQ(query->caption, "Save File?");
}

TEST_F(OpenFileTest, AReadNamesTheTableOnlyWhenItSucceeds) {
    OpenWith({"HOME", "CAR"});
    EXPECT_EQ(file_.Name(), path_);
    EXPECT_FALSE(file_.Modified());
    EXPECT_TRUE(notices_.empty());

    table_.WriteLoan(3, Loan("BOAT"));
    loan::ReadResult failed;
    failed.error = "Cannot open \"/elsewhere.loa\": Permission denied";
    const auto told = file_.AfterRead("/elsewhere.loa", failed);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, Notice::Kind::Error);
    EXPECT_EQ(told[0].text, "The loan file /elsewhere.loa could not be opened.\n\n" + failed.error);
    EXPECT_EQ(file_.Name(), path_);
    EXPECT_TRUE(file_.Modified());
}

// Each question a save over the table's own file asks, alone and together, in their order; a
// save elsewhere, or of an untitled table, asks none of them.
TEST_F(OpenFileTest, ASaveOverTheOwnFileAsksWhatItWouldLoseOrReplace) {
    OpenWith({"HOME", "CAR", "BOAT"}, 36);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].text, "The loan file " + path_ +
                                    " ends with 36 bytes that are not a whole loan. They are not "
                                    "shown, and they will be dropped if the file is saved.");
    const std::string tail = "The loan file " + path_ +
                             " ends with 36 bytes that are not a whole loan; saving drops them. "
                             "Replace the file with the table?";
    EXPECT_EQ(Texts(file_.BeforeSaveOver(path_)), std::vector<std::string>{tail});
    EXPECT_TRUE(file_.BeforeSaveOver(Path("other.loa")).empty());

    const struct {
        int shown;
        std::string found;
    } queries[] = {
        {0, "the query found none, so the table is empty. Replace the file with the empty table?"},
        {1, "the table shows the 1 found by the query. Replace the file with this 1 loan?"},
        {2, "the table shows the 2 found by the query. Replace the file with these 2 loans?"},
    };
    for (const auto& q : queries) {
        while (table_.LoanCount() > q.shown)
            table_.DeleteLoan(1);
        file_.QueryHidLoans();
        EXPECT_EQ(Texts(file_.BeforeSaveOver(path_)),
                  (std::vector<std::string>{"The loan file " + path_ + " holds 3 loans; " + q.found,
                                            tail}));
        OpenWith({"HOME", "CAR", "BOAT"}, 36);
    }

    // Another program writes the file.
    loan::LoanTable other;
    other.WriteLoan(1, Loan("VAN"));
    ASSERT_TRUE(loan::LoanFileWriter::WriteFile(path_, other.Grid).Saved());
    EXPECT_EQ(file_.BeforeSaveOver(path_).back().text,
              "The loan file " + path_ +
                  " has been changed by another program since it was opened. Replace it with "
                  "this table?");
    EXPECT_EQ(file_.BeforeSaveOver(path_).back().caption, "Loan File Changed");

    // Once saved, the file holds the table: nothing is left to ask.
    safefile::WriteOutcome saved = loan::LoanFileWriter::WriteFile(path_, table_.Grid);
    EXPECT_TRUE(file_.AfterWrite(path_, saved, true).empty());
    EXPECT_TRUE(file_.BeforeSaveOver(path_).empty());

    file_.MakeUntitled();
    file_.QueryHidLoans();
    EXPECT_TRUE(file_.BeforeSaveOver(path_).empty());
}

// Each outcome of a write is told in one message that says what became of the file; only a
// whole save makes the file the table's.
TEST_F(OpenFileTest, EachWriteOutcomeIsToldForWhatItLeft) {
    const std::string as = "The loans could not be saved to /t.loa.\n\nwhy";
    const struct {
        WriteState state;
        bool existed;
        std::string told;
    } cases[] = {
        {WriteState::Saved, true, ""},
        {WriteState::FailedAsItWas, true, as + "\n\nThe file is as it was before."},
        {WriteState::FailedAsItWas, false, as},
        {WriteState::FailedRestored, true, as + "\n\nThe file is as it was before."},
        {WriteState::FailedCopyKept, true, as},
        {WriteState::Unknown, true, as},
        {WriteState::Unconfirmed, true,
         "The loans were written to /t.loa, but the system could not confirm that they are "
         "safely on disk. Save again to be sure.\n\nwhy"},
    };
    for (const auto& c : cases) {
        loan::LoanTable table;
        table.WriteLoan(1, Loan("HOME"));
        OpenFile file(table);
        safefile::WriteOutcome outcome;
        outcome.state = c.state;
        if (c.state != WriteState::Saved) outcome.error = "why";
        const auto told = file.AfterWrite("/t.loa", outcome, c.existed);
        const bool saved = c.state == WriteState::Saved;
        ASSERT_EQ(told.size(), saved ? 0u : 1u) << c.told;
        if (!saved) {
            EXPECT_EQ(told[0].text, c.told);
            EXPECT_EQ(told[0].kind, Notice::Kind::Error);
        }
        EXPECT_EQ(file.Name(), saved ? "/t.loa" : "") << c.told;
        EXPECT_EQ(file.Modified(), !saved) << c.told;
    }
}

// A save whose new content is in place but unconfirmed, or one that failed after changing the
// file, changed it itself: the next save does not take that for another program's write.
TEST_F(OpenFileTest, ItsOwnFailedWriteIsNotAnotherProgramsChange) {
    for (const WriteState state : {WriteState::Unconfirmed, WriteState::FailedCopyKept}) {
        OpenWith({"HOME"});
        table_.WriteLoan(2, Loan("CAR"));
        ASSERT_TRUE(loan::LoanFileWriter::WriteFile(path_, table_.Grid).Saved());
        safefile::WriteOutcome outcome;
        outcome.state = state;
        outcome.error = "why";
        outcome.written = safefile::FileIdentity::Of(path_);
        file_.AfterWrite(path_, outcome, true);
        EXPECT_TRUE(file_.BeforeSaveOver(path_).empty());
        EXPECT_TRUE(file_.Modified());
    }
}

// A copy kept by a rewrite that did not finish is pointed out at the next read or write of its
// file, once.
TEST_F(OpenFileTest, ALeftBackupCopyIsPointedOutOnce) {
    OpenWith({"HOME"});
    std::string why;
    const std::string copy =
        loan::LoanFileWriter::Backups().Save(safefile::FileSystem::Real(), path_, "old", why);
    ASSERT_FALSE(copy.empty()) << why;
    notices_ = file_.AfterRead(path_, loan::LoanFileReader::ReadFile(path_, table_.Grid));
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].text.find("is kept at " + copy + "."), std::string::npos);
    notices_ = file_.AfterRead(path_, loan::LoanFileReader::ReadFile(path_, table_.Grid));
    EXPECT_TRUE(notices_.empty());
}

// ---- The plans beside the loan file

calc::LoanPlan PlanWithLump(calc::Cents cents) {
    calc::LoanPlan plan;
    plan.fixedYears = 3;
    plan.lumpSums = {{12, cents, calc::PlanPart::Variable}};
    return plan;
}

// Saves the table as File > Save does: the loans, then the open file's part.
std::vector<Notice> Save(OpenFile& file, loan::LoanTable& table, const std::string& path) {
    return file.AfterWrite(path, loan::LoanFileWriter::WriteFile(path, table.Grid), true);
}

TEST_F(OpenFileTest, PlansAreKeptBesideTheLoansAndTheLoanFileStaysAsItWas) {
    OpenWith({"HOME", "CAR", "BOAT"});
    const std::string before = Contents(path_);
    const std::string companion = path_ + ".plans";
    // A plan the same as the one kept, or an empty one where there is none, changes nothing.
    file_.SetPlan("CAR", calc::LoanPlan{});
    EXPECT_FALSE(file_.Modified());
    file_.SetPlan(" HOME ", PlanWithLump(100));
    EXPECT_TRUE(file_.Modified());
    file_.SetPlan("BOAT", PlanWithLump(200));
    ASSERT_TRUE(Save(file_, table_, path_).empty());
    EXPECT_FALSE(file_.Modified());
    EXPECT_EQ(Contents(path_), before);
    file_.SetPlan("HOME", PlanWithLump(100));
    EXPECT_FALSE(file_.Modified());

    // Back with the loans; a deleted loan's plan goes at the next save, as the loan does.
    loan::LoanTable reopened;
    OpenFile again(reopened);
    EXPECT_TRUE(again.AfterRead(path_, loan::LoanFileReader::ReadFile(path_, reopened.Grid)).empty());
    EXPECT_TRUE(loan::PlanFile::Same(again.PlanOf("HOME"), PlanWithLump(100)));
    EXPECT_TRUE(loan::PlanFile::Same(again.PlanOf("BOAT"), PlanWithLump(200)));
    EXPECT_TRUE(loan::PlanFile::IsEmpty(again.PlanOf("CAR")));
    reopened.DeleteLoan(3);
    EXPECT_TRUE(loan::PlanFile::Same(again.PlanOf("BOAT"), PlanWithLump(200)));
    ASSERT_TRUE(Save(again, reopened, path_).empty());
    EXPECT_TRUE(loan::PlanFile::IsEmpty(again.PlanOf("BOAT")));
    const loan::PlansRead read = loan::PlanFile::Read(companion);
    ASSERT_EQ(read.state, loan::PlansRead::State::Read);
    EXPECT_EQ(read.plans.size(), 1u);

    // Save As takes them to the new name; emptied, the file says there are none.
    const std::string other = Path("other.loa");
    ASSERT_TRUE(Save(again, reopened, other).empty());
    EXPECT_EQ(loan::PlanFile::Read(other + ".plans").plans.size(), 1u);
    again.SetPlan("HOME", calc::LoanPlan{});
    EXPECT_TRUE(again.Modified());
    ASSERT_TRUE(Save(again, reopened, other).empty());
    EXPECT_EQ(loan::PlanFile::Read(other + ".plans").state, loan::PlansRead::State::Read);
    EXPECT_TRUE(loan::PlanFile::Read(other + ".plans").plans.empty());
}

TEST_F(OpenFileTest, LoansWithoutPlansLeaveNoPlanFile) {
    OpenWith({"HOME"});
    table_.WriteLoan(2, Loan("CAR"));
    ASSERT_TRUE(Save(file_, table_, path_).empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"loans.loa"});
    file_.SetPlan("CAR", PlanWithLump(5));
    file_.ForgetPlans();
    EXPECT_TRUE(loan::PlanFile::IsEmpty(file_.PlanOf("CAR")));
}

// A damaged plan file, or one of a later version, keeps no loan from opening; it stays as it is
// until a save that was allowed to replace it.
TEST_F(OpenFileTest, AnUnreadablePlanFileIsToldLeftAndAskedAbout) {
    const std::string companion = Path("loans.loa.plans");
    for (const std::string& damage :
         {std::string("{\"format\": \"dravenholt-loan plans\", \"version\": 7}"),
          std::string("not json at all")}) {
        std::ofstream(companion, std::ios::binary | std::ios::trunc) << damage;
        OpenWith({"HOME", "CAR"});
        EXPECT_EQ(table_.LoanCount(), 2);
        ASSERT_EQ(notices_.size(), 1u);
        EXPECT_EQ(notices_[0].kind, Notice::Kind::Error);
        EXPECT_EQ(notices_[0].text.rfind("The plans of these loans could not be read from " +
                                             companion + ": ",
                                         0),
                  0u)
            << notices_[0].text;
        EXPECT_NE(notices_[0].text.find("The plan file is left as it is; saving the loans asks "
                                        "before replacing it."),
                  std::string::npos);
        EXPECT_EQ(Contents(companion), damage);
        // Asked before its own save, and before a Save As over another file whose plans it is.
        const std::vector<Question> asked = file_.BeforeSaveOver(path_);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].caption, "Replace Plans?");
        EXPECT_NE(asked[0].text.find(companion), std::string::npos);
        EXPECT_TRUE(file_.BeforeSaveOver(Path("other.loa")).empty());
        EXPECT_EQ(Contents(companion), damage);
    }
    ASSERT_TRUE(Save(file_, table_, path_).empty());
    EXPECT_TRUE(file_.BeforeSaveOver(path_).empty());
    EXPECT_EQ(loan::PlanFile::Read(companion).state, loan::PlansRead::State::Read);
}

// The loans saved and their plans not: the message says which, and the table stays unsaved.
TEST_F(OpenFileTest, LoansSavedWithoutTheirPlansAreNotAllSaved) {
    OpenWith({"HOME"});
    file_.SetPlan("HOME", PlanWithLump(100));
    const std::string companion = path_ + ".plans";
    std::filesystem::create_directory(companion);
    const std::vector<Notice> told = Save(file_, table_, path_);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, Notice::Kind::Error);
    EXPECT_EQ(told[0].text.rfind("The loans were saved to " + path_ +
                                     ", but their plans could not be saved to " + companion,
                                 0),
              0u)
        << told[0].text;
    EXPECT_NE(told[0].text.find("The loans stay marked unsaved: save again to keep their plans."),
              std::string::npos);
    EXPECT_TRUE(file_.Modified());
    EXPECT_EQ(file_.Name(), path_);
    std::filesystem::remove(companion);
    EXPECT_TRUE(Save(file_, table_, path_).empty());
    EXPECT_FALSE(file_.Modified());
}

} // namespace
