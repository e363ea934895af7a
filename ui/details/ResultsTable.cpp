#include "ResultsTable.h"

#include "ResultsTableAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

ResultsTable::ResultsTable(QWidget* parent) : QWidget(parent), focusFrame_(new QWidget(this)) {
    // Reached by Tab only: a click on a cell chooses its row and leaves the focus in the field
    // being typed in, as it always did.
    setFocusPolicy(Qt::TabFocus);
    ResultsTableAccessible::Install();
    focusFrame_->setObjectName(QStringLiteral("focusFrame"));
    focusFrame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    focusFrame_->installEventFilter(this);
    focusFrame_->hide();
}

void ResultsTable::SetLabels(const std::array<QLabel*, kRows + 4>& headings,
                             const std::array<QLabel*, kRows * kColumns>& cells) {
    headings_ = headings;
    cells_ = cells;
    focusFrame_->raise();
}

void ResultsTable::SetChosenRow(int row) {
    if (row == chosen_) return;
    const int before = chosen_;
    chosen_ = row;
    PlaceFocusFrame();
    if (!QAccessible::isActive()) return;
    for (const int r : {before, row}) {
        if (r < 0) continue;
        for (int c = 0; c < kColumns; ++c) {
            QAccessible::State changed;
            changed.selected = true;
            QAccessibleStateChangeEvent selection(Cell(kColumns * r + c), changed);
            QAccessible::updateAccessibility(&selection);
        }
    }
    if (hasFocus() && row >= 0) {
        QAccessibleEvent focus(Cell(kColumns * row), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void ResultsTable::keyPressEvent(QKeyEvent* event) {
    int row = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        row = chosen_ < 0 ? kRows - 1 : std::max(chosen_ - 1, 0);
        break;
    case Qt::Key_Down:
        row = chosen_ < 0 ? 0 : std::min(chosen_ + 1, kRows - 1);
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = kRows - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit RowPicked(row);
}

bool ResultsTable::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) PlaceFocusFrame();
    return handled;
}

// The frame goes round the chosen row (the whole table while none is chosen), in the colour of
// the highlighted text so that it shows on the highlight.
void ResultsTable::PlaceFocusFrame() {
    if (!hasFocus() || !Cell(0)) {
        focusFrame_->hide();
        return;
    }
    QRect area;
    if (chosen_ >= 0) {
        for (int c = 0; c < kColumns; ++c)
            area |= Cell(kColumns * chosen_ + c)->geometry();
    } else {
        area = Cell(0)->geometry() | Cell(kRows * kColumns - 1)->geometry();
    }
    focusFrame_->setGeometry(area.adjusted(2, 2, -2, -2));
    focusFrame_->raise();
    focusFrame_->show();
    focusFrame_->update();
}

bool ResultsTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == focusFrame_ && event->type() == QEvent::Paint) {
        QPainter painter(focusFrame_);
        const QPalette::ColorRole role =
            chosen_ >= 0 ? QPalette::HighlightedText : QPalette::WindowText;
        painter.setPen(QPen(palette().color(QPalette::Active, role), 1, Qt::DotLine));
        painter.drawRect(focusFrame_->rect().adjusted(0, 0, -1, -1));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
