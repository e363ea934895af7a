#include "LinkTarget.h"

#include <cerrno>
#include <vector>

#include <sys/stat.h>

namespace loan {

int LinkTarget::Resolve(FileSystem& fs, const std::string& path, std::string& target) {
    constexpr int kMaxLinks = 40; // as the kernel's own limit
    std::string current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat info {};
        if (fs.Lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = current;
            return 0;
        }
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = fs.ReadLink(current, buffer.data(), buffer.size());
        if (n < 0) return errno;
        if (static_cast<std::size_t>(n) >= buffer.size()) return ENAMETOOLONG; // grew meanwhile
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.empty()) return ENOENT;
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return ELOOP;
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

} // namespace loan
