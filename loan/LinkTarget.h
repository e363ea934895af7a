#pragma once

#include "FileSystem.h"

#include <string>

namespace loan {

// The file a save must replace: symbolic links are followed, a dangling one too, so the link
// stays a link and the file it names is written.
class LinkTarget {
  public:
    // The path the chain of links starting at path ends on; 0, or the errno that stopped it.
    static int Resolve(FileSystem& fs, const std::string& path, std::string& target);
    // The folder part of path ("." for a bare name).
    static std::string FolderOf(const std::string& path);
    // The last part of path.
    static std::string NameOf(const std::string& path);
};

} // namespace loan
