#include "LoanFileWriter.h"

#include "LoanRecord.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace loan {

namespace {

constexpr int kRecordsPerChunk = 8192; // about 1 MB

// Encodes rows 1..R-1 chunk by chunk and hands each chunk to sink, which returns false to stop.
template <typename Sink> bool EncodeTable(const LoanGrid& table, Sink&& sink) {
    const int records = std::clamp(table.Rows() - 1, 1, kRecordsPerChunk);
    const std::size_t capacity = static_cast<std::size_t>(records) * LoanRecord::kSize;
    const auto chunk = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t used = 0;
    for (int row = 1; row < table.Rows(); ++row) {
        LoanRecord::Encode(table, row, chunk.get() + used);
        used += LoanRecord::kSize;
        if (used == capacity) {
            if (!sink(chunk.get(), used)) return false;
            used = 0;
        }
    }
    return used == 0 || sink(chunk.get(), used);
}

// Where the writing walk of the table ends, the blank last row.
void LeaveCurrentCell(LoanGrid& table) {
    table.SetRow(table.Rows() - 1);
    table.SetCol(table.Cols() - 1);
}

WriteResult Failed(std::string error) {
    return {false, std::move(error)};
}

std::string SystemReason(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

bool WriteAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

// The file the save replaces: a symbolic link is followed so the link itself survives.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
        if (real) return real.get();
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Removes the temporary file unless the save got as far as renaming it.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() { Discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new file next to target, with the permissions a new file there would get.
    bool Create(const std::string& target) {
        static std::atomic<unsigned> counter{0};
        // The suffix must not push a long but valid name past the file system's limit.
        constexpr std::size_t kKeptNameBytes = 200;
        const auto slash = target.find_last_of('/');
        const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const std::string stem = target.substr(0, nameStart + kKeptNameBytes);
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = stem + ".tmp-" + std::to_string(::getpid()) + "-" +
                    std::to_string(counter.fetch_add(1));
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) return true;
            if (errno != EEXIST) break;
        }
        path_.clear();
        return false;
    }

    int fd() const { return fd_; }

    // Closes the file, reporting a failed close: some file systems report write errors only here.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

    bool RenameTo(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

    // Closes and removes the file, keeping errno.
    void Discard() {
        const int saved = errno;
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
        fd_ = -1;
        path_.clear();
        errno = saved;
    }

  private:
    std::string path_;
    int fd_ = -1;
};

// Not atomic: a write failing part way leaves the file damaged. Only for a folder where the
// temporary file cannot be made or cannot replace the file. The records are encoded before the
// file is touched, and the file is cut to its new length only after they are written.
WriteResult WriteInPlace(const std::string& target, const LoanGrid& table) {
    std::string bytes;
    EncodeTable(table, [&](const char* data, std::size_t n) {
        bytes.append(data, n);
        return true;
    });
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failed(SystemReason("Cannot write", target, errno));
    const bool ok = WriteAll(fd, bytes.data(), bytes.size()) &&
                    ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    // Some file systems report write errors only when the file is closed.
    if (::close(fd) != 0 && ok) return Failed(SystemReason("Cannot write", target, errno));
    if (!ok) return Failed(SystemReason("Cannot write", target, error));
    return {true, {}};
}

} // namespace

WriteResult LoanFileWriter::Write(std::ostream& out, LoanGrid& table) {
    WriteResult result{true, {}};
    try {
        const bool written = EncodeTable(table, [&](const char* data, std::size_t n) {
            out.write(data, static_cast<std::streamsize>(n));
            return static_cast<bool>(out);
        });
        if (!written || !out.flush()) result = Failed("The loan file could not be written.");
    } catch (const std::exception& e) {
        result = Failed(std::string("The loan file could not be written: ") + e.what());
    }
    LeaveCurrentCell(table);
    return result;
}

WriteResult LoanFileWriter::WriteFile(const std::string& path, LoanGrid& table) {
    WriteResult result = [&]() -> WriteResult {
        try {
            const std::string target = ResolveTarget(path);
            const std::string folder = FolderOf(target);

            // Replacing the file by renaming would otherwise overwrite a read-only file.
            if (::access(target.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS))
                return Failed(SystemReason("Cannot write", target, errno));

            TemporaryFile temp;
            if (!temp.Create(target)) {
                const int error = errno;
                // A folder that refuses new files may still hold a file the user can write.
                if (error == EACCES || error == EPERM) {
                    struct stat existing {};
                    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
                        return WriteInPlace(target, table);
                }
                return Failed(SystemReason("Cannot create a file in", folder, error));
            }

            // Keep the permissions of the file being replaced.
            struct stat old {};
            if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                ::fchmod(temp.fd(), old.st_mode & 07777);

            const bool written = EncodeTable(table, [&](const char* data, std::size_t n) {
                return WriteAll(temp.fd(), data, n);
            });
            if (!written) return Failed(SystemReason("Cannot write", target, errno));
            if (::fsync(temp.fd()) != 0) return Failed(SystemReason("Cannot write", target, errno));
            if (!temp.Close()) return Failed(SystemReason("Cannot write", target, errno));
            if (!temp.RenameTo(target)) {
                const int error = errno;
                // A sticky folder lets the temporary file be made but not replace another
                // user's file, which the user may still write.
                if (error == EACCES || error == EPERM) {
                    temp.Discard();
                    return WriteInPlace(target, table);
                }
                return Failed(SystemReason("Cannot replace", target, error));
            }

            // The rename itself is only durable once the folder is on disk.
            const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir >= 0) {
                const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
                const int error = errno;
                ::close(dir);
                if (!synced) return Failed(SystemReason("Cannot sync the folder", folder, error));
            }
            return {true, {}};
        } catch (const std::exception& e) {
            return Failed("Cannot write \"" + path + "\": " + e.what());
        }
    }();
    LeaveCurrentCell(table);
    return result;
}

} // namespace loan
