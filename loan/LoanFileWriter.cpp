#include "LoanFileWriter.h"

#include "LinkTarget.h"
#include "LoanRecord.h"
#include "ReplaceByRename.h"
#include "RewriteInPlace.h"
#include "TemporaryFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

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

std::string Encoded(const LoanGrid& table) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::max(table.Rows() - 1, 0)) * LoanRecord::kSize);
    EncodeTable(table, [&](const char* data, std::size_t n) {
        bytes.append(data, n);
        return true;
    });
    return bytes;
}

// Where the writing walk of the table ends, the blank last row.
void LeaveCurrentCell(LoanGrid& table) {
    table.SetRow(table.Rows() - 1);
    table.SetCol(table.Cols() - 1);
}

WriteResult Failed(std::string error) {
    WriteResult result;
    result.error = std::move(error);
    return result;
}

// A file size limit (ulimit -f) would otherwise kill the program mid-save with the table unsaved;
// ignored, the write fails with EFBIG like any other failed write. Set on every save, in case
// something has set it back.
void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

WriteResult Save(const std::string& path, const LoanGrid& table, FileSystem& fs,
                 const BackupStore& backups) {
    std::string target;
    if (const int error = LinkTarget::Resolve(fs, path, target); error != 0)
        return Failed(FileSystem::Reason("Cannot follow the link", path, error));

    std::optional<struct stat> old;
    struct stat info {};
    if (fs.Stat(target, &info) == 0) {
        old = info;
    } else if (errno != ENOENT) {
        return Failed(FileSystem::Reason("Cannot write", target, errno));
    }
    if (old && S_ISDIR(old->st_mode))
        return Failed(FileSystem::Reason("Cannot write", target, EISDIR));
    if (old && !S_ISREG(old->st_mode)) return Failed("\"" + target + "\" is not a regular file.");
    // A replace would otherwise get round a file's own refusal to be written.
    if (old && fs.Access(target, W_OK) != 0 && (errno == EACCES || errno == EROFS))
        return Failed(FileSystem::Reason("Cannot write", target, errno));

    TemporaryFile::RemoveStale(fs, target);
    // A replace would split a file with other names from them. A rewrite in place has the
    // whole content ready before it touches the file; a replace streams it, as a file of
    // millions of loans costs less written chunk by chunk than built whole in memory first.
    if (old && old->st_nlink > 1) return RewriteInPlace::Run(fs, backups, target, Encoded(table));
    ReplaceByRename::Outcome replaced = ReplaceByRename::Run(fs, target, old, [&](int fd) {
        return EncodeTable(table, [&](const char* data, std::size_t n) {
            return fs.WriteAll(fd, std::string_view(data, n));
        });
    });
    if (replaced.cannotKeep) return RewriteInPlace::Run(fs, backups, target, Encoded(table));
    return replaced.result;
}

} // namespace

WriteResult LoanFileWriter::Write(std::ostream& out, LoanGrid& table) {
    WriteResult result;
    result.ok = true;
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

WriteResult LoanFileWriter::WriteFile(const std::string& path, LoanGrid& table, FileSystem& fs,
                                      const BackupStore& backups) {
    IgnoreFileSizeSignal();
    WriteResult result;
    try {
        result = Save(path, table, fs, backups);
    } catch (const std::bad_alloc&) {
        result = Failed("There is not enough memory to save \"" + path + "\".");
    } catch (const std::exception& e) {
        result = Failed("Cannot write \"" + path + "\": " + e.what());
    }
    LeaveCurrentCell(table);
    return result;
}

} // namespace loan
