// The chart drawn: each line and bar in its colour, the same picture at twice the pixels on a
// 2x image, and the PNG and SVG files written through the safe-writing layer.
#include "ChartLoans.h"

#include "calc/ScheduleScenarios.h"
#include "ui/chart/ChartFile.h"
#include "ui/chart/ChartGeometry.h"
#include "ui/chart/ChartPainter.h"
#include "ui/chart/ChartStyle.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Geometry = ChartGeometry;

Geometry::Options Options(QSizeF size) {
    Geometry::Options options;
    options.size = size;
    options.font = QGuiApplication::font();
    options.font.setPixelSize(13);
    options.stressed = true;
    return options;
}

QImage Draw(const Geometry& g, qreal ratio, std::optional<int> cursor = std::nullopt) {
    const QSize pixels = (g.Bounds().size() * ratio).toSize();
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    QPainter painter(&image);
    ChartPainter::Paint(painter, g, cursor);
    return image;
}

// How many pixels have exactly the colour, in a region of the image (in pixels).
int Count(const QImage& image, const QColor& colour, QRect region = {}) {
    if (region.isNull()) region = image.rect();
    region &= image.rect();
    const QRgb wanted = colour.rgb();
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            n += image.pixel(x, y) == wanted;
    return n;
}

QRect Scaled(const QRectF& units, qreal ratio) {
    return QRectF(units.topLeft() * ratio, units.size() * ratio).toAlignedRect();
}

// Every line of the busy loan and its scenarios, both bar halves.
struct Drawn {
    calc::LoanSchedule schedule = ChartLoans::Busy(true);
    calc::ScheduleScenarios scenarios{schedule};
};

} // namespace

class ChartRenderTest : public QObject {
    Q_OBJECT

  private slots:
    // Each line's colour is in its panel, each bar half's in the bar panel; nothing is left
    // undrawn.
    void eachSeriesInItsColour() {
        const Drawn d;
        const Geometry g(d.schedule, &d.scenarios, Options({800, 400}));
        QCOMPARE(g.AllSeries().size(), std::size_t{6});
        const QImage image = Draw(g, 1);
        QCOMPARE(Count(image, Qt::black), 0);
        for (const Geometry::Series& s : g.AllSeries())
            QVERIFY2(Count(image, ChartStyle::Of(s.line).colour, Scaled(g.PlotArea(), 1)) > 20,
                     qPrintable(s.name));
        for (const auto swatch : {Geometry::Swatch::Interest, Geometry::Swatch::Principal})
            QVERIFY(Count(image, ChartStyle::Of(swatch), Scaled(g.BarArea(), 1)) > 200);
        // The marks and the legend's samples are drawn too: one line's colour in the legend.
        const QRectF legend = g.Legend().front().sample;
        QVERIFY(Count(image, ChartStyle::Of(Geometry::Line::Loan).colour, Scaled(legend, 1)) > 5);
    }

    // A 2x image holds the chart at twice the pixels: every feature at twice its place, and
    // four times the pixels of each colour, not the 1x picture in a corner or blown up.
    void drawnAtTwiceTheDensity() {
        const Drawn d;
        const Geometry g(d.schedule, &d.scenarios, Options({800, 400}));
        const QImage one = Draw(g, 1, 40);
        const QImage two = Draw(g, 2, 40);
        QCOMPARE(two.size(), one.size() * 2);
        QCOMPARE(two.deviceIndependentSize(), one.deviceIndependentSize());
        // Areas take four times the pixels; lines at least that, having fewer edge pixels
        // blended with the background.
        for (const auto swatch : {Geometry::Swatch::Interest, Geometry::Swatch::Principal}) {
            const QColor c = ChartStyle::Of(swatch);
            const double ratio = double(Count(two, c)) / Count(one, c);
            QVERIFY2(ratio > 3.6 && ratio < 4.4, qPrintable(QString::number(ratio)));
        }
        for (const Geometry::Series& s : g.AllSeries()) {
            const QColor c = ChartStyle::Of(s.line).colour;
            const double ratio = double(Count(two, c)) / Count(one, c);
            QVERIFY2(ratio > 3.6, qPrintable(s.name + QString::number(ratio)));
        }
        // A bar's middle, in both.
        const Geometry::YearBar& bar = g.Bars()[5];
        const QPointF middle = bar.principal.center();
        QCOMPARE(QColor(one.pixel(middle.toPoint())), ChartStyle::Of(Geometry::Swatch::Principal));
        QCOMPARE(QColor(two.pixel((middle * 2).toPoint())),
                 ChartStyle::Of(Geometry::Swatch::Principal));
        // A one-unit grid line covers two whole pixels at 2x, none half lit.
        const double gridY = std::floor(g.BalanceTicks()[1].at) + 0.5;
        const int x = static_cast<int>(g.PlotArea().right() - 3);
        QCOMPARE(QColor(one.pixel(x, static_cast<int>(gridY))), ChartStyle::Grid());
        QCOMPARE(QColor(two.pixel(2 * x, static_cast<int>(2 * gridY - 1))), ChartStyle::Grid());
        QCOMPARE(QColor(two.pixel(2 * x, static_cast<int>(2 * gridY))), ChartStyle::Grid());
        QCOMPARE(QColor(two.pixel(2 * x, static_cast<int>(2 * gridY + 1))), ChartStyle::Background());
    }

    // The files: a PNG of at least 800 x 400 units at twice the pixels that says its density,
    // and an SVG that draws the same lines; each written whole through the safe-writing layer,
    // into a folder with a space in its name.
    void filesArePngAndSvg() {
        const Drawn d;
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/chart files XXXXXX"));
        QVERIFY(dir.isValid());
        const QString png = dir.filePath(QStringLiteral("loan chart.PNG"));
        const QString svg = dir.filePath(QStringLiteral("loan chart.svg"));
        QVERIFY(ChartFile::Write(png, d.schedule, &d.scenarios).Saved());
        QVERIFY(ChartFile::Write(svg, d.schedule, &d.scenarios).Saved());

        QImage image;
        QVERIFY(image.load(png, "PNG"));
        QVERIFY(image.width() >= 1600 && image.height() >= 800);
        QCOMPARE(image.dotsPerMeterX(), qRound(2 * 96 / 0.0254));
        QVERIFY(Count(image, ChartStyle::Of(Geometry::Line::Loan).colour) > 100);

        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBoxF().size(), ChartFile::Picture{}.size);
        QImage fromSvg(renderer.viewBoxF().size().toSize(), QImage::Format_RGB32);
        fromSvg.fill(Qt::black);
        {
            QPainter painter(&fromSvg);
            renderer.render(&painter);
        }
        for (const auto line : {Geometry::Line::Loan, Geometry::Line::Variable, Geometry::Line::Fixed,
                                Geometry::Line::WithoutExtras})
            QVERIFY(Count(fromSvg, ChartStyle::Of(line).colour) > 20);
        QCOMPARE(Count(fromSvg, Qt::black), 0);

        // A file asking for neither is refused, and none is made.
        const QString other = dir.filePath(QStringLiteral("chart.jpg"));
        const safefile::WriteOutcome refused = ChartFile::Write(other, d.schedule, &d.scenarios);
        QCOMPARE(refused.state, safefile::WriteState::FailedAsItWas);
        QVERIFY(!refused.error.empty());
        QVERIFY(!QFile::exists(other));
    }
};

QTEST_MAIN(ChartRenderTest)
#include "tst_chartrender.moc"
