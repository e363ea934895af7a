#include "LoanGrid.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace loan {

namespace {

// Cell lengths are LEB128 varints: one byte for every text a loan field can hold.
void PutLength(std::string& out, std::size_t n) {
    while (n >= 0x80) {
        out.push_back(static_cast<char>((n & 0x7F) | 0x80));
        n >>= 7;
    }
    out.push_back(static_cast<char>(n));
}

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

// Returns the start of cell col's length prefix.
const char* SkipCells(const std::string& packed, int col) {
    const char* p = packed.data();
    for (int c = 0; c < col; ++c) {
        const std::size_t n = GetLength(p);
        p += n;
    }
    return p;
}

} // namespace

namespace {
int CheckedCols(int cols) {
    if (cols < 1) throw std::invalid_argument("LoanGrid needs at least one column");
    return cols;
}
} // namespace

// The column count is checked before widths_ is sized from it.
LoanGrid::LoanGrid(int cols, int rows)
    : cols_(CheckedCols(cols)), widths_(static_cast<std::size_t>(cols_), 0) {
    rows_.assign(static_cast<std::size_t>(std::max(rows, 1)), BlankRow(cols));
}

LoanGrid::PackedRow LoanGrid::BlankRow(int cols) {
    return PackedRow(static_cast<std::size_t>(cols), '\0');
}

void LoanGrid::CheckCell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_)
        throw std::out_of_range("cell outside the grid");
}

void LoanGrid::SetRows(int n) {
    n = std::max(n, 1);
    const int old = Rows();
    if (n == old) return;
    if (n > old) {
        if (auto* l = Notify()) l->RowsAboutToBeInserted(old, n - 1);
        rows_.resize(static_cast<std::size_t>(n), BlankRow(cols_));
        if (auto* l = Notify()) l->RowsInserted();
    } else {
        if (auto* l = Notify()) l->RowsAboutToBeRemoved(n, old - 1);
        rows_.resize(static_cast<std::size_t>(n));
        const bool moved = row_ >= n;
        if (moved) row_ = n - 1, movedCurrent_ = true;
        if (auto* l = Notify()) l->RowsRemoved();
        if (auto* l = NotifyCurrent(); l && moved) l->CurrentCellChanged();
    }
}

void LoanGrid::SetRow(int row) {
    if (row < 0 || row >= Rows()) throw std::out_of_range("row outside the grid");
    if (row == row_) return;
    row_ = row;
    movedCurrent_ = true;
    if (auto* l = NotifyCurrent()) l->CurrentCellChanged();
}

void LoanGrid::SetCol(int col) {
    if (col < 0 || col >= cols_) throw std::out_of_range("column outside the grid");
    if (col == col_) return;
    col_ = col;
    movedCurrent_ = true;
    if (auto* l = NotifyCurrent()) l->CurrentCellChanged();
}

std::string_view LoanGrid::TextAt(int row, int col) const {
    CheckCell(row, col);
    const std::string& packed = rows_[static_cast<std::size_t>(row)];
    const char* p = SkipCells(packed, col);
    const std::size_t n = GetLength(p);
    return {p, n};
}

void LoanGrid::SetTextAt(int row, int col, std::string_view text) {
    CheckCell(row, col);
    std::string& packed = rows_[static_cast<std::size_t>(row)];
    const char* begin = SkipCells(packed, col);
    const char* p = begin;
    const std::size_t oldLength = GetLength(p);
    if (std::string_view(p, oldLength) == text) return;
    const auto start = static_cast<std::size_t>(begin - packed.data());
    const auto oldSize = static_cast<std::size_t>(p - begin) + oldLength;
    std::string cell;
    PutLength(cell, text.size());
    cell.append(text);
    packed.replace(start, oldSize, cell);
    if (auto* l = Notify()) l->CellChanged(row, col);
}

bool LoanGrid::RowIsBlank(int row) const {
    CheckCell(row, 0);
    const std::string& packed = rows_[static_cast<std::size_t>(row)];
    // A blank row is all zero lengths.
    return std::all_of(packed.begin(), packed.end(), [](char c) { return c == '\0'; });
}

void LoanGrid::RowTexts(int row, std::string_view* out) const {
    CheckCell(row, 0);
    const char* p = rows_[static_cast<std::size_t>(row)].data();
    for (int c = 0; c < cols_; ++c) {
        const std::size_t n = GetLength(p);
        out[c] = {p, n};
        p += n;
    }
}

int LoanGrid::ColWidth(int col) const {
    CheckCell(0, col);
    return widths_[static_cast<std::size_t>(col)];
}

void LoanGrid::SetColWidth(int col, int twips) {
    CheckCell(0, col);
    widths_[static_cast<std::size_t>(col)] = std::max(twips, 0);
    if (auto* l = Notify()) l->ColumnWidthChanged(col);
}

void LoanGrid::RemoveItem(int row) {
    CheckCell(row, 0);
    if (Rows() == 1) {
        // The last row cannot go; it is emptied instead.
        if (auto* l = Notify()) l->GridAboutToReset();
        rows_[0] = BlankRow(cols_);
        if (auto* l = Notify()) l->GridReset();
        return;
    }
    if (auto* l = Notify()) l->RowsAboutToBeRemoved(row, row);
    rows_.erase(rows_.begin() + row);
    const bool moved = row_ >= Rows();
    if (moved) row_ = Rows() - 1, movedCurrent_ = true;
    if (auto* l = Notify()) l->RowsRemoved();
    if (auto* l = NotifyCurrent(); l && moved) l->CurrentCellChanged();
}

void LoanGrid::AppendRow(const std::string_view* texts, int count) {
    count = std::clamp(count, 0, cols_);
    // Sized once and filled in place: readers append a million of these.
    std::size_t size = static_cast<std::size_t>(cols_ - count);
    for (int c = 0; c < count; ++c)
        size += LengthSize(texts[c].size()) + texts[c].size();
    PackedRow packed(size, '\0');
    char* out = packed.data();
    for (int c = 0; c < count; ++c) {
        out = PutLength(out, texts[c].size());
        if (!texts[c].empty()) std::memcpy(out, texts[c].data(), texts[c].size());
        out += texts[c].size();
    }
    const int at = Rows();
    if (auto* l = Notify()) l->RowsAboutToBeInserted(at, at);
    rows_.push_back(std::move(packed));
    if (auto* l = Notify()) l->RowsInserted();
}

void LoanGrid::TakeRowsFrom(LoanGrid&& other) {
    if (&other == this) return;
    if (other.cols_ != cols_) throw std::invalid_argument("grids differ in their columns");
    if (auto* l = Notify()) l->GridAboutToReset();
    rows_ = std::move(other.rows_);
    if (rows_.empty()) rows_.push_back(BlankRow(cols_));
    other.rows_.assign(1, BlankRow(cols_));
    other.row_ = 0;
    row_ = std::min(row_, Rows() - 1);
    if (auto* l = Notify()) l->GridReset();
}

LoanGrid::Batch::Batch(LoanGrid& grid, Kind kind) : grid_(grid), kind_(kind) {
    if (grid_.resetDepth_ == 0 && grid_.quietDepth_ == 0) grid_.movedCurrent_ = false;
    if (kind_ == Kind::Reset) {
        if (grid_.resetDepth_++ == 0 && grid_.listener_) grid_.listener_->GridAboutToReset();
    } else {
        ++grid_.quietDepth_;
    }
}

LoanGrid::Batch::~Batch() {
    if (kind_ == Kind::Reset) {
        if (--grid_.resetDepth_ == 0 && grid_.listener_) grid_.listener_->GridReset();
    } else {
        --grid_.quietDepth_;
    }
    if (grid_.resetDepth_ == 0 && grid_.quietDepth_ == 0 && grid_.movedCurrent_ &&
        grid_.listener_) {
        grid_.movedCurrent_ = false;
        grid_.listener_->CurrentCellChanged();
    }
}

} // namespace loan
