#include "frmSearch.h"

// Placeholder until the dialog is built.
frmSearch::frmSearch(loan::LoanGrid& grid, std::function<void()> editLoan, QWidget* parent)
    : QDialog(parent) { (void)grid; (void)editLoan; }
frmSearch::~frmSearch() = default;
