#include "PackedRow.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace loan {

namespace {

char* PutLength(char* out, std::size_t n) {
    while (n >= 0x80) {
        *out++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
    return out;
}

std::size_t LengthSize(std::size_t n) {
    std::size_t size = 1;
    for (; n >= 0x80; n >>= 7)
        ++size;
    return size;
}

std::size_t GetLength(const char*& p) {
    std::size_t n = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*p++);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return n;
        shift += 7;
    }
}

// The start of cell col's length.
const char* SkipCells(const char* p, int col) {
    for (int c = 0; c < col; ++c) {
        const std::size_t n = GetLength(p);
        p += n;
    }
    return p;
}

} // namespace

static_assert(alignof(PackedRow) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

PackedRow::PackedRow(std::size_t size, std::size_t capacity, std::uint64_t born)
    : born_(born), size_(static_cast<std::uint32_t>(size)),
      capacity_(static_cast<std::uint32_t>(capacity)) {}

PackedRow* PackedRow::Allocate(std::size_t size, std::size_t capacity, std::uint64_t born) {
    capacity = std::max(capacity, size);
    // A row's length is kept in 32 bits; no loan comes near it, only a pasted flood could.
    if (capacity > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a grid row of 4 GB or more");
    void* block = ::operator new(sizeof(PackedRow) + capacity);
    return new (block) PackedRow(size, capacity, born);
}

PackedRow* PackedRow::Make(const std::string_view* texts, int count, int cols, std::uint64_t born) {
    count = std::clamp(count, 0, cols);
    // Sized once and filled in place: readers make a million of these.
    std::size_t size = static_cast<std::size_t>(cols - count);
    for (int c = 0; c < count; ++c)
        size += LengthSize(texts[c].size()) + texts[c].size();
    PackedRow* row = Allocate(size, size, born);
    char* out = row->Data();
    for (int c = 0; c < count; ++c) {
        out = PutLength(out, texts[c].size());
        if (!texts[c].empty()) std::memcpy(out, texts[c].data(), texts[c].size());
        out += texts[c].size();
    }
    std::memset(out, 0, static_cast<std::size_t>(cols - count));
    return row;
}

PackedRow* PackedRow::Blank(int cols, std::uint64_t born) {
    return Make(nullptr, 0, cols, born);
}

PackedRow* PackedRow::Copy(const PackedRow& row, std::uint64_t born) {
    PackedRow* copy = Allocate(row.size_, row.size_, born);
    if (row.size_ > 0) std::memcpy(copy->Data(), row.Data(), row.size_);
    return copy;
}

void PackedRow::Free(PackedRow* row) noexcept {
    if (!row) return;
    row->~PackedRow();
    ::operator delete(static_cast<void*>(row));
}

std::string_view PackedRow::Cell(int col) const {
    const char* p = SkipCells(Data(), col);
    const std::size_t n = GetLength(p);
    return {p, n};
}

void PackedRow::Cells(int cols, std::string_view* out) const {
    const char* p = Data();
    for (int c = 0; c < cols; ++c) {
        const std::size_t n = GetLength(p);
        out[c] = {p, n};
        p += n;
    }
}

bool PackedRow::IsBlank() const {
    // A blank row is all zero lengths.
    const char* p = Data();
    return std::all_of(p, p + size_, [](char c) { return c == '\0'; });
}

PackedRow* PackedRow::WithCell(int col, std::string_view text, bool inPlace, std::uint64_t born) {
    const char* begin = SkipCells(Data(), col);
    const char* p = begin;
    const std::size_t oldLength = GetLength(p);
    if (std::string_view(p, oldLength) == text) return nullptr;
    const auto start = static_cast<std::size_t>(begin - Data());
    const std::size_t oldCell = static_cast<std::size_t>(p - begin) + oldLength;
    const std::size_t newCell = LengthSize(text.size()) + text.size();
    const std::size_t after = size_ - start - oldCell;
    const std::size_t size = size_ - oldCell + newCell;
    if (inPlace && size <= capacity_) {
        // Text taken from this very row (one cell copied onto another) would move under the
        // copy: it goes into a new row instead.
        const auto at = reinterpret_cast<std::uintptr_t>(text.data());
        const auto data = reinterpret_cast<std::uintptr_t>(Data());
        if (at >= data && at < data + size_) return WithCell(col, text, false, born);
        char* cell = Data() + start;
        std::memmove(cell + newCell, cell + oldCell, after);
        cell = PutLength(cell, text.size());
        if (!text.empty()) std::memcpy(cell, text.data(), text.size());
        size_ = static_cast<std::uint32_t>(size);
        return this;
    }
    // Room to grow as a string would, so filling a row a cell at a time is not one allocation
    // per cell.
    const std::size_t capacity =
        inPlace ? std::max(size, 2 * static_cast<std::size_t>(capacity_)) : size;
    PackedRow* row = Allocate(size, capacity, born);
    char* out = row->Data();
    std::memcpy(out, Data(), start);
    out = PutLength(out + start, text.size());
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    std::memcpy(out + text.size(), Data() + start + oldCell, after);
    return row;
}

} // namespace loan
