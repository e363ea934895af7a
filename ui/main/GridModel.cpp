#include "GridModel.h"

#include "ui/common/QtText.h"

#include <QString>

GridModel::GridModel(loan::LoanGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    grid_.SetListener(this);
}

GridModel::~GridModel() {
    grid_.SetListener(nullptr);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.Rows() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.Cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() + 1 >= grid_.Rows()) return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    return QtText::FromUtf8(grid_.TextAt(index.row() + 1, index.column()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= grid_.Cols()) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return QtText::FromUtf8(grid_.TextAt(0, section));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::GridAboutToReset() {
    pending_ = Pending::Reset;
    beginResetModel();
}

void GridModel::GridReset() {
    endResetModel();
    pending_ = Pending::None;
    // A reset forgets the view's current index; put it back where the grid has it.
    emit CurrentCellMoved();
}

void GridModel::RowsAboutToBeInserted(int first, int last) {
    if (first < 1) {
        GridAboutToReset();
        return;
    }
    pending_ = Pending::Insert;
    beginInsertRows({}, first - 1, last - 1);
}

void GridModel::RowsInserted() {
    if (pending_ == Pending::Reset) {
        GridReset();
        return;
    }
    endInsertRows();
    pending_ = Pending::None;
}

void GridModel::RowsAboutToBeRemoved(int first, int last) {
    // Removing the heading row changes the header: start over.
    if (first < 1) {
        GridAboutToReset();
        return;
    }
    pending_ = Pending::Remove;
    beginRemoveRows({}, first - 1, last - 1);
}

void GridModel::RowsRemoved() {
    if (pending_ == Pending::Reset) {
        GridReset();
        return;
    }
    endRemoveRows();
    pending_ = Pending::None;
    // The view moved its current index on its own; put it back where the grid has it.
    emit CurrentCellMoved();
}

void GridModel::CellChanged(int row, int col) {
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex at = index(row - 1, col);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void GridModel::CurrentCellChanged() {
    emit CurrentCellMoved();
}

void GridModel::ColumnWidthChanged(int col) {
    emit ColumnWidthSet(col);
}
