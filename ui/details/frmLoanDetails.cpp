#include "frmLoanDetails.h"

// Placeholder until the dialog is built.
frmLoanDetails::frmLoanDetails(loan::LoanTable&, loan::LoanGrid&, std::function<void()>, QWidget* parent)
    : QDialog(parent) {}
frmLoanDetails::~frmLoanDetails() = default;
QLineEdit* frmLoanDetails::txtLoanRec(int) const { return nullptr; }
QRadioButton* frmLoanDetails::OptYes() const { return nullptr; }
QRadioButton* frmLoanDetails::OptNo() const { return nullptr; }
QLabel* frmLoanDetails::Cel(int) const { return nullptr; }
void frmLoanDetails::HighlightRepaymentTime(int) {}
