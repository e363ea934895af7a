#pragma once

#include <QStyledItemDelegate>

// Draws cells like header sections: the fixed first column reads as the rows' labels.
class ColumnHeadingDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
