#pragma once

#include "LoanGrid.h"

#include <array>
#include <string>
#include <string_view>

namespace loan {

// The scans that find and filter loans. They walk the grid's current cell, the way the window's
// commands rely on; run them inside a LoanGrid::Batch so a view is not told about every step.
class LoanQuery {
  public:
    // The search dialog's scan: current cell to column 0, row 0; then, unless the entry (spaces
    // trimmed, upper-cased) is empty or the table has no loan, rows 1..R-1 in turn until a code
    // cell (upper-cased, not trimmed) equals it. Returns the equal row (left current) or -1 (the
    // current row is then the last row when a scan took place, else row 0).
    static int SearchCode(LoanGrid& grid, std::string_view entry);

    // Query by code: the first row whose code (trimmed, upper-cased) equals code (trimmed,
    // upper-cased) becomes the only loan, its cells cut to the record widths and trimmed.
    // Returns false, with the table unchanged, when no row is equal.
    static bool QueryByCode(LoanGrid& grid, std::string_view code);

    // Query by example: keeps, in order, the loans where a non-blank field k (0..7) occurs in
    // column k+1 (both trimmed, upper-cased), or the Active cell is exactly "Yes" with optYes,
    // or exactly "No" with optNo. staging is the hidden staging grid; it ends with two blank rows.
    static void QueryByExample(LoanGrid& grid, LoanGrid& staging,
                               const std::array<std::string, 8>& fields, bool optYes, bool optNo);
};

} // namespace loan
