#pragma once

#include <QTableView>

class GridModel;

// The grid control: a table view over a GridModel whose first column is fixed, drawn like the
// headings and not scrolled (a second view over the same model lies over it, sharing the
// selection). The view's current cell and the grid's are kept in step both ways.
class LoanGridView final : public QTableView {
    Q_OBJECT
  public:
    LoanGridView(GridModel& model, QWidget* parent = nullptr);
    ~LoanGridView() override;

    GridModel& Model() const { return model_; }
    QTableView* FixedColumn() const { return fixed_; }

    // Keeps the fixed column in place: only the rows and the scrolling columns move.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QRect visualRect(const QModelIndex& index) const override;

  signals:
    // After the click has made the cell current.
    void DblClick();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;

  private:
    void ApplyColumnWidth(int col);
    void FollowGrid();
    void ViewCurrentChanged(const QModelIndex& current);
    void PlaceFixedColumn();
    int FixedWidth() const;

    GridModel& model_;
    QTableView* fixed_;
    bool following_ = false;
    bool focusing_ = false;
};
