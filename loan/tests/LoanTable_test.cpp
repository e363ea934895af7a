#include "loan/LoanTable.h"

#include <gtest/gtest.h>

namespace {

using loan::LoanTable;
using Texts = std::array<std::string, loan::kLoanCols>;

Texts Loan(const std::string& code, const std::string& active = "Yes") {
    return {code,  "250000", "25",      "60",        "7.5",        "150000", "40",
            "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", active};
}

void ExpectLastRowBlank(const LoanTable& table) {
    EXPECT_TRUE(table.Grid.RowIsBlank(table.Grid.Rows() - 1));
}

// A table holding the given codes in rows 1.., then the blank row.
LoanTable TableOf(std::initializer_list<std::string> codes) {
    LoanTable table;
    for (const auto& code : codes)
        table.WriteLoan(table.Grid.Rows() - 1, Loan(code));
    table.FileChanged = false;
    return table;
}

TEST(RepaymentTime, NamesAndIndexes) {
    const struct {
        std::string_view name;
        int index;
    } cases[] = {{"Weekly", 1},    {"Fortnightly", 2}, {"Bi Monthly", 3},    {"Monthly", 4},
                 {"Quarterly", 5}, {"monthly", 4},     {"WEEKLY", 4},        {"Quaterly", 4},
                 {"", 4},          {" Weekly", 4},     {"Repayment Time", 4}};
    for (const auto& c : cases)
        EXPECT_EQ(loan::RepaymentTimeIndexOf(c.name), c.index) << c.name;
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(loan::RepaymentTimeIndexOf(loan::RepaymentTimeName(i)), i);
    EXPECT_EQ(loan::RepaymentTimeName(0), "Monthly");
    EXPECT_EQ(loan::RepaymentTimeName(6), "Monthly");
    EXPECT_EQ(loan::RepaymentTimeName(-1), "Monthly");
}

TEST(TextHelpers, UpperCase) {
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"abc12", "ABC12"},
        {"MiXeD 9!", "MIXED 9!"},
        {"àéîõüþ", "ÀÉÎÕÜÞ"},
        {"÷", "÷"},
        {"šœžÿ", "ŠŒŽŸ"},
        {"ÀŠ€", "ÀŠ€"},
        {"жильё", "ЖИЛЬЁ"},
        {"straße", "STRASSE"},         // one letter, two capitals
        {"ﬁx ŉ", "FIX ʼN"},            // ligature; a capital that starts with a modifier letter
        {"ıſ", "IS"},                  // capitals shorter than their letters
        {"ɐ", "Ɐ"},                    // and longer
        {"ǆ ǅ", "Ǆ Ǆ"},                // title case to upper case
        {"ἀΐ", "Ἀ\u0399\u0308\u0301"}, // capitals with combining marks
        {"𐐨", "𐐀"},                    // beyond the first plane
        {"\xC3", "\xC3"},              // broken sequences are kept byte for byte
        {"a\xFF"
         "b\xC3\xA9\xE2\x82",
         "A\xFF"
         "B\xC3\x89\xE2\x82"},
        {"\xED\xA0\x80\xC0\xAF", "\xED\xA0\x80\xC0\xAF"}, // surrogate, overlong
    };
    for (const auto& c : cases)
        EXPECT_EQ(loan::UpperCase(c.in), c.out) << c.in;
}

TEST(TextHelpers, TrimmedSpaces) {
    EXPECT_EQ(loan::TrimmedSpaces("  a b  "), "a b");
    EXPECT_EQ(loan::TrimmedSpaces("\t x\t"), "\t x\t");
    EXPECT_EQ(loan::TrimmedSpaces(" \t "), "\t");
    EXPECT_EQ(loan::TrimmedSpaces("   "), "");
}

TEST(TextHelpers, Trimmed) {
    EXPECT_EQ(loan::Trimmed("  a b  "), "a b");
    EXPECT_EQ(loan::Trimmed("\t x\t"), "x");
    EXPECT_EQ(loan::Trimmed("   "), "");
    EXPECT_EQ(loan::Trimmed(""), "");
}

TEST(LoanTable, StartsEmptyWithHeadingsAndWidths) {
    LoanTable table;
    ASSERT_EQ(table.Grid.Rows(), 2);
    EXPECT_EQ(table.LoanCount(), 0);
    EXPECT_FALSE(table.FileChanged);
    EXPECT_EQ(table.RepaymentTimeIndex, 4);
    for (int c = 0; c < loan::kLoanCols; ++c) {
        EXPECT_EQ(table.Grid.TextAt(0, c), loan::kHeadings[static_cast<std::size_t>(c)]);
        EXPECT_EQ(table.Grid.ColWidth(c), loan::kColumnTwips[static_cast<std::size_t>(c)]);
    }
    EXPECT_EQ(table.Grid.ColWidth(0), 2000);
    EXPECT_EQ(table.Grid.ColWidth(12), 800);
    EXPECT_EQ(table.Grid.TextAt(0, 9), "Repayment Time");
    EXPECT_EQ(table.Grid.Row(), 0);
    EXPECT_EQ(table.Grid.Col(), 12);
    ExpectLastRowBlank(table);
}

TEST(LoanTable, AddingToTheEmptyTableWritesRowOne) {
    LoanTable table;
    table.WriteLoan(1, Loan("HOME"));
    EXPECT_EQ(table.Grid.Rows(), 3);
    EXPECT_EQ(table.Grid.TextAt(1, 0), "HOME");
    EXPECT_EQ(table.Grid.TextAt(1, 12), "Yes");
    EXPECT_TRUE(table.FileChanged);
    EXPECT_EQ(table.Grid.Row(), 1);
    EXPECT_EQ(table.Grid.Col(), 12);
    ExpectLastRowBlank(table);
}

TEST(LoanTable, OverwritingKeepsTheRowCount) {
    LoanTable table = TableOf({"A", "B", "C"});
    const int rows = table.Grid.Rows();
    const int row = table.FindExactCode("B");
    ASSERT_EQ(row, 2);
    table.WriteLoan(row, Loan("B", "No"));
    EXPECT_EQ(table.Grid.Rows(), rows);
    EXPECT_EQ(table.Grid.TextAt(2, 12), "No");
    EXPECT_EQ(table.Grid.TextAt(3, 0), "C");
    EXPECT_TRUE(table.FileChanged);
    ExpectLastRowBlank(table);
}

TEST(LoanTable, WriteLoanRejectsTheHeadingRowAndRowsOutside) {
    LoanTable table;
    EXPECT_THROW(table.WriteLoan(0, Loan("X")), std::out_of_range);
    EXPECT_THROW(table.WriteLoan(2, Loan("X")), std::out_of_range);
    EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code");
    EXPECT_FALSE(table.FileChanged);
}

TEST(LoanTable, FindExactCodeIsCaseSensitiveAndLeavesTheCurrentRow) {
    LoanTable table = TableOf({"abc", "ABC", " ABC", "ABC"});
    const struct {
        std::string_view code;
        int found;
        int currentRow;
    } cases[] = {
        {"ABC", 2, 2},   // the first of two equal codes
        {"abc", 1, 1},   //
        {" ABC", 3, 3},  // the cell is not trimmed
        {"Abc", -1, 5},  // no match: the walk ends on the blank last row
        {"ABC ", -1, 5}, //
    };
    for (const auto& c : cases) {
        table.Grid.SetCol(7);
        EXPECT_EQ(table.FindExactCode(c.code), c.found) << c.code;
        EXPECT_EQ(table.Grid.Row(), c.currentRow) << c.code;
        EXPECT_EQ(table.Grid.Col(), 0);
    }
}

TEST(LoanTable, DeleteLoanMovesRowsUpAndSparesTheHeadingAndBlankRows) {
    LoanTable table = TableOf({"A", "B", "C"});
    table.DeleteLoan(0);
    table.DeleteLoan(4);
    table.DeleteLoan(5);
    EXPECT_EQ(table.Grid.Rows(), 5);
    EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code");
    EXPECT_FALSE(table.FileChanged);

    table.DeleteLoan(1);
    ASSERT_EQ(table.Grid.Rows(), 4);
    EXPECT_EQ(table.Grid.TextAt(1, 0), "B");
    EXPECT_EQ(table.Grid.TextAt(2, 0), "C");
    EXPECT_TRUE(table.FileChanged);
    ExpectLastRowBlank(table);

    table.DeleteLoan(1);
    table.DeleteLoan(1);
    EXPECT_EQ(table.Grid.Rows(), 2);
    ExpectLastRowBlank(table);
}

TEST(LoanTable, ClearLeavesTheEmptyTable) {
    LoanTable table = TableOf({"A", "B"});
    table.Clear();
    EXPECT_EQ(table.Grid.Rows(), 2);
    EXPECT_TRUE(table.Grid.RowIsBlank(1));
    EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code");
    EXPECT_EQ(table.Grid.Row(), 1);
    EXPECT_EQ(table.Grid.Col(), 12);
}

} // namespace
