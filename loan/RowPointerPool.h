#pragma once

#include "PackedRow.h"

#include <cstddef>
#include <mutex>
#include <vector>

namespace loan {

// Memory for a grid's snapshots: the array of row pointers a snapshot copies (8 MB for a million
// loans) is kept between snapshots, and first made ready on another thread, so that taking a
// snapshot is a copy into memory already there. Fresh memory is the slow part: the system must
// fault in every page of it, which costs the window tens of milliseconds on a busy machine.
class RowPointerPool {
  public:
    using Rows = std::vector<const PackedRow*>;

    // The spare array, empty, with whatever room it has; an empty array when there is none.
    Rows Take();
    // Keeps rows' memory for the next snapshot, unless the spare has more room.
    void GiveBack(Rows rows);
    // Makes the spare hold room for size pointers, its memory touched on the calling thread.
    void Prepare(std::size_t size);
    // The room to make for a grid of rows rows: some more, so that a table growing by the loans
    // a user types keeps fitting.
    static std::size_t RoomFor(std::size_t rows) { return rows + rows / 8 + 64; }

  private:
    std::mutex mutex_;
    Rows spare_;
};

} // namespace loan
