#pragma once

#include "calc/KeyFilter.h"

#include <QValidator>

class QContextMenuEvent;
class QDropEvent;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;

// The input rules of a number field. A key types its character only where the rule takes it; a
// paste (Shift+Insert, the context menu's Paste, the middle button, a drop) is taken only when
// typing the same characters at the same place would have taken every one of them, and otherwise
// changes nothing. The menu offers Paste only when it would be taken.
class NumberFieldFilter : public QValidator {
    Q_OBJECT
  public:
    enum class Keys {
        // Every key that types a character goes through the rule, a control character too, as the
        // loan details' fields have always had it: Ctrl+V types a character the rule drops, and
        // Shift+Insert is the paste key.
        AllTyped,
        // Control keys keep their usual meaning (copy, cut, select all, undo; Enter and Esc go on
        // to the window), Ctrl+V pastes as Shift+Insert does, and an edit the rule never sees (a
        // deletion, a cut, an undo) is refused when it leaves a text the rule could not have
        // typed, such as the point taken out from between eight digits and two.
        Commands,
    };

    // Filters field for as long as it lives.
    static NumberFieldFilter* Install(QLineEdit* field, calc::TypingRule rule, Keys keys);

    // Whether pasted, put in at caret over selected characters, would be taken.
    bool PasteAccepted(const QString& pasted, int caret, int selected) const;
    // A text is acceptable when typing it into the empty field, left to right, would take it.
    State validate(QString& text, int& pos) const override;

  signals:
    // A paste was taken; the field shows it.
    void Pasted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    NumberFieldFilter(QLineEdit* field, calc::TypingRule rule, Keys keys);
    bool KeyPress(const QKeyEvent* event);
    void ContextMenu(const QContextMenuEvent* event);
    bool MiddleButton(const QMouseEvent* event);
    bool Drop(QDropEvent* event);
    void Paste(const QString& pasted, int caret, int selected);

    QLineEdit* field_;
    calc::TypingRule rule_;
    Keys keys_;
};
