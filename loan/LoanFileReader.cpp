#include "LoanFileReader.h"

#include "LoanRecord.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    void Reserve(std::size_t bytes) {
        fresh_.Reserve(static_cast<int>(bytes / LoanRecord::kSize + 2));
    }

    // Takes the next bytes of the file; records may straddle calls.
    void Feed(const char* data, std::size_t n) {
        if (pending_ > 0) {
            const std::size_t take = std::min(n, LoanRecord::kSize - pending_);
            std::memcpy(partial_.data() + pending_, data, take);
            pending_ += take, data += take, n -= take;
            if (pending_ < LoanRecord::kSize) return;
            AddRecord(partial_.data());
            pending_ = 0;
        }
        for (; n >= LoanRecord::kSize; data += LoanRecord::kSize, n -= LoanRecord::kSize)
            AddRecord(data);
        std::memcpy(partial_.data(), data, n);
        pending_ = n;
    }

    // A trailing partial record is dropped. The table must end with the blank row new loans go
    // into, whatever the file's last record held.
    void Finish(LoanGrid& table) {
        if (fresh_.Rows() == 1 || !fresh_.RowIsBlank(fresh_.Rows() - 1))
            fresh_.AppendRow(nullptr, 0);
        table.TakeRowsFrom(std::move(fresh_));
        table.SetRow(table.Rows() - 1);
        table.SetCol(table.Cols() - 1);
    }

  private:
    void AddRecord(const char* record) {
        LoanRecord::DecodeInto(record, texts_);
        std::array<std::string_view, 13> views;
        for (std::size_t i = 0; i < views.size(); ++i)
            views[i] = texts_[i];
        fresh_.AppendRow(views.data(), static_cast<int>(views.size()));
    }

    LoanGrid fresh_;
    std::array<std::string, 13> texts_;
    std::array<char, LoanRecord::kSize> partial_{};
    std::size_t pending_ = 0;
};

ReadResult Failed(std::string error) {
    return {false, std::move(error)};
}

std::string SystemReason(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

ReadResult LoanFileReader::Read(std::istream& in, LoanGrid& table) {
    try {
        TableBuilder builder(table);
        const auto buffer = std::make_unique<char[]>(kChunk);
        while (in) {
            in.read(buffer.get(), static_cast<std::streamsize>(kChunk));
            builder.Feed(buffer.get(), static_cast<std::size_t>(in.gcount()));
        }
        // eof alone is the normal end; bad means the stream itself failed.
        if (in.bad() || !in.eof()) return Failed("The loan file could not be read to its end.");
        builder.Finish(table);
        return {true, {}};
    } catch (const std::exception& e) {
        return Failed(std::string("The loan file could not be read: ") + e.what());
    }
}

ReadResult LoanFileReader::ReadBytes(std::string_view bytes, LoanGrid& table) {
    try {
        TableBuilder builder(table);
        builder.Reserve(bytes.size());
        builder.Feed(bytes.data(), bytes.size());
        builder.Finish(table);
        return {true, {}};
    } catch (const std::exception& e) {
        return Failed(std::string("The loan file could not be read: ") + e.what());
    }
}

ReadResult LoanFileReader::ReadFile(const std::string& path, LoanGrid& table) {
    try {
        FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) return Failed(SystemReason("Cannot open", path, errno));
        struct stat info {};
        if (::fstat(file.get(), &info) != 0)
            return Failed(SystemReason("Cannot read", path, errno));
        if (S_ISDIR(info.st_mode)) return Failed(SystemReason("Cannot read", path, EISDIR));

        TableBuilder builder(table);
        if (S_ISREG(info.st_mode)) builder.Reserve(static_cast<std::size_t>(info.st_size));
        const auto buffer = std::make_unique<char[]>(kChunk);
        for (;;) {
            const ssize_t n = ::read(file.get(), buffer.get(), kChunk);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                return Failed(SystemReason("Cannot read", path, errno));
            }
            builder.Feed(buffer.get(), static_cast<std::size_t>(n));
        }
        builder.Finish(table);
        return {true, {}};
    } catch (const std::exception& e) {
        return Failed("Cannot read \"" + path + "\": " + e.what());
    }
}

} // namespace loan
