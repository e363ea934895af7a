#include "safefile/tests/RunUnprivileged.h"
#include "safefile/tests/TempFolder.h"
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanRecord.h"
#include "loan/LoanTable.h"
#include "safefile/FileSizeSignal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using loan::LoanFileReader;
using loan::LoanFileWriter;
using loan::LoanTable;
using Texts = std::array<std::string, loan::kLoanCols>;

Texts Loan(const std::string& code) {
    return {code,  "250000", "25",      "60",        "7.5",        "150000", "40",
            "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"};
}

LoanTable TableWith(int loans) {
    LoanTable table;
    for (int i = 0; i < loans; ++i)
        table.WriteLoan(table.Grid.Rows() - 1, Loan("L" + std::to_string(i)));
    return table;
}

std::vector<std::vector<std::string>> Cells(const loan::LoanGrid& grid) {
    std::vector<std::vector<std::string>> cells;
    for (int r = 0; r < grid.Rows(); ++r) {
        auto& row = cells.emplace_back();
        for (int c = 0; c < grid.Cols(); ++c)
            row.emplace_back(grid.TextAt(r, c));
    }
    return cells;
}

std::string Written(LoanTable& table) {
    std::ostringstream out;
    EXPECT_TRUE(LoanFileWriter::Write(out, table.Grid));
    return out.str();
}

std::string Record(const std::string& code) {
    return code + std::string(113 - code.size(), ' ') + "\r";
}

// A stream buffer that passes k bytes and then fails, as a disk or network file can.
class FailingBuffer : public std::streambuf {
  public:
    FailingBuffer(std::string data, std::size_t failAfter)
        : data_(std::move(data)), failAfter_(failAfter) {}
    std::string written;

  protected:
    int_type underflow() override {
        if (pos_ >= failAfter_) throw std::runtime_error("device failed");
        if (pos_ >= data_.size()) return traits_type::eof();
        current_ = data_[pos_++];
        setg(&current_, &current_, &current_ + 1);
        return traits_type::to_int_type(current_);
    }
    int_type overflow(int_type ch) override {
        if (written.size() >= failAfter_) return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            written.push_back(traits_type::to_char_type(ch));
        return traits_type::not_eof(ch);
    }

  private:
    std::string data_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
    char current_ = 0;
};

TEST(LoanFile, TheEmptyTableIsOneBlankRecordAndReadsBack) {
    LoanTable table;
    const std::string bytes = Written(table);
    EXPECT_EQ(bytes, std::string(113, ' ') + "\r");

    LoanTable read = TableWith(3);
    ASSERT_TRUE(LoanFileReader::ReadBytes(bytes, read.Grid).ok);
    EXPECT_EQ(Cells(read.Grid), Cells(LoanTable().Grid));
}

TEST(LoanFile, NLoansGiveNPlusOneRecordsAndReadBackTheSame) {
    for (const int n : {1, 2, 7, 9000}) {
        LoanTable table = TableWith(n);
        table.Grid.SetTextAt(1, 0, "Crème brûlée €"); // non-ASCII through Windows-1252
        table.Grid.SetTextAt(n, 11, "");              // an empty cell inside a loan
        const std::string bytes = Written(table);
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(n + 1) * 114) << n;
        EXPECT_EQ(table.Grid.Row(), n + 1) << "current cell ends on the blank row";
        EXPECT_EQ(table.Grid.Col(), 12);

        LoanTable read;
        std::istringstream in(bytes);
        ASSERT_TRUE(LoanFileReader::Read(in, read.Grid).ok);
        EXPECT_EQ(Cells(read.Grid), Cells(table.Grid)) << n;
        EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xE8u) << "è is one byte in the file";
    }
}

TEST(LoanFile, ReadingTrimsCutsAndCompletesTheTable) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> codes; // column 0 of rows 1.. after reading
        std::size_t dropped;            // bytes after the last whole record
    } cases[] = {
        {"empty file", "", {""}, 0},
        {"partial tail dropped and counted", Record("A") + Record("") + "B   ", {"A", ""}, 4},
        {"last record not blank", Record("A") + Record("B"), {"A", "B", ""}, 0},
        {"blank rows inside kept", Record("") + Record("A") + Record(""), {"", "A", ""}, 0},
        {"spaces around lost", Record("  A B  ") + Record(""), {"A B", ""}, 0},
    };
    for (const auto& c : cases) {
        LoanTable table = TableWith(2);
        const auto result = LoanFileReader::ReadBytes(c.bytes, table.Grid);
        ASSERT_TRUE(result.ok) << c.name;
        EXPECT_EQ(result.droppedTailBytes, c.dropped) << c.name;
        std::vector<std::string> codes;
        for (int r = 1; r < table.Grid.Rows(); ++r)
            codes.emplace_back(table.Grid.TextAt(r, 0));
        EXPECT_EQ(codes, c.codes) << c.name;
        EXPECT_TRUE(table.Grid.RowIsBlank(table.Grid.Rows() - 1)) << c.name;
        EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code") << c.name << ": headings kept";
    }
}

// Bytes that are not loan records are refused, not shown as rows of junk a save would write
// back; the first record that does not end as the format ends every record is named.
TEST(LoanFile, FilesWhoseRecordsDoNotEndInACarriageReturnAreRefused) {
    std::string crlf;
    for (const char* code : {"A", "B", "C"})
        crlf += Record(code) + "\n";
    std::string random(5000, '\0');
    unsigned seed = 7;
    for (char& byte : random)
        byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    random[113] = '\x01';
    const struct {
        const char* name;
        std::string bytes;
        std::string says;
    } cases[] = {
        {"record 9 damaged",
         [] {
             std::string bytes;
             for (int i = 1; i <= 10; ++i)
                 bytes += Record("L" + std::to_string(i));
             bytes[8 * 114 + 113] = ' ';
             return bytes;
         }(),
         "This is not a loan file: record 9 is damaged."},
        {"carriage returns become CR LF", crlf, "record 2 is damaged. Its records look shifted"},
        {"random bytes", random, "record 1 is damaged"},
        {"a program",
         std::string("\x7f"
                     "ELF\x02\x01\x01") +
             std::string(300, '\0'),
         "record 1 is damaged"},
        {"first record good, then a short one and text", Record("A") + std::string(114, 'x'),
         "record 2 is damaged"},
        // A short text file is no empty table that a save may replace with a blank record.
        {"a few words", "Remember to pay the car loan.\n", "its 30 bytes do not make up one loan"},
        {"less than a record of spaces", std::string(113, ' '), "its 113 bytes do not make up"},
    };
    for (const auto& c : cases) {
        LoanTable table = TableWith(2);
        const auto before = Cells(table.Grid);
        const auto result = LoanFileReader::ReadBytes(c.bytes, table.Grid);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_NE(result.error.find(c.says), std::string::npos) << c.name << ": " << result.error;
        EXPECT_EQ(Cells(table.Grid), before) << c.name;
        std::istringstream in(c.bytes);
        EXPECT_EQ(LoanFileReader::Read(in, table.Grid).error, result.error) << c.name;
    }
}

// A term typed "0100" must not come back as 10 years.
TEST(LoanFile, NumbersTooLongForTheirFieldsReadBackWithTheirValues) {
    LoanTable table;
    table.WriteLoan(1, {"HOME", "000000250000", "0100", "0060.00", "07.500", "150000.000000",
                        "040.000", "6.90000", "0000000100000", "Monthly", "$1,500.00", "$18,000.00",
                        "Yes"});
    LoanTable read;
    ASSERT_TRUE(LoanFileReader::ReadBytes(Written(table), read.Grid).ok);
    const std::vector<std::string> expected = {
        "HOME", "250000", "100",     "60",        "07.500",     "150000", "40",
        "6.9",  "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"};
    std::vector<std::string> row;
    for (int c = 0; c < 13; ++c)
        row.emplace_back(read.Grid.TextAt(1, c));
    EXPECT_EQ(row, expected);
}

TEST(LoanFile, EveryFieldLandsInItsColumn) {
    std::string record;
    for (int c = 0; c < 13; ++c) {
        const std::string text = std::string(1, static_cast<char>('a' + c));
        record += text + std::string(static_cast<std::size_t>(loan::kRecordWidths[c] - 1), ' ');
    }
    record += '\r';
    LoanTable table;
    ASSERT_TRUE(LoanFileReader::ReadBytes(record + Record(""), table.Grid).ok);
    for (int c = 0; c < 13; ++c)
        EXPECT_EQ(table.Grid.TextAt(1, c), std::string(1, static_cast<char>('a' + c)));
}

TEST(LoanFile, AReadThatFailsMidwayLeavesTheTableAsItWas) {
    LoanTable five = TableWith(5);
    const std::string bytes = Written(five);
    for (const std::size_t k : {0u, 1u, 113u, 114u, 300u, 683u}) {
        LoanTable table = TableWith(2);
        const auto before = Cells(table.Grid);
        FailingBuffer buffer(bytes, k);
        std::istream in(&buffer);
        const auto result = LoanFileReader::Read(in, table.Grid);
        EXPECT_FALSE(result.ok) << k;
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(Cells(table.Grid), before) << k;
    }
    // Past the end the device is never asked again: a whole read.
    LoanTable table;
    FailingBuffer buffer(bytes, bytes.size() + 1);
    std::istream in(&buffer);
    EXPECT_TRUE(LoanFileReader::Read(in, table.Grid).ok);
    EXPECT_EQ(table.LoanCount(), 5);
}

// A view of the table is rebuilt once for a whole file, and hears nothing when the read fails.
TEST(LoanFile, AListeningViewHearsOneResetPerRead) {
    struct Counter : loan::LoanGridListener {
        int resets = 0, other = 0;
        void GridReset() override { ++resets; }
        void RowsInserted() override { ++other; }
        void CellChanged(int, int) override { ++other; }
    } counter;
    LoanTable table;
    table.Grid.SetListener(&counter);
    ASSERT_TRUE(LoanFileReader::ReadBytes(Record("A") + Record("B") + Record(""), table.Grid).ok);
    EXPECT_EQ(counter.resets, 1);
    EXPECT_EQ(counter.other, 0);

    FailingBuffer buffer(Record("A"), 50);
    std::istream in(&buffer);
    EXPECT_FALSE(LoanFileReader::Read(in, table.Grid).ok);
    EXPECT_EQ(counter.resets, 1);
    EXPECT_EQ(table.LoanCount(), 2);
    table.Grid.SetListener(nullptr);
}

TEST(LoanFile, AStreamAlreadyFailedIsAnError) {
    LoanTable table = TableWith(1);
    std::istringstream in("");
    in.setstate(std::ios::failbit);
    EXPECT_FALSE(LoanFileReader::Read(in, table.Grid).ok);
    EXPECT_EQ(table.LoanCount(), 1);
}

TEST(LoanFile, AWriteThatFailsMidwayIsReported) {
    for (const std::size_t k : {0u, 1u, 114u, 500u}) {
        LoanTable table = TableWith(4);
        FailingBuffer buffer("", k);
        std::ostream out(&buffer);
        EXPECT_FALSE(LoanFileWriter::Write(out, table.Grid)) << k;
        EXPECT_EQ(table.LoanCount(), 4);
    }
}

TEST_F(TempFolder, SavesAndOpensAFile) {
    LoanTable table = TableWith(3);
    const std::string path = Path("loans.loa");
    const auto written = LoanFileWriter::WriteFile(path, table.Grid);
    ASSERT_TRUE(written.Saved()) << written.error;
    EXPECT_EQ(Contents(path), Written(table));
    EXPECT_EQ(Entries(), std::vector<std::string>{"loans.loa"});

    LoanTable read;
    const auto result = LoanFileReader::ReadFile(path, read.Grid);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Cells(read.Grid), Cells(table.Grid));
    EXPECT_EQ(read.Grid.Row(), read.Grid.Rows() - 1);
}

TEST_F(TempFolder, SavingReplacesAnOlderLongerFileWhole) {
    const std::string path = Path("loans.loa");
    LoanTable big = TableWith(10);
    ASSERT_TRUE(LoanFileWriter::WriteFile(path, big.Grid).Saved());
    ::chmod(path.c_str(), 0640);
    LoanTable small = TableWith(1);
    ASSERT_TRUE(LoanFileWriter::WriteFile(path, small.Grid).Saved());
    EXPECT_EQ(Contents(path).size(), 2u * 114);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
}

// The temporary file's suffix must not make a valid long name too long to create.
TEST_F(TempFolder, ANameAtTheFileSystemsLimitSaves) {
    const std::string name = std::string(251, 'a') + ".loa";
    LoanTable table = TableWith(2);
    const auto result = LoanFileWriter::WriteFile(Path(name), table.Grid);
    ASSERT_TRUE(result.Saved()) << result.error;
    EXPECT_EQ(Contents(Path(name)), Written(table));
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
}

TEST_F(TempFolder, SavingThroughALinkReplacesTheFileItPointsTo) {
    const std::string real = Path("real.loa"), link = Path("link.loa");
    Put(real, "old");
    fs::create_symlink(real, link);
    LoanTable table = TableWith(1);
    ASSERT_TRUE(LoanFileWriter::WriteFile(link, table.Grid).Saved());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(real), Written(table));
}

TEST_F(TempFolder, FailedSavesReportTheReasonAndLeaveNoTrace) {
    Put(Path("plain"), "x");
    fs::create_directory(Path("folder.loa"));
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {Path("missing/loans.loa"), "No such file or directory"},
        {Path("plain/loans.loa"), "Not a directory"},
        {Path("folder.loa"), "Is a directory"},
    };
    for (const auto& c : cases) {
        LoanTable table = TableWith(2);
        const auto result = LoanFileWriter::WriteFile(c.path, table.Grid);
        EXPECT_FALSE(result.Saved()) << c.path;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
        EXPECT_EQ(table.LoanCount(), 2);
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.loa", "plain"}));
    EXPECT_TRUE(fs::is_empty(Path("folder.loa")));
}

// A file-size limit makes the disk refuse the write part way through, like a full disk.
TEST_F(TempFolder, ASaveThatFailsPartWayLeavesTheOldFileByteForByte) {
    const std::string path = Path("loans.loa");
    LoanTable old = TableWith(3);
    ASSERT_TRUE(LoanFileWriter::WriteFile(path, old.Grid).Saved());
    const std::string before = Contents(path);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    // As the program does at start-up.
    safefile::FileSizeSignal::Catch();
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    LoanTable table = TableWith(50);
    const auto result = LoanFileWriter::WriteFile(path, table.Grid);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(result.Saved());
    EXPECT_NE(result.error.find("File too large"), std::string::npos) << result.error;
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"loans.loa"}) << "no temporary file left";
    EXPECT_EQ(table.Grid.Row(), table.Grid.Rows() - 1);
}

// What a save by an unprivileged user reports: "ok", or the error.
std::string SaveUnprivileged(const std::string& path, int loans) {
    return safefile_test::RunUnprivileged([&] {
        LoanTable table = TableWith(loans);
        const auto result = LoanFileWriter::WriteFile(path, table.Grid);
        return result.Saved() ? std::string("ok") : result.error;
    });
}

TEST_F(TempFolder, AReadOnlyFileIsNotReplaced) {
    // Whether or not the folder would let the file be replaced by a rename.
    for (const mode_t folderMode : {0777, 0555}) {
        const std::string path = Path("locked.loa");
        ::chmod(folder_.c_str(), 0755);
        fs::remove(path);
        Put(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        ASSERT_EQ(::chmod(folder_.c_str(), folderMode), 0);
        const std::string outcome = SaveUnprivileged(path, 1);
        EXPECT_NE(outcome.find("Permission denied"), std::string::npos) << outcome;
        EXPECT_EQ(Contents(path), "old") << std::oct << folderMode;
        EXPECT_EQ(Entries(), std::vector<std::string>{"locked.loa"});
    }
}

// The temporary file cannot be made beside a file in a folder the user may not write to, so
// the file is rewritten where it stands; its permissions stay as they were.
TEST_F(TempFolder, AWritableFileInAReadOnlyFolderIsSavedInPlace) {
    const struct {
        const char* name;
        std::string old;
        int loans;
    } cases[] = {
        {"older file longer", std::string(4 * 114, 'x'), 2},
        {"older file shorter", "old", 5},
        {"older file empty", "", 1},
    };
    for (const auto& c : cases) {
        const std::string path = Path("shared.loa");
        ::chmod(folder_.c_str(), 0755);
        fs::remove(path);
        Put(path, c.old);
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);

        EXPECT_EQ(SaveUnprivileged(path, c.loans), "ok") << c.name;
        LoanTable expected = TableWith(c.loans);
        EXPECT_EQ(Contents(path), Written(expected)) << c.name;
        EXPECT_EQ(Entries(), std::vector<std::string>{"shared.loa"}) << c.name;
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666u) << c.name;
    }
}

// In a shared folder with the sticky bit the temporary file is made, but may not replace a
// file of another owner; that file, writable to all, is rewritten where it stands and keeps its
// owner.
TEST_F(TempFolder, AnotherUsersWritableFileInAStickyFolderIsSavedInPlace) {
    const std::string path = Path("shared.loa");
    Put(path, std::string(3 * 114, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    EXPECT_EQ(SaveUnprivileged(path, 1), "ok");
    LoanTable expected = TableWith(1);
    EXPECT_EQ(Contents(path), Written(expected));
    EXPECT_EQ(Entries(), std::vector<std::string>{"shared.loa"}) << "no temporary file left";
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode & 0777, 0666u);
}

TEST_F(TempFolder, ANewFileInAReadOnlyFolderIsRefused) {
    ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
    const std::string outcome = SaveUnprivileged(Path("new.loa"), 1);
    EXPECT_NE(outcome.find("Cannot create a file in"), std::string::npos) << outcome;
    EXPECT_NE(outcome.find("Permission denied"), std::string::npos) << outcome;
    EXPECT_TRUE(Entries().empty());
}

// Only regular files are read; anything else is refused at once, never waited on or read
// without end.
TEST_F(TempFolder, FailedOpensReportTheReasonAndKeepTheTable) {
    ASSERT_EQ(::mkfifo(Path("pipe.loa").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("zero.loa"));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Path("socket.loa").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Put(Path("unreadable.loa"), Record(""));
    ::chmod(Path("unreadable.loa").c_str(), 0);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {Path("missing.loa"), "No such file or directory"},
        {folder_.string(), "is a folder, not a loan file"},
        {Path("pipe.loa"), "is a named pipe, not a loan file"},
        {Path("zero.loa"), "is a device, not a loan file"},
        {Path("socket.loa"), "is a socket, not a loan file"},
        {Path("unreadable.loa"), "Permission denied"},
    };
    for (const auto& c : cases) {
        if (c.reason == "Permission denied") {
            const std::string outcome = safefile_test::RunUnprivileged([&] {
                LoanTable table;
                return LoanFileReader::ReadFile(c.path, table.Grid).error;
            });
            EXPECT_NE(outcome.find(c.reason), std::string::npos) << outcome;
            continue;
        }
        LoanTable table = TableWith(2);
        const auto before = Cells(table.Grid);
        const auto result = LoanFileReader::ReadFile(c.path, table.Grid);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
        EXPECT_EQ(Cells(table.Grid), before);
    }
    ::close(socket);
}

// A file too big for the table is refused by its size, before a byte is read.
TEST_F(TempFolder, AFileLargerThanATableCanHoldIsRefusedPlainly) {
    const std::string path = Path("huge.loa");
    Put(path, Record("A"));
    const auto size = static_cast<off_t>((LoanFileReader::kMaxRecords + 1) * 114);
    if (::truncate(path.c_str(), size) != 0) GTEST_SKIP() << "no sparse file of that size here";
    LoanTable table = TableWith(1);
    const auto result = LoanFileReader::ReadFile(path, table.Grid);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("is too large to open: it would hold 2147483646 loans, and a "
                                "table holds at most 2147483645."),
              std::string::npos)
        << result.error;
    EXPECT_EQ(table.LoanCount(), 1);
}

} // namespace
