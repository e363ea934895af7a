#pragma once

#include "ScheduleModel.h"

#include "calc/LoanSchedule.h"
#include "calc/RepaymentTable.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The repayment schedule of one loan: every period's payment, interest, principal and balance
// for the variable part, the fixed part and the whole loan, with the totals. The repayment time
// and an extra payment each period can be changed here; the loan itself cannot. Prints through
// a preview and exports CSV.
class frmSchedule : public QDialog {
    Q_OBJECT
  public:
    // Shows the schedule of the loan of entry fields 0..7 modally, or says why it has none.
    static void Show(QWidget* parent, const QString& code, const calc::RepaymentFields& fields,
                     int repaymentTime);

    frmSchedule(const QString& code, const calc::RepaymentFields& fields, int repaymentTime,
                QWidget* parent = nullptr);
    ~frmSchedule() override;

    // The schedule shown; none while the loan has none for the chosen time and extra.
    const calc::LoanSchedule* Schedule() const { return schedule_ ? &*schedule_ : nullptr; }

    QComboBox* cboTime() const { return cboTime_; }
    QLineEdit* txtExtra() const { return txtExtra_; }
    QTableView* grdSchedule() const { return grdSchedule_; }
    QPushButton* cmdPrint() const { return cmdPrint_; }
    QPushButton* cmdExport() const { return cmdExport_; }
    QPushButton* cmdClose() const { return cmdClose_; }
    QLabel* lblInstalment() const { return lblInstalment_; }
    // part 0 variable, 1 fixed, 2 loan; column 0 payments, 1 interest, 2 principal, 3 paid off
    QLabel* lblTotal(int part, int column) const;
    // The saving of the extra payment, or why the loan has no schedule.
    QLabel* lblNote() const { return lblNote_; }

  private:
    void BuildControls();
    void Recalculate();
    void ShowTotals();
    void FitColumns();
    QString SuggestedFileName() const;

    void cboTime_Click();
    void txtExtra_Change();
    void cmdPrint_Click();
    void cmdExport_Click();
    void cmdClose_Click();

    QString code_;
    calc::RepaymentFields fields_;
    std::optional<calc::LoanSchedule> schedule_;
    ScheduleModel model_;

    QComboBox* cboTime_ = nullptr;
    QLineEdit* txtExtra_ = nullptr;
    QLabel* lblInstalment_ = nullptr;
    std::array<std::array<QLabel*, 4>, 3> lblTotal_{};
    QLabel* lblNote_ = nullptr;
    QTableView* grdSchedule_ = nullptr;
    QPushButton* cmdPrint_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};
