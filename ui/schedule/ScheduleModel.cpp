#include "ScheduleModel.h"

#include "DateEdit.h"

#include "calc/LoanSchedule.h"
#include "ui/common/QtText.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace {

constexpr const char* kParts[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kAmounts[4] = {"Payment", "Interest", "Principal", "Balance"};

calc::Cents Field(const calc::ScheduleRow& row, int amount) {
    switch (amount) {
    case 0:
        return row.payment;
    case 1:
        return row.interest;
    case 2:
        return row.Principal();
    default:
        return row.balance;
    }
}

} // namespace

ScheduleModel::ScheduleModel(QObject* parent) : QAbstractTableModel(parent) {}

void ScheduleModel::SetSchedule(const calc::LoanSchedule* schedule) {
    beginResetModel();
    schedule_ = schedule;
    dates_ = schedule && schedule->HasDates();
    endResetModel();
}

QString ScheduleModel::ColumnName(int column) {
    if (column <= 0 || column >= kColumns) return QStringLiteral("Period");
    return QStringLiteral("%1 %2").arg(QLatin1String(kParts[(column - 1) / 4]),
                                       QLatin1String(kAmounts[(column - 1) % 4]));
}

bool ScheduleModel::HasDateColumn() const {
    return dates_;
}

int ScheduleModel::AmountColumn(int part, int amount) const {
    return 1 + (dates_ ? 1 : 0) + 4 * part + amount;
}

int ScheduleModel::PlainColumn(int column) const {
    if (!dates_ || column == 0) return column;
    return column == 1 ? -1 : column - 1;
}

QString ScheduleModel::WidestAmount() const {
    calc::Cents largest = 0, lowest = 0;
    if (schedule_) {
        // The loan's rows hold the sums of the parts', so the extremes are among them.
        for (std::size_t k = 0; k < schedule_->Periods(); ++k) {
            const calc::ScheduleRow row = schedule_->Row(k);
            for (const calc::Cents amount : {row.payment, row.Principal(), row.balance}) {
                largest = std::max(largest, amount);
                lowest = std::min(lowest, amount);
            }
        }
    }
    const QString high = QtText::Currency(largest), low = QtText::Currency(lowest);
    return low.size() > high.size() ? low : high;
}

QString ScheduleModel::EventsText(int period) const {
    if (!schedule_) return {};
    QStringList sentences;
    for (const calc::ScheduleEvent& event : schedule_->EventsIn(period))
        sentences << QtText::FromUtf8(calc::ScheduleEventText(event)) + QLatin1Char('.');
    return sentences.join(QLatin1Char(' '));
}

std::optional<calc::ScheduleRow> ScheduleModel::RowOf(int part, int period) const {
    const auto k = static_cast<std::size_t>(period);
    if (part == 2) return schedule_->Row(k);
    const auto& rows = part == 0 ? schedule_->Variable().Rows() : schedule_->Fixed().Rows();
    if (k >= rows.size()) return std::nullopt;
    return rows[k];
}

int ScheduleModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !schedule_) return 0;
    return static_cast<int>(schedule_->Periods());
}

int ScheduleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns + (dates_ ? 1 : 0);
}

QVariant ScheduleModel::data(const QModelIndex& index, int role) const {
    if (!schedule_ || !index.isValid()) return {};
    const int period = index.row();
    const int column = PlainColumn(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (column == 0) return QString::number(period + 1);
        if (column < 0) {
            const auto date = schedule_->DateOf(period + 1);
            if (!date) return QString();
            return DateEdit::Text(*date);
        }
        const std::optional<calc::ScheduleRow> row = RowOf((column - 1) / 4, period);
        return row ? QtText::Currency(Field(*row, (column - 1) % 4)) : QString();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::AccessibleDescriptionRole: {
        QString text = QStringLiteral("Period %1 %2")
                           .arg(period + 1)
                           .arg(column < 0 ? QStringLiteral("Date") : ColumnName(column));
        const QString events = EventsText(period + 1);
        if (!events.isEmpty()) text += QStringLiteral(". ") + events;
        return text;
    }
    case Qt::ToolTipRole: {
        const QString events = EventsText(period + 1);
        return events.isEmpty() ? QVariant() : QVariant(events);
    }
    case Qt::FontRole: {
        if (schedule_->EventsIn(period + 1).empty()) return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::BackgroundRole: {
        if (schedule_->EventsIn(period + 1).empty()) return {};
        // The selection's colour, faint: marked in any colour scheme, and never mistaken for
        // the selected row itself.
        QColor mark = QGuiApplication::palette().color(QPalette::Highlight);
        mark.setAlpha(48);
        return mark;
    }
    default:
        return {};
    }
}

QVariant ScheduleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const int column = PlainColumn(section);
    if (role == Qt::DisplayRole) {
        if (column == 0) return QStringLiteral("Period");
        if (column < 0) return QStringLiteral("Date");
        return QStringLiteral("%1\n%2").arg(QLatin1String(kParts[(column - 1) / 4]),
                                            QLatin1String(kAmounts[(column - 1) % 4]));
    }
    if (role == Qt::AccessibleTextRole)
        return column < 0 ? QStringLiteral("Date") : ColumnName(column);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}
