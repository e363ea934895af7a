#pragma once

#include "BackupStore.h"
#include "FileSystem.h"
#include "LoanGrid.h"
#include "WriteResult.h"

#include <ostream>
#include <string>

namespace loan {

// Writes rows 1..R-1 of the table, one 114-byte record each. Leaves the current cell at
// row R-1, column 12.
class LoanFileWriter {
  public:
    static WriteResult Write(std::ostream& out, LoanGrid& table);

    // Saves the table to path so that the file ends up holding either its old content or the
    // whole new one, and says which. A link is followed to the file it names. The file is
    // replaced through a temporary file, keeping its owner, group, permissions and attributes;
    // where a replace cannot keep them (a folder that refuses new files, an owner or group this
    // user cannot give, a file with other names) it is rewritten in place behind a backup copy.
    static WriteResult WriteFile(const std::string& path, LoanGrid& table,
                                 FileSystem& fs = FileSystem::Real(),
                                 const BackupStore& backups = BackupStore::ForUser());
};

} // namespace loan
