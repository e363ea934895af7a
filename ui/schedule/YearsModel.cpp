#include "YearsModel.h"

#include "ui/common/QtText.h"

namespace {

constexpr const char* kNames[YearsModel::kColumns] = {"Year",     "Periods",   "Payments",
                                                      "Interest", "Principal", "Balance"};

} // namespace

YearsModel::YearsModel(QObject* parent) : QAbstractTableModel(parent) {}

void YearsModel::SetSchedule(const calc::LoanSchedule* schedule) {
    beginResetModel();
    years_.reset();
    if (schedule) years_.emplace(*schedule);
    endResetModel();
}

QString YearsModel::ColumnName(int column) {
    return column >= 0 && column < kColumns ? QLatin1String(kNames[column]) : QString();
}

int YearsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !years_ ? 0 : static_cast<int>(years_->Rows().size());
}

int YearsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant YearsModel::data(const QModelIndex& index, int role) const {
    if (!years_ || !index.isValid() || index.row() >= rowCount()) return {};
    const calc::YearRow& row = years_->Rows()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Year:
            return QString::number(row.year);
        case Periods:
            return row.firstPeriod == row.lastPeriod
                       ? QString::number(row.firstPeriod)
                       : QStringLiteral("%1\u2013%2").arg(row.firstPeriod).arg(row.lastPeriod);
        case Payments:
            return QtText::Currency(row.payments);
        case Interest:
            return QtText::Currency(row.interest);
        case Principal:
            return QtText::Currency(row.principal);
        case Balance:
            return QtText::Currency(row.balance);
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::AccessibleDescriptionRole:
        // A screen reader hears which year a cell is of, as the period table says its period.
        return QStringLiteral("%1 %2 %3")
            .arg(years_->Calendar() ? QStringLiteral("Year") : QStringLiteral("Loan year"))
            .arg(row.year)
            .arg(ColumnName(index.column()));
    default:
        return {};
    }
}

QVariant YearsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (section == Year && years_ && !years_->Calendar()) return QStringLiteral("Loan Year");
        return ColumnName(section);
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}
