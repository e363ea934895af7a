#pragma once

#include <QRect>

class QWidget;

// Layout lengths are twips (1/1440 inch): pixels = twips x logical DPI / 1440.
class Twips {
public:
    static int ToPixelsX(const QWidget* widget, int twips);
    static int ToPixelsY(const QWidget* widget, int twips);
    static int FromPixelsX(const QWidget* widget, int pixels);
    static int FromPixelsY(const QWidget* widget, int pixels);
    // Places child at left, top, width, height twips of its parent.
    static void Place(QWidget* child, int left, int top, int width, int height);
    static QSize Size(const QWidget* widget, int width, int height);
    // Moves a top-level window to the middle of its screen.
    static void CentreOnScreen(QWidget* window);
};
