#pragma once

#include "ui/dialogs/PrintSettings.h"

class Printer;
class QWidget;

namespace loan {
class LoanGrid;
}

// The Print command and the loan block it prints.
class LoanPrintout {
  public:
    // The whole command: selection check, print options, printer setup, the selected loan or
    // all active/inactive loans two to a page, end of job.
    static void Run(QWidget* parent, loan::LoanGrid& grid, PrintSettings& settings);
    // Prints the block of the grid's current row: an empty 12-point line, then 13 labelled lines
    // at 16 points. Leaves the current column at 12. Returns false when the printer failed.
    static bool PrintLoan(Printer& printer, loan::LoanGrid& grid);
};
