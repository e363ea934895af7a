#pragma once

#include "ChartGeometry.h"

#include <QColor>
#include <QList>
#include <QPointF>

class QPainter;

// How each thing on the chart looks. The lines differ three ways, by colour, by dash and by the
// shape drawn along them, so a reader who does not tell red from green, or a grey print, still
// tells them apart: the colours are Okabe and Ito's, chosen for the colour-blind, and no two
// lines share a dash or a shape. The year bars differ in lightness as well as hue. Sizes are in
// device-independent units.
class ChartStyle {
  public:
    enum class Shape { Circle, Triangle, Square, Diamond, Cross, Plus, TriangleDown };

    struct Look {
        QColor colour;
        QList<qreal> dashes; // in pen widths, as QPen takes them; empty for a solid line
        qreal width = 1;
        Shape shape = Shape::Circle;
    };

    static Look Of(ChartGeometry::Line line);
    // A mark: a neutral outline shape; a rate change's triangle points the way the rate went.
    static Look Of(ChartGeometry::Mark mark, bool rising = true);
    static QColor Of(ChartGeometry::Swatch swatch);

    static QColor Background() { return QColor(0xff, 0xff, 0xff); }
    static QColor Text() { return QColor(0x33, 0x33, 0x33); }
    static QColor Grid() { return QColor(0xdd, 0xdd, 0xdd); }
    static QColor Axis() { return QColor(0x66, 0x66, 0x66); }
    static QColor Cursor() { return QColor(0x11, 0x11, 0x11); }

    // The shape centred on at, size units across; filled or as an outline, in the colour.
    static void DrawShape(QPainter& painter, Shape shape, QPointF at, qreal size,
                          const QColor& colour, bool filled);
};
