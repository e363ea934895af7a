#pragma once

#include "FileSystem.h"
#include "WriteResult.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace loan {

// The normal save: the new content goes into a temporary file beside the target, which takes
// the target's owner, group, permissions and extended attributes, is synced, and then renamed
// over the target; the folder is synced last. Either the old file or the whole new one.
class ReplaceByRename {
  public:
    struct Outcome {
        // The file's owner, attributes or folder cannot be kept by a replace; nothing changed,
        // and a rewrite in place is the way left.
        bool cannotKeep = false;
        WriteResult result;
    };

    // Writes the whole new content to fd; false, with errno set, when a write failed.
    using Content = std::function<bool(int fd)>;

    // old: the target's stat, or nothing for a new file.
    static Outcome Run(FileSystem& fs, const std::string& target,
                       const std::optional<struct stat>& old, const Content& write);
};

} // namespace loan
