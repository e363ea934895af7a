#include "loan/LoanQuery.h"
#include "loan/LoanTable.h"

#include <gtest/gtest.h>

namespace {

using loan::LoanQuery;
using loan::LoanTable;
using Fields = std::array<std::string, 8>;

struct Row {
    std::string code, term, interestVariable, active, principalVariable = "150000";
};

LoanTable TableOf(std::initializer_list<Row> rows) {
    LoanTable table;
    for (const Row& r : rows)
        table.WriteLoan(table.Grid.Rows() - 1,
                        {r.code, "250000", r.term, "60", r.interestVariable, r.principalVariable,
                         "40", "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", r.active});
    table.FileChanged = false;
    return table;
}

std::vector<std::string> Codes(const loan::LoanGrid& grid) {
    std::vector<std::string> codes;
    for (int r = 1; r < grid.Rows(); ++r)
        codes.emplace_back(grid.TextAt(r, 0));
    return codes;
}

// --- the search dialog's scan ---

TEST(SearchCode, FindsTheFirstEqualCodeWhateverTheCase) {
    LoanTable table = TableOf({{"x", "1", "1", "Yes"},
                               {" ABC12", "1", "1", "Yes"},
                               {"abc12", "1", "1", "Yes"},
                               {"ABC12", "1", "1", "Yes"},
                               {"Crème", "1", "1", "Yes"},
                               {"ЖИЛЬЁ", "1", "1", "Yes"},
                               {"Straße", "1", "1", "Yes"}});
    const struct {
        std::string_view entry;
        int found;
        int currentRow;
    } cases[] = {
        {"  abc12 ", 3, 3}, // spaces around the entry do not count
        {"ABC12", 3, 3},    // the topmost of equal codes
        {"CRÈME", 5, 5},    // letters beyond ASCII fold too
        {"жильё", 6, 6},    // whatever their script
        {"STRASSE", 7, 7},  // by the full mapping
        {"abc1", -1, 8},    // no match: current row is the last row
        {"\tABC12", -1, 8}, // only spaces are trimmed
        {" ", -1, 0},       // blank entry: no scan
        {"", -1, 0},        //
    };
    for (const auto& c : cases) {
        table.Grid.SetCol(5);
        table.Grid.SetRow(2);
        EXPECT_EQ(LoanQuery::SearchCode(table.Grid, c.entry), c.found) << c.entry;
        EXPECT_EQ(table.Grid.Row(), c.currentRow) << c.entry;
        EXPECT_EQ(table.Grid.Col(), 0) << c.entry;
    }
}

TEST(SearchCode, ACellWithALeadingSpaceIsNotFound) {
    LoanTable table = TableOf({{" ABC12", "1", "1", "Yes"}});
    EXPECT_EQ(LoanQuery::SearchCode(table.Grid, "ABC12"), -1);
}

TEST(SearchCode, TheEmptyTableIsNotScanned) {
    LoanTable table;
    table.Grid.SetRow(1);
    EXPECT_EQ(LoanQuery::SearchCode(table.Grid, "Loan Code"), -1);
    EXPECT_EQ(table.Grid.Row(), 0);
    EXPECT_EQ(table.Grid.Col(), 0);
}

TEST(SearchCode, NeverMatchesTheHeadingRow) {
    LoanTable table = TableOf({{"A", "1", "1", "Yes"}});
    EXPECT_EQ(LoanQuery::SearchCode(table.Grid, "loan code"), -1);
}

// --- query by code ---

TEST(QueryByCode, TheFoundLoanBecomesTheOnlyOneCutToTheRecordWidths) {
    LoanTable table = TableOf({{"A", "25", "7.5", "Yes"},
                               {"X1", "2500", " 7.5 ", "No", "123456789012"},
                               {"x1", "30", "1", "Yes"}});
    ASSERT_TRUE(LoanQuery::QueryByCode(table.Grid, " x1 "));
    ASSERT_EQ(table.Grid.Rows(), 3);
    EXPECT_EQ(table.Grid.TextAt(1, 0), "X1");
    EXPECT_EQ(table.Grid.TextAt(1, 2), "250");
    EXPECT_EQ(table.Grid.TextAt(1, 4), "7.5");
    EXPECT_EQ(table.Grid.TextAt(1, 5), "12345678901");
    EXPECT_EQ(table.Grid.TextAt(1, 12), "No");
    EXPECT_TRUE(table.Grid.RowIsBlank(2));
    EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code");
}

TEST(QueryByCode, ComparesInCapitalsOfAnyScript) {
    for (const auto& [code, typed] :
         {std::pair{"ЖИЛЬЁ", "жильё"}, std::pair{"Straße", "STRASSE"}, std::pair{"ǅ", "ǆ"}}) {
        LoanTable table = TableOf({{"A", "1", "1", "Yes"}, {code, "1", "1", "Yes"}});
        ASSERT_TRUE(LoanQuery::QueryByCode(table.Grid, typed)) << typed;
        EXPECT_EQ(table.Grid.TextAt(1, 0), code);
    }
}

TEST(QueryByCode, CutsByCharactersAndTrimsAfterCutting) {
    LoanTable table =
        TableOf({{"ÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉ", "1", "1", "Yes"}, {"B", "1", "12345 7", "Yes"}});
    ASSERT_TRUE(LoanQuery::QueryByCode(table.Grid, "éééééééééééééééé"));
    EXPECT_EQ(table.Grid.TextAt(1, 0), "ÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉ");

    LoanTable second = TableOf({{"B", "1", "12345 7", "Yes"}});
    ASSERT_TRUE(LoanQuery::QueryByCode(second.Grid, "b"));
    EXPECT_EQ(second.Grid.TextAt(1, 4), "12345") << "cut to 6 then trimmed";
}

TEST(QueryByCode, NumbersTooLongForTheirFieldKeepTheirValue) {
    // As a save would keep them: "0100" cut to "010" would turn a 100-year term into 10.
    LoanTable table = TableOf({{"T", "0100", "06.500", "Yes", "000300000.00"}});
    ASSERT_TRUE(LoanQuery::QueryByCode(table.Grid, "t"));
    EXPECT_EQ(table.Grid.TextAt(1, 2), "100");
    EXPECT_EQ(table.Grid.TextAt(1, 4), "06.500") << "fits its field as it stands";
    EXPECT_EQ(table.Grid.TextAt(1, 5), "300000");
}

TEST(QueryByCode, NoEqualCodeLeavesTheTable) {
    const struct {
        const char* name;
        LoanTable table;
        std::string code;
    } cases[] = {
        {"absent code", TableOf({{"A", "1", "1", "Yes"}, {"B", "1", "1", "No"}}), "C"},
        {"empty table", LoanTable(), "A"},
        {"blank code", TableOf({{"A", "1", "1", "Yes"}}), "   "},
        {"heading text", TableOf({{"A", "1", "1", "Yes"}}), "Loan Code"},
    };
    for (auto c : cases) {
        const auto codes = Codes(c.table.Grid);
        EXPECT_FALSE(LoanQuery::QueryByCode(c.table.Grid, c.code)) << c.name;
        EXPECT_EQ(Codes(c.table.Grid), codes) << c.name;
    }
}

// --- query by example ---

struct ExampleCase {
    const char* name;
    Fields fields;
    bool optYes, optNo;
    std::vector<std::string> kept; // codes left, the blank row included
};

TEST(QueryByExample, KeepsTheMatchingLoansInOrder) {
    const ExampleCase cases[] = {
        {"Yes selected", {}, true, false, {"A", "C", "E", ""}},
        {"No selected", {}, false, true, {"B", "D", ""}},
        {"term 5 occurs in 15 and 25", {"", "5"}, false, false, {"A", "D", ""}},
        {"field trimmed", {"", " 5  "}, false, false, {"A", "D", ""}},
        {"blank fields ignored", {"  ", "", "", "", "", "", "", ""}, false, false, {""}},
        {"a 0 keeps every rate with a 0",
         {"", "", "", "0", "", "", "0", ""},
         false,
         false,
         {"B", "C", ""}},
        {"case folded", {"", "", "", "", "1E5"}, false, false, {"E", ""}},
        {"field or option", {"", "30"}, false, true, {"B", "C", "D", ""}},
        {"nothing matches", {"999"}, false, false, {""}},
    };
    for (const auto& c : cases) {
        LoanTable table = TableOf({{"A", "25", "7.5", "Yes"},
                                   {"B", "30", "10.5", "No"},
                                   {"C", "30", "6.05", "Yes"},
                                   {"D", "15", "7.5", "No"},
                                   {"E", "20", "8", "Yes", "1e5"},
                                   {"F", "20", "8", "yes"}});
        loan::LoanGrid staging;
        staging.SetTextAt(0, 0, "Loan Code");
        LoanQuery::QueryByExample(table.Grid, staging, c.fields, c.optYes, c.optNo);
        EXPECT_EQ(Codes(table.Grid), c.kept) << c.name;
        EXPECT_TRUE(table.Grid.RowIsBlank(table.Grid.Rows() - 1)) << c.name;
        EXPECT_EQ(table.Grid.TextAt(0, 0), "Loan Code") << c.name;
        EXPECT_EQ(table.Grid.TextAt(0, 12), "Active") << c.name;
        EXPECT_FALSE(table.FileChanged);
        // The staging grid is left as it was found: two rows, row 1 blank and current.
        EXPECT_EQ(staging.Rows(), 2) << c.name;
        EXPECT_TRUE(staging.RowIsBlank(1)) << c.name;
        EXPECT_EQ(staging.Row(), 1) << c.name;
        EXPECT_EQ(staging.TextAt(0, 0), "Loan Code") << c.name;
    }
}

TEST(QueryByExample, CopiesWholeRows) {
    LoanTable table = TableOf({{"A", "25", "7.5", "No"}, {"B", "30", "10.5", "Yes"}});
    loan::LoanGrid staging;
    LoanQuery::QueryByExample(table.Grid, staging, {"", "", "", "10.5"}, false, false);
    ASSERT_EQ(table.Grid.Rows(), 3);
    for (int c = 0; c < 13; ++c)
        EXPECT_FALSE(table.Grid.TextAt(1, c).empty()) << c;
    EXPECT_EQ(table.Grid.TextAt(1, 0), "B");
    EXPECT_EQ(table.Grid.TextAt(1, 11), "$18,000.00");
    EXPECT_EQ(table.Grid.TextAt(1, 4), "10.5");
}

TEST(QueryByExample, TheBlankRowNeverMatchesAndAnEmptyTableStaysEmpty) {
    LoanTable table;
    loan::LoanGrid staging;
    LoanQuery::QueryByExample(table.Grid, staging, {"", "", "", "", "", "", "", ""}, true, true);
    EXPECT_EQ(table.Grid.Rows(), 2);
    EXPECT_TRUE(table.Grid.RowIsBlank(1));
}

TEST(QueryByExample, RejectsAStagingGridOfOtherShape) {
    LoanTable table = TableOf({{"A", "25", "7.5", "No"}});
    loan::LoanGrid narrow(3, 2);
    EXPECT_THROW(LoanQuery::QueryByExample(table.Grid, narrow, {}, true, true),
                 std::invalid_argument);
    EXPECT_EQ(table.Grid.Rows(), 3);
    EXPECT_EQ(narrow.Rows(), 2);
}

} // namespace
