#include "LoanFileWriter.h"

#include "LoanRecord.h"

#include "safefile/SafeFile.h"

#include <algorithm>
#include <exception>
#include <memory>

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
            if (!sink(std::string_view(chunk.get(), used))) return false;
            used = 0;
        }
    }
    return used == 0 || sink(std::string_view(chunk.get(), used));
}

// Where the writing walk of the table ends, the blank last row.
void LeaveCurrentCell(LoanGrid& table) {
    table.SetRow(table.Rows() - 1);
    table.SetCol(table.Cols() - 1);
}

} // namespace

bool LoanFileWriter::Write(std::ostream& out, LoanGrid& table) {
    bool written = false;
    try {
        written = EncodeTable(table, [&](std::string_view bytes) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(out);
        });
        written = written && out.flush();
    } catch (const std::exception&) {
        written = false;
    }
    LeaveCurrentCell(table);
    return written;
}

safefile::WriteOutcome LoanFileWriter::WriteFile(const std::string& path, LoanGrid& table,
                                                 safefile::FileSystem& fs,
                                                 const safefile::BackupStore& backups) {
    const safefile::WriteOutcome result = safefile::SafeFile::Write(
        path,
        [&](const safefile::SafeFile::Sink& sink) { return EncodeTable(table, sink); },
        {backups, fs});
    LeaveCurrentCell(table);
    return result;
}

} // namespace loan
