#pragma once

#include "PackedRow.h"
#include "RetiredRows.h"
#include "RowPointerPool.h"

#include <memory>
#include <string_view>
#include <vector>

namespace loan {

// The cells of a LoanGrid as they were when it was taken, for another thread to read while the
// grid goes on changing. Taking one costs a copy of the row pointers, not of the rows: the grid
// leaves the rows it shares with it as they are, and keeps those it drops or replaces until the
// last snapshot is gone. Read-only, so any thread may read it; copies share the same rows.
class GridSnapshot {
  public:
    GridSnapshot() = default;
    GridSnapshot(int cols, RowPointerPool::Rows rows, std::shared_ptr<RetiredRows> keep,
                 std::shared_ptr<RowPointerPool> pool)
        : cols_(cols), rows_(std::move(rows)), keep_(std::move(keep)), pool_(std::move(pool)) {}
    // Its array of row pointers goes back to the grid's pool for the next snapshot.
    ~GridSnapshot();
    GridSnapshot(const GridSnapshot&) = default;
    GridSnapshot& operator=(const GridSnapshot&) = default;
    GridSnapshot(GridSnapshot&&) = default;
    GridSnapshot& operator=(GridSnapshot&&) = default;

    int Rows() const { return static_cast<int>(rows_.size()); }
    int Cols() const { return cols_; }
    // Throws std::out_of_range outside the snapshot.
    std::string_view TextAt(int row, int col) const;
    // All Cols() texts of a row in one walk.
    void RowTexts(int row, std::string_view* out) const;

  private:
    const PackedRow& RowAt(int row) const;

    int cols_ = 0;
    RowPointerPool::Rows rows_;
    std::shared_ptr<RetiredRows> keep_;
    std::shared_ptr<RowPointerPool> pool_;
};

} // namespace loan
