#include "QtPrinter.h"

#include <QFontMetricsF>
#include <QPrinter>

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

QtPrinter::~QtPrinter() {
    if (painter_.isActive() && !ended_) {
        printer_->abort();
        painter_.end();
    }
}

bool QtPrinter::Begin() {
    if (painter_.isActive()) return true;
    if (ended_ || !painter_.begin(printer_.get())) return false;
    y_ = 0;
    return true;
}

bool QtPrinter::SetFontSize(int points) {
    font_.setPointSize(points);
    return true;
}

bool QtPrinter::PrintLine(const QString& text) {
    if (!Begin()) return false;
    painter_.setFont(QFont(font_, printer_.get()));
    const QFontMetricsF metrics(painter_.font());
    const QRectF page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    if (y_ > 0 && y_ + metrics.height() > page.height()) {
        if (!NewPage()) return false;
    }
    if (!text.isEmpty()) painter_.drawText(QPointF(0, y_ + metrics.ascent()), text);
    y_ += metrics.lineSpacing();
    return true;
}

bool QtPrinter::NewPage() {
    if (!Begin()) return false;
    if (!printer_->newPage()) return false;
    y_ = 0;
    return true;
}

bool QtPrinter::EndDoc() {
    if (!painter_.isActive()) return true; // nothing was printed: no blank page
    ended_ = true;
    return painter_.end();
}
