#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace loan {
class LoanGrid;
class LoanTable;
} // namespace loan

// The loan details dialog: entry of one loan with its results table recomputed at every key.
// It reads and writes the main window's loan table directly; makeUntitled detaches the table
// from its file (caption and file name) after a query by code.
class frmLoanDetails : public QDialog {
    Q_OBJECT
public:
    frmLoanDetails(loan::LoanTable& table, loan::LoanGrid& gridQuery,
                   std::function<void()> makeUntitled, QWidget* parent = nullptr);
    ~frmLoanDetails() override;

    QLineEdit* txtLoanRec(int index) const;
    QRadioButton* OptYes() const;
    QRadioButton* OptNo() const;
    QLabel* Cel(int index) const;

    // Marks the three result cells of repayment time 1..5 as the chosen row (opening commands).
    void HighlightRepaymentTime(int index);
};
