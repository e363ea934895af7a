#include "PictureBox.h"

#include "PictureBoxAccessible.h"

#include <QAccessible>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

PictureBox::PictureBox(const QPixmap& picture, bool border, QWidget* parent)
    : QWidget(parent), picture_(picture), drawings_(picture), border_(border) {
    // In the tab order like the other controls, but a click does not take the focus.
    setFocusPolicy(Qt::TabFocus);
    PictureBoxAccessible::Install();
}

void PictureBox::SetPressedLook(PictureBox* pressed) {
    pressedLook_ = pressed;
    pressed->lookOf_ = this;
    pressed->setFocusPolicy(Qt::NoFocus);
}

void PictureBox::Press() {
    emit MouseDown();
    emit MouseUp();
}

PictureBox::PictureBox(const QString& fileName, bool border, QWidget* parent)
    : PictureBox(QPixmap(fileName), border, parent) {
    // Added whatever the screens' ratio is now: the window may later move to a denser screen.
    const QFileInfo file(fileName);
    const QString dense =
        QStringLiteral("%1/%2@2x.%3").arg(file.path(), file.completeBaseName(), file.suffix());
    // Read from NAME@2x, the image carries its ratio of 2.
    if (QFileInfo::exists(dense)) drawings_.addPixmap(QPixmap(dense));
}

QPixmap PictureBox::PictureFor(qreal devicePixelRatio) const {
    // The drawing made for the ratio, or failing that the nearest larger one scaled down.
    return drawings_.pixmap(picture_.deviceIndependentSize().toSize(), devicePixelRatio);
}

void PictureBox::SetPictureShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    update();
    if (IsButton()) {
        QAccessible::State changed;
        changed.pressed = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (!shown_) return;
    QPainter painter(this);
    const QRect inside = border_ ? rect().adjusted(1, 1, -1, -1) : rect();
    if (border_) {
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    // Fitted to its picture: drawn at its own size in the middle, scaled down only if the box is
    // smaller (high-DPI screens make the box larger).
    QSize size = picture_.deviceIndependentSize().toSize();
    if (size.width() > inside.width() || size.height() > inside.height())
        size.scale(inside.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), size);
    target.moveCenter(inside.center());
    painter.drawPixmap(target, PictureFor(devicePixelRatioF()));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = inside.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit MouseDown();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit MouseUp();
}

// Keys press only a button, once however long they are held. Space goes down and up like the
// mouse button; Enter is a whole click.
void PictureBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!IsButton() || (key != Qt::Key_Space && !enter) ||
        (event->modifiers() & ~Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || spaceDown_) return;
    if (enter) {
        Press();
        return;
    }
    spaceDown_ = true;
    emit MouseDown();
}

void PictureBox::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || !spaceDown_) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat()) return;
    spaceDown_ = false;
    emit MouseUp();
}

// Leaving with Space still down lets the button up without pressing it.
void PictureBox::focusOutEvent(QFocusEvent* event) {
    if (spaceDown_) {
        spaceDown_ = false;
        SetPictureShown(true);
    }
    QWidget::focusOutEvent(event);
}
