#include "FileMetadata.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

// The errors that mean "not allowed here" rather than "something broke". EINVAL: an owner
// this system cannot map (a user namespace).
bool NotAllowed(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP || error == EOPNOTSUPP ||
           error == EINVAL;
}

// Reads a variable-sized answer, growing the buffer when the value grew between the calls.
template <typename Call> ssize_t ReadSized(Call&& call, std::string& out) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = call(nullptr, 0);
        if (size <= 0) {
            out.clear();
            return size;
        }
        out.resize(static_cast<std::size_t>(size));
        const ssize_t got = call(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return got;
        }
        if (errno != ERANGE) return -1;
    }
    errno = ERANGE;
    return -1;
}

} // namespace

bool FileMetadata::Carried(const std::string& name) {
    const auto starts = [&](std::string_view prefix) { return name.rfind(prefix, 0) == 0; };
    if (starts("user.") || name == "system.posix_acl_access") return true;
    // Only a privileged process may read or set them at all.
    return starts("trusted.") && ::geteuid() == 0;
}

FileMetadata::Outcome FileMetadata::Read(FileSystem& fs, const std::string& path,
                                         const struct stat& info, FileMetadata& metadata) {
    metadata.owner_ = info.st_uid;
    metadata.group_ = info.st_gid;
    metadata.mode_ = info.st_mode & 07777;
    metadata.attributes_.clear();

    std::string names;
    const ssize_t listed = ReadSized(
        [&](char* buffer, std::size_t size) { return fs.ListXattr(path, buffer, size); }, names);
    if (listed < 0) {
        // A file system without extended attributes has none to keep.
        if (errno == ENOTSUP || errno == EOPNOTSUPP) return Outcome::Kept;
        return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
    }
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        if (!Carried(name)) continue;
        std::string value;
        const ssize_t got = ReadSized(
            [&](char* buffer, std::size_t size) {
                return fs.GetXattr(path, name.c_str(), buffer, size);
            },
            value);
        if (got < 0) {
            if (errno == ENODATA) continue; // removed meanwhile
            return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
        }
        metadata.attributes_.emplace_back(name, std::move(value));
    }
    return Outcome::Kept;
}

FileMetadata::Outcome FileMetadata::ApplyOwnerAndAttributes(FileSystem& fs, int fd,
                                                            const struct stat& fresh) const {
    if (fresh.st_uid != owner_ || fresh.st_gid != group_) {
        if (fs.Fchown(fd, owner_, group_) != 0)
            return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
    }
    // A new file may have inherited attributes the old one lacks, such as the folder's default
    // ACL, which could open the loans to other users.
    std::string names;
    const ssize_t listed = ReadSized(
        [&](char* buffer, std::size_t size) { return fs.FlistXattr(fd, buffer, size); }, names);
    if (listed < 0 && errno != ENOTSUP && errno != EOPNOTSUPP)
        return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
    for (std::size_t at = 0; listed > 0 && at < names.size();) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        const bool kept =
            std::any_of(attributes_.begin(), attributes_.end(),
                        [&](const auto& attribute) { return attribute.first == name; });
        if (!Carried(name) || kept) continue;
        if (fs.FremoveXattr(fd, name.c_str()) != 0 && errno != ENODATA)
            return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
    }
    for (const auto& [name, value] : attributes_) {
        if (fs.FsetXattr(fd, name.c_str(), value.data(), value.size()) != 0)
            return NotAllowed(errno) ? Outcome::CannotKeep : Outcome::Failed;
    }
    return Outcome::Kept;
}

bool FileMetadata::ApplyMode(FileSystem& fs, int fd) const {
    return fs.Fchmod(fd, mode_) == 0;
}

} // namespace safefile
