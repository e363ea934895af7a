// What the open file decides for the window: the questions before a command, and what a read or
// a write means for the user.
#include "safefile/tests/TempFolder.h"
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/OpenFile.h"

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

} // namespace
