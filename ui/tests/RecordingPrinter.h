#pragma once

// A printer that records what a print-out did, for the printing tests.
#include "ui/common/BusyPointer.h"
#include "ui/common/Printer.h"

#include <QString>
#include <QStringList>

// What a print job did: "font N", "fixed", "line:<text>", "page", "end", and "gone" when the
// printer object was destroyed. failAt makes the operation with that index (0-based) fail. The
// page it reports holds linesPerPage lines of charactersPerLine characters (0: cannot tell).
struct PrintLog {
    QStringList ops;
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
    bool SetFontSize(int points) override { return Step(QString("font %1").arg(points)); }
    bool PrintLine(const QString& text) override { return Step("line:" + text); }
    bool NewPage() override { return Step("page"); }
    bool EndDoc() override { return Step("end"); }
    bool SetFixedPitch() override { return Step("fixed"); }
    int LinesPerPage() override { return log_.linesPerPage; }
    int CharactersPerLine() override { return log_.charactersPerLine; }

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
};
