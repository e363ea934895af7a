#include "ColumnHeadingDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

void ColumnHeadingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionHeader header;
    header.rect = option.rect;
    header.palette = option.palette;
    header.fontMetrics = option.fontMetrics;
    header.state = QStyle::State_Enabled | QStyle::State_Raised;
    header.orientation = Qt::Vertical;
    header.position = QStyleOptionHeader::Middle;
    style->drawControl(QStyle::CE_HeaderSection, &header, painter, option.widget);

    const bool current = option.state & QStyle::State_Selected;
    if (current) painter->fillRect(option.rect.adjusted(1, 1, -1, -1), option.palette.highlight());
    const QRect textRect = option.rect.adjusted(4, 0, -3, 0);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, textRect.width());
    painter->save();
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(current ? QPalette::HighlightedText : QPalette::ButtonText));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}
