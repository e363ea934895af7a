#include "GridSnapshot.h"

#include <stdexcept>

namespace loan {

GridSnapshot::~GridSnapshot() {
    if (pool_) pool_->GiveBack(std::move(rows_));
}

const PackedRow& GridSnapshot::RowAt(int row) const {
    if (row < 0 || row >= Rows()) throw std::out_of_range("row outside the snapshot");
    return *rows_[static_cast<std::size_t>(row)];
}

std::string_view GridSnapshot::TextAt(int row, int col) const {
    if (col < 0 || col >= cols_) throw std::out_of_range("column outside the snapshot");
    return RowAt(row).Cell(col);
}

void GridSnapshot::RowTexts(int row, std::string_view* out) const {
    RowAt(row).Cells(cols_, out);
}

} // namespace loan
