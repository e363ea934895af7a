#include "ChartStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

ChartStyle::Look ChartStyle::Of(ChartGeometry::Line line) {
    using Line = ChartGeometry::Line;
    switch (line) {
    case Line::Loan:
        return {QColor(0x00, 0x72, 0xb2), {}, 2.5, Shape::Circle};
    case Line::Variable:
        return {QColor(0xd5, 0x5e, 0x00), {4, 2, 1, 2}, 2, Shape::Triangle};
    case Line::Fixed:
        return {QColor(0x00, 0x9e, 0x73), {1, 1.5}, 2, Shape::Square};
    case Line::WithoutExtras:
        return {QColor(0xcc, 0x79, 0xa7), {5, 3}, 2, Shape::Diamond};
    case Line::PlusOne:
        return {QColor(0x8a, 0x6d, 0x00), {8, 2, 1, 2, 1, 2}, 1.75, Shape::Cross};
    case Line::PlusTwo:
        return {QColor(0x88, 0x22, 0x55), {12, 4}, 1.75, Shape::Plus};
    }
    return {};
}

ChartStyle::Look ChartStyle::Of(ChartGeometry::Mark mark, bool rising) {
    using Mark = ChartGeometry::Mark;
    const QColor neutral(0x44, 0x44, 0x44);
    switch (mark) {
    case Mark::RateChange:
        return {neutral, {2, 3}, 1, rising ? Shape::Triangle : Shape::TriangleDown};
    case Mark::FixedPeriodEnd:
        return {neutral, {2, 3}, 1, Shape::Square};
    case Mark::LumpSum:
        return {neutral, {2, 3}, 1, Shape::Circle};
    }
    return {};
}

QColor ChartStyle::Of(ChartGeometry::Swatch swatch) {
    // A full orange over a pale blue: apart in lightness too, for a grey print.
    return swatch == ChartGeometry::Swatch::Interest ? QColor(0xe6, 0x9f, 0x00)
                                                     : QColor(0xa6, 0xd3, 0xf0);
}

void ChartStyle::DrawShape(QPainter& painter, Shape shape, QPointF at, qreal size,
                           const QColor& colour, bool filled) {
    const qreal r = size / 2;
    painter.save();
    painter.setPen(QPen(colour, filled ? 1 : 1.25));
    painter.setBrush(filled ? QBrush(colour) : QBrush(ChartStyle::Background()));
    switch (shape) {
    case Shape::Circle:
        painter.drawEllipse(at, r * 0.85, r * 0.85);
        break;
    case Shape::Square:
        painter.drawRect(QRectF(at.x() - r * 0.8, at.y() - r * 0.8, r * 1.6, r * 1.6));
        break;
    case Shape::Diamond:
        painter.drawPolygon(QPolygonF({QPointF(at.x(), at.y() - r), QPointF(at.x() + r, at.y()),
                                       QPointF(at.x(), at.y() + r), QPointF(at.x() - r, at.y())}));
        break;
    case Shape::Triangle:
        painter.drawPolygon(QPolygonF({QPointF(at.x(), at.y() - r),
                                       QPointF(at.x() + r, at.y() + r * 0.8),
                                       QPointF(at.x() - r, at.y() + r * 0.8)}));
        break;
    case Shape::TriangleDown:
        painter.drawPolygon(QPolygonF({QPointF(at.x(), at.y() + r),
                                       QPointF(at.x() + r, at.y() - r * 0.8),
                                       QPointF(at.x() - r, at.y() - r * 0.8)}));
        break;
    case Shape::Cross:
    case Shape::Plus: {
        painter.setPen(QPen(colour, size / 4, Qt::SolidLine, Qt::FlatCap));
        const qreal d = shape == Shape::Cross ? r * 0.8 : r;
        if (shape == Shape::Cross) {
            painter.drawLine(QPointF(at.x() - d, at.y() - d), QPointF(at.x() + d, at.y() + d));
            painter.drawLine(QPointF(at.x() - d, at.y() + d), QPointF(at.x() + d, at.y() - d));
        } else {
            painter.drawLine(QPointF(at.x() - d, at.y()), QPointF(at.x() + d, at.y()));
            painter.drawLine(QPointF(at.x(), at.y() - d), QPointF(at.x(), at.y() + d));
        }
        break;
    }
    }
    painter.restore();
}
