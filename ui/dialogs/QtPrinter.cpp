#include "QtPrinter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPrinter>

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

QtPrinter::~QtPrinter() {
    if (!painter_.isActive()) return;
    const QString file = printer_->outputFileName();
    const bool aborted = printer_->abort();
    painter_.end();
    // PDF output cannot be aborted by the engine; a half-written job is not left behind.
    if (!aborted && !file.isEmpty()) QFile::remove(file);
}

bool QtPrinter::Failed() const {
    const QPrinter::PrinterState state = printer_->printerState();
    return state == QPrinter::Error || state == QPrinter::Aborted;
}

bool QtPrinter::Begin() {
    if (painter_.isActive()) return true;
    if (ended_ || !painter_.begin(printer_.get())) return false;
    y_ = 0;
    pageBreakDue_ = false;
    return !Failed();
}

bool QtPrinter::SetFontSize(int points) {
    if (points <= 0) return false;
    font_.setPointSize(points);
    return true;
}

bool QtPrinter::PrintLine(const QString& text) {
    if (!Begin()) return false;
    painter_.setFont(font_);
    const QFontMetricsF metrics = QFontMetricsF(painter_.fontMetrics());
    // The painter's origin is the top left of the printable area.
    const double pageHeight =
        printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
    if (pageBreakDue_ || (y_ > 0 && y_ + metrics.height() > pageHeight)) {
        if (!printer_->newPage()) return false;
        y_ = 0;
        pageBreakDue_ = false;
    }
    if (!text.isEmpty()) painter_.drawText(QPointF(0, y_ + metrics.ascent()), text);
    y_ += metrics.lineSpacing();
    return !Failed();
}

bool QtPrinter::NewPage() {
    if (ended_) return false;
    // Before the first line there is no page to finish.
    if (painter_.isActive()) pageBreakDue_ = true;
    return true;
}

bool QtPrinter::EndDoc() {
    if (ended_) return false;
    ended_ = true;
    if (!painter_.isActive()) return true; // nothing was printed: no blank page
    return painter_.end() && !Failed();
}
