#pragma once

#include <functional>

class QPainter;
class QSizeF;
class QString;

// The four printer operations the print-out uses. Each returns false when the printer failed;
// the job is then abandoned.
class Printer {
  public:
    virtual ~Printer() = default;
    virtual bool SetFontSize(int points) = 0;
    // The text, then a line break; an empty text is an empty line.
    virtual bool PrintLine(const QString& text) = 0;
    virtual bool NewPage() = 0;
    // Sends the job to the printer.
    virtual bool EndDoc() = 0;

    // For print-outs in columns. A printer that cannot measure its page answers 0, and the
    // print-out keeps to its own defaults.
    // A fixed-pitch font from now on, so that columns padded with spaces line up.
    virtual bool SetFixedPitch() { return true; }
    // Lines of the current font that fit on a page.
    virtual int LinesPerPage() { return 0; }
    // Characters of the current (fixed-pitch) font that fit on a line.
    virtual int CharactersPerLine() { return 0; }

    // A picture in place of lines: the next `lines` lines of the current font across the page's
    // width, on a new page when they do not fit on this one. paint draws it with the painter in
    // points (1/72 inch) from the area's top left, told the area's size in points, so that a
    // picture drawn in vectors stays sharp at the printer's resolution. A printer that cannot
    // draw leaves the lines empty, and the print-out's pages break where they would have.
    using Painting = std::function<void(QPainter& painter, const QSizeF& points)>;
    virtual bool DrawPicture(int lines, const Painting& paint);
};
