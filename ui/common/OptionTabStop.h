#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <initializer_list>

class QRadioButton;

// Tab into a group of options lands on the chosen one, as in any option group; Qt itself lands
// on the group's first option in the tab order, whichever is chosen, and never reaches the rest.
class OptionTabStop : public QObject {
  public:
    // Watches the options of one group; the watcher lives as long as the first of them.
    static void Install(std::initializer_list<QRadioButton*> options);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit OptionTabStop(QObject* parent) : QObject(parent) {}
    QList<QPointer<QRadioButton>> options_;
};
