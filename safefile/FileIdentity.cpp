#include "FileIdentity.h"

namespace safefile {

FileIdentity FileIdentity::From(const struct stat& info) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::int64_t>(info.st_size);
    identity.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    identity.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return identity;
}

std::optional<FileIdentity> FileIdentity::Of(const std::string& path, FileSystem& fs) {
    struct stat info {};
    if (fs.Stat(path, &info) != 0) return std::nullopt;
    return From(info);
}

} // namespace safefile
