#pragma once

#include "Printer.h"

#include <QFont>
#include <QPainter>

#include <memory>

class QPrinter;

// Lays lines out top to bottom from the page's printable area, in the printer's resolution.
// The job starts with the first line; a printer left without EndDoc is aborted.
class QtPrinter final : public Printer {
public:
    explicit QtPrinter(std::unique_ptr<QPrinter> printer);
    ~QtPrinter() override;

    bool SetFontSize(int points) override;
    bool PrintLine(const QString& text) override;
    bool NewPage() override;
    bool EndDoc() override;

    QPrinter& Device() { return *printer_; }

private:
    bool Begin();

    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QFont font_;
    double y_ = 0;
    bool ended_ = false;
};
