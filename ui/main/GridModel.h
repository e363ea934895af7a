#pragma once

#include "loan/LoanGrid.h"

#include <QAbstractTableModel>

// Shows a loan::LoanGrid to Qt's views without copying it: cells are read straight from the grid,
// and the grid's change notices become the model's signals. Grid row 0 (the headings) is the
// horizontal header, so model row r is grid row r + 1.
class GridModel final : public QAbstractTableModel, private loan::LoanGridListener {
    Q_OBJECT
  public:
    explicit GridModel(loan::LoanGrid& grid, QObject* parent = nullptr);
    ~GridModel() override;

    loan::LoanGrid& Grid() const { return grid_; }
    // Between a change's begin and end signals. Views must not move the grid's current cell
    // then: the selection model moves its own current index off removed rows, which is not
    // the grid's rule.
    bool Changing() const { return pending_ != Pending::None; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  signals:
    // The grid's current cell moved (reported once per batch of moves).
    void CurrentCellMoved();
    void ColumnWidthSet(int col);

  private:
    void GridAboutToReset() override;
    void GridReset() override;
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void CellChanged(int row, int col) override;
    void CurrentCellChanged() override;
    void ColumnWidthChanged(int col) override;

    enum class Pending { None, Insert, Remove, Reset };

    loan::LoanGrid& grid_;
    Pending pending_ = Pending::None;
};
