// Draws the logo and the eight picture-button images of the main window into PNG files, each at
// its own size (NAME.png) and at twice that for high-density screens (NAME@2x.png), from the same
// drawing, so both look alike. The PNGs are committed; run this only to change them:
//   cmake --build <dir> --target draw_pictures && <dir>/ui/main/pictures/draw_pictures
//   ui/main/pictures
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

constexpr int kButtonWidth = 66;
constexpr int kButtonHeight = 65;
const QColor kInk(0x1f, 0x35, 0x64);

using IconPainter = std::function<void(QPainter&)>;

QFont Font(const char* family, int pixels, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A page with a folded corner, in a 26 x 32 box at the origin.
void Page(QPainter& p) {
    QPainterPath page;
    page.moveTo(0, 0);
    page.lineTo(18, 0);
    page.lineTo(26, 8);
    page.lineTo(26, 32);
    page.lineTo(0, 32);
    page.closeSubpath();
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(18, 0);
    fold.lineTo(18, 8);
    fold.lineTo(26, 8);
    p.setBrush(QColor(0xd6, 0xdf, 0xee));
    p.drawPath(fold);
}

void Lines(QPainter& p, int count) {
    p.setPen(QPen(QColor(0x8a, 0x9b, 0xb8), 1.2));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(5, 13 + 4.5 * i), QPointF(21, 13 + 4.5 * i));
}

void NewIcon(QPainter& p) {
    p.translate(14, 3);
    Page(p);
    Lines(p, 3);
    // A green plus badge.
    p.setPen(QPen(QColor(0x1d, 0x6b, 0x2a), 1.2));
    p.setBrush(QColor(0x3c, 0xb0, 0x4f));
    p.drawEllipse(QPointF(26, 27), 9, 9);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(26, 22), QPointF(26, 32));
    p.drawLine(QPointF(21, 27), QPointF(31, 27));
}

void EditIcon(QPainter& p) {
    p.translate(14, 3);
    Page(p);
    Lines(p, 4);
    // A pencil across the page, point down to the left.
    p.translate(24, 8);
    p.rotate(45);
    p.setPen(QPen(QColor(0x6b, 0x4a, 0x10), 1.1));
    p.setBrush(QColor(0xf2, 0xb5, 0x2b));
    p.drawRect(QRectF(-3.5, 0, 7, 20));
    p.setBrush(QColor(0xe8, 0x8f, 0x8f));
    p.drawRect(QRectF(-3.5, -4, 7, 4));
    QPainterPath tip;
    tip.moveTo(-3.5, 20);
    tip.lineTo(3.5, 20);
    tip.lineTo(0, 27);
    tip.closeSubpath();
    p.setBrush(QColor(0xf5, 0xdf, 0xb5));
    p.drawPath(tip);
    p.setBrush(QColor(0x33, 0x33, 0x33));
    p.setPen(Qt::NoPen);
    QPainterPath lead;
    lead.moveTo(-1.2, 24.6);
    lead.lineTo(1.2, 24.6);
    lead.lineTo(0, 27);
    lead.closeSubpath();
    p.drawPath(lead);
}

void DeleteIcon(QPainter& p) {
    p.translate(14, 3);
    Page(p);
    Lines(p, 4);
    // A red cross over the page.
    p.setPen(QPen(QColor(0x8c, 0x10, 0x10), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 13), QPointF(32, 33));
    p.drawLine(QPointF(32, 13), QPointF(12, 33));
    p.setPen(QPen(QColor(0xe0, 0x2a, 0x2a), 4.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 13), QPointF(32, 33));
    p.drawLine(QPointF(32, 13), QPointF(12, 33));
}

void SearchIcon(QPainter& p) {
    p.translate(33, 19);
    // Handle first, so the rim covers its end.
    p.setPen(QPen(QColor(0x3a, 0x2a, 0x18), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(15, 15));
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x2b), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(15, 15));
    QRadialGradient glass(QPointF(-4, -4), 14);
    glass.setColorAt(0, Qt::white);
    glass.setColorAt(1, QColor(0x9c, 0xc9, 0xf0));
    p.setPen(QPen(kInk, 3));
    p.setBrush(glass);
    p.drawEllipse(QPointF(-2, -2), 11, 11);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(-9, -9, 14, 14), 100 * 16, 70 * 16);
}

// Raised: light from the top left. Pressed: the bevel turned inside out and the face pushed in.
// An image of width x height pixels at scale 1, painted in those units at any scale.
QImage Canvas(int width, int height, int scale) {
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return image;
}

QImage Button(const IconPainter& icon, const QString& label, bool pressed, int scale) {
    QImage image = Canvas(kButtonWidth, kButtonHeight, scale);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF face(0, 0, kButtonWidth, kButtonHeight);
    QLinearGradient fill(0, 0, 0, kButtonHeight);
    fill.setColorAt(0, pressed ? QColor(0xd2, 0xd8, 0xe2) : QColor(0xfa, 0xfb, 0xfd));
    fill.setColorAt(1, pressed ? QColor(0xe6, 0xea, 0xf0) : QColor(0xd9, 0xdf, 0xe8));
    p.fillRect(face, fill);

    const QColor light = Qt::white, shade(0x8d, 0x96, 0xa6), dark(0x3c, 0x44, 0x52);
    const QColor topLeft = pressed ? dark : light, bottomRight = pressed ? light : dark;
    const QColor innerTopLeft = pressed ? shade : QColor(0xf0, 0xf3, 0xf8);
    const QColor innerBottomRight = pressed ? QColor(0xf0, 0xf3, 0xf8) : shade;
    // The bevel is one pixel wide at scale 1 and fills whole pixels at any scale: rows and
    // columns of unit squares, not lines, which would straddle pixel edges when scaled.
    const int r = kButtonWidth - 1, b = kButtonHeight - 1;
    const auto row = [&p](int left, int right, int y, const QColor& colour) {
        p.fillRect(QRect(left, y, right - left + 1, 1), colour);
    };
    const auto column = [&p](int x, int top, int bottom, const QColor& colour) {
        p.fillRect(QRect(x, top, 1, bottom - top + 1), colour);
    };
    row(0, r - 1, 0, topLeft);
    column(0, 0, b - 1, topLeft);
    row(0, r, b, bottomRight);
    column(r, 0, b, bottomRight);
    row(1, r - 2, 1, innerTopLeft);
    column(1, 1, b - 2, innerTopLeft);
    row(1, r - 1, b - 1, innerBottomRight);
    column(r - 1, 1, b - 1, innerBottomRight);

    const int shift = pressed ? 1 : 0;
    p.save();
    p.translate(shift, shift + 2);
    icon(p);
    p.restore();

    p.setFont(Font("DejaVu Sans", 11, true));
    p.setPen(kInk);
    p.drawText(QRectF(shift, 46 + shift, kButtonWidth, 15), Qt::AlignHCenter | Qt::AlignVCenter,
               label);
    return image;
}

QImage Logo(int scale) {
    QImage image = Canvas(241, 65, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, 241, 65);
    sky.setColorAt(0, QColor(0x12, 0x26, 0x4d));
    sky.setColorAt(1, QColor(0x2b, 0x5c, 0x9e));
    p.fillRect(QRect(0, 0, 241, 65), sky);

    // Emblem: a gold ring around a "D".
    QRadialGradient gold(QPointF(24, 24), 26);
    gold.setColorAt(0, QColor(0xff, 0xe6, 0x8a));
    gold.setColorAt(1, QColor(0xc8, 0x8f, 0x1c));
    p.setPen(QPen(QColor(0x7a, 0x55, 0x0c), 1.5));
    p.setBrush(gold);
    p.drawEllipse(QPointF(32, 32.5), 24, 24);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x7a, 0x55, 0x0c, 160), 1));
    p.drawEllipse(QPointF(32, 32.5), 19, 19);
    p.setPen(kInk);
    p.setFont(Font("DejaVu Serif", 28, true));
    p.drawText(QRectF(8, 8, 48, 50), Qt::AlignCenter, QStringLiteral("D"));

    p.setPen(Qt::white);
    p.setFont(Font("DejaVu Serif", 23, true));
    p.drawText(QRectF(64, 6, 175, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Dravenholt"));
    p.setPen(QColor(0xf2, 0xc9, 0x4c));
    p.drawLine(QPointF(65, 37.5), QPointF(232, 37.5));
    p.setPen(QColor(0xcf, 0xe0, 0xf7));
    p.setFont(Font("DejaVu Sans", 11, false));
    p.drawText(QRectF(65, 40, 175, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Information Technology"));
    return image;
}

// name without ".png"; scale 2 adds "@2x".
bool Save(const QImage& image, const QDir& dir, const char* name, int scale) {
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString path = dir.filePath(QLatin1String(name) + suffix + QStringLiteral(".png"));
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    struct Picture {
        const char* up;
        const char* down;
        IconPainter icon;
        QString label;
    };
    const Picture pictures[] = {
        {"NewUp", "NewDown", NewIcon, QStringLiteral("New")},
        {"EditUp", "EditDown", EditIcon, QStringLiteral("Edit")},
        {"DeleteUp", "DeleteDown", DeleteIcon, QStringLiteral("Delete")},
        {"SearchUp", "SearchDown", SearchIcon, QStringLiteral("Search")},
    };
    bool ok = true;
    for (const int scale : {1, 2}) {
        ok = Save(Logo(scale), dir, "Dravenholt", scale) && ok;
        for (const Picture& picture : pictures) {
            ok = Save(Button(picture.icon, picture.label, false, scale), dir, picture.up, scale) &&
                 ok;
            ok = Save(Button(picture.icon, picture.label, true, scale), dir, picture.down, scale) &&
                 ok;
        }
    }
    return ok ? 0 : 1;
}
