#pragma once

#include "safefile/FileSystem.h"

#include <string>
#include <vector>

namespace loan {

// The folder the recovery copies are kept in, one for each program running with unsaved loans,
// each named after its program's process stamp ("<stamp>.recovery"), so that two programs
// running at once never write, offer or remove each other's copy. A copy whose program has
// ended is a leftover, to be offered at the next start.
class RecoveryFolder {
  public:
    static constexpr const char* kSuffix = ".recovery";
    static constexpr const char* kDamagedSuffix = ".damaged";

    explicit RecoveryFolder(std::string folder,
                            safefile::FileSystem& fs = safefile::FileSystem::Real())
        : folder_(std::move(folder)), fs_(fs) {}

    const std::string& Folder() const { return folder_; }
    safefile::FileSystem& Fs() const { return fs_; }
    // This program's copy.
    std::string OwnCopy() const;

    // Makes the folder and its missing parents, private to the user. 0, or the errno.
    int Make() const;
    // The copies left by this host's programs that have ended, oldest first. A copy of another
    // machine sharing the folder is not one of them: whether its program runs cannot be seen.
    std::vector<std::string> Leftovers() const;
    // Takes a leftover over as this program's own copy, in one rename, so that another program
    // starting at the same time cannot offer it too. The copy's path now, or empty when another
    // program took it first (or it could not be taken).
    std::string Claim(const std::string& leftover) const;
    // Moves a damaged copy out of the way, under the name it was left under (a taken-over copy
    // keeps its first program's name) made one no program offers or removes. Its new path, or
    // empty with the copy left where it was.
    std::string SetAside(const std::string& copy, const std::string& leftName) const;
    // Reads a copy whole. False, with error set to the reason, when it cannot.
    bool Read(const std::string& copy, std::string& bytes, std::string& error) const;

  private:
    std::string folder_;
    safefile::FileSystem& fs_;
};

} // namespace loan
