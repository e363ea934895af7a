#pragma once

// A printer that records what a print-out did, for the printing tests.
#include "ui/common/BusyPointer.h"
#include "ui/common/Printer.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

// What a print job did: "font N", "fixed", "line:<text>", "picture:<lines>", "page", "end", and
// "gone" when the printer object was destroyed. failAt makes the operation with that index
// (0-based) fail. The page it reports holds linesPerPage lines of charactersPerLine characters
// (0: cannot tell). Each picture is drawn into an image, a pixel a point, as a fixed-pitch font
// of the size set would lay it out (a character 0.6 of the size wide, a line 1.2 high).
struct PrintLog {
    QStringList ops;
    QList<QImage> pictures;
    int failAt = -1;
    bool busyThroughout = true;
    int linesPerPage = 0;
    int charactersPerLine = 0;

    QStringList Lines() const {
        QStringList lines;
        for (const QString& op : ops)
            if (op.startsWith("line:")) lines << op.mid(5);
        return lines;
    }
    // The loan codes printed, each block's first line, with "|" for a page break.
    QString Blocks() const {
        QStringList out;
        for (const QString& op : ops) {
            if (op.startsWith("line:Loan Description    ")) out << op.mid(25);
            if (op == "page") out << "|";
        }
        return out.join(' ');
    }
};

class RecordingPrinter final : public Printer {
  public:
    explicit RecordingPrinter(PrintLog& log) : log_(log) {}
    ~RecordingPrinter() override { log_.ops << "gone"; }
    bool SetFontSize(int points) override {
        points_ = points;
        return Step(QString("font %1").arg(points));
    }
    bool PrintLine(const QString& text) override { return Step("line:" + text); }
    bool NewPage() override { return Step("page"); }
    bool EndDoc() override { return Step("end"); }
    bool SetFixedPitch() override { return Step("fixed"); }
    int LinesPerPage() override { return log_.linesPerPage; }
    int CharactersPerLine() override { return log_.charactersPerLine; }
    bool DrawPicture(int lines, const Painting& paint) override {
        if (!Step(QString("picture:%1").arg(lines))) return false;
        const QSizeF points((log_.charactersPerLine > 0 ? log_.charactersPerLine : 150) * 0.6 *
                                points_,
                            lines * 1.2 * points_);
        QImage image(points.toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paint(painter, points);
        painter.end();
        log_.pictures << image;
        return true;
    }

  private:
    bool Step(const QString& op) {
        if (!BusyPointer::IsBusy()) log_.busyThroughout = false;
        if (log_.failAt == log_.ops.size()) {
            log_.ops << "failed " + op;
            return false;
        }
        log_.ops << op;
        return true;
    }
    PrintLog& log_;
    int points_ = 9;
};
