#pragma once

#include "LoanGrid.h"

#include <ostream>
#include <string>

namespace loan {

struct WriteResult {
    bool ok = false;
    std::string error; // the system's reason when !ok
};

// Writes rows 1..R-1 of the table, one 114-byte record each. Leaves the current cell at
// row R-1, column 12.
class LoanFileWriter {
  public:
    static WriteResult Write(std::ostream& out, LoanGrid& table);
    // Atomic: a temporary file in the target's folder, flushed and synced, renamed over the
    // target, then the folder synced. On failure the old file is untouched. Where the folder
    // refuses the temporary file but the target is writable, the target is rewritten in place.
    static WriteResult WriteFile(const std::string& path, LoanGrid& table);
};

} // namespace loan
