#include "RewriteInPlace.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace loan {

namespace {

WriteResult Failed(std::string error) {
    WriteResult result;
    result.error = std::move(error);
    result.inPlace = true;
    return result;
}

bool ReadAll(FileSystem& fs, int fd, std::string& bytes) {
    bytes.clear();
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t n = fs.PRead(fd, buffer, sizeof buffer, at);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

// Writes bytes over the file from its start and cuts it to their length, on disk.
bool Overwrite(FileSystem& fs, int fd, std::string_view bytes) {
    return fs.WriteAllAt(fd, bytes, 0) && fs.Ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
           fs.Fsync(fd) == 0;
}

// Whether the file at target holds exactly bytes.
bool Holds(FileSystem& fs, const std::string& target, std::string_view bytes) {
    const int fd = fs.Open(target, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    std::string now;
    const bool read = ReadAll(fs, fd, now);
    fs.Close(fd);
    return read && now == bytes;
}

// Puts the old bytes back after a failure; fd may be closed already (-1).
void PutBack(FileSystem& fs, int fd, const std::string& target, std::string_view old) {
    if (fd >= 0) {
        Overwrite(fs, fd, old);
        return;
    }
    const int again = fs.Open(target, O_RDWR | O_NONBLOCK);
    if (again < 0) return;
    Overwrite(fs, again, old);
    fs.Close(again);
}

} // namespace

WriteResult RewriteInPlace::Run(FileSystem& fs, const BackupStore& backups,
                                const std::string& target, std::string_view bytes) {
    int fd = fs.Open(target, O_RDWR | O_NONBLOCK);
    if (fd < 0) return Failed(FileSystem::Reason("Cannot write", target, errno));
    struct stat info {};
    std::string old;
    if (fs.Fstat(fd, &info) != 0 || !ReadAll(fs, fd, old)) {
        const int error = errno;
        fs.Close(fd);
        return Failed(FileSystem::Reason("Cannot read", target, error));
    }
    if (!S_ISREG(info.st_mode)) {
        fs.Close(fd);
        return Failed("\"" + target + "\" is not a regular file.");
    }

    std::string why;
    const std::string backup = backups.Save(fs, target, old, why);
    if (backup.empty()) {
        fs.Close(fd);
        return Failed("This file must be rewritten where it stands, and no copy of it could be "
                      "kept first (" +
                      why +
                      "), so it was left as it was. Use Save As to save "
                      "the loans to another file.");
    }

    // Reserving the space first turns a full disk into a failure before anything changes; the
    // reservation leaves the file's size and bytes as they are. A file system that cannot
    // reserve still gets the rewrite, and a failed write is undone like any other.
    const auto length = static_cast<off_t>(bytes.size());
    if (length > info.st_size && fs.Fallocate(fd, length) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        const int error = errno;
        fs.Close(fd);
        backups.Remove(fs, backup);
        return Failed(FileSystem::Reason("Cannot write", target, error));
    }
    bool done = Overwrite(fs, fd, bytes);
    struct stat after {};
    done = done && fs.Fstat(fd, &after) == 0;
    int error = errno;
    if (!done) PutBack(fs, fd, target, old);
    // Some file systems report write errors only when the file is closed.
    if (fs.Close(fd) != 0 && done) {
        done = false;
        error = errno;
        PutBack(fs, -1, target, old);
    }

    if (done) {
        backups.Remove(fs, backup);
        WriteResult result;
        result.ok = true;
        result.inPlace = true;
        result.written = FileIdentity::From(after);
        return result;
    }
    WriteResult result = Failed(FileSystem::Reason("Cannot write", target, error));
    result.written = FileIdentity::Of(target, fs);
    // What counts is what the file holds now, whatever the putting back reported.
    if (Holds(fs, target, old)) {
        backups.Remove(fs, backup);
        return result;
    }
    result.fileUnchanged = false;
    result.backup = backup;
    result.error += "\n\nThe file could not be put back as it was. A copy of it as it was is "
                    "kept at \"" +
                    backup + "\".";
    return result;
}

} // namespace loan
