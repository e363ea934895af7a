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
};
