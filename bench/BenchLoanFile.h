#pragma once

#include "loan/LoanTable.h"

#include <array>
#include <string>

// A loan file of many loans, written straight in the record format so that a benchmark measures
// the program's reading of it, not its own writing.
class BenchLoanFile {
  public:
    // The cells of the i-th loan (from 0): varied principals, terms and repayment times; every
    // third loan inactive.
    static std::array<std::string, loan::kLoanCols> Cells(int i);
    // Writes the first loans records of Cells and the blank record that ends a saved table;
    // false if the file is not whole.
    static bool Write(const std::string& path, int loans);
};
