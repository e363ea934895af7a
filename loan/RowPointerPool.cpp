#include "RowPointerPool.h"

#include <utility>

namespace loan {

RowPointerPool::Rows RowPointerPool::Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(spare_, {});
}

void RowPointerPool::GiveBack(Rows rows) {
    rows.clear();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (rows.capacity() > spare_.capacity()) spare_.swap(rows);
    }
    // The array not kept is freed here, outside the lock.
}

void RowPointerPool::Prepare(std::size_t size) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (spare_.capacity() >= size) return;
    }
    Rows rows;
    // Written once, so every page is in memory before a snapshot needs it.
    rows.resize(size);
    GiveBack(std::move(rows));
}

} // namespace loan
