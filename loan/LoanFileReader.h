#pragma once

#include "LoanGrid.h"

#include "safefile/FileIdentity.h"
#include "safefile/FileSystem.h"

#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace loan {

struct ReadResult {
    bool ok = false;
    std::string error; // the reason when !ok
    // Bytes after the last whole record: not shown, and gone once the table is saved.
    std::size_t droppedTailBytes = 0;
    std::optional<safefile::FileIdentity> identity; // the file as it was read (ReadFile only)
};

// Reads loan files. The table is replaced only when the whole file was read and every record in
// it ends as a loan record does; otherwise it is left exactly as it was. Bytes that do not make
// up a single whole record are no loan file either: an empty file is an empty table, but a short
// text file is not a table whose next save may replace it. A last record that is
// not blank gets a blank row after it.
class LoanFileReader {
  public:
    // The most records a table can hold: its rows, heading and blank row included, are counted
    // in an int.
    static constexpr std::int64_t kMaxRecords = std::numeric_limits<int>::max() - 2;

    static ReadResult Read(std::istream& in, LoanGrid& table);
    static ReadResult ReadBytes(std::string_view bytes, LoanGrid& table);
    // Regular files only: a pipe, device, socket or folder is refused without waiting on it.
    static ReadResult ReadFile(const std::string& path, LoanGrid& table,
                               safefile::FileSystem& fs = safefile::FileSystem::Real());
};

} // namespace loan
