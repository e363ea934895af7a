#include "BackupStore.h"

#include "LinkTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace loan {

namespace {

std::string Absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    return error ? path : (current / path).string();
}

// Tells apart files of the same name in different folders.
std::string PathHash(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : path)
        hash = (hash ^ c) * 1099511628211ull;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[hash & 15];
    return text;
}

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Creates folder and its missing parents, private to the user where it is new.
int MakeFolders(FileSystem& fs, const std::string& folder) {
    struct stat info {};
    if (fs.Stat(folder, &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    const std::string parent = LinkTarget::FolderOf(folder);
    if (parent != folder && parent != "." && parent != "/") {
        if (const int error = MakeFolders(fs, parent); error != 0) return error;
    }
    if (fs.Mkdir(folder, 0700) != 0 && errno != EEXIST) return errno;
    return 0;
}

} // namespace

BackupStore BackupStore::ForUser() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return BackupStore(std::string(cache) + "/dravenholt-loan");
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return BackupStore(std::string(home) + "/.cache/dravenholt-loan");
    return BackupStore("");
}

std::string BackupStore::Prefix(const std::string& target) const {
    constexpr std::size_t kKeptNameBytes = 180;
    const std::string absolute = Absolute(target);
    return LinkTarget::NameOf(absolute).substr(0, kKeptNameBytes) + "-" + PathHash(absolute) + "-";
}

std::string BackupStore::Save(FileSystem& fs, const std::string& target, std::string_view bytes,
                              std::string& error) const {
    if (folder_.empty()) {
        error = "There is no home folder to keep a copy in.";
        return {};
    }
    if (const int made = MakeFolders(fs, folder_); made != 0) {
        error = FileSystem::Reason("Cannot make the folder", folder_, made);
        return {};
    }
    RemoveStalePartials(fs, target);
    const std::string stem = folder_ + "/" + Prefix(target) + Stamp();
    // The copy appears under its name only once it is whole and on disk.
    const std::string partial = stem + ".partial-" + std::to_string(::getpid());
    int fd = fs.Open(partial, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == EEXIST && fs.Unlink(partial) == 0) // left by an earlier crash
        fd = fs.Open(partial, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = FileSystem::Reason("Cannot create", partial, errno);
        return {};
    }
    const bool written = fs.WriteAll(fd, bytes) && fs.Fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = fs.Close(fd) == 0;
    if (!written || !closed) {
        error = FileSystem::Reason("Cannot write", partial, written ? errno : writeError);
        fs.Unlink(partial);
        return {};
    }
    std::string copy;
    for (int n = 0; n < 100; ++n) {
        const std::string candidate = stem + (n == 0 ? "" : "-" + std::to_string(n)) + ".loa";
        struct stat info {};
        if (fs.Lstat(candidate, &info) == 0) continue;
        if (fs.Rename(partial, candidate) != 0) {
            error = FileSystem::Reason("Cannot name", candidate, errno);
            fs.Unlink(partial);
            return {};
        }
        copy = candidate;
        break;
    }
    if (copy.empty()) {
        error = FileSystem::Reason("Cannot name", stem + ".loa", EEXIST);
        fs.Unlink(partial);
        return {};
    }
    const int dir = fs.Open(folder_, O_RDONLY | O_DIRECTORY);
    const bool synced = dir >= 0 && fs.Fsync(dir) == 0;
    const int syncError = errno;
    if (dir >= 0) fs.Close(dir);
    if (!synced) {
        error = FileSystem::Reason("Cannot sync the folder", folder_, syncError);
        fs.Unlink(copy);
        return {};
    }
    return copy;
}

void BackupStore::RemoveStalePartials(FileSystem& fs, const std::string& target) const {
    const std::string prefix = Prefix(target);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const auto marker = name.rfind(".partial-");
        if (name.compare(0, prefix.size(), prefix) != 0 || marker == std::string::npos) continue;
        const pid_t owner = static_cast<pid_t>(std::atol(name.c_str() + marker + 9));
        // A copy still being written by a running program is left alone.
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            fs.Unlink(entries->path().string());
    }
}

void BackupStore::Remove(FileSystem& fs, const std::string& copy) const {
    fs.Unlink(copy);
}

std::vector<std::string> BackupStore::Leftovers(const std::string& target) const {
    std::vector<std::string> copies;
    if (folder_.empty()) return copies;
    // The copies are kept under the name of the file a link leads to, as a save writes that.
    std::string resolved;
    if (LinkTarget::Resolve(FileSystem::Real(), target, resolved) != 0) resolved = target;
    const std::string prefix = Prefix(resolved);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".loa") == 0)
            copies.push_back(entries->path().string());
    }
    // The time stamp in the name sorts them by age.
    std::sort(copies.begin(), copies.end());
    return copies;
}

} // namespace loan
