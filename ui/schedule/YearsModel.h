#pragma once

#include "calc/ScheduleYears.h"

#include <QAbstractTableModel>

#include <optional>

namespace calc {
class LoanSchedule;
}

// A schedule one row a year for a table view: the year (the calendar year with a start date,
// else the loan's year from 1), its periods, then the payments, interest and principal of the
// year and the balance at its end, in the program's currency form.
class YearsModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Year, Periods, Payments, Interest, Principal, Balance, kColumns };

    explicit YearsModel(QObject* parent = nullptr);

    // The years of the schedule, or none; the model keeps its own rows.
    void SetSchedule(const calc::LoanSchedule* schedule);
    const calc::ScheduleYears* Years() const { return years_ ? &*years_ : nullptr; }
    // "Year", "Periods", "Payments"...
    static QString ColumnName(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::optional<calc::ScheduleYears> years_;
};
