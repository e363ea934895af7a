#include "RewriteInPlace.h"

#include "Descriptor.h"

#include <cerrno>
#include <exception>
#include <memory>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>

namespace safefile {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 16;

WriteOutcome Failed(WriteState state, std::string error) {
    WriteOutcome result;
    result.state = state;
    result.error = std::move(error);
    result.inPlace = true;
    return result;
}

bool ReadAll(FileSystem& fs, int fd, std::string& bytes) {
    bytes.clear();
    const auto buffer = std::make_unique<char[]>(kChunk);
    for (off_t at = 0;;) {
        const ssize_t n = fs.PRead(fd, buffer.get(), kChunk, at);
        if (n == 0) return true;
        if (n < 0) return false;
        bytes.append(buffer.get(), static_cast<std::size_t>(n));
        at += n;
    }
}

// Writes bytes over the file from its start and cuts it to their length, on disk.
bool Overwrite(FileSystem& fs, int fd, std::string_view bytes) {
    return fs.WriteAllAt(fd, bytes, 0) && fs.Ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
           fs.Fsync(fd) == 0;
}

enum class Holding { Old, Other, Unknown };

// Whether the file at target holds exactly bytes, compared a chunk at a time: the file read back
// is never held whole beside them.
Holding Holds(FileSystem& fs, const std::string& target, std::string_view bytes) {
    Descriptor file(fs, fs.Open(target, O_RDONLY | O_NONBLOCK | O_NOFOLLOW));
    if (!file.IsOpen()) return Holding::Unknown;
    const auto buffer = std::make_unique<char[]>(kChunk);
    std::size_t at = 0;
    for (;;) {
        const ssize_t n = fs.PRead(file.Get(), buffer.get(), kChunk, static_cast<off_t>(at));
        if (n < 0) return Holding::Unknown;
        if (n == 0) return at == bytes.size() ? Holding::Old : Holding::Other;
        const auto got = static_cast<std::size_t>(n);
        if (at + got > bytes.size() || bytes.compare(at, got, std::string_view(buffer.get(), got)) != 0)
            return Holding::Other;
        at += got;
    }
}

// Puts the old bytes back after a failure, through fd if it is still open.
void PutBack(FileSystem& fs, Descriptor& fd, const std::string& target, std::string_view old) {
    if (fd.IsOpen()) {
        Overwrite(fs, fd.Get(), old);
        return;
    }
    Descriptor again(fs, fs.Open(target, O_RDWR | O_NONBLOCK | O_NOFOLLOW));
    if (again.IsOpen()) Overwrite(fs, again.Get(), old);
}

// What a rewrite that failed with error left: the state is what the file is found to hold now,
// whatever the putting back reported.
WriteOutcome AfterFailure(FileSystem& fs, const BackupStore& backups, const std::string& target,
                          std::string_view old, const std::string& backup, int error) {
    WriteOutcome result = Failed(WriteState::Unknown, FileSystem::Reason("Cannot write", target, error));
    result.written = FileIdentity::Of(target, fs);
    switch (Holds(fs, target, old)) {
    case Holding::Old:
        backups.Remove(fs, backup);
        result.state = WriteState::FailedRestored;
        return result;
    case Holding::Other:
        result.state = WriteState::FailedCopyKept;
        result.error += "\n\nThe file could not be put back as it was.";
        break;
    case Holding::Unknown:
        result.error += "\n\nThe file could not be read back to see whether it was put back as "
                        "it was.";
        break;
    }
    result.backup = backup;
    result.error += " A copy of it as it was is kept at \"" + backup + "\".";
    return result;
}

} // namespace

WriteOutcome RewriteInPlace::Run(FileSystem& fs, const BackupStore& backups,
                                 const std::string& target, std::string_view bytes) {
    // The target has been resolved: a link appearing in its place now is not followed.
    Descriptor fd(fs, fs.Open(target, O_RDWR | O_NONBLOCK | O_NOFOLLOW));
    if (!fd.IsOpen())
        return Failed(WriteState::FailedAsItWas, FileSystem::Reason("Cannot write", target, errno));
    struct stat info {};
    std::string old;
    try {
        if (fs.Fstat(fd.Get(), &info) != 0 || !ReadAll(fs, fd.Get(), old))
            return Failed(WriteState::FailedAsItWas,
                          FileSystem::Reason("Cannot read", target, errno));
    } catch (const std::bad_alloc&) {
        return Failed(WriteState::FailedAsItWas,
                      "There is not enough memory to keep a copy of \"" + target + "\".");
    }
    if (!S_ISREG(info.st_mode))
        return Failed(WriteState::FailedAsItWas, "\"" + target + "\" is not a regular file.");

    std::string why;
    const std::string backup = backups.Save(fs, target, old, why);
    if (backup.empty())
        return Failed(WriteState::FailedAsItWas,
                      "This file must be rewritten where it stands, and no copy of it could be "
                      "kept first (" +
                          why +
                          "), so it was left as it was. Use Save As to save to another file.");

    // Reserving the space first turns a full disk into a failure before anything changes; the
    // reservation leaves the file's size and bytes as they are. A file system that cannot
    // reserve still gets the rewrite, and a failed write is undone like any other.
    const auto length = static_cast<off_t>(bytes.size());
    if (length > info.st_size && fs.Fallocate(fd.Get(), length) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        const int error = errno;
        backups.Remove(fs, backup);
        return Failed(WriteState::FailedAsItWas, FileSystem::Reason("Cannot write", target, error));
    }
    try {
        bool done = Overwrite(fs, fd.Get(), bytes);
        struct stat after {};
        done = done && fs.Fstat(fd.Get(), &after) == 0;
        int error = errno;
        if (!done) PutBack(fs, fd, target, old);
        // Some file systems report write errors only when the file is closed.
        if (const int closed = fd.Close(); closed != 0 && done) {
            done = false;
            error = closed;
            PutBack(fs, fd, target, old);
        }
        if (!done) return AfterFailure(fs, backups, target, old, backup, error);
        backups.Remove(fs, backup);
        WriteOutcome result;
        result.state = WriteState::Saved;
        result.inPlace = true;
        result.written = FileIdentity::From(after);
        return result;
    } catch (const std::exception&) {
        // Nothing above allocates much, but whatever happened, the file may be half written:
        // only the copy is sure.
        WriteOutcome result = Failed(WriteState::Unknown, "Cannot write \"" + target + "\".");
        result.backup = backup;
        result.error += " A copy of it as it was is kept at \"" + backup + "\".";
        return result;
    }
}

} // namespace safefile
