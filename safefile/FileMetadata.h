#pragma once

#include "FileSystem.h"

#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace safefile {

// What a replacement must carry over from the file it replaces: owner, group, permissions and
// the extended attributes a user's own programs set: user.*, the POSIX access ACL, and trusted.*
// where this process is privileged. The others (security.* such as an SELinux label,
// system.nfs4_acl) are the system's to give; setting them needs privileges a user does not have,
// and trying would send every save down the slow rewrite in place. A new file gets them from the
// system as any new file there would.
class FileMetadata {
  public:
    enum class Outcome {
        Kept,       // the new file carries it all
        CannotKeep, // the system will not let this user give it to a new file
        Failed,     // the system failed (errno says why)
    };

    // Reads the metadata of the regular file at path, whose stat the caller has. Failed when
    // the attributes cannot be listed or read.
    static Outcome Read(FileSystem& fs, const std::string& path, const struct stat& info,
                        FileMetadata& metadata);

    // Gives it to the open new file fd (made by this process): owner and group where they
    // differ, then the attributes, removing any the file inherited that the old one lacks; the
    // permissions come last, as a change of owner clears the set-id bits. errno tells a Failed
    // outcome's reason.
    Outcome ApplyOwnerAndAttributes(FileSystem& fs, int fd, const struct stat& fresh) const;
    // The permission bits; any failure fails the save.
    bool ApplyMode(FileSystem& fs, int fd) const;

    // Whether the attribute called name is one a replace carries over.
    static bool Carried(const std::string& name);

  private:
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t mode_ = 0;
    std::vector<std::pair<std::string, std::string>> attributes_;
};

} // namespace safefile
