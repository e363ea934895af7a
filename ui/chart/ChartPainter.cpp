#include "ChartPainter.h"

#include "ChartGeometry.h"
#include "ChartStyle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// A line one unit wide on the middle of a unit, so it covers whole pixels at 1x and at 2x
// rather than two half-lit ones.
double Crisp(double v) {
    return std::floor(v) + 0.5;
}

QPen LinePen(const ChartStyle::Look& look) {
    QPen pen(look.colour, look.width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    if (!look.dashes.isEmpty()) pen.setDashPattern(look.dashes);
    return pen;
}

void DrawGrid(QPainter& p, const ChartGeometry& g) {
    const QFontMetricsF metrics(g.Font());
    const double tick = 0.35 * metrics.height();
    p.setPen(QPen(ChartStyle::Grid(), 1));
    for (const auto* ticks : {&g.BalanceTicks(), &g.BarTicks()}) {
        const QRectF& area = ticks == &g.BalanceTicks() ? g.PlotArea() : g.BarArea();
        for (const ChartGeometry::Tick& t : *ticks)
            p.drawLine(QPointF(area.left(), Crisp(t.at)), QPointF(area.right(), Crisp(t.at)));
    }
    for (const ChartGeometry::Tick& t : g.TimeTicks()) {
        p.drawLine(QPointF(Crisp(t.at), g.PlotArea().top()), QPointF(Crisp(t.at), g.PlotArea().bottom()));
        p.drawLine(QPointF(Crisp(t.at), g.BarArea().top()), QPointF(Crisp(t.at), g.BarArea().bottom()));
    }

    p.setPen(QPen(ChartStyle::Axis(), 1));
    for (const QRectF& area : {g.PlotArea(), g.BarArea()}) {
        p.drawLine(QPointF(Crisp(area.left()), area.top()), QPointF(Crisp(area.left()), area.bottom()));
        p.drawLine(QPointF(area.left(), Crisp(area.bottom())), QPointF(area.right(), Crisp(area.bottom())));
    }
    for (const ChartGeometry::Tick& t : g.TimeTicks())
        p.drawLine(QPointF(Crisp(t.at), g.BarArea().bottom()),
                   QPointF(Crisp(t.at), g.BarArea().bottom() + tick));

    p.setPen(ChartStyle::Text());
    const double h = metrics.height();
    for (const auto* ticks : {&g.BalanceTicks(), &g.BarTicks()}) {
        const double left = g.PlotArea().left() - tick;
        for (const ChartGeometry::Tick& t : *ticks)
            p.drawText(QRectF(0, t.at - h / 2, left, h), Qt::AlignRight | Qt::AlignVCenter, t.label);
    }
    for (const ChartGeometry::Tick& t : g.TimeTicks()) {
        const double w = metrics.horizontalAdvance(t.label);
        p.drawText(QRectF(t.at - w / 2 - 1, g.TimeLabelTop(), w + 2, h), Qt::AlignCenter, t.label);
    }
    if (!g.TimeCaption().isEmpty())
        p.drawText(g.TimeCaptionRect(), Qt::AlignLeft | Qt::AlignVCenter, g.TimeCaption());
    p.drawText(g.PlotCaptionAt(), g.PlotCaption());
    p.drawText(g.BarCaptionAt(), g.BarCaption());
}

void DrawBars(QPainter& p, const ChartGeometry& g) {
    p.setPen(Qt::NoPen);
    for (const ChartGeometry::Swatch swatch :
         {ChartGeometry::Swatch::Interest, ChartGeometry::Swatch::Principal}) {
        p.setBrush(ChartStyle::Of(swatch));
        for (const ChartGeometry::YearBar& bar : g.Bars())
            p.drawRect(swatch == ChartGeometry::Swatch::Interest ? bar.interest : bar.principal);
    }
}

void DrawMarker(QPainter& p, const ChartGeometry::Marker& m, const QRectF& plot, const QRectF& bars,
                double size) {
    const ChartStyle::Look look = ChartStyle::Of(m.mark, m.rising);
    QPen pen(look.colour, look.width, Qt::SolidLine, Qt::FlatCap);
    pen.setDashPattern(look.dashes);
    p.setPen(pen);
    const double x = Crisp(m.x);
    p.drawLine(QPointF(x, plot.top() + size), QPointF(x, plot.bottom()));
    p.drawLine(QPointF(x, bars.top()), QPointF(x, bars.bottom()));
    ChartStyle::DrawShape(p, look.shape, QPointF(m.x, plot.top() + size / 2), size, look.colour,
                          false);
}

void DrawLines(QPainter& p, const ChartGeometry& g, double shapeSize) {
    p.save();
    // A line at $0 lies on the axis: clipped a little below it so it shows whole.
    p.setClipRect(g.PlotArea().adjusted(-shapeSize, -shapeSize, shapeSize, shapeSize));
    // The plan's own line last, over the others.
    const auto& all = g.AllSeries();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const ChartStyle::Look look = ChartStyle::Of(it->line);
        p.setPen(LinePen(look));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(it->drawn);
        for (const QPointF& at : it->shapes)
            ChartStyle::DrawShape(p, look.shape, at, shapeSize, look.colour, true);
    }
    p.restore();
}

void DrawLegend(QPainter& p, const ChartGeometry& g, double shapeSize) {
    for (const ChartGeometry::LegendEntry& e : g.Legend()) {
        const QPointF centre = e.sample.center();
        if (const auto* line = std::get_if<ChartGeometry::Line>(&e.what)) {
            const ChartStyle::Look look = ChartStyle::Of(*line);
            p.setPen(LinePen(look));
            p.drawLine(QPointF(e.sample.left(), centre.y()), QPointF(e.sample.right(), centre.y()));
            ChartStyle::DrawShape(p, look.shape, centre, shapeSize, look.colour, true);
        } else if (const auto* swatch = std::get_if<ChartGeometry::Swatch>(&e.what)) {
            p.setPen(Qt::NoPen);
            p.setBrush(ChartStyle::Of(*swatch));
            p.drawRect(QRectF(e.sample.left() + e.sample.width() / 4, e.sample.top(),
                              e.sample.width() / 2, e.sample.height()));
        } else {
            const auto mark = std::get<ChartGeometry::Mark>(e.what);
            const ChartStyle::Look look = ChartStyle::Of(mark);
            QPen pen(look.colour, look.width, Qt::SolidLine, Qt::FlatCap);
            pen.setDashPattern(look.dashes);
            p.setPen(pen);
            p.drawLine(QPointF(Crisp(centre.x()), e.sample.top()), QPointF(Crisp(centre.x()), e.sample.bottom()));
            ChartStyle::DrawShape(p, look.shape, centre, shapeSize, look.colour, false);
        }
        p.setPen(ChartStyle::Text());
        p.drawText(e.text, Qt::AlignLeft | Qt::AlignVCenter, e.label);
    }
}

void DrawCursor(QPainter& p, const ChartGeometry& g, int period, double shapeSize) {
    const std::optional<ChartGeometry::Cursor> cursor = g.CursorAt(period);
    if (!cursor) return;
    const double x = Crisp(cursor->at.x());
    p.setPen(QPen(ChartStyle::Cursor(), 1));
    p.drawLine(QPointF(x, g.PlotArea().top()), QPointF(x, g.PlotArea().bottom()));
    p.drawLine(QPointF(x, g.BarArea().top()), QPointF(x, g.BarArea().bottom()));
    p.setPen(QPen(ChartStyle::Cursor(), 1.5));
    p.setBrush(ChartStyle::Background());
    p.drawEllipse(cursor->at, shapeSize * 0.7, shapeSize * 0.7);
}

} // namespace

void ChartPainter::Paint(QPainter& painter, const ChartGeometry& g, std::optional<int> cursorPeriod) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(g.Font());
    painter.fillRect(g.Bounds(), ChartStyle::Background());
    const double shapeSize = std::max(6.0, 0.6 * QFontMetricsF(g.Font()).height());

    DrawGrid(painter, g);
    DrawBars(painter, g);
    for (const ChartGeometry::Marker& m : g.Markers())
        DrawMarker(painter, m, g.PlotArea(), g.BarArea(), shapeSize);
    DrawLines(painter, g, shapeSize);
    DrawLegend(painter, g, shapeSize);
    if (cursorPeriod) DrawCursor(painter, g, *cursorPeriod, shapeSize);
    painter.restore();
}
