// The recovery copy's format: what a copy holds reads back as it was written, its loans exactly
// as a save would write them, and a copy damaged in any way is refused, never read as loans.
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"
#include "loan/RecoveryCopy.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using loan::RecoveryCopy;
using loan::RecoveryHeader;

loan::LoanTable TableOf(std::initializer_list<const char*> codes) {
    loan::LoanTable table;
    for (const char* code : codes)
        table.WriteLoan(table.Grid.Rows() - 1,
                        {code, "250000", "25", "60", "7.5", "150000", "40", "6.9", "100000",
                         "Monthly", "$1,500.00", "$18,000.00", "Yes"});
    return table;
}

std::string Written(const RecoveryHeader& header, loan::LoanTable& table) {
    std::string bytes;
    EXPECT_TRUE(RecoveryCopy::Write(header, table.Grid.Snapshot(), [&bytes](std::string_view b) {
        bytes.append(b);
        return true;
    }));
    return bytes;
}

// What a save of the table writes.
std::string FileBytes(loan::LoanTable& table) {
    std::ostringstream out;
    EXPECT_TRUE(loan::LoanFileWriter::Write(out, table.Grid));
    return out.str();
}

// A copy changed by hand, with a check line that matches the change: only the format's own
// rules can refuse it.
std::string Resealed(const std::string& copy, const std::string& from, const std::string& to) {
    std::string body = copy.substr(0, copy.rfind("check "));
    const auto at = body.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    body.replace(at, from.size(), to);
    return body + "check " + RecoveryCopy::Checksum(body) + "\n";
}

RecoveryHeader Named() {
    RecoveryHeader header;
    header.program = "4242+99@host";
    header.madeAt = 1800000000;
    header.fileName = "/home/user/Loans 2028.loa";
    header.identity = safefile::FileIdentity{2049, 131, 456, 1799999000, 123456789};
    header.fileLoans = 5;
    header.queryHid = true;
    header.tailBytes = 36;
    return header;
}

TEST(RecoveryCopy, WhatItHoldsReadsBackAsWritten) {
    RecoveryHeader untitled;
    untitled.program = "7+1@h";
    untitled.madeAt = 1;
    RecoveryHeader odd = Named();
    odd.fileName = std::string("/tmp/line\nbreak \xff\xfe.loa");
    odd.identity.reset();
    RecoveryHeader planned = Named();
    planned.plans = R"({"HOME": {"start": "2028-01-01"}})";
    planned.unreadablePlans = "/home/user/Loans 2028.loa.plans";
    const struct {
        const char* name;
        RecoveryHeader header;
        std::initializer_list<const char*> codes;
    } cases[] = {
        {"a named file", Named(), {"HOME", "CAR", "BOAT"}},
        {"an untitled table", untitled, {"HOME"}},
        {"a name of any bytes, no identity", odd, {}},
        {"plans", planned, {"HOME"}},
    };
    for (const auto& c : cases) {
        loan::LoanTable table = TableOf(c.codes);
        const std::string copy = Written(c.header, table);
        std::string error;
        const auto read = RecoveryCopy::Read(copy, error);
        ASSERT_TRUE(read) << c.name << ": " << error;
        const RecoveryHeader& h = read->header;
        EXPECT_EQ(h.program, c.header.program) << c.name;
        EXPECT_EQ(h.madeAt, c.header.madeAt) << c.name;
        EXPECT_EQ(h.fileName, c.header.fileName) << c.name;
        EXPECT_EQ(h.identity, c.header.identity) << c.name;
        EXPECT_EQ(h.fileLoans, c.header.fileLoans) << c.name;
        EXPECT_EQ(h.queryHid, c.header.queryHid) << c.name;
        EXPECT_EQ(h.tailBytes, c.header.tailBytes) << c.name;
        EXPECT_EQ(h.plans, c.header.plans) << c.name;
        EXPECT_EQ(h.unreadablePlans, c.header.unreadablePlans) << c.name;
        EXPECT_EQ(read->loans, FileBytes(table)) << c.name;
    }
}

// A later version may add sections; this one reads its copies, skipping what it does not know.
TEST(RecoveryCopy, ASectionItDoesNotKnowIsSkipped) {
    loan::LoanTable table = TableOf({"HOME"});
    const std::string copy =
        Resealed(Written(Named(), table), "\nloans ", "\nnotes 5\nhello\nloans ");
    std::string error;
    const auto read = RecoveryCopy::Read(copy, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->header.fileName, Named().fileName);
    EXPECT_EQ(read->loans, FileBytes(table));
}

TEST(RecoveryCopy, ADamagedCopyIsNeverReadAsLoans) {
    loan::LoanTable table = TableOf({"HOME", "CAR"});
    const std::string copy = Written(Named(), table);
    const std::size_t loans = copy.find("\nloans ");
    const std::size_t check = copy.rfind("check ");
    std::string flippedHeader = copy, flippedLoans = copy, flippedCheck = copy;
    flippedHeader[40] ^= 0x01;
    flippedLoans[loans + 100] ^= 0x20;
    flippedCheck[check + 10] = flippedCheck[check + 10] == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::string bytes;
        const char* why;
    } cases[] = {
        {"empty", "", "not a recovery copy"},
        {"a loan file", FileBytes(table), "not a recovery copy"},
        {"a later version", "DRAVENHOLT LOAN RECOVERY 2\n" + copy.substr(27), "format"},
        {"cut in its header", copy.substr(0, 60), "cut short"},
        {"cut in its loans", copy.substr(0, loans + 200), "cut short"},
        {"cut before its check line", copy.substr(0, check), "cut short"},
        {"its last byte missing", copy.substr(0, copy.size() - 1), "cut short"},
        {"bytes after it", copy + "x", "cut short"},
        {"a header byte changed", flippedHeader, "checksum"},
        {"a loan byte changed", flippedLoans, "checksum"},
        {"its check changed", flippedCheck, "checksum"},
        {"a section twice", Resealed(copy, "\nloans ", "\nmade 1\n1\nloans "), "twice"},
        {"no loans", Resealed(copy, "\nloans ", "\nlost "), "missing"},
        {"a size past its end", Resealed(copy, "file-loans 1\n", "file-loans 9999\n"), "add up"},
        {"untitled with a name", Resealed(copy, "untitled 2\nno", "untitled 3\nyes"), "header"},
        {"a part of a loan", Resealed(copy, "\nloans 342\nH", "\nloans 341\n"), "whole"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(RecoveryCopy::Read(c.bytes, error)) << c.name;
        EXPECT_NE(error.find(c.why), std::string::npos) << c.name << ": " << error;
    }
}

} // namespace
