#include "AccessKeyPress.h"

#include <QAbstractButton>
#include <QShortcutEvent>

void AccessKeyPress::Install(std::initializer_list<QAbstractButton*> buttons) {
    for (QAbstractButton* button : buttons)
        button->installEventFilter(new AccessKeyPress(button));
}

bool AccessKeyPress::eventFilter(QObject* watched, QEvent* event) {
    // A key shared by several controls only moves the focus between them; Qt does that itself.
    if (event->type() != QEvent::Shortcut || static_cast<QShortcutEvent*>(event)->isAmbiguous())
        return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button) return false;
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    return true;
}
