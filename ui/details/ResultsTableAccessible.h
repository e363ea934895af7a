#pragma once

#include <QAccessibleWidget>

class QLabel;
class ResultsTable;

// The results table to assistive tools: a table of five rows (named by their row headings) and
// three value columns, whose chosen row's cells are selected; selecting a row chooses it.
class ResultsTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    // Registers the interfaces of the table and its labels (once).
    static void Install();

    explicit ResultsTableAccessible(ResultsTable* table);

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    ResultsTable* Table() const;
    // The labels in reading order: the heading row, then each row's heading and cells.
    QLabel* LabelAt(int index) const;
};
