#include "LoanPrintout.h"

#include "calc/NumberText.h"
#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/Printer.h"
#include "ui/common/QtText.h"
#include "ui/dialogs/frmPrint.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

enum class Value { Text, Amount, DollarAmount };

struct BlockLine {
    const char* label;
    Value value;
    const char* suffix;
};

// One line a column, in column order.
constexpr std::array<BlockLine, loan::kLoanCols> kBlock = {{
    {"Loan Description    ", Value::Text, ""},
    {"Loan Principal    ", Value::Amount, ""},
    {"Loan Term    ", Value::Text, "  Years"},
    {"Variable Principal    ", Value::Text, "  Percent"},
    {"Variable Interest PA    ", Value::Text, "  Percent"},
    {"Variable Principal    ", Value::Amount, ""},
    {"Fixed Principal    ", Value::Text, "  Percent"},
    {"Fixed Interst PA    ", Value::Text, "   Percent"},
    {"Fixed Principal    ", Value::DollarAmount, ""},
    {"Payment Time    ", Value::Text, ""},
    {"Installment    ", Value::DollarAmount, ""},
    {"Yearly Payment    ", Value::DollarAmount, ""},
    {"Active    ", Value::Text, ""},
}};

constexpr int kBlankLinePoints = 12;
constexpr int kLinePoints = 16;
constexpr int kBlocksPerPage = 2;

bool IsSelected(const loan::LoanGrid& grid) {
    return grid.Row() != 0 && !loan::TrimmedSpaces(grid.Text()).empty();
}

// Every row 1..R-2 whose Active text is exactly "Yes" (active) or "No" (inactive), two blocks
// a page. Leaves the current cell on the last loan row, column 12.
bool PrintAllLoans(Printer& printer, loan::LoanGrid& grid, bool active) {
    const std::string_view wanted = active ? "Yes" : "No";
    std::uint8_t pageCount = 0;
    grid.SetRow(0);
    grid.SetCol(loan::ColActive);
    // Rows are counted afresh each pass; the blank last row is never visited.
    while (grid.Row() < grid.Rows() - 2) {
        grid.SetRow(grid.Row() + 1);
        grid.SetCol(loan::ColActive);
        if (grid.Text() != wanted) continue;
        if (!LoanPrintout::PrintLoan(printer, grid)) return false;
        if (++pageCount == kBlocksPerPage) {
            if (!printer.NewPage()) return false;
            pageCount = 0;
        }
    }
    return true;
}

// The print job's name: the program's, then the codes of the loans it prints, the first few of
// a long list.
QString JobName(const loan::LoanGrid& grid, const PrintSettings& settings) {
    constexpr int kNamed = 3;
    QStringList codes;
    int more = 0;
    const auto add = [&](int row) {
        const std::string_view code = loan::Trimmed(grid.TextAt(row, loan::ColCode));
        if (codes.size() < kNamed)
            codes << QtText::FromUtf8(code);
        else
            ++more;
    };
    if (settings.PrintAll) {
        const std::string_view wanted = settings.PrintActive ? "Yes" : "No";
        for (int row = 1; row < grid.Rows() - 1; ++row)
            if (grid.TextAt(row, loan::ColActive) == wanted) add(row);
    } else {
        add(grid.Row());
    }
    if (codes.isEmpty()) return kProgramName;
    QString name = kProgramName + QStringLiteral(" - ") + codes.join(QStringLiteral(", "));
    if (more > 0) name += QStringLiteral(" and %1 more").arg(more);
    return name;
}

} // namespace

void LoanPrintout::Run(QWidget* parent, loan::LoanGrid& grid, PrintSettings& settings) {
    Interaction& ui = Interaction::Current();
    if (!IsSelected(grid)) {
        ui.Message(parent,
                   QStringLiteral("A Loan must be selected to print. Select a Loan from the grid."),
                   QStringLiteral("Printing Loan."), Interaction::Buttons::OK,
                   Interaction::Icon::Question);
        return;
    }

    settings.PrintCancelled = false;
    {
        frmPrint options(settings, parent);
        if (ui.Exec(options) != QDialog::Accepted) settings.PrintCancelled = true;
    }
    if (settings.PrintCancelled) return;

    const std::unique_ptr<Printer> printer =
        ui.ChoosePrinterForJob(parent, JobName(grid, settings));
    if (!printer) return;

    BusyPointer::Scope busy;
    bool printed = false;
    {
        loan::LoanGrid::Batch quiet(grid, loan::LoanGrid::Batch::Kind::Quiet);
        printed = settings.PrintAll ? PrintAllLoans(*printer, grid, settings.PrintActive)
                                    : PrintLoan(*printer, grid);
    }
    // A job left unended is aborted when the printer goes.
    if (printed) printer->EndDoc();
}

bool LoanPrintout::PrintLoan(Printer& printer, loan::LoanGrid& grid) {
    if (!printer.SetFontSize(kBlankLinePoints) || !printer.PrintLine(QString())) return false;
    if (!printer.SetFontSize(kLinePoints)) return false;
    for (int col = 0; col < loan::kLoanCols; ++col) {
        grid.SetCol(col);
        const std::string_view cell = grid.Text();
        const BlockLine& line = kBlock[static_cast<std::size_t>(col)];
        QString text = QString::fromLatin1(line.label);
        switch (line.value) {
        case Value::Text:
            text += QtText::FromUtf8(cell);
            break;
        case Value::Amount:
            text += QtText::FromUtf8(calc::AmountText(cell, false));
            break;
        case Value::DollarAmount:
            text += QtText::FromUtf8(calc::AmountText(cell, true));
            break;
        }
        text += QString::fromLatin1(line.suffix);
        if (!printer.PrintLine(text)) return false;
    }
    return true;
}
