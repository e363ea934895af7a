#pragma once

#include "LoanGrid.h"

#include "calc/RepaymentTable.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace loan {

inline constexpr int kLoanCols = 13;

// Column numbers of the loan record.
enum LoanCol : int {
    ColCode = 0,
    ColPrincipal,
    ColTerm,
    ColPercentVariable,
    ColInterestVariable,
    ColPrincipalVariable,
    ColPercentFixed,
    ColInterestFixed,
    ColPrincipalFixed,
    ColRepaymentTime,
    ColInstallment,
    ColYearlyPayment,
    ColActive,
};

inline constexpr std::array<std::string_view, kLoanCols> kHeadings = {"Loan Code",
                                                                      "Loan Principal",
                                                                      "Loan Term Years",
                                                                      "Percent Variable",
                                                                      "Interest Variable",
                                                                      "Principal Variable",
                                                                      "Percent Fixed",
                                                                      "Interest Fixed",
                                                                      "Principal Fixed",
                                                                      "Repayment Time",
                                                                      "Installment",
                                                                      "Yearly Payment",
                                                                      "Active"};

// Screen widths of the columns, twips.
inline constexpr std::array<int, kLoanCols> kColumnTwips = {
    2000, 1600, 1600, 1600, 1600, 1600, 1600, 1600, 1600, 1600, 1600, 1600, 800};

// Characters each column keeps in a loan file.
inline constexpr std::array<int, kLoanCols> kRecordWidths = {15, 11, 3,  6,  6,  11, 6,
                                                             6,  11, 11, 12, 12, 3};

// Repayment times by index 1..5; index 0 is unused.
inline constexpr std::array<std::string_view, 6> kRepaymentTimeNames = {
    "", "Weekly", "Fortnightly", "Bi Monthly", "Monthly", "Quarterly"};
inline constexpr int kDefaultRepaymentTime = 4;

// Exact, case-sensitive; any other text reads as 4, "Monthly".
int RepaymentTimeIndexOf(std::string_view name);
// The name of index 1..5; any other index gives "Monthly".
std::string_view RepaymentTimeName(int index);
// A repayment time by name as a user types it, ignoring case: 1 "Weekly" .. 5 "Quarterly";
// empty for any other text.
std::optional<int> RepaymentTimeTyped(std::string_view name);

// UTF-8 text in capitals, by Unicode's full mapping ("straße" becomes "STRASSE"), so its length
// may change. Bytes that are not UTF-8 are kept as they are.
std::string UpperCase(std::string_view text);
// As UpperCase, into out (its room is reused).
void UpperCaseInto(std::string_view text, std::string& out);
// Without leading and trailing blanks (space and tab).
std::string_view Trimmed(std::string_view text);
// Without leading and trailing spaces; tabs stay.
std::string_view TrimmedSpaces(std::string_view text);

// The loan table: row 0 the headings, loans in rows 1..R-2, the blank row R-1 always last.
// Every operation goes through the grid's current cell, as the window's commands rely on
// where the current cell is left afterwards.
class LoanTable {
  public:
    LoanTable();

    LoanGrid Grid;
    bool FileChanged = false;
    int RepaymentTimeIndex = kDefaultRepaymentTime;

    // Column widths and the heading row; leaves the current cell at row 0, column 12.
    void SetUp();
    // The empty table: two rows, row 1 blank; current cell row 1, column 12.
    void Clear();
    int LoanCount() const { return Grid.Rows() - 2; }

    // First row 1..R-1 whose code cell equals code exactly (cell not trimmed), or -1.
    // Walks the current row down column 0 and leaves it on the equal row or on the last row.
    int FindExactCode(std::string_view code);

    // Writes the 13 texts into row (a loan row, or the blank last row, which is then followed by
    // a new blank row); the current cell ends on that row, column 12. Sets FileChanged.
    void WriteLoan(int row, const std::array<std::string, kLoanCols>& texts);
    // Removes a loan row; sets FileChanged. The heading row and the blank last row are left alone.
    void DeleteLoan(int row);

    // The loan row 1..R-2 of code (blanks around it ignored): the first exact match, else the
    // first that differs only in case; -1 for none. Leaves the current cell where it is.
    static int FindLoan(const LoanGrid& grid, std::string_view code);
    // The texts of columns 1..8 of a loan row, in the order of the results table's inputs: the
    // loan as its repayment schedule sees it.
    static calc::RepaymentFields FieldsOfRow(const LoanGrid& grid, int row);
};

} // namespace loan
