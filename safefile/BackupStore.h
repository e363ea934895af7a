#pragma once

#include "FileSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace safefile {

// Copies of files as they were before a rewrite in place, kept in a folder of the user's cache
// until the rewrite has finished. A copy that is still there was left by a write that did not
// finish; it is named after the file and ends in the file's own suffix, so the user can open it
// with the program that wrote it.
//
// Each copy is taken under a name no other writer holds (the name is claimed without replacing
// anything), and carries its writer's process stamp: two windows saving the same file in the
// same second keep a copy each, and each removes only its own.
class BackupStore {
  public:
    // suffix: the copies' file name ending, such as ".loa".
    BackupStore(std::string folder, std::string suffix)
        : folder_(std::move(folder)), suffix_(std::move(suffix)) {}
    // The store of program in the current user's cache ($XDG_CACHE_HOME/<program>, else
    // ~/.cache/<program>); its folder is empty when neither variable names a home.
    static BackupStore ForUser(const std::string& program, const std::string& suffix);

    const std::string& Folder() const { return folder_; }

    // Writes bytes as a new copy of target and makes sure it is on disk. The copy's path, or
    // empty with error set to the reason.
    std::string Save(FileSystem& fs, const std::string& target, std::string_view bytes,
                     std::string& error) const;
    void Remove(FileSystem& fs, const std::string& copy) const;
    // The copies of target (or of the file it links to) left by writes that did not finish,
    // oldest first; a copy that another program still running on this host is writing from is
    // not one of them.
    std::vector<std::string> Leftovers(const std::string& target) const;

  private:
    std::string Prefix(const std::string& target) const;
    // Removes unfinished copies of target whose writers have ended.
    void RemoveStalePartials(FileSystem& fs, const std::string& target) const;

    std::string folder_;
    std::string suffix_;
};

} // namespace safefile
