#include "CompareModel.h"

#include "DateEdit.h"

#include "ui/common/QtText.h"

namespace {

constexpr const char* kNames[CompareModel::kColumns] = {
    "Scenario", "Installment", "Highest Installment", "Total Interest", "Last Period", "Last Date"};

} // namespace

CompareModel::CompareModel(QObject* parent) : QAbstractTableModel(parent) {}

void CompareModel::SetScenarios(const calc::ScheduleScenarios* scenarios) {
    beginResetModel();
    scenarios_ = scenarios;
    const calc::Scenario* planned =
        scenarios_ ? scenarios_->Find(calc::ScenarioKind::AsPlanned) : nullptr;
    dated_ = planned && planned->result.schedule && planned->result.schedule->HasDates();
    endResetModel();
}

QString CompareModel::ColumnName(int column) {
    return column >= 0 && column < kColumns ? QLatin1String(kNames[column]) : QString();
}

int CompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !scenarios_ ? 0 : static_cast<int>(scenarios_->All().size());
}

int CompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dated_ ? kColumns : kColumns - 1;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!scenarios_ || !index.isValid() || index.row() >= rowCount()) return {};
    const calc::Scenario& s = scenarios_->All()[static_cast<std::size_t>(index.row())];
    const QString name = QtText::FromUtf8(calc::ScheduleScenarios::Name(s.kind));
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == Scenario) return name;
        if (!s.result.schedule) {
            return index.column() == Installment
                       ? QtText::FromUtf8(calc::ScheduleProblemSentence(s.result))
                       : QString();
        }
        const calc::ScenarioFigures& f = s.figures;
        switch (index.column()) {
        case Installment:
            return QtText::Currency(f.instalment);
        case HighestInstallment:
            return QtText::Currency(f.highestInstalment);
        case TotalInterest:
            return QtText::Currency(f.totalInterest);
        case LastPeriod:
            return QString::number(f.lastPeriod);
        case LastDate:
            // In the locale's short form, as the window's other dates; the CSV keeps ISO.
            return f.lastDate ? DateEdit::Text(*f.lastDate) : QString();
        default:
            return {};
        }
    }
    case Qt::TextAlignmentRole:
        if (index.column() == Scenario || !s.result.schedule)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::AccessibleDescriptionRole:
        return name + QLatin1Char(' ') + ColumnName(index.column());
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return ColumnName(section);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}
