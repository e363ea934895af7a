#pragma once

#include "LoanGrid.h"

#include <istream>
#include <string>
#include <string_view>

namespace loan {

struct ReadResult {
    bool ok = false;
    std::string error; // the system's reason when !ok
};

// Reads loan files. The table is replaced only when the whole file was read; after an error it
// is left exactly as it was. A partial record at the end is ignored; a last record that is not
// blank gets a blank row after it.
class LoanFileReader {
  public:
    static ReadResult Read(std::istream& in, LoanGrid& table);
    static ReadResult ReadBytes(std::string_view bytes, LoanGrid& table);
    static ReadResult ReadFile(const std::string& path, LoanGrid& table);
};

} // namespace loan
