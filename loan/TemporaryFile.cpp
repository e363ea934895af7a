#include "TemporaryFile.h"

#include "LinkTarget.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace loan {

namespace {

constexpr const char* kMarker = ".tmp-";

std::string NextName(const std::string& stem) {
    static std::atomic<unsigned> counter{0};
    return stem + kMarker + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// The process id in "<stem>.tmp-<pid>-<n>", or 0 when name is not one of ours.
pid_t OwnerOf(const std::string& name, const std::string& stemName) {
    const std::string prefix = stemName + kMarker;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-' || pid <= 0) return 0;
    unsigned n = 0;
    const auto [tail, tailError] = std::from_chars(end + 1, last, n);
    if (tailError != std::errc() || tail != last || tail == end + 1) return 0;
    return pid;
}

} // namespace

std::string TemporaryFile::Stem(const std::string& target) {
    // The suffix must not push a long but valid name past the file system's limit.
    constexpr std::size_t kKeptNameBytes = 200;
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
        fd_ = fs_.Open(folder, O_TMPFILE | O_WRONLY, mode);
        if (fd_ >= 0) return 0;
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
        fd_ = fs_.Open(path, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd_ >= 0) {
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
            error = fs_.LinkOpenFile(fd_, path) == 0 ? 0 : errno;
            if (error == 0) path_ = path;
        }
        if (error != 0) return error;
    }
    const int fd = fd_;
    fd_ = -1;
    return fs_.Close(fd) == 0 ? 0 : errno;
}

int TemporaryFile::ReplaceInto(const std::string& target) {
    if (path_.empty() || fd_ >= 0) return EBADF; // Close() first
    if (fs_.Rename(path_, target) != 0) return errno;
    path_.clear();
    return 0;
}

void TemporaryFile::Discard() {
    const int saved = errno;
    if (fd_ >= 0) fs_.Close(fd_);
    if (!path_.empty()) fs_.Unlink(path_);
    fd_ = -1;
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
        const pid_t owner = OwnerOf(name, stemName);
        // A process that still runs may be saving right now.
        if (owner == 0 || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
        const std::string path = entries->path().string();
        struct stat info {};
        if (fs.Lstat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            fs.Unlink(path);
    }
}

} // namespace loan
