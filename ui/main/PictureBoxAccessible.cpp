#include "PictureBoxAccessible.h"

#include "PictureBox.h"

#include <QKeySequence>
#include <QTimer>

#include <algorithm>

namespace {

bool IsPressedLook(const QObject* object) {
    const auto* box = qobject_cast<const PictureBox*>(object);
    return box && box->IsPressedLook();
}

// A plain widget holding pressed pictures: its children without them.
class PictureHostAccessible final : public QAccessibleWidget {
  public:
    explicit PictureHostAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = Children();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(Children().indexOf(qobject_cast<QWidget*>(child->object())))
                     : -1;
    }

  private:
    QList<QWidget*> Children() const {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !IsPressedLook(child)) children << child;
        }
        return children;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("PictureBox"))
        return new PictureBoxAccessible(static_cast<PictureBox*>(object));
    // Any picture's holder: a picture may be made a button's look after its holder was asked for.
    if (className != QLatin1String("QWidget") || !object->isWidgetType()) return nullptr;
    const QObjectList& children = object->children();
    const auto isPicture = [](const QObject* child) {
        return qobject_cast<const PictureBox*>(child);
    };
    if (std::none_of(children.begin(), children.end(), isPicture)) return nullptr;
    return new PictureHostAccessible(static_cast<QWidget*>(object));
}

} // namespace

void PictureBoxAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

PictureBoxAccessible::PictureBoxAccessible(PictureBox* box) : QAccessibleWidget(box) {}

PictureBox* PictureBoxAccessible::Box() const {
    return static_cast<PictureBox*>(widget());
}

// Asked each time: a picture may become a button after its interface was made.
QAccessible::Role PictureBoxAccessible::role() const {
    return Box()->IsButton() ? QAccessible::Button : QAccessible::Graphic;
}

QAccessible::State PictureBoxAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    if (Box()->IsButton()) state.pressed = !Box()->PictureShown();
    return state;
}

QStringList PictureBoxAccessible::actionNames() const {
    QStringList names;
    if (Box()->IsButton()) names << pressAction();
    if (Box()->focusPolicy() & Qt::TabFocus) names << setFocusAction();
    return names;
}

// The press runs once the tool's request has been answered: the command may open a modal
// dialog, and the tool must not wait for that to close.
void PictureBoxAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() && Box()->IsButton()) {
        QTimer::singleShot(0, Box(), &PictureBox::Press);
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList PictureBoxAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction() && Box()->IsButton())
        return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
