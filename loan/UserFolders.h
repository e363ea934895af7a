#pragma once

#include "safefile/BackupStore.h"

#include <string>

namespace loan {

// The folders of the user's own that the program keeps files in, all named after the program.
class UserFolders {
  public:
    // The program's name in the file system.
    static constexpr const char* kProgram = "dravenholt-loan";

    // Where copies of files rewritten in place are kept while the rewrite runs: in the user's
    // cache, ending as the files they copy (".loa", ".csv").
    static safefile::BackupStore Backups(const std::string& suffix);

    // Where the recovery copies of unsaved loans are kept: $XDG_STATE_HOME/<program>, else
    // ~/.local/state/<program>; empty when neither names a home, and then none is kept.
    static std::string State();
};

} // namespace loan
