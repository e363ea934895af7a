#pragma once

#include <string>

// A loan file of many loans, written straight in the record format so that a benchmark measures
// the program's reading of it, not its own writing.
class BenchLoanFile {
  public:
    // Writes loans records (varied principals, terms and repayment times; every third loan
    // inactive) and the blank record that ends a saved table; false if the file is not whole.
    static bool Write(const std::string& path, int loans);
};
