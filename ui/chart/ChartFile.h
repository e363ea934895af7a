#pragma once

#include "safefile/WriteOutcome.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <optional>

namespace calc {
class LoanSchedule;
class ScheduleScenarios;
} // namespace calc

// A loan's chart as a file, PNG or SVG, with no window: what the schedule window's Export Chart
// and the command line's --chart write. It needs a QGuiApplication for its fonts, which the
// offscreen platform gives where there is no display.
class ChartFile {
  public:
    enum class Format { Png, Svg };

    struct Picture {
        QSizeF size{1000, 500}; // in units; a PNG has this many pixels times the ratio
        qreal pixelRatio = 2;   // a PNG's pixels a unit: sharp on a screen of twice the density
        bool stressed = false;  // the Variable +1% and +2% lines
    };

    // The format a file name asks for by its ending (".png", ".svg", any case); none otherwise.
    static std::optional<Format> FormatOf(const QString& path);

    // The chart's bytes: a PNG that says its density (so it shows at its size in units), or an
    // SVG whose view box is its size in units. Empty when the picture could not be made.
    static QByteArray Bytes(Format format, const calc::LoanSchedule& schedule,
                            const calc::ScheduleScenarios* scenarios, const Picture& picture);

    // Writes the chart to the path through the safe-writing layer, as the format its name asks
    // for. A name that asks for neither fails with the file as it was and a sentence saying so.
    static safefile::WriteOutcome Write(const QString& path, const calc::LoanSchedule& schedule,
                                        const calc::ScheduleScenarios* scenarios,
                                        const Picture& picture);
    static safefile::WriteOutcome Write(const QString& path, const calc::LoanSchedule& schedule,
                                        const calc::ScheduleScenarios* scenarios) {
        return Write(path, schedule, scenarios, Picture{});
    }
};
