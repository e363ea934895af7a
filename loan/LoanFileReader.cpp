#include "LoanFileReader.h"

#include "LoanRecord.h"

#include "safefile/Descriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace loan {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

// Builds the new table in a grid of its own, so the old one stays whole until the file has been
// read to its end.
class TableBuilder {
  public:
    explicit TableBuilder(const LoanGrid& table) : fresh_(table.Cols(), 1) {
        for (int c = 0; c < table.Cols(); ++c)
            fresh_.SetTextAt(0, c, table.TextAt(0, c));
    }

    void Reserve(std::uint64_t bytes) {
        fresh_.Reserve(static_cast<int>(bytes / LoanRecord::kSize + 2));
    }

    // Takes the next bytes of the file; records may straddle calls. False once a record turns
    // out damaged.
    bool Feed(const char* data, std::size_t n) {
        if (pending_ > 0) {
            const std::size_t take = std::min(n, LoanRecord::kSize - pending_);
            std::memcpy(partial_.data() + pending_, data, take);
            pending_ += take, data += take, n -= take;
            if (pending_ < LoanRecord::kSize) return true;
            pending_ = 0;
            if (!AddRecord(partial_.data())) return false;
        }
        for (; n >= LoanRecord::kSize; data += LoanRecord::kSize, n -= LoanRecord::kSize)
            if (!AddRecord(data)) return false;
        std::memcpy(partial_.data(), data, n);
        pending_ = n;
        return true;
    }

    // Every record the format writes ends with a carriage return; a file whose records do not
    // is something else, and saving its rows back would write junk over it.
    std::string Damage(const std::string& what) const {
        std::string text =
            what + " is not a loan file: record " + std::to_string(damaged_) + " is damaged.";
        if (damagedByLineFeed_)
            text += " Its records look shifted by a line feed after each carriage return, as a "
                    "copy made as text would do.";
        return text;
    }

    // Some bytes, and not one whole record among them.
    bool HoldsNoRecord() const { return records_ == 0 && pending_ > 0; }
    std::string NoRecord(const std::string& what) const {
        return what + " is not a loan file: its " + std::to_string(pending_) +
               (pending_ == 1 ? " byte does" : " bytes do") + " not make up one loan record.";
    }

    // A trailing partial record is not a loan; the caller says how much of it there was. The
    // table must end with the blank row new loans go into, whatever the last record held.
    std::size_t Finish(LoanGrid& table) {
        if (fresh_.Rows() == 1 || !fresh_.RowIsBlank(fresh_.Rows() - 1))
            fresh_.AppendRow(nullptr, 0);
        table.TakeRowsFrom(std::move(fresh_));
        table.SetRow(table.Rows() - 1);
        table.SetCol(table.Cols() - 1);
        return pending_;
    }

  private:
    bool AddRecord(const char* record) {
        ++records_;
        if (record[LoanRecord::kSize - 1] != '\r') {
            damaged_ = records_;
            damagedByLineFeed_ = record[0] == '\n';
            return false;
        }
        LoanRecord::DecodeInto(record, texts_);
        std::array<std::string_view, 13> views;
        for (std::size_t i = 0; i < views.size(); ++i)
            views[i] = texts_[i];
        fresh_.AppendRow(views.data(), static_cast<int>(views.size()));
        return true;
    }

    LoanGrid fresh_;
    std::array<std::string, 13> texts_;
    std::array<char, LoanRecord::kSize> partial_{};
    std::size_t pending_ = 0;
    std::int64_t records_ = 0;
    std::int64_t damaged_ = 0;
    bool damagedByLineFeed_ = false;
};

ReadResult Failed(std::string error) {
    ReadResult result;
    result.error = std::move(error);
    return result;
}

ReadResult Succeeded(std::size_t droppedTailBytes) {
    ReadResult result;
    result.ok = true;
    result.droppedTailBytes = droppedTailBytes;
    return result;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// What a path that is not a regular file is, in the user's words.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

std::string NotAFile(const std::string& path, mode_t mode) {
    return Quoted(path) + " is " + KindOf(mode) + ", not a loan file.";
}


} // namespace

ReadResult LoanFileReader::Read(std::istream& in, LoanGrid& table) {
    try {
        TableBuilder builder(table);
        const auto buffer = std::make_unique<char[]>(kChunk);
        while (in) {
            in.read(buffer.get(), static_cast<std::streamsize>(kChunk));
            if (!builder.Feed(buffer.get(), static_cast<std::size_t>(in.gcount())))
                return Failed(builder.Damage("This"));
        }
        // eof alone is the normal end; bad means the stream itself failed.
        if (in.bad() || !in.eof()) return Failed("The loan file could not be read to its end.");
        if (builder.HoldsNoRecord()) return Failed(builder.NoRecord("This"));
        return Succeeded(builder.Finish(table));
    } catch (const std::exception& e) {
        return Failed(std::string("The loan file could not be read: ") + e.what());
    }
}

ReadResult LoanFileReader::ReadBytes(std::string_view bytes, LoanGrid& table) {
    try {
        TableBuilder builder(table);
        builder.Reserve(bytes.size());
        if (!builder.Feed(bytes.data(), bytes.size())) return Failed(builder.Damage("This"));
        if (builder.HoldsNoRecord()) return Failed(builder.NoRecord("This"));
        return Succeeded(builder.Finish(table));
    } catch (const std::exception& e) {
        return Failed(std::string("The loan file could not be read: ") + e.what());
    }
}

ReadResult LoanFileReader::ReadFile(const std::string& path, LoanGrid& table,
                                    safefile::FileSystem& fs) {
    using safefile::FileSystem;
    try {
        // Not blocking: opening a named pipe would otherwise wait for a writer for good.
        safefile::Descriptor file(fs, fs.Open(path, O_RDONLY | O_NONBLOCK));
        if (!file.IsOpen()) {
            const int error = errno;
            struct stat info {};
            // A socket cannot be opened at all; say what it is rather than what open() said.
            if (fs.Stat(path, &info) == 0 && !S_ISREG(info.st_mode))
                return Failed(NotAFile(path, info.st_mode));
            return Failed(FileSystem::Reason("Cannot open", path, error));
        }
        struct stat info {};
        if (fs.Fstat(file.Get(), &info) != 0)
            return Failed(FileSystem::Reason("Cannot read", path, errno));
        if (!S_ISREG(info.st_mode)) return Failed(NotAFile(path, info.st_mode));
        const auto size = static_cast<std::uint64_t>(info.st_size);
        if (size / LoanRecord::kSize > static_cast<std::uint64_t>(kMaxRecords))
            return Failed(Quoted(path) + " is too large to open: it would hold " +
                          std::to_string(size / LoanRecord::kSize) +
                          " loans, and a table holds at most " + std::to_string(kMaxRecords) + ".");

        TableBuilder builder(table);
        // Room for all rows only once the start reads as loans: junk is refused for what it
        // is, however big. Until then, room for what the first chunk can hold.
        builder.Reserve(std::min<std::uint64_t>(size, kChunk));
        const auto buffer = std::make_unique<char[]>(kChunk);
        for (bool first = true;; first = false) {
            const ssize_t n = fs.Read(file.Get(), buffer.get(), kChunk);
            if (n == 0) break;
            if (n < 0) return Failed(FileSystem::Reason("Cannot read", path, errno));
            if (!builder.Feed(buffer.get(), static_cast<std::size_t>(n)))
                return Failed(builder.Damage(Quoted(path)));
            if (first) builder.Reserve(size);
        }
        if (builder.HoldsNoRecord()) return Failed(builder.NoRecord(Quoted(path)));
        ReadResult result = Succeeded(builder.Finish(table));
        result.identity = safefile::FileIdentity::From(info);
        return result;
    } catch (const std::bad_alloc&) {
        return Failed("There is not enough memory to open " + Quoted(path) + ".");
    } catch (const std::exception& e) {
        return Failed("Cannot read " + Quoted(path) + ": " + e.what());
    }
}

} // namespace loan
