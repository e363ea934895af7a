#include "DateEdit.h"

#include <QDateEdit>
#include <QLocale>

QString DateEdit::Format() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QDateEdit* DateEdit::Make(QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setDisplayFormat(Format());
    edit->setCalendarPopup(true);
    // The years a payment calendar knows.
    edit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    return edit;
}

QString DateEdit::Text(const std::chrono::year_month_day& date) {
    return QLocale().toString(ToQDate(date), Format());
}

QDate DateEdit::ToQDate(const std::chrono::year_month_day& date) {
    return QDate(static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                 static_cast<int>(unsigned(date.day())));
}

std::chrono::year_month_day DateEdit::FromQDate(const QDate& date) {
    return std::chrono::year_month_day{std::chrono::year(date.year()),
                                       std::chrono::month(static_cast<unsigned>(date.month())),
                                       std::chrono::day(static_cast<unsigned>(date.day()))};
}
