#pragma once

#include "FileSystem.h"

#include <string>

namespace safefile {

// The file a write to a path must go to: a symbolic link is followed, a dangling one too, so the
// link stays a link and the file it names is written. A link is never followed where the kernel
// would refuse to follow it (fs.protected_symlinks): in a sticky folder that everyone may write
// to, a link owned neither by this user nor by the folder's owner may have been planted there by
// another user to turn a write at a shared name into a write over one of this user's own files.
// That rule holds here whatever the kernel's setting.
class LinkTarget {
  public:
    struct Resolved {
        int error = 0;           // 0, or the errno that stopped the resolution
        std::string target;      // the path to write, once error is 0
        std::string refusedLink; // the link the rule above refused (error is then EACCES)
    };
    static Resolved Resolve(FileSystem& fs, const std::string& path);

    // The folder part of path ("." for a bare name).
    static std::string FolderOf(const std::string& path);
    // The last part of path.
    static std::string NameOf(const std::string& path);
};

} // namespace safefile
