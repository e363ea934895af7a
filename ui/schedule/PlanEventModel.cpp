#include "PlanEventModel.h"

#include "DateEdit.h"

#include "calc/NumberText.h"
#include "ui/common/QtText.h"

#include <QDate>

namespace {

constexpr const char* kRateHeadings[2] = {"When", "Rate %"};
constexpr const char* kLumpHeadings[3] = {"When", "Amount", "Part"};

} // namespace

PlanEventModel::PlanEventModel(Kind kind, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind) {}

void PlanEventModel::SetPlan(const calc::LoanPlan* plan) {
    beginResetModel();
    plan_ = plan;
    endResetModel();
}

QString PlanEventModel::WhenText(const calc::PlanWhen& when) {
    if (const int* period = std::get_if<int>(&when))
        return QStringLiteral("Period %1").arg(*period);
    const auto& date = std::get<std::chrono::year_month_day>(when);
    const QDate shown(static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                      static_cast<int>(unsigned(date.day())));
    // A date that does not exist is kept as typed, for the plan to name it.
    if (!shown.isValid())
        return QStringLiteral("%1-%2-%3")
            .arg(static_cast<int>(date.year()), 4, 10, QLatin1Char('0'))
            .arg(unsigned(date.month()), 2, 10, QLatin1Char('0'))
            .arg(unsigned(date.day()), 2, 10, QLatin1Char('0'));
    return DateEdit::Text(date);
}

int PlanEventModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !plan_) return 0;
    return static_cast<int>(kind_ == Kind::RateChanges ? plan_->rateChanges.size()
                                                       : plan_->lumpSums.size());
}

int PlanEventModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return kind_ == Kind::RateChanges ? 2 : 3;
}

QString PlanEventModel::Cell(int row, int column) const {
    const auto k = static_cast<std::size_t>(row);
    if (kind_ == Kind::RateChanges) {
        const calc::RateChange& change = plan_->rateChanges[k];
        return column == 0 ? WhenText(change.when)
                           : QtText::FromUtf8(calc::NumberText(change.ratePercent));
    }
    const calc::LumpSum& sum = plan_->lumpSums[k];
    switch (column) {
    case 0:
        return WhenText(sum.when);
    case 1:
        return QtText::Currency(sum.amount);
    default:
        return sum.part == calc::PlanPart::Fixed ? QStringLiteral("Fixed")
                                                 : QStringLiteral("Variable");
    }
}

QVariant PlanEventModel::data(const QModelIndex& index, int role) const {
    if (!plan_ || !index.isValid() || index.row() >= rowCount()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return Cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            (index.column() == 0 || index.column() == 2 ? Qt::AlignLeft : Qt::AlignRight) |
            Qt::AlignVCenter);
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("%1 %2 %3")
            .arg(kind_ == Kind::RateChanges ? QStringLiteral("Rate change")
                                            : QStringLiteral("Lump sum"))
            .arg(index.row() + 1)
            .arg(headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString());
    default:
        return {};
    }
}

QVariant PlanEventModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return QLatin1String(kind_ == Kind::RateChanges ? kRateHeadings[section]
                                                        : kLumpHeadings[section]);
    return {};
}
