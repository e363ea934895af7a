#include "NumberFieldFilter.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <utility>

namespace {

// Where typed or pasted text goes in: the selection's start, or the caret.
int SelectionStart(const QLineEdit* field) {
    return field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
}

int SelectedLength(const QLineEdit* field) {
    return static_cast<int>(field->selectedText().size());
}

bool IsControl(int code) {
    return code < 0x20 || code == 0x7f;
}

// The character code a key press would type, as the rule sees it: -1 for keys that type nothing
// (moving the caret, deleting forwards, Tab, modifiers), control codes for Ctrl combinations,
// Backspace, Enter and Esc, 0 for combinations that must never type.
int CharCode(const QKeyEvent* event) {
    const int key = event->key();
    const auto modifiers = event->modifiers();
    if (key == Qt::Key_Backspace) return modifiers & Qt::ControlModifier ? 127 : 8;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return 13;
    if (key == Qt::Key_Escape) return 27;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete) return -1;
    if (modifiers & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return key - Qt::Key_A + 1;
        if (key >= Qt::Key_BracketLeft && key <= Qt::Key_Underscore) return key - Qt::Key_A + 1;
        return -1;
    }
    const QString text = event->text();
    if (text.isEmpty()) return -1;
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return 0;
    const QList<uint> characters = text.toUcs4();
    if (characters.size() != 1) return 0; // composed input is no single character
    const uint c = characters.front();
    if (IsControl(static_cast<int>(c))) return -1;
    return static_cast<int>(c);
}

} // namespace

NumberFieldFilter::NumberFieldFilter(QLineEdit* field, calc::TypingRule rule, Keys keys)
    : QValidator(field), field_(field), rule_(std::move(rule)), keys_(keys) {}

NumberFieldFilter* NumberFieldFilter::Install(QLineEdit* field, calc::TypingRule rule, Keys keys) {
    auto* filter = new NumberFieldFilter(field, std::move(rule), keys);
    field->installEventFilter(filter);
    if (keys == Keys::Commands) {
        field->setValidator(filter);
    } else {
        // Nothing else stands between an input method and the field's text.
        field->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    return filter;
}

bool NumberFieldFilter::PasteAccepted(const QString& pasted, int caret, int selected) const {
    return calc::PasteAccepted(field_->text().toStdU16String(), caret, selected,
                               pasted.toStdU16String(), rule_, field_->maxLength());
}

QValidator::State NumberFieldFilter::validate(QString& text, int& /*pos*/) const {
    if (text.isEmpty()) return Acceptable;
    return calc::PasteAccepted(std::u16string_view(), 0, 0, text.toStdU16String(), rule_,
                               field_->maxLength())
               ? Acceptable
               : Invalid;
}

bool NumberFieldFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        ContextMenu(static_cast<QContextMenuEvent*>(event));
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return MiddleButton(static_cast<QMouseEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return Drop(static_cast<QDropEvent*>(event));
    default:
        return false;
    }
}

// Returns true when the key is dropped or already handled.
bool NumberFieldFilter::KeyPress(const QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->matches(QKeySequence::Paste) && (keys_ == Keys::Commands || !ctrl)) {
        Paste(QGuiApplication::clipboard()->text(), SelectionStart(field_), SelectedLength(field_));
        return true;
    }
    const int code = CharCode(event);
    if (code < 0) return false;
    if (keys_ == Keys::Commands && (code == 0 || IsControl(code))) return false;
    if (code == 0) return true;
    return !rule_(field_->text().toStdU16String(), SelectionStart(field_), SelectedLength(field_),
                  code);
}

// The field's own menu, with its Paste going through the rule.
void NumberFieldFilter::ContextMenu(const QContextMenuEvent* event) {
    QMenu* menu = field_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString shortcut =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    const int caret = SelectionStart(field_);
    const int selected = SelectedLength(field_);
    for (QAction* action : menu->actions()) {
        if (!action->text().endsWith(shortcut)) continue;
        const QString pasted = QGuiApplication::clipboard()->text();
        action->disconnect();
        action->setEnabled(PasteAccepted(pasted, caret, selected));
        connect(action, &QAction::triggered, this,
                [this, pasted, caret, selected] { Paste(pasted, caret, selected); });
    }
    menu->popup(event->globalPos());
}

// The middle button pastes the selection on X11, where it goes up.
bool NumberFieldFilter::MiddleButton(const QMouseEvent* event) {
    if (event->button() != Qt::MiddleButton) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->type() == QEvent::MouseButtonRelease && clipboard->supportsSelection()) {
        Paste(clipboard->text(QClipboard::Selection),
              field_->cursorPositionAt(event->position().toPoint()), 0);
    }
    return true;
}

// A drop is a paste where it lands. Text dragged within the field itself is not taken: moving
// digits about is no paste the rule could judge character by character.
bool NumberFieldFilter::Drop(QDropEvent* event) {
    if (event->source() == field_ || !event->mimeData()->hasText()) {
        event->ignore();
        return true;
    }
    // Each place is judged as the drag moves over it.
    if (event->type() == QEvent::DragEnter) return false;
    const QString text = event->mimeData()->text();
    const int at = field_->cursorPositionAt(event->position().toPoint());
    if (!PasteAccepted(text, at, 0)) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::DragMove) return false; // the field shows where it would land
    Paste(text, at, 0);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void NumberFieldFilter::Paste(const QString& pasted, int caret, int selected) {
    if (!PasteAccepted(pasted, caret, selected)) return;
    if (selected > 0)
        field_->setSelection(caret, selected);
    else
        field_->setCursorPosition(caret);
    field_->insert(pasted);
    emit Pasted();
}
