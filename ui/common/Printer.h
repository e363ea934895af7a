#pragma once

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
};
