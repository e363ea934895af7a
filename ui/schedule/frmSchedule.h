#pragma once

#include "CompareModel.h"
#include "PlanEventModel.h"
#include "ScheduleModel.h"
#include "YearsModel.h"

#include "calc/LoanSchedule.h"
#include "calc/RepaymentTable.h"
#include "calc/ScheduleScenarios.h"
#include "safefile/WriteOutcome.h"
#include "ui/common/Interaction.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class LoanChart;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;
class ViewTabs;

// The repayment schedule of one loan: every period's payment, interest, principal and balance
// for the variable part, the fixed part and the whole loan, with the totals. The repayment time,
// an extra payment each period and the loan's plan (a start date, the fixed period, rate
// changes, lump sums and the three choices) can be changed here; the loan itself cannot. Prints
// through a preview and exports CSV.
//
// Below the totals and the plan, three views of the schedule share a row of tabs: the table (a
// period a row, or a year a row), the chart and the compare table of scenarios. The chart may
// stand beside the table instead of behind a tab, as the user chooses for as long as the window
// is open; its cursor and the table's current row follow each other.
class frmSchedule : public QDialog {
    Q_OBJECT
  public:
    // Shows the schedule of the loan of entry fields 0..7 modally, or says why it has none.
    // plan, where given, is the loan's plan the window starts with, and holds the plan as the
    // window left it once it has closed.
    static void Show(QWidget* parent, const QString& code, const calc::RepaymentFields& fields,
                     int repaymentTime, calc::LoanPlan* plan = nullptr);

    frmSchedule(const QString& code, const calc::RepaymentFields& fields, int repaymentTime,
                QWidget* parent = nullptr, const calc::LoanPlan& plan = {});
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
    // part 0 variable, 1 fixed, 2 loan: the payoff as a date, or as years and months.
    QLabel* lblPayoff(int part) const;
    // The loan itself: principal, term, each part's amount and rate.
    QLabel* lblLoan() const { return lblLoan_; }

    // The plan as the window holds it now.
    const calc::LoanPlan& Plan() const { return plan_; }
    QGroupBox* fraPlan() const { return fraPlan_; }
    QCheckBox* chkStart() const { return chkStart_; }
    QDateEdit* dtpStart() const { return dtpStart_; }
    QLineEdit* txtFixedYears() const { return txtFixedYears_; }
    QLineEdit* txtRevertRate() const { return txtRevertRate_; }
    QTableView* grdRates() const { return grdRates_; }
    QTableView* grdLumps() const { return grdLumps_; }
    // list 0 rate changes, 1 lump sums; button 0 add, 1 change, 2 delete
    QPushButton* cmdPlan(int list, int button) const;
    QCheckBox* chkKeepPayment() const { return chkKeepPayment_; }
    QCheckBox* chkKeepTerm() const { return chkKeepTerm_; }
    QCheckBox* chkCarryOver() const { return chkCarryOver_; }

    // The scenarios of the compare table and of the chart's other lines; none without a
    // schedule.
    const calc::ScheduleScenarios* Scenarios() const { return scenarios_ ? &*scenarios_ : nullptr; }
    // The tabs: the table, the chart (while it is not beside the table) and the compare table.
    QTabWidget* tabViews() const;
    // The table a year a row, shown in the table's place while chkYears is ticked.
    QTableView* grdYears() const { return grdYears_; }
    QTableView* grdCompare() const { return grdCompare_; }
    LoanChart* chart() const { return chart_; }
    QCheckBox* chkYears() const { return chkYears_; }
    QCheckBox* chkChartBeside() const { return chkChartBeside_; }
    QCheckBox* chkStressed() const { return chkStressed_; }
    QPushButton* cmdExportChart() const { return cmdExportChart_; }

  private:
    void BuildControls();
    QGroupBox* BuildPlan();
    // The fields and lists as the plan has them.
    void ShowPlan();
    void PlanChanged();
    // Adds (row -1) or changes an entry of list 0 rate changes or 1 lump sums.
    void EditEvent(int list, int row);
    void DeleteEvent(int list);
    QString LoanText() const;
    void Recalculate();
    void ShowTotals();
    void FitColumns();
    QString SuggestedFileName(const QString& what, const QString& suffix) const;

    // The row of switches and the views under it.
    QLayout* BuildViews();
    void ShowYears();
    // The chart behind its tab, or beside the table; the focus stays where it was.
    void PlaceChart();
    void FitViewColumns();
    // The cursor at the period (from 1) in every view but the one it was moved in.
    void FollowCursor(int period, const QObject* movedIn);
    // Asks for a file as request says and writes it with write through the safe-writing
    // layer, asking before an existing file is replaced; says what went wrong, as what ("The
    // schedule", "The chart") did not get written.
    void ExportFile(const Interaction::FileRequest& request, const QString& caption,
                    const QString& what,
                    const std::function<safefile::WriteOutcome(const QString&)>& write);

    void cboTime_Click();
    void txtExtra_Change();
    void cmdPrint_Click();
    void cmdExport_Click();
    void cmdExportChart_Click();
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

    calc::LoanPlan plan_;
    PlanEventModel rates_{PlanEventModel::Kind::RateChanges};
    PlanEventModel lumps_{PlanEventModel::Kind::LumpSums};
    bool showingPlan_ = false;
    QLabel* lblLoan_ = nullptr;
    std::array<QLabel*, 3> lblPayoff_{};
    QGroupBox* fraPlan_ = nullptr;
    QCheckBox* chkStart_ = nullptr;
    QDateEdit* dtpStart_ = nullptr;
    QLineEdit* txtFixedYears_ = nullptr;
    QLineEdit* txtRevertRate_ = nullptr;
    QTableView* grdRates_ = nullptr;
    QTableView* grdLumps_ = nullptr;
    std::array<std::array<QPushButton*, 3>, 2> cmdPlan_{};
    QCheckBox* chkKeepPayment_ = nullptr;
    QCheckBox* chkKeepTerm_ = nullptr;
    QCheckBox* chkCarryOver_ = nullptr;

    std::optional<calc::ScheduleScenarios> scenarios_;
    YearsModel yearsModel_;
    CompareModel compareModel_;
    ViewTabs* tabViews_ = nullptr;
    QSplitter* splViews_ = nullptr;
    QStackedWidget* stkTable_ = nullptr;
    QTableView* grdYears_ = nullptr;
    QTableView* grdCompare_ = nullptr;
    LoanChart* chart_ = nullptr;
    QCheckBox* chkYears_ = nullptr;
    QCheckBox* chkChartBeside_ = nullptr;
    QCheckBox* chkStressed_ = nullptr;
    QPushButton* cmdExportChart_ = nullptr;
    // Set while one view's cursor moves the others, which would move it back.
    bool following_ = false;
};
