#pragma once

#include "Printer.h"

#include <QFont>
#include <QPainter>

#include <memory>

class QPrinter;

// Lays lines out top to bottom from the page's printable area, in the printer's resolution.
// The job starts with the first line, so a job that prints nothing puts out no page; a page
// break is made when the next line comes, so a break at the end leaves no blank page. A job
// not ended with EndDoc is aborted (a partial file of a print-to-file job is removed).
class QtPrinter final : public Printer {
  public:
    explicit QtPrinter(std::unique_ptr<QPrinter> printer);
    // Prints on a printer owned elsewhere (a print preview's).
    explicit QtPrinter(QPrinter& printer);
    ~QtPrinter() override;

    bool SetFontSize(int points) override;
    bool PrintLine(const QString& text) override;
    bool NewPage() override;
    bool EndDoc() override;
    bool SetFixedPitch() override;
    int LinesPerPage() override;
    int CharactersPerLine() override;
    bool DrawPicture(int lines, const Painting& paint) override;

    QPrinter& Device() { return *printer_; }

  private:
    bool Begin();
    bool Failed() const;
    // Starts a new page first where a break is due or the height does not fit below y_.
    bool MakeRoom(double height);

    std::unique_ptr<QPrinter> owned_;
    QPrinter* printer_;
    QPainter painter_;
    QFont font_;
    double y_ = 0;
    bool pageBreakDue_ = false;
    bool ended_ = false;
};
