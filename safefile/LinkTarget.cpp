#include "LinkTarget.h"

#include "Descriptor.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

constexpr int kMaxLinks = 40; // as the kernel's own limit

// The kernel's rule for following the link at path, whose lstat is link.
bool MayFollow(FileSystem& fs, const std::string& path, const struct stat& link) {
    if (link.st_uid == ::geteuid()) return true;
    struct stat folder {};
    if (fs.Stat(LinkTarget::FolderOf(path), &folder) != 0) return true; // the walk fails anyway
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || folder.st_uid == link.st_uid;
}

// The name the kernel gives the file at path (its folders' links resolved), or path itself where
// the kernel will not say.
std::string KernelName(FileSystem& fs, const std::string& path) {
    Descriptor file(fs, fs.Open(path, O_PATH | O_NOFOLLOW));
    if (!file.IsOpen()) return path;
    std::vector<char> buffer(4096);
    const std::string self = "/proc/self/fd/" + std::to_string(file.Get());
    const ssize_t n = fs.ReadLink(self, buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size() || buffer[0] != '/') return path;
    const std::string name(buffer.data(), static_cast<std::size_t>(n));
    // A file removed meanwhile keeps its name with this mark; the path then is the better name.
    const std::string deleted = " (deleted)";
    if (name.size() > deleted.size() &&
        name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0)
        return path;
    return name;
}

} // namespace

LinkTarget::Resolved LinkTarget::Resolve(FileSystem& fs, const std::string& path) {
    Resolved resolved;
    std::string current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat info {};
        if (fs.Lstat(current, &info) != 0) {
            // A name that does not exist yet is the file a write creates; any other answer is
            // the write's to report, as it is no link's doing.
            resolved.target = current;
            return resolved;
        }
        if (!S_ISLNK(info.st_mode)) {
            resolved.target = KernelName(fs, current);
            return resolved;
        }
        if (!MayFollow(fs, current, info)) {
            resolved.error = EACCES;
            resolved.refusedLink = current;
            return resolved;
        }
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = fs.ReadLink(current, buffer.data(), buffer.size());
        if (n < 0) {
            resolved.error = errno;
            return resolved;
        }
        if (static_cast<std::size_t>(n) >= buffer.size()) { // grew meanwhile
            resolved.error = ENAMETOOLONG;
            return resolved;
        }
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.empty()) {
            resolved.error = ENOENT;
            return resolved;
        }
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    resolved.error = ELOOP;
    return resolved;
}

std::string LinkTarget::FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string LinkTarget::NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace safefile
