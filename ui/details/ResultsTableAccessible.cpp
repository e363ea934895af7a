#include "ResultsTableAccessible.h"

#include "ResultsTable.h"

#include <QLabel>

namespace {

constexpr int kRows = ResultsTable::kRows;
constexpr int kColumns = ResultsTable::kColumns;
constexpr int kPerLine = kColumns + 1; // a row heading, then the row's cells

// A label of the results table: a value cell, or a row or column heading. A value cell is named
// by its value and described by its row and column ("Weekly Installment").
class ResultLabelAccessible final : public QAccessibleWidget, public QAccessibleTableCellInterface {
  public:
    ResultLabelAccessible(QLabel* label, ResultsTable* table)
        : QAccessibleWidget(label, RoleOf(label, table)), table_(table) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface && CellIndex() >= 0)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text which) const override {
        QString text = QAccessibleWidget::text(which);
        if (which == QAccessible::Name && text.isEmpty())
            text = static_cast<const QLabel*>(widget())->text();
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (CellIndex() >= 0) {
            state.selectable = true;
            state.selected = isSelected();
            state.focused = state.selected && table_->hasFocus() && CellIndex() % kColumns == 0;
        }
        return state;
    }

    bool isSelected() const override { return rowIndex() == table_->ChosenRow(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        return {QAccessible::queryAccessibleInterface(table_->Heading(1 + columnIndex()))};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override {
        return {QAccessible::queryAccessibleInterface(table_->Heading(1 + kColumns + rowIndex()))};
    }
    int columnIndex() const override { return CellIndex() % kColumns; }
    int rowIndex() const override { return CellIndex() / kColumns; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override {
        return QAccessible::queryAccessibleInterface(table_);
    }

  private:
    static QAccessible::Role RoleOf(QLabel* label, ResultsTable* table) {
        for (int h = 0; h < kRows + 4; ++h)
            if (table->Heading(h) == label)
                return h <= kColumns ? QAccessible::ColumnHeader : QAccessible::RowHeader;
        return QAccessible::Cell;
    }
    int CellIndex() const {
        for (int i = 0; i < kRows * kColumns; ++i)
            if (table_->Cell(i) == widget()) return i;
        return -1;
    }

    ResultsTable* table_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("ResultsTable"))
        return new ResultsTableAccessible(static_cast<ResultsTable*>(object));
    auto* label = qobject_cast<QLabel*>(object);
    if (!label) return nullptr;
    auto* table = qobject_cast<ResultsTable*>(label->parent());
    return table ? new ResultLabelAccessible(label, table) : nullptr;
}

} // namespace

void ResultsTableAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

ResultsTableAccessible::ResultsTableAccessible(ResultsTable* table)
    : QAccessibleWidget(table, QAccessible::Table) {}

ResultsTable* ResultsTableAccessible::Table() const {
    return static_cast<ResultsTable*>(widget());
}

void* ResultsTableAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QLabel* ResultsTableAccessible::LabelAt(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    const int line = index / kPerLine, place = index % kPerLine;
    if (line == 0) return Table()->Heading(place);
    return place == 0 ? Table()->Heading(kColumns + line)
                      : Table()->Cell(kColumns * (line - 1) + place - 1);
}

int ResultsTableAccessible::childCount() const {
    return Table()->Cell(0) ? (kRows + 1) * kPerLine : 0;
}

QAccessibleInterface* ResultsTableAccessible::child(int index) const {
    QLabel* label = LabelAt(index);
    return label ? QAccessible::queryAccessibleInterface(label) : nullptr;
}

int ResultsTableAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; child && i < childCount(); ++i)
        if (LabelAt(i) == child->object()) return i;
    return -1;
}

QAccessibleInterface* ResultsTableAccessible::focusChild() const {
    const int row = Table()->ChosenRow();
    if (!Table()->hasFocus() || row < 0) return nullptr;
    return cellAt(row, 0);
}

QAccessibleInterface* ResultsTableAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns || !Table()->Cell(0))
        return nullptr;
    return QAccessible::queryAccessibleInterface(Table()->Cell(kColumns * row + column));
}

int ResultsTableAccessible::selectedCellCount() const {
    return selectedRowCount() * kColumns;
}

QList<QAccessibleInterface*> ResultsTableAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows())
        for (int c = 0; c < kColumns; ++c)
            cells << cellAt(row, c);
    return cells;
}

QString ResultsTableAccessible::columnDescription(int column) const {
    QLabel* heading = column >= 0 && column < kColumns ? Table()->Heading(1 + column) : nullptr;
    return heading ? heading->text() : QString();
}

QString ResultsTableAccessible::rowDescription(int row) const {
    QLabel* heading = row >= 0 && row < kRows ? Table()->Heading(1 + kColumns + row) : nullptr;
    return heading ? heading->text() : QString();
}

int ResultsTableAccessible::selectedRowCount() const {
    return Table()->ChosenRow() >= 0 ? 1 : 0;
}

int ResultsTableAccessible::columnCount() const {
    return kColumns;
}

int ResultsTableAccessible::rowCount() const {
    return kRows;
}

QList<int> ResultsTableAccessible::selectedRows() const {
    if (Table()->ChosenRow() < 0) return {};
    return {Table()->ChosenRow()};
}

bool ResultsTableAccessible::isRowSelected(int row) const {
    return row >= 0 && row == Table()->ChosenRow();
}

// Selecting a row is choosing it, as a click on it would.
bool ResultsTableAccessible::selectRow(int row) {
    if (row < 0 || row >= kRows) return false;
    emit Table()->RowPicked(row);
    return true;
}
