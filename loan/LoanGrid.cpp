#include "LoanGrid.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>

namespace loan {

namespace {
int CheckedCols(int cols) {
    if (cols < 1) throw std::invalid_argument("LoanGrid needs at least one column");
    return cols;
}
} // namespace

// The column count is checked before widths_ is sized from it.
LoanGrid::LoanGrid(int cols, int rows)
    : cols_(CheckedCols(cols)), widths_(static_cast<std::size_t>(cols_), 0) {
    const auto count = static_cast<std::size_t>(std::max(rows, 1));
    rows_.reserve(count);
    try {
        for (std::size_t r = 0; r < count; ++r)
            rows_.push_back(BlankRow());
    } catch (...) {
        ReleaseAll();
        throw;
    }
}

LoanGrid::~LoanGrid() {
    ReleaseAll();
}

LoanGrid::LoanGrid(const LoanGrid& other)
    : cols_(other.cols_), widths_(other.widths_), row_(other.row_), col_(other.col_),
      listener_(other.listener_), resetDepth_(other.resetDepth_), quietDepth_(other.quietDepth_),
      movedCurrent_(other.movedCurrent_) {
    rows_.reserve(other.rows_.size());
    try {
        for (const PackedRow* row : other.rows_)
            rows_.push_back(PackedRow::Copy(*row, epoch_));
    } catch (...) {
        ReleaseAll();
        throw;
    }
}

LoanGrid& LoanGrid::operator=(const LoanGrid& other) {
    if (&other != this) *this = LoanGrid(other);
    return *this;
}

LoanGrid::LoanGrid(LoanGrid&& other) noexcept
    : cols_(other.cols_), rows_(std::move(other.rows_)), epoch_(other.epoch_),
      retired_(std::move(other.retired_)), pool_(std::move(other.pool_)),
      widths_(std::move(other.widths_)), row_(other.row_), col_(other.col_),
      listener_(other.listener_), resetDepth_(other.resetDepth_), quietDepth_(other.quietDepth_),
      movedCurrent_(other.movedCurrent_) {
    other.rows_.clear();
}

LoanGrid& LoanGrid::operator=(LoanGrid&& other) noexcept {
    if (&other == this) return *this;
    ReleaseAll();
    cols_ = other.cols_;
    rows_ = std::move(other.rows_);
    other.rows_.clear();
    // The rows keep their age, which only other's count of snapshots can read.
    epoch_ = other.epoch_;
    retired_ = std::move(other.retired_);
    pool_ = std::move(other.pool_);
    widths_ = std::move(other.widths_);
    row_ = other.row_;
    col_ = other.col_;
    listener_ = other.listener_;
    resetDepth_ = other.resetDepth_;
    quietDepth_ = other.quietDepth_;
    movedCurrent_ = other.movedCurrent_;
    return *this;
}

GridSnapshot LoanGrid::Snapshot() {
    std::shared_ptr<RetiredRows> keep = retired_.lock();
    if (!keep) {
        keep = std::make_shared<RetiredRows>();
        retired_ = keep;
    }
    RowPointerPool::Rows rows = Pool().Take();
    if (rows.capacity() < rows_.size()) rows.reserve(RowPointerPool::RoomFor(rows_.size()));
    rows.assign(rows_.begin(), rows_.end());
    // Every row there is now is the snapshot's too; rows made from here on are not.
    ++epoch_;
    return GridSnapshot(cols_, std::move(rows), std::move(keep), pool_);
}

std::function<void()> LoanGrid::SnapshotRoom() {
    Pool();
    const std::shared_ptr<RowPointerPool> pool = pool_;
    const std::size_t room = RowPointerPool::RoomFor(rows_.size());
    return [pool, room] { pool->Prepare(room); };
}

RowPointerPool& LoanGrid::Pool() {
    if (!pool_) pool_ = std::make_shared<RowPointerPool>();
    return *pool_;
}

bool LoanGrid::Shared(const PackedRow* row) {
    if (row->Born() >= epoch_) return false;
    if (!retired_.expired()) return true;
    // The last snapshot's reads all happened before it let go of the rows it kept.
    std::atomic_thread_fence(std::memory_order_acquire);
    return false;
}

void LoanGrid::Release(PackedRow* const* rows, std::size_t count) {
    if (count == 0) return;
    if (std::shared_ptr<RetiredRows> keep = retired_.lock()) {
        // Rows made since the latest snapshot are in none: freed now. The rest wait for the
        // snapshots, in one go when they come as a block (a table replaced).
        std::size_t first = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (rows[i]->Born() < epoch_) continue;
            if (first < i) keep->Add(rows + first, i - first);
            PackedRow::Free(rows[i]);
            first = i + 1;
        }
        if (first < count) keep->Add(rows + first, count - first);
        return;
    }
    // The last snapshot's reads all happened before it let go of the rows it kept.
    std::atomic_thread_fence(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i)
        PackedRow::Free(rows[i]);
}

void LoanGrid::ReleaseAll() {
    Release(rows_.data(), rows_.size());
    rows_.clear();
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
        rows_.reserve(static_cast<std::size_t>(n));
        while (Rows() < n)
            rows_.push_back(BlankRow());
        if (auto* l = Notify()) l->RowsInserted();
    } else {
        if (auto* l = Notify()) l->RowsAboutToBeRemoved(n, old - 1);
        Release(rows_.data() + n, static_cast<std::size_t>(old - n));
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
    return rows_[static_cast<std::size_t>(row)]->Cell(col);
}

void LoanGrid::SetTextAt(int row, int col, std::string_view text) {
    CheckCell(row, col);
    PackedRow*& packed = rows_[static_cast<std::size_t>(row)];
    PackedRow* changed = packed->WithCell(col, text, !Shared(packed), epoch_);
    if (!changed) return;
    if (changed != packed) {
        Release(&packed, 1);
        packed = changed;
    }
    if (auto* l = Notify()) l->CellChanged(row, col);
}

bool LoanGrid::RowIsBlank(int row) const {
    CheckCell(row, 0);
    return rows_[static_cast<std::size_t>(row)]->IsBlank();
}

void LoanGrid::RowTexts(int row, std::string_view* out) const {
    CheckCell(row, 0);
    rows_[static_cast<std::size_t>(row)]->Cells(cols_, out);
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
        PackedRow* blank = BlankRow();
        Release(&rows_[0], 1);
        rows_[0] = blank;
        if (auto* l = Notify()) l->GridReset();
        return;
    }
    if (auto* l = Notify()) l->RowsAboutToBeRemoved(row, row);
    Release(&rows_[static_cast<std::size_t>(row)], 1);
    rows_.erase(rows_.begin() + row);
    const bool moved = row_ >= Rows();
    if (moved) row_ = Rows() - 1, movedCurrent_ = true;
    if (auto* l = Notify()) l->RowsRemoved();
    if (auto* l = NotifyCurrent(); l && moved) l->CurrentCellChanged();
}

void LoanGrid::AppendRow(const std::string_view* texts, int count) {
    // Room first, so a failure leaves no row unowned; growing as push_back would.
    if (rows_.size() == rows_.capacity()) rows_.reserve(std::max<std::size_t>(8, 2 * rows_.size()));
    PackedRow* packed = PackedRow::Make(texts, count, cols_, epoch_);
    const int at = Rows();
    if (auto* l = Notify()) l->RowsAboutToBeInserted(at, at);
    rows_.push_back(packed);
    if (auto* l = Notify()) l->RowsInserted();
}

void LoanGrid::TakeRowsFrom(LoanGrid&& other) {
    if (&other == this) return;
    if (other.cols_ != cols_) throw std::invalid_argument("grids differ in their columns");
    PackedRow* blank = other.BlankRow();
    if (auto* l = Notify()) l->GridAboutToReset();
    ReleaseAll();
    rows_ = std::move(other.rows_);
    // The rows keep their age, which only other's count of snapshots can read.
    epoch_ = other.epoch_;
    retired_ = other.retired_;
    other.rows_.clear();
    other.rows_.push_back(blank);
    other.row_ = 0;
    if (rows_.empty()) rows_.push_back(BlankRow());
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
