#pragma once

#include "GridSnapshot.h"
#include "PackedRow.h"
#include "RetiredRows.h"
#include "RowPointerPool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace loan {

// Told about every change of a LoanGrid, so a view can follow it without copying the cells.
// "AboutTo" calls come before the change, the others after it.
class LoanGridListener {
  public:
    virtual ~LoanGridListener() = default;
    virtual void GridAboutToReset() {}
    virtual void GridReset() {}
    virtual void RowsAboutToBeInserted(int /*first*/, int /*last*/) {}
    virtual void RowsInserted() {}
    virtual void RowsAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void RowsRemoved() {}
    virtual void CellChanged(int /*row*/, int /*col*/) {}
    virtual void CurrentCellChanged() {}
    virtual void ColumnWidthChanged(int /*col*/) {}
};

// A table of text cells with a current cell, the only copy of the loan data.
// Row 0 is the heading row; it can be made current like any other row.
// Each row is packed into one block (length-prefixed cells), so a million loans
// cost about one small allocation each and a cell read is a short walk.
class LoanGrid {
  public:
    explicit LoanGrid(int cols = 13, int rows = 2);
    ~LoanGrid();
    // A copy has rows of its own; its listener is the same.
    LoanGrid(const LoanGrid& other);
    LoanGrid& operator=(const LoanGrid& other);
    LoanGrid(LoanGrid&& other) noexcept;
    LoanGrid& operator=(LoanGrid&& other) noexcept;

    int Rows() const { return static_cast<int>(rows_.size()); }
    // Keeps rows 0..n-1, adds blank rows or drops the rows past n-1. At least one row stays.
    void SetRows(int n);
    int Cols() const { return cols_; }

    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col);

    std::string_view Text() const { return TextAt(row_, col_); }
    void SetText(std::string_view text) { SetTextAt(row_, col_, text); }

    // Direct access for views and bulk work; does not move the current cell.
    std::string_view TextAt(int row, int col) const;
    void SetTextAt(int row, int col, std::string_view text);
    bool RowIsBlank(int row) const;
    // All Cols() texts of a row in one walk; the views last until the row is next changed.
    void RowTexts(int row, std::string_view* out) const;

    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);

    // Deletes one row; the rows below move up. The current row stays in range.
    void RemoveItem(int row);

    // Appends one row from cols() texts (missing ones blank); for readers that build a fresh grid.
    void AppendRow(const std::string_view* texts, int count);
    void Reserve(int rows) { rows_.reserve(static_cast<std::size_t>(rows)); }
    // Takes the rows of other (its current cell becomes row 0, column 0 here is kept in range).
    void TakeRowsFrom(LoanGrid&& other);

    void SetListener(LoanGridListener* listener) { listener_ = listener; }

    // The cells as they are now, for another thread to read while this grid goes on changing
    // (the recovery copy is written from one). Costs a copy of the row pointers; while any
    // snapshot lives, a change to a row it holds replaces that row rather than writing into it.
    GridSnapshot Snapshot();
    // A job for another thread: room made there for a snapshot of the grid as big as it is now,
    // so that the snapshot, when it is taken, does not stop this thread for fresh memory.
    std::function<void()> SnapshotRoom();

    // Groups many changes into one for the listener. A Reset batch is heard as one reset around
    // all of it (for rebuilding the table); a Quiet batch passes data changes on as they come but
    // reports the current cell once, at its end (for scans that walk the current row).
    class Batch {
      public:
        enum class Kind { Reset, Quiet };
        Batch(LoanGrid& grid, Kind kind);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        LoanGrid& grid_;
        Kind kind_;
    };

  private:
    PackedRow* BlankRow() const { return PackedRow::Blank(cols_, epoch_); }
    // A snapshot may hold row: it must be replaced, not changed where it stands.
    bool Shared(const PackedRow* row);
    // Frees the rows, or keeps them for the snapshots that may still read them.
    void Release(PackedRow* const* rows, std::size_t count);
    void ReleaseAll();
    void CheckCell(int row, int col) const;
    LoanGridListener* Notify() const { return resetDepth_ == 0 ? listener_ : nullptr; }
    LoanGridListener* NotifyCurrent() const { return quietDepth_ == 0 ? Notify() : nullptr; }

    int cols_;
    std::vector<PackedRow*> rows_; // owned
    // Rows born before the latest snapshot may be shared with it (PackedRow::Born).
    std::uint64_t epoch_ = 0;
    // Where rows the snapshots may still read go; empty once no snapshot lives.
    std::weak_ptr<RetiredRows> retired_;
    // The snapshots' arrays of row pointers, made at the first snapshot.
    std::shared_ptr<RowPointerPool> pool_;
    RowPointerPool& Pool();
    std::vector<int> widths_;
    int row_ = 0;
    int col_ = 0;
    LoanGridListener* listener_ = nullptr;
    int resetDepth_ = 0;
    int quietDepth_ = 0;
    bool movedCurrent_ = false;
};

} // namespace loan
