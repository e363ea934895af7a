#pragma once

#include <optional>

class ChartGeometry;
class QPainter;

// Draws a chart where its geometry says, in the geometry's units: a painter on a widget, an
// image of any device pixel ratio, a printer page or an SVG file scales them as it does
// everything else, so the chart is sharp wherever it lands. Lines and bars are vector drawing;
// nothing is drawn into an image first.
class ChartPainter {
  public:
    // With a cursor period, the cursor's line and the loan's point at that period too.
    static void Paint(QPainter& painter, const ChartGeometry& geometry,
                      std::optional<int> cursorPeriod = std::nullopt);
};
