#pragma once

#include "FileSystem.h"
#include "WriteOutcome.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace safefile {

// The normal write: the new content goes into a temporary file beside the target, which takes
// the target's owner, group, permissions and extended attributes, is synced, and then renamed
// over the target; the folder is synced last. Either the old file or the whole new one.
class ReplaceByRename {
  public:
    struct Outcome {
        // The file's owner, attributes or folder cannot be kept by a replace; nothing changed,
        // and a rewrite in place is the way left.
        bool cannotKeep = false;
        WriteOutcome result;
    };

    // Writes the whole new content to fd; false, with errno set, when a write failed.
    using Content = std::function<bool(int fd)>;

    // old: the target's stat, or nothing for a new file. mode: the permissions of a new file
    // (less the umask).
    static Outcome Run(FileSystem& fs, const std::string& target,
                       const std::optional<struct stat>& old, mode_t mode, const Content& write);
};

} // namespace safefile
