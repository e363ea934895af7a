#include "QtPrinter.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>

#include <algorithm>

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer)
    : owned_(std::move(printer)), printer_(owned_.get()) {}

QtPrinter::QtPrinter(QPrinter& printer) : printer_(&printer) {}

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
    if (ended_ || !painter_.begin(printer_)) return false;
    y_ = 0;
    pageBreakDue_ = false;
    return !Failed();
}

bool QtPrinter::SetFontSize(int points) {
    if (points <= 0) return false;
    font_.setPointSize(points);
    return true;
}

bool QtPrinter::MakeRoom(double height) {
    // The painter's origin is the top left of the printable area.
    const double pageHeight =
        printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
    if (pageBreakDue_ || (y_ > 0 && y_ + height > pageHeight)) {
        if (!printer_->newPage()) return false;
        y_ = 0;
        pageBreakDue_ = false;
    }
    return true;
}

bool QtPrinter::PrintLine(const QString& text) {
    if (!Begin()) return false;
    painter_.setFont(font_);
    const QFontMetricsF metrics = QFontMetricsF(painter_.fontMetrics());
    if (!MakeRoom(metrics.height())) return false;
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

bool QtPrinter::SetFixedPitch() {
    const int points = font_.pointSize();
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font_.setStyleHint(QFont::Monospace);
    if (points > 0) font_.setPointSize(points);
    return true;
}

int QtPrinter::LinesPerPage() {
    const QFontMetricsF metrics(font_, printer_);
    const double pageHeight =
        printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
    // As PrintLine breaks: a line fits while its whole height stays on the page.
    return std::max(1,
                    static_cast<int>((pageHeight - metrics.height()) / metrics.lineSpacing()) + 1);
}

bool QtPrinter::DrawPicture(int lines, const Painting& paint) {
    if (lines <= 0) return true;
    if (!Begin()) return false;
    painter_.setFont(font_);
    const QFontMetricsF metrics = QFontMetricsF(painter_.fontMetrics());
    // As tall as the lines it stands for, so the print-out's count of lines a page holds.
    const double height = metrics.height() + (lines - 1) * metrics.lineSpacing();
    if (!MakeRoom(height)) return false;
    const double width = printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
    const double pointsPerPixel = 72.0 / printer_->resolution();
    painter_.save();
    painter_.translate(0, y_);
    painter_.scale(1 / pointsPerPixel, 1 / pointsPerPixel);
    paint(painter_, QSizeF(width * pointsPerPixel, height * pointsPerPixel));
    painter_.restore();
    y_ += lines * metrics.lineSpacing();
    return !Failed();
}

int QtPrinter::CharactersPerLine() {
    const QFontMetricsF metrics(font_, printer_);
    const double pageWidth = printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
    return static_cast<int>(pageWidth / metrics.horizontalAdvance(QLatin1Char('0')));
}
