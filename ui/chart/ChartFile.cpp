#include "ChartFile.h"

#include "ChartGeometry.h"
#include "ChartPainter.h"

#include "loan/UserFolders.h"
#include "safefile/SafeFile.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cmath>

namespace {

// A font the same in every file, whatever the desktop's: its size in units, not points, so
// a PNG, an SVG and a printed page measure its texts alike.
QFont ChartFont() {
    QFont font = QGuiApplication::font();
    font.setPixelSize(13);
    return font;
}

ChartGeometry Layout(const calc::LoanSchedule& schedule, const calc::ScheduleScenarios* scenarios,
                     const ChartFile::Picture& picture) {
    ChartGeometry::Options options;
    options.size = picture.size;
    options.font = ChartFont();
    options.stressed = picture.stressed;
    return ChartGeometry(schedule, scenarios, options);
}

QByteArray Png(const ChartGeometry& geometry, const ChartFile::Picture& picture) {
    const QSize pixels(static_cast<int>(std::ceil(picture.size.width() * picture.pixelRatio)),
                       static_cast<int>(std::ceil(picture.size.height() * picture.pixelRatio)));
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.setDevicePixelRatio(picture.pixelRatio);
    // 96 dots an inch a unit, as a screen of that ratio has.
    const int dotsPerMeter = static_cast<int>(std::lround(96 / 0.0254 * picture.pixelRatio));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&image);
        ChartPainter::Paint(painter, geometry);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return bytes;
}

QByteArray Svg(const ChartGeometry& geometry, const ChartFile::Picture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(96);
    svg.setSize(picture.size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), picture.size));
    svg.setTitle(QStringLiteral("Repayment chart"));
    {
        QPainter painter;
        if (!painter.begin(&svg)) return {};
        ChartPainter::Paint(painter, geometry);
    }
    return bytes;
}

} // namespace

std::optional<ChartFile::Format> ChartFile::FormatOf(const QString& path) {
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) return Format::Png;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) return Format::Svg;
    return std::nullopt;
}

QByteArray ChartFile::Bytes(Format format, const calc::LoanSchedule& schedule,
                            const calc::ScheduleScenarios* scenarios, const Picture& picture) {
    // Fonts need the GUI side of Qt: under a bare QCoreApplication measuring a text would abort.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
    const ChartGeometry geometry = Layout(schedule, scenarios, picture);
    return format == Format::Png ? Png(geometry, picture) : Svg(geometry, picture);
}

safefile::WriteOutcome ChartFile::Write(const QString& path, const calc::LoanSchedule& schedule,
                                        const calc::ScheduleScenarios* scenarios,
                                        const Picture& picture) {
    const std::optional<Format> format = FormatOf(path);
    if (!format) {
        safefile::WriteOutcome refused;
        refused.state = safefile::WriteState::FailedAsItWas;
        refused.error = "A chart is saved as a .png or an .svg file";
        return refused;
    }
    const QByteArray bytes = Bytes(*format, schedule, scenarios, picture);
    if (bytes.isEmpty()) {
        safefile::WriteOutcome failed;
        failed.state = safefile::WriteState::FailedAsItWas;
        failed.error = "The chart could not be drawn";
        return failed;
    }
    const safefile::BackupStore backups =
        loan::UserFolders::Backups(*format == Format::Png ? ".png" : ".svg");
    return safefile::SafeFile::Write(QFile::encodeName(path).toStdString(),
                                     std::string_view(bytes.constData(),
                                                      static_cast<std::size_t>(bytes.size())),
                                     {backups});
}
