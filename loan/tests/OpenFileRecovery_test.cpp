// The open file's recovery copy: kept while the table holds unsaved changes and only then, and
// taken back at the next start as the table it was, with the questions Save would have asked.
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/OpenFile.h"
#include "loan/tests/OtherProgram.h"
#include "safefile/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>

#include <sys/stat.h>

namespace {

using loan::Notice;
using loan::OpenFile;

std::array<std::string, loan::kLoanCols> Loan(const std::string& code) {
    return {code,  "250000", "25",      "60",        "7.5",        "150000", "40",
            "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"};
}

std::vector<std::string> Codes(const loan::LoanGrid& grid) {
    std::vector<std::string> codes;
    for (int r = 1; r < grid.Rows() - 1; ++r)
        codes.emplace_back(grid.TextAt(r, loan::ColCode));
    return codes;
}

std::vector<std::string> Texts(const std::vector<loan::Question>& questions) {
    std::vector<std::string> texts;
    for (const loan::Question& q : questions)
        texts.push_back(q.text);
    return texts;
}

// The machine's file system, with writes failing as on a full disk while full is set.
class FillingFileSystem : public safefile::FileSystem {
  public:
    std::atomic<bool> full{false};

  protected:
    ssize_t SysWrite(int fd, const void* data, std::size_t size) override {
        if (full) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystem::SysWrite(fd, data, size);
    }
};

class OpenFileRecoveryTest : public TempFolder {
  protected:
    void SetUp() override {
        TempFolder::SetUp();
        state_ = Path("state/dravenholt-loan");
        path_ = Path("loans.loa");
    }

    // A loan file of these loans, and bytes after them that are no whole loan.
    void WriteFile(std::initializer_list<const char*> codes, std::size_t tail = 0) {
        loan::LoanTable written;
        for (const char* code : codes)
            written.WriteLoan(written.Grid.Rows() - 1, Loan(code));
        ASSERT_TRUE(loan::LoanFileWriter::WriteFile(path_, written.Grid).Saved());
        if (tail > 0)
            std::ofstream(path_, std::ios::app | std::ios::binary) << std::string(tail, 'x');
    }
    // The file opened in table as File > Open does, then the second loan deleted.
    static void OpenAndChange(OpenFile& file, loan::LoanTable& table, const std::string& path) {
        file.AfterRead(path, loan::LoanFileReader::ReadFile(path, table.Grid));
        table.DeleteLoan(2);
    }
    // Another run of the program that changed the file's table and was then killed, leaving its
    // copy behind; change does what it did.
    void LeaveCopy(const std::function<void(OpenFile&, loan::LoanTable&)>& change) {
        OtherProgram([&] {
            loan::LoanTable table;
            OpenFile file(table);
            file.KeepRecoveryCopies(state_);
            change(file, table);
            file.FreezeRecoveryCopy();
        }).End();
    }
    bool HasCopy(const OpenFile& file) const {
        return std::filesystem::exists(file.RecoveryCopyPath());
    }
    static unsigned ModeOf(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    std::string state_;
    std::string path_;
    loan::LoanTable table_;
    OpenFile file_{table_};
};

TEST_F(OpenFileRecoveryTest, ACopyIsKeptWhileTheTableHoldsUnsavedChangesAndOnlyThen) {
    using Then = std::function<void(OpenFile&, loan::LoanTable&)>;
    const Then saved = [this](OpenFile& file, loan::LoanTable& table) {
        file.AfterWrite(path_, loan::LoanFileWriter::WriteFile(path_, table.Grid), true);
    };
    const struct {
        const char* name;
        Then then;
        bool kept;
    } cases[] = {
        {"saved", saved, false},
        {"a save failed",
         [this](OpenFile& file, loan::LoanTable&) {
             safefile::WriteOutcome failed;
             failed.state = safefile::WriteState::FailedAsItWas;
             file.AfterWrite(path_, failed, true);
         },
         true},
        {"another file opened",
         [this](OpenFile& file, loan::LoanTable& table) {
             file.AfterRead(path_, loan::LoanFileReader::ReadFile(path_, table.Grid));
         },
         false},
        {"an open failed",
         [this](OpenFile& file, loan::LoanTable&) { file.AfterRead(path_, loan::ReadResult{}); },
         true},
        {"a new table",
         [](OpenFile& file, loan::LoanTable& table) {
             table.Clear();
             table.FileChanged = false;
             file.UpdateRecoveryCopy();
         },
         false},
        {"the loans let go (No at exit)",
         [](OpenFile& file, loan::LoanTable&) { file.DropRecoveryCopy(); }, false},
        {"frozen by a signal, then saved and let go",
         [&saved](OpenFile& file, loan::LoanTable& table) {
             file.FreezeRecoveryCopy();
             saved(file, table);
             file.DropRecoveryCopy();
         },
         true},
    };
    for (const auto& c : cases) {
        WriteFile({"HOME", "CAR", "BOAT"});
        loan::LoanTable table;
        OpenFile file(table);
        file.KeepRecoveryCopies(state_);
        OpenAndChange(file, table, path_);
        file.UpdateRecoveryCopy();
        file.WaitForRecoveryCopy();
        ASSERT_TRUE(HasCopy(file)) << c.name << ": " << file.RecoveryCopyError();
        EXPECT_EQ(ModeOf(file.RecoveryCopyPath()), 0600u) << c.name;
        EXPECT_EQ(ModeOf(state_), 0700u) << c.name;
        c.then(file, table);
        file.WaitForRecoveryCopy();
        EXPECT_EQ(HasCopy(file), c.kept) << c.name;
        std::filesystem::remove(file.RecoveryCopyPath());
    }
}

TEST_F(OpenFileRecoveryTest, ALeftoverComesBackAsItsTableWithTheQuestionsSaveAsks) {
    WriteFile({"HOME", "CAR", "BOAT"}, 36);
    // A plan file that cannot be read: a save must still ask before it replaces it.
    Put(loan::PlanFile::CompanionOf(path_), "{not json");
    const std::string before = Contents(path_);
    calc::LoanPlan plan;
    plan.fixedYears = 3;
    LeaveCopy([this, &plan](OpenFile& file, loan::LoanTable& table) {
        OpenAndChange(file, table, path_);
        file.QueryHidLoans();
        file.SetPlan("HOME", plan);
    });
    // What this program would ask of the same table.
    OpenAndChange(file_, table_, path_);
    file_.QueryHidLoans();
    const auto asked = Texts(file_.BeforeSaveOver(path_));
    ASSERT_EQ(asked.size(), 3u);

    loan::LoanTable table;
    OpenFile file(table);
    file.KeepRecoveryCopies(state_);
    const auto leftovers = file.RecoveryLeftovers();
    ASSERT_EQ(leftovers.size(), 1u);
    std::vector<Notice> notices;
    const auto copy = file.TakeLeftover(leftovers[0], notices);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(copy->question.text.substr(0, copy->question.text.find(" from ")),
              "Loans of the loan file " + path_);
    EXPECT_TRUE(file.Recover(*copy).empty());
    EXPECT_EQ(Codes(table.Grid), (std::vector<std::string>{"HOME", "BOAT"}));
    EXPECT_EQ(file.Name(), path_);
    EXPECT_TRUE(file.Modified());
    EXPECT_EQ(Contents(path_), before) << "the file is not touched until the user saves";
    EXPECT_EQ(Texts(file.BeforeSaveOver(path_)), asked);
    EXPECT_EQ(file.PlanOf("HOME").fixedYears, 3.0);
    EXPECT_FALSE(file.PlanOf("BOAT").fixedYears);

    // Another program writes the file meanwhile: Save asks about that too.
    WriteFile({"VAN"});
    EXPECT_EQ(file.BeforeSaveOver(path_).back().caption, "Loan File Changed");
    // The copy is this program's now, kept from its table.
    file.WaitForRecoveryCopy();
    EXPECT_TRUE(HasCopy(file));
    EXPECT_TRUE(file.RecoveryLeftovers().empty());
}

TEST_F(OpenFileRecoveryTest, AnUntitledLeftoverDiscardedIsGone) {
    LeaveCopy([](OpenFile&, loan::LoanTable& table) { table.WriteLoan(1, Loan("HOME")); });
    file_.KeepRecoveryCopies(state_);
    std::vector<Notice> notices;
    const auto copy = file_.TakeLeftover(file_.RecoveryLeftovers().at(0), notices);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->question.text.substr(0, copy->question.text.find(" from ")),
              "Loans of an untitled table");
    EXPECT_EQ(copy->question.text.substr(copy->question.text.find(" were not saved")),
              " were not saved.\n\nRecover them? Discard deletes them for good.");
    file_.Discard(*copy);
    EXPECT_FALSE(HasCopy(file_));
    EXPECT_TRUE(std::filesystem::is_empty(state_));
    EXPECT_EQ(table_.LoanCount(), 0);
    EXPECT_FALSE(file_.Modified());
}

TEST_F(OpenFileRecoveryTest, ADamagedCopyIsReportedAndSetAsideNeverLoaded) {
    std::filesystem::create_directories(state_);
    const std::string damaged = state_ + "/" + OtherProgram::Ended() + ".recovery";
    Put(damaged, "DRAVENHOLT LOAN RECOVERY 1\nprogram 3\n1+1");
    file_.KeepRecoveryCopies(state_);
    std::vector<Notice> notices;
    EXPECT_FALSE(file_.TakeLeftover(file_.RecoveryLeftovers().at(0), notices));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, Notice::Kind::Error);
    EXPECT_NE(notices[0].text.find("is damaged: it ends before its check line"), std::string::npos)
        << notices[0].text;
    EXPECT_NE(notices[0].text.find(damaged + ".damaged"), std::string::npos) << notices[0].text;
    EXPECT_EQ(table_.LoanCount(), 0);
    EXPECT_TRUE(file_.RecoveryLeftovers().empty()) << "set aside, not offered again";
    // This program's own copy goes on as usual.
    table_.WriteLoan(1, Loan("HOME"));
    file_.UpdateRecoveryCopy();
    file_.WaitForRecoveryCopy();
    EXPECT_TRUE(HasCopy(file_));
    EXPECT_EQ(Contents(damaged + ".damaged"), "DRAVENHOLT LOAN RECOVERY 1\nprogram 3\n1+1");
}

TEST_F(OpenFileRecoveryTest, TwoProgramsRunningKeepTheirOwnCopies) {
    WriteFile({"HOME", "CAR", "BOAT"});
    OtherProgram other([this] {
        loan::LoanTable table;
        OpenFile file(table);
        file.KeepRecoveryCopies(state_);
        OpenAndChange(file, table, path_);
        file.FreezeRecoveryCopy();
    });
    const std::string otherCopy = state_ + "/" + other.Stamp() + ".recovery";
    ASSERT_TRUE(std::filesystem::exists(otherCopy));

    file_.KeepRecoveryCopies(state_);
    EXPECT_TRUE(file_.RecoveryLeftovers().empty()) << "the other program runs";
    OpenAndChange(file_, table_, path_);
    file_.UpdateRecoveryCopy();
    file_.WaitForRecoveryCopy();
    EXPECT_TRUE(HasCopy(file_));
    EXPECT_NE(file_.RecoveryCopyPath(), otherCopy);
    file_.AfterWrite(path_, loan::LoanFileWriter::WriteFile(path_, table_.Grid), true);
    file_.WaitForRecoveryCopy();
    EXPECT_FALSE(HasCopy(file_));
    EXPECT_TRUE(std::filesystem::exists(otherCopy)) << "the other program's copy is its own";

    other.End();
    EXPECT_EQ(file_.RecoveryLeftovers(), std::vector<std::string>{otherCopy});
}

TEST_F(OpenFileRecoveryTest, AFailedWriteKeepsTheLastWholeCopyAndSaysWhy) {
    FillingFileSystem fs;
    loan::LoanTable table;
    OpenFile file(table, fs);
    file.KeepRecoveryCopies(state_);
    table.WriteLoan(1, Loan("HOME"));
    file.UpdateRecoveryCopy();
    file.WaitForRecoveryCopy();
    ASSERT_EQ(file.RecoveryCopyError(), "");
    const std::string first = Contents(file.RecoveryCopyPath());

    fs.full = true;
    table.WriteLoan(2, Loan("CAR"));
    file.UpdateRecoveryCopy();
    file.WaitForRecoveryCopy();
    EXPECT_NE(file.RecoveryCopyError().find("No space left on device"), std::string::npos)
        << file.RecoveryCopyError();
    EXPECT_EQ(Contents(file.RecoveryCopyPath()), first);
    fs.full = false;
}

} // namespace
