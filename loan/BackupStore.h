#pragma once

#include "FileSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace loan {

// Copies of loan files as they were before a rewrite in place, kept in the user's cache folder
// ($XDG_CACHE_HOME/dravenholt-loan, else ~/.cache/dravenholt-loan) until the rewrite has
// finished. A copy that is still there was left by a save that did not finish; it is a loan file
// of its own, named after the file, so the user can open it.
class BackupStore {
  public:
    explicit BackupStore(std::string folder) : folder_(std::move(folder)) {}
    // The current user's store; its folder is empty when neither variable names a home.
    static BackupStore ForUser();

    const std::string& Folder() const { return folder_; }

    // Writes bytes as a new copy of target and makes sure it is on disk. The copy's path, or
    // empty with error set to the reason.
    std::string Save(FileSystem& fs, const std::string& target, std::string_view bytes,
                     std::string& error) const;
    void Remove(FileSystem& fs, const std::string& copy) const;
    // The copies of target (or of the file it links to) still kept, oldest first.
    std::vector<std::string> Leftovers(const std::string& target) const;

  private:
    std::string Prefix(const std::string& target) const;
    // Removes unfinished copies of target whose writers no longer run.
    void RemoveStalePartials(FileSystem& fs, const std::string& target) const;

    std::string folder_;
};

} // namespace loan
