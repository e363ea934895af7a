#pragma once

#include "calc/LoanPlan.h"

#include <QAbstractTableModel>

// Shows the rate changes or the lump sums of a loan's plan to a table view, in the plan's order:
// when (a period or a date in the user's form), then the rate, or the amount and the part.
class PlanEventModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum class Kind { RateChanges, LumpSums };

    explicit PlanEventModel(Kind kind, QObject* parent = nullptr);

    // The plan shown, or none; it must outlive its showing. Call again after it changed.
    void SetPlan(const calc::LoanPlan* plan);

    // "Period 12", or the date in the user's locale.
    static QString WhenText(const calc::PlanWhen& when);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString Cell(int row, int column) const;

    Kind kind_;
    const calc::LoanPlan* plan_ = nullptr;
};
