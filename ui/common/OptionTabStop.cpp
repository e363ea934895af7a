#include "OptionTabStop.h"

#include <QFocusEvent>
#include <QRadioButton>

void OptionTabStop::Install(std::initializer_list<QRadioButton*> options) {
    if (options.size() == 0) return;
    auto* stop = new OptionTabStop(*options.begin());
    for (QRadioButton* option : options) {
        stop->options_.append(option);
        option->installEventFilter(stop);
    }
}

bool OptionTabStop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
    const auto* entered = qobject_cast<QRadioButton*>(watched);
    if (!entered || entered->isChecked()) return false;
    for (const QPointer<QRadioButton>& option : options_) {
        if (option && option != entered && option->isChecked() && option->isEnabled() &&
            option->isVisible()) {
            option->setFocus(reason);
            break;
        }
    }
    return false;
}
