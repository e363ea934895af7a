#pragma once

#include "LoanGrid.h"
#include "UserFolders.h"

#include "safefile/BackupStore.h"
#include "safefile/FileSystem.h"
#include "safefile/WriteOutcome.h"

#include <ostream>
#include <string>

namespace loan {

// Writes rows 1..R-1 of the table, one 114-byte record each. Leaves the current cell at
// row R-1, column 12.
class LoanFileWriter {
  public:
    // true when every byte went into out.
    static bool Write(std::ostream& out, LoanGrid& table);

    // Saves the table to path through the safe-writing layer: the file ends up holding either
    // its old content or the whole new one, and the outcome says which.
    static safefile::WriteOutcome WriteFile(const std::string& path, LoanGrid& table,
                                            safefile::FileSystem& fs = safefile::FileSystem::Real(),
                                            const safefile::BackupStore& backups = Backups());

    // Where copies of loan files rewritten in place are kept while the rewrite runs.
    static safefile::BackupStore Backups() { return UserFolders::Backups(".loa"); }
};

} // namespace loan
