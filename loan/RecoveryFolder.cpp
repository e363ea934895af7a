#include "RecoveryFolder.h"

#include "safefile/Descriptor.h"
#include "safefile/FolderSync.h"
#include "safefile/LinkTarget.h"
#include "safefile/ProcessStamp.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <new>
#include <tuple>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace loan {

namespace {

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Gives the file at from the name to unless something has that name already: 0, EEXIST, or
// the errno.
int RenameNoReplace(safefile::FileSystem& fs, const std::string& from, const std::string& to) {
    if (fs.RenameNoReplace(from, to) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that rename: a second name, then the first one goes.
    if (fs.Link(from, to) != 0) return errno;
    fs.Unlink(from);
    return 0;
}

} // namespace

std::string RecoveryFolder::OwnCopy() const {
    return folder_ + "/" + safefile::ProcessStamp::Own().Text() + kSuffix;
}

int RecoveryFolder::Make() const {
    // Parents first; each made private where it is new, as the XDG rules ask of a state folder.
    std::vector<std::string> missing;
    std::string folder = folder_;
    struct stat info {};
    while (!folder.empty() && folder != "/" && fs_.Stat(folder, &info) != 0) {
        if (errno != ENOENT) return errno;
        missing.push_back(folder);
        folder = safefile::LinkTarget::FolderOf(folder);
    }
    if (missing.empty() && !S_ISDIR(info.st_mode)) return ENOTDIR;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (fs_.Mkdir(*it, 0700) != 0 && errno != EEXIST) return errno;
    return 0;
}

std::vector<std::string> RecoveryFolder::Leftovers() const {
    struct Found {
        std::int64_t seconds, nanoseconds;
        std::string path;
        bool operator<(const Found& other) const {
            return std::tie(seconds, nanoseconds, path) <
                   std::tie(other.seconds, other.nanoseconds, other.path);
        }
    };
    std::vector<Found> found;
    if (folder_.empty()) return {};
    const std::string suffix = kSuffix;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (!EndsWith(name, suffix)) continue;
        const auto stamp = safefile::ProcessStamp::Parse(
            std::string_view(name).substr(0, name.size() - suffix.size()));
        // Temporary files of a write, and anything else, are no copies; a copy whose program
        // runs, or may run on another machine, is that program's.
        if (!stamp || *stamp == safefile::ProcessStamp::Own() || !stamp->HasEnded()) continue;
        struct stat info {};
        const std::string path = entries->path().string();
        if (fs_.Lstat(path, &info) != 0 || !S_ISREG(info.st_mode)) continue;
        found.push_back({info.st_mtim.tv_sec, info.st_mtim.tv_nsec, path});
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (Found& copy : found)
        paths.push_back(std::move(copy.path));
    return paths;
}

std::string RecoveryFolder::Claim(const std::string& leftover) const {
    const std::string own = OwnCopy();
    if (RenameNoReplace(fs_, leftover, own) != 0) return {};
    safefile::FolderSync::Sync(fs_, folder_);
    return own;
}

std::string RecoveryFolder::SetAside(const std::string& copy, const std::string& leftName) const {
    const std::size_t suffix = EndsWith(leftName, kSuffix) ? std::string_view(kSuffix).size() : 0;
    const std::string stem = leftName.substr(0, leftName.size() - suffix);
    for (int n = 0; n < 100; ++n) {
        const std::string aside =
            stem + (n == 0 ? "" : "-" + std::to_string(n)) + kSuffix + kDamagedSuffix;
        const int renamed = RenameNoReplace(fs_, copy, aside);
        if (renamed == 0) {
            safefile::FolderSync::Sync(fs_, folder_);
            return aside;
        }
        if (renamed != EEXIST) break;
    }
    return {};
}

bool RecoveryFolder::Read(const std::string& copy, std::string& bytes, std::string& error) const {
    using safefile::FileSystem;
    try {
        // Not following a link: the copies are the program's own files.
        safefile::Descriptor file(fs_, fs_.Open(copy, O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
        if (!file.IsOpen()) {
            error = FileSystem::Reason("Cannot open", copy, errno);
            return false;
        }
        struct stat info {};
        if (fs_.Fstat(file.Get(), &info) != 0) {
            error = FileSystem::Reason("Cannot read", copy, errno);
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            error = "\"" + copy + "\" is not a regular file.";
            return false;
        }
        constexpr std::size_t kChunk = std::size_t{1} << 20;
        bytes.clear();
        // Room for one read past the end, which finds it.
        bytes.reserve(static_cast<std::size_t>(info.st_size) + kChunk);
        for (;;) {
            const std::size_t at = bytes.size();
            bytes.resize(at + kChunk);
            const ssize_t n = fs_.Read(file.Get(), bytes.data() + at, kChunk);
            if (n < 0) {
                error = FileSystem::Reason("Cannot read", copy, errno);
                return false;
            }
            bytes.resize(at + static_cast<std::size_t>(n));
            if (n == 0) return true;
        }
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory to read \"" + copy + "\".";
        return false;
    }
}

} // namespace loan
