#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace loan {

// One row of a LoanGrid: its cells' texts, each after its length (a LEB128 varint, one byte for
// any text a loan field holds), in one block of memory with a small header. The grid holds rows
// by pointer so that a snapshot can share them: a row the grid still shares with a snapshot is
// never changed where it stands, it is replaced. Born says when the row was made, counted in
// the grid's snapshots, which tells the grid whether the latest snapshot holds it.
class PackedRow {
  public:
    // A row of the texts (missing ones, up to cols, empty).
    static PackedRow* Make(const std::string_view* texts, int count, int cols, std::uint64_t born);
    // A row of cols empty cells.
    static PackedRow* Blank(int cols, std::uint64_t born);
    static PackedRow* Copy(const PackedRow& row, std::uint64_t born);
    static void Free(PackedRow* row) noexcept;

    PackedRow(const PackedRow&) = delete;
    PackedRow& operator=(const PackedRow&) = delete;

    std::uint64_t Born() const { return born_; }
    std::string_view Cell(int col) const;
    // The first cols cells in one walk.
    void Cells(int cols, std::string_view* out) const;
    bool IsBlank() const;

    // Cell col holding text: in place when may is true and the row has room, else as a new row
    // (born then) that the caller puts in this one's place. Returns the row that holds the
    // change, or nullptr when the cell held text already.
    PackedRow* WithCell(int col, std::string_view text, bool inPlace, std::uint64_t born);

  private:
    PackedRow(std::size_t size, std::size_t capacity, std::uint64_t born);
    ~PackedRow() = default;
    static PackedRow* Allocate(std::size_t size, std::size_t capacity, std::uint64_t born);

    char* Data() { return reinterpret_cast<char*>(this + 1); }
    const char* Data() const { return reinterpret_cast<const char*>(this + 1); }

    std::uint64_t born_;
    std::uint32_t size_;
    std::uint32_t capacity_;
};

} // namespace loan
