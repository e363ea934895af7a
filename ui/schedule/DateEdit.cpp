#include "DateEdit.h"

#include <QApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>

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
    edit->installEventFilter(new DateEdit(edit));
    return edit;
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool drop = (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier) ||
                      (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier);
    auto* edit = qobject_cast<QDateEdit*>(watched);
    if (!drop || !edit || !edit->calendarPopup()) return false;
    // The date edit opens its calendar only for a press on its arrow, at the right end; the
    // keys press it there.
    const QPoint arrow(edit->width() - 4, edit->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, arrow, edit->mapToGlobal(arrow), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &press);
    return true;
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
