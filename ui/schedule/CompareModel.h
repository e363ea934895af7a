#pragma once

#include "calc/ScheduleScenarios.h"

#include <QAbstractTableModel>

// The compare table for a table view: a row a scenario, named as the CSV names it, with its
// first and highest installment, its total interest, its last period and, with a start date,
// its last date (in the locale's short form). A scenario without a schedule says why in its
// row's first figure, which the window spans across the others.
class CompareModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        Scenario,
        Installment,
        HighestInstallment,
        TotalInterest,
        LastPeriod,
        LastDate,
        kColumns
    };

    explicit CompareModel(QObject* parent = nullptr);

    // The scenarios shown, or none; they must outlive their showing. The Last Date column is
    // there only when the plan has a start date.
    void SetScenarios(const calc::ScheduleScenarios* scenarios);
    static QString ColumnName(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const calc::ScheduleScenarios* scenarios_ = nullptr;
    bool dated_ = false;
};
