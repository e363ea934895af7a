#pragma once

#include "calc/RepaymentSchedule.h"

#include <QAbstractTableModel>

#include <optional>

namespace calc {
class LoanSchedule;
}

// Shows a calc::LoanSchedule to a table view without copying it: column 0 the period, then its
// date where the plan has a start date, then payment, interest, principal and balance of the
// variable part, the fixed part and the whole loan, in the program's currency form. A part that
// is paid off shows empty cells. A period where something happens (a rate change, the end of
// the fixed period, a lump sum, a new installment) is marked, and its tooltip and accessible
// description say what happened.
class ScheduleModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The columns without the date.
    static constexpr int kColumns = 13;

    explicit ScheduleModel(QObject* parent = nullptr);

    // The schedule shown, or none; it must outlive its showing.
    void SetSchedule(const calc::LoanSchedule* schedule);
    const calc::LoanSchedule* Schedule() const { return schedule_; }

    // The widest amount text of the schedule, for the columns' width.
    QString WidestAmount() const;
    // "Variable Payment"... for a column of the model without the date; "Period" for column 0.
    static QString ColumnName(int column);
    // The Date column is there: the schedule's plan has a start date.
    bool HasDateColumn() const;
    // The column of a part's amount (part 0 variable, 1 fixed, 2 loan; amount 0 payment ..
    // 3 balance) as the model has it now.
    int AmountColumn(int part, int amount) const;
    // What happened in the period (from 1), a sentence each, for the tooltip; empty for nothing.
    QString EventsText(int period) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    // The row of a part (0 variable, 1 fixed, 2 loan) in a period, or none once it is paid off.
    std::optional<calc::ScheduleRow> RowOf(int part, int period) const;
    // The column of the model without the date (-1 for the date itself).
    int PlainColumn(int column) const;

    const calc::LoanSchedule* schedule_ = nullptr;
    bool dates_ = false;
};
