#pragma once

#include <QDate>
#include <QObject>

#include <chrono>

class QDateEdit;
class QWidget;

// The program's date fields: the user's own short date form, with all four digits of the year
// (a two-digit year would be read as one of the 1900s), and a calendar to pick from, which F4 or
// Alt+Down drops down as they do a list.
class DateEdit : public QObject {
  public:
    static QDateEdit* Make(QWidget* parent);
    // The user's short date form with a four-digit year.
    static QString Format();
    // A date as the window and the print-out show it: Format() in the user's locale.
    static QString Text(const std::chrono::year_month_day& date);

    static QDate ToQDate(const std::chrono::year_month_day& date);
    static std::chrono::year_month_day FromQDate(const QDate& date);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit DateEdit(QObject* parent) : QObject(parent) {}
};
