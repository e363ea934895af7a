#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440.0;

int Scale(int value, double dpi, double divisor) {
    return static_cast<int>(std::lround(value * dpi / divisor));
}
} // namespace

int Twips::ToPixelsX(const QWidget* widget, int twips) {
    return Scale(twips, widget->logicalDpiX(), kTwipsPerInch);
}

int Twips::ToPixelsY(const QWidget* widget, int twips) {
    return Scale(twips, widget->logicalDpiY(), kTwipsPerInch);
}

int Twips::FromPixelsX(const QWidget* widget, int pixels) {
    return Scale(pixels, kTwipsPerInch, widget->logicalDpiX());
}

int Twips::FromPixelsY(const QWidget* widget, int pixels) {
    return Scale(pixels, kTwipsPerInch, widget->logicalDpiY());
}

void Twips::Place(QWidget* child, int left, int top, int width, int height) {
    child->setGeometry(ToPixelsX(child, left), ToPixelsY(child, top), ToPixelsX(child, width),
                       ToPixelsY(child, height));
}

QSize Twips::Size(const QWidget* widget, int width, int height) {
    return {ToPixelsX(widget, width), ToPixelsY(widget, height)};
}

void Twips::CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize frame = window->frameGeometry().size();
    window->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}
