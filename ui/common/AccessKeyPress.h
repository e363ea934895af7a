#pragma once

#include <QObject>

#include <initializer_list>

class QAbstractButton;

// A button's access key presses it at once, after taking the focus as a click would, rather than
// after the flash of an animated click: the command runs before the key is let go, as a click's
// does, and a second key cannot slip in between.
class AccessKeyPress : public QObject {
  public:
    // Watches each of the buttons for as long as it lives.
    static void Install(std::initializer_list<QAbstractButton*> buttons);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit AccessKeyPress(QObject* parent) : QObject(parent) {}
};
