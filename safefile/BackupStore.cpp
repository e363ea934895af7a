#include "BackupStore.h"

#include "Descriptor.h"
#include "FolderSync.h"
#include "LinkTarget.h"
#include "ProcessStamp.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace safefile {

namespace {

constexpr std::string_view kPartial = "partial-";
constexpr std::size_t kStampBytes = 15; // "20261208-143005"

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

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
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

// Gives the file at from the name to, unless something already has that name. 0, EEXIST, or
// the errno.
int ClaimName(FileSystem& fs, const std::string& from, const std::string& to) {
    if (fs.RenameNoReplace(from, to) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that rename: a second name, then the first one goes.
    if (fs.Link(from, to) != 0) return errno;
    fs.Unlink(from);
    return 0;
}

// The stamp in a finished copy's name "<prefix><time>-<n>-<stamp><suffix>".
std::optional<ProcessStamp> WriterOf(std::string_view name, std::size_t prefix,
                                     std::size_t suffix) {
    if (name.size() < prefix + kStampBytes + 2 + suffix) return {};
    std::string_view rest = name.substr(prefix + kStampBytes + 1);
    rest.remove_suffix(suffix);
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos) return {};
    return ProcessStamp::Parse(rest.substr(dash + 1));
}

} // namespace

BackupStore BackupStore::ForUser(const std::string& program, const std::string& suffix) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return {std::string(cache) + "/" + program, suffix};
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return {std::string(home) + "/.cache/" + program, suffix};
    return {"", suffix};
}

std::string BackupStore::Prefix(const std::string& target) const {
    constexpr std::size_t kKeptNameBytes = 120;
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
    static std::atomic<unsigned> counter{0};
    const std::string prefix = folder_ + "/" + Prefix(target);
    const std::string own = ProcessStamp::Own().Text();

    // The copy appears under its name only once it is whole and on disk.
    std::string partial;
    Descriptor file(fs, -1);
    for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
        partial = prefix + std::string(kPartial) + std::to_string(counter++) + "-" + own;
        file.Adopt(fs.Open(partial, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
        if (!file.IsOpen() && errno != EEXIST) break;
    }
    if (!file.IsOpen()) {
        error = FileSystem::Reason("Cannot create", partial, errno);
        return {};
    }
    const bool written = fs.WriteAll(file.Get(), bytes) && fs.Fsync(file.Get()) == 0;
    const int writeError = errno;
    const int closed = file.Close();
    if (!written || closed != 0) {
        error = FileSystem::Reason("Cannot write", partial, written ? closed : writeError);
        fs.Unlink(partial);
        return {};
    }
    const std::string stem = prefix + Stamp() + "-";
    std::string copy;
    int claimed = EEXIST;
    for (int n = 0; n < 100 && claimed == EEXIST; ++n) {
        copy = stem + std::to_string(n) + "-" + own + suffix_;
        claimed = ClaimName(fs, partial, copy);
    }
    if (claimed != 0) {
        error = FileSystem::Reason("Cannot name", copy, claimed);
        fs.Unlink(partial);
        return {};
    }
    if (const int synced = FolderSync::Sync(fs, folder_); synced != 0) {
        error = FileSystem::Reason("Cannot sync the folder", folder_, synced);
        fs.Unlink(copy);
        return {};
    }
    return copy;
}

void BackupStore::RemoveStalePartials(FileSystem& fs, const std::string& target) const {
    const std::string prefix = Prefix(target) + std::string(kPartial);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const auto dash = name.find('-', prefix.size());
        if (dash == std::string::npos) continue;
        const auto writer = ProcessStamp::Parse(std::string_view(name).substr(dash + 1));
        // A copy still being written, here or on another machine, is left alone.
        if (writer && writer->HasEnded()) fs.Unlink(entries->path().string());
    }
}

void BackupStore::Remove(FileSystem& fs, const std::string& copy) const {
    fs.Unlink(copy);
}

std::vector<std::string> BackupStore::Leftovers(const std::string& target) const {
    std::vector<std::string> copies;
    if (folder_.empty()) return copies;
    // The copies are kept under the name of the file a link leads to, as a write writes that.
    const LinkTarget::Resolved resolved = LinkTarget::Resolve(FileSystem::Real(), target);
    const std::string prefix = Prefix(resolved.error == 0 ? resolved.target : target);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || !EndsWith(name, suffix_) ||
            name.compare(prefix.size(), kPartial.size(), kPartial) == 0)
            continue;
        const auto writer = WriterOf(name, prefix.size(), suffix_.size());
        // Another running program's rewrite is not finished yet, nor failed.
        if (writer && *writer != ProcessStamp::Own() && writer->RunsHere()) continue;
        copies.push_back(entries->path().string());
    }
    // The time stamp in the name sorts them by age.
    std::sort(copies.begin(), copies.end());
    return copies;
}

} // namespace safefile
