#include "TemporaryFile.h"

#include "LinkTarget.h"
#include "ProcessStamp.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

constexpr const char* kMarker = ".tmp-";

std::string NextName(const std::string& stem) {
    static std::atomic<unsigned> counter{0};
    return stem + kMarker + std::to_string(counter++) + "-" + ProcessStamp::Own().Text();
}

// The stamp of the process that made "<stem>.tmp-<n>-<stamp>", or nothing when name is not one
// of ours.
std::optional<ProcessStamp> OwnerOf(const std::string& name, const std::string& stemName) {
    const std::string prefix = stemName + kMarker;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return {};
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const auto dash = rest.find('-');
    unsigned n = 0;
    if (dash == std::string_view::npos || dash == 0 ||
        std::from_chars(rest.data(), rest.data() + dash, n).ptr != rest.data() + dash)
        return {};
    return ProcessStamp::Parse(rest.substr(dash + 1));
}

} // namespace

std::string TemporaryFile::Stem(const std::string& target) {
    // The suffix must not push a long but valid name past the file system's limit.
    constexpr std::size_t kKeptNameBytes = 150;
    const std::string folder = LinkTarget::FolderOf(target);
    const std::string name = LinkTarget::NameOf(target).substr(0, kKeptNameBytes);
    return target.find('/') == std::string::npos ? name : folder + "/" + name;
}

int TemporaryFile::Create(const std::string& target, mode_t mode) {
    Discard();
    target_ = target;
    const std::string folder = LinkTarget::FolderOf(target);
    // An unnamed file can only be given its name through /proc.
    if (fs_.Access("/proc/self/fd", X_OK) == 0) {
        fd_.Adopt(fs_.Open(folder, O_TMPFILE | O_WRONLY, mode));
        if (fd_.IsOpen()) return 0;
        const int error = errno;
        // Other errors are the folder's answer, which a named file would get too.
        if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL) return error;
    }
    return CreateNamed(mode);
}

int TemporaryFile::CreateNamed(mode_t mode) {
    const std::string stem = Stem(target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = NextName(stem);
        fd_.Adopt(fs_.Open(path, O_WRONLY | O_CREAT | O_EXCL, mode));
        if (fd_.IsOpen()) {
            path_ = path;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int TemporaryFile::Close() {
    if (path_.empty()) {
        // An unnamed file gets a name only now, just before the rename: it cannot get one once
        // it is closed.
        const std::string stem = Stem(target_);
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            const std::string path = NextName(stem);
            error = fs_.LinkOpenFile(fd_.Get(), path) == 0 ? 0 : errno;
            if (error == 0) path_ = path;
        }
        if (error != 0) return error;
    }
    return fd_.Close();
}

int TemporaryFile::ReplaceInto(const std::string& target) {
    if (path_.empty() || fd_.IsOpen()) return EBADF; // Close() first
    if (fs_.Rename(path_, target) != 0) return errno;
    path_.clear();
    return 0;
}

void TemporaryFile::Discard() {
    const int saved = errno;
    fd_.Adopt(-1);
    if (!path_.empty()) fs_.Unlink(path_);
    path_.clear();
    errno = saved;
}

void TemporaryFile::RemoveStale(FileSystem& fs, const std::string& target) {
    const std::string stem = Stem(target);
    const std::string stemName = LinkTarget::NameOf(stem);
    std::error_code error;
    std::filesystem::directory_iterator entries(LinkTarget::FolderOf(target), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const auto owner = OwnerOf(name, stemName);
        // A process that still runs, here or on another machine, may be saving right now.
        if (!owner || !owner->HasEnded()) continue;
        const std::string path = entries->path().string();
        struct stat info {};
        if (fs.Lstat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            fs.Unlink(path);
    }
}

} // namespace safefile
