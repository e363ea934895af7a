#pragma once

#include "calc/LoanPlan.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// One rate change or one lump sum of a loan's plan, added or changed: when (a period, or with
// a start date a date), and the new rate, or the amount and the part it goes into.
class frmPlanEvent : public QDialog {
    Q_OBJECT
  public:
    enum class Kind { RateChange, LumpSum };

    // start: the plan's start date, which a date must lie on or after to name a payment; without
    // one only periods can be given.
    frmPlanEvent(Kind kind, std::optional<std::chrono::year_month_day> start,
                 QWidget* parent = nullptr);

    void SetRateChange(const calc::RateChange& change);
    void SetLumpSum(const calc::LumpSum& sum);
    // What the fields hold; meaningful once the dialog was accepted.
    calc::RateChange RateChange() const;
    calc::LumpSum LumpSum() const;

    QRadioButton* optPeriod() const { return optPeriod_; }
    QRadioButton* optDate() const { return optDate_; }
    QLineEdit* txtPeriod() const { return txtPeriod_; }
    QDateEdit* dtpWhen() const { return dtpWhen_; }
    QLineEdit* txtValue() const { return txtValue_; }
    QComboBox* cboPart() const { return cboPart_; } // lump sums only
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

  private:
    void SetWhen(const calc::PlanWhen& when);
    calc::PlanWhen When() const;
    void UpdateState();

    Kind kind_;
    QRadioButton* optPeriod_ = nullptr;
    QRadioButton* optDate_ = nullptr;
    QLineEdit* txtPeriod_ = nullptr;
    QDateEdit* dtpWhen_ = nullptr;
    QLineEdit* txtValue_ = nullptr;
    QComboBox* cboPart_ = nullptr;
    QLabel* lblWhy_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
