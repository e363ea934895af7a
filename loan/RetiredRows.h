#pragma once

#include "PackedRow.h"

#include <mutex>
#include <vector>

namespace loan {

// Rows a grid has dropped or replaced while snapshots of it may still read them. The snapshots
// share one of these; the last of them to go frees the rows, on whichever thread lets go of it.
class RetiredRows {
  public:
    RetiredRows() = default;
    RetiredRows(const RetiredRows&) = delete;
    RetiredRows& operator=(const RetiredRows&) = delete;
    ~RetiredRows();

    void Add(PackedRow* row);
    // Whole rows at once, as when a table is replaced: one lock, one growth.
    void Add(PackedRow* const* rows, std::size_t count);

  private:
    std::mutex mutex_;
    std::vector<PackedRow*> rows_;
};

} // namespace loan
