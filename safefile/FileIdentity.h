#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace safefile {

// Which file a path held, and how big and how recent it was: enough to notice that another
// program has replaced or rewritten it since.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    static FileIdentity From(const struct stat& info);
    // Of the file path names (links followed); nothing when there is none.
    static std::optional<FileIdentity> Of(const std::string& path,
                                          FileSystem& fs = FileSystem::Real());

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

} // namespace safefile
