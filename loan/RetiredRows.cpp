#include "RetiredRows.h"

namespace loan {

RetiredRows::~RetiredRows() {
    for (PackedRow* row : rows_)
        PackedRow::Free(row);
}

void RetiredRows::Add(PackedRow* row) {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
        rows_.push_back(row);
    } catch (...) {
        // Without room to keep it the row cannot be kept safe for the snapshot; leaking it is
        // the only choice that cannot corrupt what a snapshot reads.
    }
}

void RetiredRows::Add(PackedRow* const* rows, std::size_t count) {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
        rows_.insert(rows_.end(), rows, rows + count);
    } catch (...) {
        // As above: kept for good rather than freed under a reader.
    }
}

} // namespace loan
