#pragma once

#include "FileSystem.h"

#include <string>

namespace safefile {

// Makes a folder's entries durable: a rename or a new name is only on disk once its folder is.
// One policy for every caller: a file system that cannot sync a folder at all (EINVAL) has
// nothing more to make durable and counts as synced; every other failure, including a folder
// that cannot be opened to sync it, is reported.
class FolderSync {
  public:
    // 0, or the errno.
    static int Sync(FileSystem& fs, const std::string& folder);
};

} // namespace safefile
