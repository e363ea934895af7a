#pragma once

#include "BackupStore.h"
#include "FileSystem.h"
#include "WriteOutcome.h"

#include <string>
#include <string_view>

namespace safefile {

// Rewrites a file where it stands, for the files a replace cannot keep whole: their folder
// refuses new files, their owner or group cannot be given to a new file, or they have other
// names (hard links). Before the first byte changes, the space is reserved and a complete copy
// of the old bytes is kept in memory and, synced, in the backup store; any failure puts the old
// bytes back. A crash part way leaves the copy in the store.
class RewriteInPlace {
  public:
    static WriteOutcome Run(FileSystem& fs, const BackupStore& backups, const std::string& target,
                            std::string_view bytes);
};

} // namespace safefile
