// The number fields' input rules on a plain field with the dollars-and-cents rule, each case in
// both ways of treating the other keys: what typing takes, which keys go on to the field and the
// window, and a paste by every route taken only when typing it would be.
#include "ui/common/NumberFieldFilter.h"

#include "calc/KeyFilter.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <memory>

using Keys = NumberFieldFilter::Keys;

namespace {

constexpr Keys kBothWays[] = {Keys::AllTyped, Keys::Commands};

const char* Way(Keys keys) {
    return keys == Keys::AllTyped ? "all typed" : "commands";
}

bool Amount(std::u16string_view text, int caret, int selected, int key) {
    return calc::FilterAmountKey(text, caret, selected, key) != 0;
}

// A dialog holding one filtered field, shown and active, the field focused with its caret at the
// end of before.
std::unique_ptr<QDialog> OpenWindow(Keys keys, const QString& before) {
    auto dialog = std::make_unique<QDialog>();
    auto* field = new QLineEdit(dialog.get());
    (new QVBoxLayout(dialog.get()))->addWidget(field);
    NumberFieldFilter::Install(field, Amount, keys);
    field->setText(before);
    dialog->show();
    dialog->activateWindow();
    (void)QTest::qWaitForWindowActive(dialog.get());
    field->setFocus();
    field->end(false);
    return dialog;
}

} // namespace

class tst_NumberFieldFilter : public QObject {
    Q_OBJECT

  private slots:
    void keys_data();
    void keys();
    void paste_data();
    void paste();
};

void tst_NumberFieldFilter::keys_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");   // characters, then
    QTest::addColumn<QString>("pressed"); // a key sequence
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("after"); // all typed, commands; "closed" when the window is
    const auto row = [](const char* name, const char* before, const char* typed,
                        const char* pressed, const char* clipboard, const char* allTyped,
                        const char* commands) {
        QTest::newRow(name) << before << typed << pressed << clipboard
                            << QStringList{allTyped, commands};
    };
    row("digits and one point", "", "12x.3.45", "", "", "12.34", "12.34");
    row("blanks, signs, commas", "", " -1,0+$", "", "", "10", "10");
    row("eight whole digits", "1234567", "89.9", "", "", "12345678.9", "12345678.9");
    row("Esc", "12", "", "Esc", "", "12", "closed");
    row("Ctrl+V", "12", "", "Ctrl+V", "75", "12", "1275");
    row("Ctrl+V as typed", "12", "", "Ctrl+V", "7,5", "12", "12");
    row("Ctrl+A", "12", "", "Ctrl+A, Backspace", "", "1", "");
    row("deleting a point", "1.25", "", "Home, Right, Delete", "", "125", "125");
    row("deleting the point of nine whole digits", "12345678.5", "", "End, Left, Left, Delete", "",
        "123456785", "12345678.5");
}

void tst_NumberFieldFilter::keys() {
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, pressed);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, after);
    QGuiApplication::clipboard()->setText(clipboard);
    if (QGuiApplication::clipboard()->text() != clipboard) QSKIP("no clipboard on this platform");
    for (const Keys keys : kBothWays) {
        const auto window = OpenWindow(keys, before);
        auto* field = window->findChild<QLineEdit*>();
        QTest::keyClicks(field, typed);
        QTest::keySequence(field, QKeySequence(pressed));
        const QString& expected = after[keys == Keys::AllTyped ? 0 : 1];
        const QString shown = window->isVisible() ? field->text() : QStringLiteral("closed");
        QVERIFY2(
            shown == expected,
            qPrintable(QStringLiteral("%1: \"%2\", not \"%3\"").arg(Way(keys), shown, expected)));
    }
}

void tst_NumberFieldFilter::paste_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("taken");
    for (const char* route : {"Shift+Insert", "menu", "drop", "middle button"}) {
        const auto row = [route](const char* name, const char* before, const char* pasted,
                                 bool taken) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(route, name)))
                << QString::fromLatin1(route) << before << pasted << taken;
        };
        row("dollars and cents", "1", "250.75", true);
        row("grouping comma", "12", "1,000", false);
        row("a ninth whole digit", "1234567", "89", false);
        row("a line break", "", "50\n", false);
    }
}

// Pasted at the end of the field, where the caret is; a taken paste is told once.
void tst_NumberFieldFilter::paste() {
    QFETCH(QString, route);
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(bool, taken);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QClipboard::Mode mode =
        route == "middle button" ? QClipboard::Selection : QClipboard::Clipboard;
    if (mode == QClipboard::Selection && !clipboard->supportsSelection())
        QSKIP("no selection to paste on this platform");
    clipboard->setText(pasted, mode);
    if (clipboard->text(mode) != pasted) QSKIP("no clipboard on this platform");

    for (const Keys keys : kBothWays) {
        const auto window = OpenWindow(keys, before);
        auto* field = window->findChild<QLineEdit*>();
        QSignalSpy told(field->findChild<NumberFieldFilter*>(), &NumberFieldFilter::Pasted);
        const QPoint end(field->width() - 4, field->height() / 2);
        if (route == "Shift+Insert") {
            QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (route == "menu") {
            QContextMenuEvent event(QContextMenuEvent::Mouse, end, field->mapToGlobal(end));
            QApplication::sendEvent(field, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const QList<QAction*> actions = menu->actions();
            const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
                return action->text().startsWith(QStringLiteral("&Paste"));
            });
            QVERIFY(paste != actions.end());
            QCOMPARE((*paste)->isEnabled(), taken); // offered only when it would be taken
            if (taken) (*paste)->trigger();
            menu->close();
        } else if (route == "drop") {
            QMimeData data;
            data.setText(pasted);
            QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(field, &enter);
            QVERIFY(enter.isAccepted());
            // The field shows where it would land only where it would be taken.
            QDragMoveEvent move(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(field, &move);
            QCOMPARE(move.isAccepted(), taken);
            QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(field, &drop);
            QCOMPARE(drop.isAccepted(), taken);
        } else {
            QTest::mouseClick(field, Qt::MiddleButton, {}, end);
        }
        QVERIFY2(field->text() == (taken ? before + pasted : before), Way(keys));
        QVERIFY2(told.count() == (taken ? 1 : 0), Way(keys));
    }
}

QTEST_MAIN(tst_NumberFieldFilter)
#include "tst_numberfieldfilter.moc"
