// The loan details dialog driven through real key and mouse events, offscreen.
#include "LoanDetailsHarness.h"

#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Printer.h"
#include "ui/details/ResultsTable.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

using Buttons = Interaction::Buttons;
using Icon = Interaction::Icon;
using Answer = Interaction::Answer;

namespace {

const QColor kCyan(192, 255, 255);
QColor System(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(QPalette::Active, role);
}
QColor Background(const QLineEdit* field) {
    return field->palette().color(QPalette::Base);
}
bool Highlighted(const QLabel* cell) {
    return cell->palette().color(QPalette::Window) == System(QPalette::Highlight) &&
           cell->palette().color(QPalette::WindowText) == System(QPalette::HighlightedText);
}
bool Plain(const QLabel* cell) {
    return cell->palette().color(QPalette::Window) == System(QPalette::Base) &&
           cell->palette().color(QPalette::WindowText) == System(QPalette::ButtonText);
}
QString AccessibleText(QObject* object, QAccessible::Text which) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(which) : QString();
}

const QStringList kExampleCells = {"$458.54",    "$23,909.42", "",           "$917.30",
                                   "$23,915.35", "$5.93",      "$996.52",    "$23,916.37",
                                   "$1.02",      "$1,994.10",  "$23,929.25", "$12.88",
                                   "$5,995.18",  "$23,980.74", "$51.49"};

const char* kDescriptionMessage = "Loan description must be entered.";
const char* kAllFieldsMessage = "All fields must have a value. Place a zreo where no value is "
                                "required. Click option Loan Active.";
const char* kOverwriteMessage =
    "This loan description already exists. Modify the existing loan by over writing?";

std::array<std::string, loan::kLoanCols> LoanRow(const char* code, const char* term,
                                                 const char* active, const char* time = "Monthly") {
    return {code, "100000", term, "100",   "6.5",   "100000", "0",
            "5",  "0",      time, "$1.00", "$2.00", active};
}

// Message boxes that behave like real ones towards the dialog: while one is up another window
// is active, and closing it gives the activation back.
class CoveringMessages final : public Interaction {
  public:
    int shown = 0;
    Answer Message(QWidget* parent, const QString&, const QString&, Buttons, Icon) override {
        ++shown;
        QWidget box;
        box.resize(200, 80);
        box.show();
        QApplication::setActiveWindow(&box);
        (void)QTest::qWaitForWindowActive(&box);
        box.hide();
        QApplication::setActiveWindow(parent->window());
        (void)QTest::qWaitForWindowActive(parent->window());
        return Answer::OK;
    }
    std::optional<QString> ChooseFile(QWidget*, const FileRequest&) override { return {}; }
    std::unique_ptr<Printer> ChoosePrinter(QWidget*) override { return nullptr; }
    int Exec(QDialog&) override { return 0; }
};

} // namespace

class tst_LoanDetails : public QObject {
    Q_OBJECT
  private slots:
    void designState();
    void tabOrderAndAccessKeys();
    void tabEntersTheChosenActiveOption();
    void accessibleNames();
    void filterKeys_data();
    void filterKeys();
    void controlKeysInNumberFields();
    void pasteAsTyped_data();
    void pasteAsTyped();
    void pasteRecalculates();
    void liveTableWhileTyping();
    void enterWalksTheFieldsAndClosesNothing();
    void focusColoursAndSelection();
    void roundingOnLeaving_data();
    void roundingOnLeaving();
    void programTextsAreNotCut();
    void celClickChoosesRow_data();
    void celClickChoosesRow();
    void keysChooseRows();
    void resultsTableToAssistiveTools();
    void captionClickCutsOversizedNumber();
    void keysThatChangeNothingKeepTypedAmounts();
    void calculationFailureShownOnce();
    void failureWithEmptyTableIsBounded();
    void deactivationIsNoFocusLoss();
    void okChecks_data();
    void okChecks();
    void okWritesNewRow();
    void okOverwriteInPlace();
    void okOverwriteDeclined();
    void okCodeCaseAndBlanks();
    void okSavesResultsOfTheFieldsShown();
    void cancelAndTitleBarWriteNothing();
    void accessKeysPressButtons();
    void queryByCode();
    void queryByCodeNotFound();
    void queryByExample_data();
    void queryByExample();
    void queryOffersToSaveUnsavedLoans();
    void shownThroughInteraction();
    void layoutShowsEverything();
    void screenshot();
};

void tst_LoanDetails::designState() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    QCOMPARE(d.windowTitle(), QStringLiteral("Dravenholt Information Technology - Loan Details"));
    QCOMPARE(d.size(), QSize(qRound(9315 * d.logicalDpiX() / 1440.0),
                             qRound(6480 * d.logicalDpiY() / 1440.0)));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const QRect screen = d.screen()->geometry();
    // Centred when loaded, before the window frame is known: within the frame's few pixels.
    QVERIFY(qAbs(d.frameGeometry().center().x() - screen.center().x()) <= 3);
    QVERIFY(qAbs(d.frameGeometry().center().y() - screen.center().y()) <= 3);

    const int maxLength[9] = {15, 6, 6, 6, 15, 6, 6, 15, 15};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(h.Field(i)->maxLength(), maxLength[i]);
        QCOMPARE(h.Text(i), (i == 3 || i == 6) ? QStringLiteral("0") : QString());
    }
    QVERIFY(d.OptYes()->isChecked());
    QVERIFY(!d.OptNo()->isChecked());
    const QStringList headings = {"Time",       "Installment", "Yearly Payment",
                                  "Difference", "Weekly",      "Fortnightly",
                                  "Bi Monthly", "Monthly",     "Quaterly"};
    for (int g = 0; g < 9; ++g)
        QCOMPARE(d.Gridf(g)->text(), headings[g]);
    for (int c = 0; c < 15; ++c) {
        QVERIFY(h.Cell(c).isEmpty());
        QVERIFY2(c / 3 == 3 ? Highlighted(d.Cel(c)) : Plain(d.Cel(c)),
                 qPrintable(QString::number(c)));
    }
    QCOMPARE(QApplication::focusWidget(), h.Field(8));
    QCOMPARE(Background(h.Field(8)), kCyan);

    // The caption beside a field and the field it acts on differ for the pairs 3/4 and 6/7.
    const int besideField[9] = {0, 1, 2, 4, 3, 5, 7, 6, 8};
    const QStringList captions = {"&Principal $", "&Term",        "&Principal",
                                  "P&rincipal $", "&Interest PA", "&Principal",
                                  "&Principal $", "&Interest PA", "&Loan Code"};
    for (int l = 0; l < 9; ++l) {
        QCOMPARE(d.lblLoanRec(l)->text(), captions[l]);
        QCOMPARE(d.lblLoanRec(l)->buddy(), h.Field(besideField[l]));
        QCOMPARE(d.lblLoanRec(l)->parentWidget(), h.Field(besideField[l])->parentWidget());
        // Aligned with its field and left of it.
        QCOMPARE(d.lblLoanRec(l)->geometry().center().y(),
                 h.Field(besideField[l])->geometry().center().y());
        QVERIFY(d.lblLoanRec(l)->geometry().right() < h.Field(besideField[l])->geometry().left());
    }
    QCOMPARE(d.Frame1(0)->title(), QStringLiteral("Loa&n"));
    QCOMPARE(d.Frame1(1)->title(), QStringLiteral("&Variable"));
    QCOMPARE(d.Frame1(2)->title(), QStringLiteral("&Fixed"));
    QCOMPARE(d.FraActive()->title(), QStringLiteral("Acti&ve"));
    for (QPushButton* button : {d.cmdQuery(), d.cmdOK(), d.cmdCancel()}) {
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
    }
    QVERIFY(h.user.Done());
}

void tst_LoanDetails::tabEntersTheChosenActiveOption() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    d.OptNo()->setChecked(true); // as Edit opens an inactive loan
    h.Focus(6);
    h.Key(Qt::Key_Tab);
    h.Key(Qt::Key_Tab); // past the results table
    QCOMPARE(QApplication::focusWidget(), d.OptNo());
    h.Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.cmdQuery());
    h.Key(Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), d.OptNo());
    QVERIFY(d.OptNo()->isChecked());
}

void tst_LoanDetails::tabOrderAndAccessKeys() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    const QList<QWidget*> order = {h.Field(0),   h.Field(1), h.Field(2),    h.Field(4),  h.Field(3),
                                   h.Field(5),   h.Field(7), h.Field(6),    d.Results(), d.OptYes(),
                                   d.cmdQuery(), d.cmdOK(),  d.cmdCancel(), h.Field(8)};
    for (QWidget* expected : order) {
        h.Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    struct AccessKey {
        Qt::Key key;
        QWidget* target;
    };
    // A caption's key goes to the field beside it, a frame's to its first field.
    for (const AccessKey& access :
         {AccessKey{Qt::Key_R, h.Field(4)}, AccessKey{Qt::Key_T, h.Field(1)},
          AccessKey{Qt::Key_F, h.Field(5)}, AccessKey{Qt::Key_L, h.Field(8)},
          AccessKey{Qt::Key_V, nullptr}}) {
        h.Key(access.key, Qt::AltModifier);
        if (access.target) QCOMPARE(QApplication::focusWidget(), access.target);
    }
    // "&Variable" and "Acti&ve" share V: pressing it again goes to the other one.
    QWidget* first = QApplication::focusWidget();
    h.Key(Qt::Key_V, Qt::AltModifier);
    const QSet<QWidget*> both = {first, QApplication::focusWidget()};
    QCOMPARE(both, (QSet<QWidget*>{h.Field(2), d.OptYes()}));
    h.Key(Qt::Key_N, Qt::AltModifier);
    h.Key(Qt::Key_N, Qt::AltModifier); // "Loa&n" and "&No"
    QVERIFY(QApplication::focusWidget() == h.Field(8) || QApplication::focusWidget() == d.OptNo());
    QVERIFY(d.isVisible());
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::accessibleNames() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    const QStringList names = {"Principal $",
                               "Term",
                               "Variable Principal %",
                               "Variable Interest PA",
                               "Variable Principal $",
                               "Fixed Principal %",
                               "Fixed Interest PA",
                               "Fixed Principal $",
                               "Loan Code"};
    for (int i = 0; i < 9; ++i)
        QCOMPARE(AccessibleText(h.Field(i), QAccessible::Name), names[i]);
    QCOMPARE(AccessibleText(d.cmdOK(), QAccessible::Name), QStringLiteral("OK"));
    QCOMPARE(AccessibleText(d.cmdQuery(), QAccessible::Name), QStringLiteral("Query"));
    QCOMPARE(AccessibleText(d.OptNo(), QAccessible::Name), QStringLiteral("No"));
    QCOMPARE(AccessibleText(d.Cel(0), QAccessible::Description),
             QStringLiteral("Weekly Installment"));
    QCOMPARE(AccessibleText(d.Cel(13), QAccessible::Description),
             QStringLiteral("Quaterly Yearly Payment"));
    QCOMPARE(AccessibleText(d.Cel(8), QAccessible::Description),
             QStringLiteral("Bi Monthly Difference"));
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QCOMPARE(AccessibleText(d.Cel(9), QAccessible::Name), QStringLiteral("$1,994.10"));
}

void tst_LoanDetails::filterKeys_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("principal");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("principal to 99999999") << 0 << ""
                                           << "999999999"
                                           << "99999999";
    QTest::newRow("principal one point") << 0 << ""
                                         << "12.5.3"
                                         << "12.53";
    QTest::newRow("term from 1 to 100") << 1 << ""
                                        << "01000"
                                        << "100";
    QTest::newRow("term no point") << 1 << ""
                                   << "2.5"
                                   << "25";
    QTest::newRow("percent 100.") << 2 << ""
                                  << "100.1"
                                  << "100.";
    QTest::newRow("rate over 100") << 3 << ""
                                   << "1001"
                                   << "100";
    QTest::newRow("amount to principal") << 4 << "250000"
                                         << "2500000"
                                         << "250000";
    QTest::newRow("amount, empty principal") << 7 << ""
                                             << "123456789"
                                             << "12345678";
    QTest::newRow("amount, principal rounds even") << 4 << "1234.5"
                                                   << "12345"
                                                   << "1234";
    QTest::newRow("letters, blanks, minus dropped") << 5 << ""
                                                    << "a -5x+e"
                                                    << "5";
    QTest::newRow("code takes anything") << 8 << ""
                                         << "a -5x+e"
                                         << "a -5x+e";
    QTest::newRow("code max 15") << 8 << ""
                                 << "ABCDEFGHIJKLMNOPQ"
                                 << "ABCDEFGHIJKLMNO";
    QTest::newRow("amount max 15 chars") << 7 << ""
                                         << "1.2345678901234567"
                                         << "1.2345678901234";
}

void tst_LoanDetails::filterKeys() {
    QFETCH(int, field);
    QFETCH(QString, principal);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    LoanDetailsHarness h;
    h.Open();
    h.Field(0)->setText(principal);
    h.Field(field)->clear();
    h.Focus(field);
    for (const QChar c : keys) {
        h.Type(QString(c));
        QCOMPARE(QApplication::focusWidget(), h.Field(field)); // typing keeps the focus
    }
    QCOMPARE(h.Text(field), expected);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::controlKeysInNumberFields() {
    LoanDetailsHarness h;
    h.Open();
    // 3.5 fully selected: "." is refused though it would replace the selection; "7" replaces it.
    h.Field(2)->setText(QStringLiteral("3.5"));
    h.Focus(2);
    QCOMPARE(h.Field(2)->selectedText(), QStringLiteral("3.5"));
    h.Type(QStringLiteral("."));
    QCOMPARE(h.Text(2), QStringLiteral("3.5"));
    h.Type(QStringLiteral("7"));
    QCOMPARE(h.Text(2), QStringLiteral("7"));

    // Backspace is always taken, even when it leaves a value outside the range.
    h.Enter(1, QStringLiteral("10"));
    h.Key(Qt::Key_Left);
    h.Key(Qt::Key_Backspace);
    QCOMPARE(h.Text(1), QStringLiteral("0"));
    h.Key(Qt::Key_Delete);
    QCOMPARE(h.Text(1), QString());

    // Clipboard and other control keys type nothing in a number field, but do in the code.
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    h.Enter(0, QStringLiteral("12"));
    h.Key(Qt::Key_V, Qt::ControlModifier);
    h.Key(Qt::Key_A, Qt::ControlModifier);
    h.Key(Qt::Key_Z, Qt::ControlModifier);
    h.Key(Qt::Key_Escape);
    QCOMPARE(h.Text(0), QStringLiteral("12"));
    h.Focus(8);
    h.Key(Qt::Key_V, Qt::ControlModifier);
    if (QGuiApplication::clipboard()->text() == QStringLiteral("abc"))
        QCOMPARE(h.Text(8), QStringLiteral("abc"));
    QVERIFY(h.dialog->isVisible());
}

void tst_LoanDetails::pasteAsTyped_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    for (const char* route : {"Shift+Insert", "menu", "drop"}) {
        const auto row = [route](const char* name) {
            return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(route, name)));
        };
        *row("amount") << 0 << ""
                       << "250000"
                       << "250000";
        *row("decimals") << 0 << ""
                         << "1250.75"
                         << "1250.75";
        *row("grouping comma refused") << 0 << "12"
                                       << "250,000"
                                       << "12";
        *row("trailing blank refused") << 0 << ""
                                       << "250000 "
                                       << "";
        *row("over the maximum refused") << 0 << ""
                                         << "100000000"
                                         << "";
        *row("term") << 1 << ""
                     << "25"
                     << "25";
        *row("term with a point refused") << 1 << ""
                                          << "2.5"
                                          << "";
        *row("percent over 100 refused") << 2 << ""
                                         << "150"
                                         << "";
        *row("longer than the field refused") << 5 << ""
                                              << "12.3456"
                                              << "";
        *row("letters refused") << 3 << ""
                                << "six"
                                << "";
    }
    QTest::newRow("Shift+Insert: replaces the selection") << 2 << "3.5"
                                                          << "7"
                                                          << "7";
    QTest::newRow("Shift+Insert: code takes anything") << 8 << ""
                                                       << "Home, 1"
                                                       << "Home, 1";
    QTest::newRow("Ctrl+V stays a dropped character") << 0 << ""
                                                      << "250000"
                                                      << "";
}

// A paste into a number field is taken when typing it there would have been, by every route.
void tst_LoanDetails::pasteAsTyped() {
    QFETCH(int, field);
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    const QString route = QString::fromLatin1(QTest::currentDataTag()).section(':', 0, 0);
    LoanDetailsHarness h;
    h.Open();
    QGuiApplication::clipboard()->setText(pasted);
    if (QGuiApplication::clipboard()->text() != pasted) QSKIP("no clipboard on this platform");
    h.Field(field)->setText(before);
    h.Focus(field); // all its text selected
    QLineEdit* box = h.Field(field);
    if (route == "Shift+Insert") {
        h.Key(Qt::Key_Insert, Qt::ShiftModifier);
    } else if (route.startsWith("Ctrl+V")) {
        h.Key(Qt::Key_V, Qt::ControlModifier);
    } else if (route == "menu") {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                                box->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(box, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* paste = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
        QVERIFY(paste);
        // Offered only when it would be taken.
        QCOMPARE(paste->isEnabled(), after != before);
        if (paste->isEnabled()) paste->trigger();
        menu->close();
    } else {
        box->setSelection(0, 0);
        const QPoint at(box->width() - 4, box->height() / 2);
        QMimeData data;
        data.setText(pasted);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &move);
        QCOMPARE(move.isAccepted(), after != before);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
        QCOMPARE(drop.isAccepted(), after != before);
    }
    QCOMPARE(h.Text(field), after);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(h.dialog->isVisible());
}

// A paste recalculates as typing does.
void tst_LoanDetails::pasteRecalculates() {
    LoanDetailsHarness h;
    h.Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("100000"));
    if (QGuiApplication::clipboard()->text() != "100000") QSKIP("no clipboard on this platform");
    h.TypeExampleLoan(QStringLiteral("HOME"));
    const QString monthly = h.Cell(9);
    h.Focus(4);
    h.Key(Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(h.Text(4), QStringLiteral("100000"));
    QCOMPARE(h.Text(7), QStringLiteral("200000")); // the split followed
    QVERIFY(h.Cell(9) != monthly);
    // The X11 selection, where the platform has one, goes in where the middle button goes up.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) return;
    clipboard->setText(QStringLiteral("1x"), QClipboard::Selection);
    h.Field(1)->setText(QString());
    QTest::mouseClick(h.Field(1), Qt::MiddleButton);
    QCOMPARE(h.Text(1), QString());
    clipboard->setText(QStringLiteral("30"), QClipboard::Selection);
    QTest::mouseClick(h.Field(1), Qt::MiddleButton);
    QCOMPARE(h.Text(1), QStringLiteral("30"));
}

void tst_LoanDetails::liveTableWhileTyping() {
    LoanDetailsHarness h;
    h.Open();
    h.Enter(8, QStringLiteral("HOME"));
    h.Enter(0, QStringLiteral("300000"));
    // The split follows the principal at once; the table waits for the term.
    QCOMPARE(h.Text(4), QStringLiteral("0"));
    QVERIFY(h.Cell(0).isEmpty());
    h.Enter(1, QStringLiteral("25"));
    QVERIFY(h.Cell(0).isEmpty());
    h.Focus(4);
    const QStringList percents = {"0.001", "0.007", "0.067", "0.667", "6.667", "66.667"};
    const QString amount = QStringLiteral("200000");
    for (int k = 0; k < amount.size(); ++k) {
        h.Type(amount.mid(k, 1));
        QCOMPARE(h.Text(2), percents[k]);
        QCOMPARE(QApplication::focusWidget(), h.Field(4));
        // The split fills the percents, so the table is computed from the first key on.
        QCOMPARE(h.Cell(0).isEmpty(), false);
    }
    QCOMPARE(h.Text(5), QStringLiteral("33.333"));
    QCOMPARE(h.Text(7), QStringLiteral("100000"));
    // With both rates 0 the table is the straight division of the amounts.
    QCOMPARE(h.Cell(10), QStringLiteral("$12,000.00"));
    h.Focus(3);
    h.Type(QStringLiteral("6"));
    const QString withSix = h.Cell(9);
    h.Type(QStringLiteral("."));
    QCOMPARE(h.Cell(9), withSix);
    h.Type(QStringLiteral("5"));
    QVERIFY(h.Cell(9) != withSix);
    h.Enter(6, QStringLiteral("5.99"));
    for (int c = 0; c < 15; ++c)
        QCOMPARE(h.Cell(c), kExampleCells[c]);
    // Emptying a field empties the table.
    h.Focus(1);
    h.Key(Qt::Key_Backspace);
    for (int c = 0; c < 15; ++c)
        QVERIFY(h.Cell(c).isEmpty());
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::enterWalksTheFieldsAndClosesNothing() {
    LoanDetailsHarness h;
    h.Open();
    h.Focus(0);
    for (int step = 1; step <= 9; ++step) {
        h.Key(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), h.Field(step % 9));
    }
    h.Key(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), h.Field(1));
    h.Key(Qt::Key_Escape);
    h.dialog->cmdOK()->setFocus();
    h.Key(Qt::Key_Return);
    h.Key(Qt::Key_Escape);
    h.dialog->cmdCancel()->setFocus();
    h.Key(Qt::Key_Return);
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 2);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::focusColoursAndSelection() {
    LoanDetailsHarness h;
    h.Open();
    h.Field(0)->setText(QStringLiteral("1234"));
    h.Key(Qt::Key_Tab); // from Loan Code into the principal
    QCOMPARE(QApplication::focusWidget(), h.Field(0));
    QCOMPARE(Background(h.Field(0)), kCyan);
    QCOMPARE(Background(h.Field(8)), System(QPalette::Base));
    QCOMPARE(h.Field(0)->selectedText(), QStringLiteral("1234"));
    QCOMPARE(h.Field(0)->selectionStart(), 0);
    h.Key(Qt::Key_Tab);
    QCOMPARE(Background(h.Field(0)), System(QPalette::Base));
    QVERIFY(!h.Field(0)->hasSelectedText());
    QCOMPARE(h.Field(0)->cursorPosition(), 0);
    QCOMPARE(Background(h.Field(1)), kCyan);
    // A mouse click focuses too, and leaves the caret where it clicked.
    QTest::mouseClick(h.Field(3), Qt::LeftButton);
    QCOMPARE(Background(h.Field(3)), kCyan);
    QCOMPARE(Background(h.Field(1)), System(QPalette::Base));
    int cyan = 0;
    for (int i = 0; i < 9; ++i)
        cyan += Background(h.Field(i)) == kCyan;
    QCOMPARE(cyan, 1);
}

void tst_LoanDetails::roundingOnLeaving_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("principal half to even") << 0 << "1250.125"
                                            << "1250.12";
    QTest::newRow("principal leading zeros") << 0 << "007"
                                             << "7";
    QTest::newRow("principal trailing zero") << 0 << "1234.50"
                                             << "1234.5";
    QTest::newRow("term") << 1 << "025"
                          << "25";
    QTest::newRow("variable amount") << 4 << "10.375"
                                     << "10.38";
    QTest::newRow("fixed amount") << 7 << "0.5"
                                  << "0.5";
    QTest::newRow("percent as typed") << 2 << "05"
                                      << "05";
    QTest::newRow("rate as typed") << 3 << "6.50"
                                   << "6.50";
    QTest::newRow("code as typed") << 8 << "007"
                                   << "007";
    QTest::newRow("blank stays blank") << 0 << "  "
                                       << "  ";
}

void tst_LoanDetails::roundingOnLeaving() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    LoanDetailsHarness h;
    h.Open();
    h.Focus(field);
    h.Field(field)->setText(text);
    QTest::mouseClick(h.Field(field == 6 ? 5 : 6), Qt::LeftButton);
    QCOMPARE(h.Text(field), expected);
    QCOMPARE(h.Field(field)->cursorPosition(), 0);
}

void tst_LoanDetails::programTextsAreNotCut() {
    // A loan whose amount exceeds its principal splits into percents longer than a percent
    // field takes from the keyboard; the split's texts must arrive whole.
    LoanDetailsHarness h;
    h.Open();
    h.Field(0)->setText(QStringLiteral("100000"));
    h.Focus(4);
    h.Field(4)->setText(QStringLiteral("112345.6"));
    h.Key(Qt::Key_End); // a key-up splits from the changed field
    QCOMPARE(h.Text(2), QStringLiteral("112.346"));
    QCOMPARE(h.Text(5), QStringLiteral("-12.346"));
    QCOMPARE(h.Text(7), QStringLiteral("-12345.6"));
    // Once the user shortens the text, the field's own limit is back.
    h.Focus(2);
    h.Key(Qt::Key_End);
    h.Key(Qt::Key_Backspace);
    QCOMPARE(h.Text(2), QStringLiteral("112.34"));
    QCOMPARE(h.Field(2)->maxLength(), 6);
}

void tst_LoanDetails::celClickChoosesRow_data() {
    QTest::addColumn<int>("cell");
    for (int c = 0; c < 15; ++c)
        QTest::newRow(qPrintable(QStringLiteral("Cel(%1)").arg(c))) << c;
}

void tst_LoanDetails::celClickChoosesRow() {
    QFETCH(int, cell);
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    h.Focus(0);
    QTest::mouseClick(d.Cel(cell), Qt::LeftButton);
    const int row = cell / 3;
    for (int c = 0; c < 15; ++c)
        QCOMPARE(Highlighted(d.Cel(c)), c / 3 == row);
    for (int c = 0; c < 15; ++c)
        QCOMPARE(Plain(d.Cel(c)), c / 3 != row);
    QCOMPARE(h.table.RepaymentTimeIndex, row + 1);
    QCOMPARE(QApplication::focusWidget(), h.Field(0)); // a cell takes no focus
    QTest::mouseClick(d.Cel(3 * row + (cell + 1) % 3), Qt::LeftButton);
    for (int c = 0; c < 15; ++c)
        QCOMPARE(Highlighted(d.Cel(c)), c / 3 == row);
}

// The results table is one Tab stop after the fields; its keys choose rows as clicks do.
void tst_LoanDetails::keysChooseRows() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    h.Focus(6);
    h.Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.Results());
    QWidget* frame = d.Results()->findChild<QWidget*>(QStringLiteral("focusFrame"));
    QVERIFY(frame && frame->isVisible());
    const struct {
        Qt::Key key;
        int time;
    } steps[] = {{Qt::Key_Home, 1}, {Qt::Key_Up, 1},   {Qt::Key_Down, 2}, {Qt::Key_Down, 3},
                 {Qt::Key_Down, 4}, {Qt::Key_Down, 5}, {Qt::Key_Down, 5}, {Qt::Key_Up, 4},
                 {Qt::Key_End, 5},  {Qt::Key_Home, 1}};
    for (const auto& step : steps) {
        h.Key(step.key);
        const int row = step.time - 1;
        QCOMPARE(h.table.RepaymentTimeIndex, step.time);
        for (int c = 0; c < 15; ++c) {
            QCOMPARE(Highlighted(d.Cel(c)), c / 3 == row);
            QCOMPARE(Plain(d.Cel(c)), c / 3 != row);
            QCOMPARE(QAccessible::queryAccessibleInterface(d.Cel(c))->state().selected,
                     c / 3 == row);
        }
        // The focus frame goes round the chosen row.
        QCOMPARE(frame->geometry().center().y(), d.Cel(3 * row)->geometry().center().y());
        QCOMPARE(QApplication::focusWidget(), d.Results());
    }
    // The cells, the fields and the dialog are otherwise untouched by the keys.
    QCOMPARE(h.Cell(0), QStringLiteral("$458.54"));
    QVERIFY(d.isVisible());
    h.Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.OptYes());
    QVERIFY(!frame->isVisible());
    h.Key(Qt::Key_Backtab);
    h.Key(Qt::Key_End);
    QTest::keyClick(d.cmdOK(), Qt::Key_O, Qt::AltModifier);
    QVERIFY(!d.isVisible());
    QCOMPARE(h.At(1, 9), std::string("Quarterly"));
    QCOMPARE(h.At(1, 10), std::string("$5,995.18"));
}

void tst_LoanDetails::resultsTableToAssistiveTools() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open(2);
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(d.Results());
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::Table);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Loan Repayments"));
    QVERIFY(face->state().focusable);
    QAccessibleTableInterface* table = face->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(table->columnCount(), 3);
    const QStringList rows = {"Weekly", "Fortnightly", "Bi Monthly", "Monthly", "Quaterly"};
    for (int r = 0; r < 5; ++r) {
        QCOMPARE(table->rowDescription(r), rows[r]);
        QCOMPARE(table->isRowSelected(r), r == 1);
    }
    QCOMPARE(table->columnDescription(1), QStringLiteral("Yearly Payment"));
    QCOMPARE(table->selectedRows(), QList<int>{1});
    QAccessibleInterface* cell = table->cellAt(4, 1);
    QCOMPARE(cell->role(), QAccessible::Cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("$23,980.74"));
    QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("Quaterly Yearly Payment"));
    QCOMPARE(cell->tableCellInterface()->rowIndex(), 4);
    QCOMPARE(cell->tableCellInterface()->rowHeaderCells().value(0)->text(QAccessible::Name),
             QStringLiteral("Quaterly"));
    QCOMPARE(face->parent()->object(), &d);
    QCOMPARE(face->indexOfChild(cell), face->indexOfChild(face->child(face->indexOfChild(cell))));
    QCOMPARE(cell->parent()->object(), d.Results());
    // Every label of the table is a child, each once; the focus frame is none.
    QSet<QObject*> children;
    for (int i = 0; i < face->childCount(); ++i)
        children << face->child(i)->object();
    QCOMPARE(children.size(), 24);
    QVERIFY(children.contains(d.Gridf(0)) && children.contains(d.Cel(14)));
    // Selecting a row through the tool chooses it.
    QVERIFY(table->selectRow(4));
    QCOMPARE(h.table.RepaymentTimeIndex, 5);
    QVERIFY(cell->state().selected);
    QVERIFY(Highlighted(d.Cel(12)));
}

void tst_LoanDetails::captionClickCutsOversizedNumber() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    h.Field(0)->setText(QStringLiteral("123456789"));
    h.Field(0)->setCursorPosition(4);
    QTest::mouseClick(d.lblLoanRec(0), Qt::LeftButton);
    QCOMPARE(h.Text(0), QStringLiteral("1234"));
    QCOMPARE(h.Field(0)->cursorPosition(), 4);
    QCOMPARE(QApplication::focusWidget(), h.Field(8)); // the click moves no focus

    h.Field(0)->setText(QStringLiteral("99999999"));
    h.Field(0)->setCursorPosition(2);
    QTest::mouseClick(d.lblLoanRec(0), Qt::LeftButton);
    QCOMPARE(h.Text(0), QStringLiteral("99999999"));

    // lblLoanRec(3) stands beside field 4 but acts on field 3.
    h.Field(3)->setText(QStringLiteral("12E9")); // six characters can exceed 99999999 too
    h.Field(3)->setCursorPosition(2);
    h.Field(4)->setText(QStringLiteral("123456789"));
    QTest::mouseClick(d.lblLoanRec(3), Qt::LeftButton);
    QCOMPARE(h.Text(3), QStringLiteral("12"));
    QCOMPARE(h.Text(4), QStringLiteral("123456789"));
}

void tst_LoanDetails::keysThatChangeNothingKeepTypedAmounts() {
    LoanDetailsHarness h;
    h.Open();
    h.Enter(0, QStringLiteral("300000"));
    h.Enter(4, QStringLiteral("100000"));
    QCOMPARE(h.Text(2), QStringLiteral("33.333"));
    QCOMPARE(h.Text(5), QStringLiteral("66.667"));
    QCOMPARE(h.Text(7), QStringLiteral("200000"));
    const auto typedSplitKept = [&h] {
        return h.Text(2) == "33.333" && h.Text(4) == "100000" && h.Text(5) == "66.667" &&
               h.Text(7) == "200000";
    };
    // Tab from Loan Code as a keyboard gives it: the key goes up in the field that took the
    // focus, the principal, whose split would rebuild the amounts from the rounded percents.
    h.Focus(8);
    QTest::keyPress(h.Field(8), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h.Field(0));
    QTest::keyRelease(h.Field(0), Qt::Key_Tab);
    QVERIFY(typedSplitKept());
    h.Key(Qt::Key_Home);
    h.Key(Qt::Key_Right);
    QTest::mouseClick(h.Field(1), Qt::LeftButton); // leaving the untouched principal
    QVERIFY(typedSplitKept());
    // The same for a percent the split wrote.
    h.Focus(2);
    h.Key(Qt::Key_End);
    h.Key(Qt::Key_Left);
    h.Focus(1);
    QVERIFY(typedSplitKept());
    // A principal that did change is split from the percents.
    h.Enter(0, QStringLiteral("600000"));
    QCOMPARE(h.Text(4), QStringLiteral("199998"));
    QCOMPARE(h.Text(7), QStringLiteral("400002"));
}

void tst_LoanDetails::calculationFailureShownOnce() {
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    // Term 10 -> backspace on the 1 leaves "0": a payment over zero periods.
    h.Field(1)->setText(QStringLiteral("10"));
    h.Focus(1);
    h.Key(Qt::Key_Right);
    h.Key(Qt::Key_Left);
    h.user.ExpectMessage("Unexpected error in loan repayment calculation", "Loan Details",
                         Buttons::OK, Icon::Critical);
    h.Key(Qt::Key_Backspace);
    QCOMPARE(h.Text(1), QStringLiteral("0"));
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    // The table keeps the texts of term 10. Leaving the field does not calculate (the table is
    // not empty), but Tab's key-up in the next field does.
    const QString before = h.Cell(9);
    QVERIFY(!before.isEmpty());
    h.user.ExpectMessage("Unexpected error in loan repayment calculation", "Loan Details",
                         Buttons::OK, Icon::Critical);
    h.Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h.Field(2));
    QCOMPARE(h.Cell(9), before);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));

    // With message boxes that take the activation, the box goes and nothing comes back.
    CoveringMessages covering;
    Interaction::Install(&covering);
    h.Focus(1);
    h.Key(Qt::Key_End);
    Interaction::Install(&h.user);
    QCOMPARE(covering.shown, 1);
    QCOMPARE(QApplication::focusWidget(), h.Field(8)); // uncovered: focus back in Loan Code
    QCOMPARE(Background(h.Field(1)), System(QPalette::Base));
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::failureWithEmptyTableIsBounded() {
    // Variable rate "." completes the fields, fails, and leaves the table empty. The box covers
    // the dialog; when it goes, the focus moves to Loan Code, and both the left field and the
    // code field calculate again, since the table is still empty. Nothing more follows.
    LoanDetailsHarness h;
    h.Open();
    h.Enter(0, QStringLiteral("1000"));
    h.Enter(1, QStringLiteral("5"));
    h.Enter(2, QStringLiteral("100"));
    QVERIFY(!h.Cell(0).isEmpty());
    h.Focus(1);
    h.Key(Qt::Key_Backspace);
    QVERIFY(h.Cell(0).isEmpty());
    CoveringMessages covering;
    Interaction::Install(&covering);
    h.Focus(3);
    h.Type(QStringLiteral("."));
    QCOMPARE(h.Text(3), QStringLiteral("."));
    h.Enter(1, QStringLiteral("5"));
    Interaction::Install(&h.user);
    QCOMPARE(covering.shown, 3);
    QCOMPARE(QApplication::focusWidget(), h.Field(8));
    int cyan = 0;
    for (int i = 0; i < 9; ++i)
        cyan += Background(h.Field(i)) == kCyan;
    QCOMPARE(cyan, 1);
}

void tst_LoanDetails::deactivationIsNoFocusLoss() {
    LoanDetailsHarness h;
    h.Open();
    h.Enter(0, QStringLiteral("1250.125"));
    QWidget other;
    other.resize(100, 100);
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(h.Text(0), QStringLiteral("1250.125")); // not rounded: it did not lose the focus
    QCOMPARE(Background(h.Field(0)), kCyan);
    QApplication::setActiveWindow(h.dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
    // Uncovered: the focus is back in Loan Code, and the principal has now been left.
    QCOMPARE(QApplication::focusWidget(), h.Field(8));
    QCOMPARE(h.Text(0), QStringLiteral("1250.12"));
    QCOMPARE(Background(h.Field(0)), System(QPalette::Base));
    QCOMPARE(Background(h.Field(8)), kCyan);
}

void tst_LoanDetails::okChecks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("blankField");
    QTest::addColumn<QString>("message");
    QTest::newRow("no code") << "" << -1 << kDescriptionMessage;
    QTest::newRow("code of blanks") << "   " << -1 << kDescriptionMessage;
    QTest::newRow("no fixed amount") << "HOME" << 7 << kAllFieldsMessage;
    QTest::newRow("principal of blanks") << "HOME" << 0 << kAllFieldsMessage;
    QTest::newRow("no rate") << "HOME" << 3 << kAllFieldsMessage;
}

void tst_LoanDetails::okChecks() {
    QFETCH(QString, code);
    QFETCH(int, blankField);
    QFETCH(QString, message);
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(code);
    h.Focus(8);
    if (blankField >= 0) h.Field(blankField)->setText(QStringLiteral(" "));
    h.user.ExpectMessage(message, QString(), Buttons::OK, Icon::None);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(QApplication::focusWidget(), h.Field(8));
    QCOMPARE(h.table.Grid.Rows(), 2);
    QVERIFY(!h.table.FileChanged);
    QCOMPARE(h.Text(8), code);
}

void tst_LoanDetails::okWritesNewRow() {
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QTest::mouseClick(h.dialog->Cel(13), Qt::LeftButton);
    QTest::mouseClick(h.dialog->OptNo(), Qt::LeftButton);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(h.table.Grid.Rows(), 3);
    const std::array<std::string, 13> row = {
        "HOME", "300000", "25",        "66.667",    "6.5",        "200000", "33.333",
        "5.99", "100000", "Quarterly", "$5,995.18", "$23,980.74", "No"};
    for (int c = 0; c < 13; ++c)
        QCOMPARE(h.At(1, c), row[static_cast<std::size_t>(c)]);
    QVERIFY(h.table.Grid.RowIsBlank(2));
    QVERIFY(h.table.FileChanged);
    QCOMPARE(h.table.Grid.Row(), 1);
}

void tst_LoanDetails::okSavesResultsOfTheFieldsShown() {
    const QString failure = QStringLiteral("Unexpected error in loan repayment calculation");
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QTest::mouseClick(h.dialog->OptYes(), Qt::LeftButton);
    // A term of 0 has no repayments: the table keeps the term-10 figures, which must not be
    // saved as the figures of this loan.
    h.Focus(1);
    h.Type(QStringLiteral("10"));
    h.Key(Qt::Key_Home);
    h.Key(Qt::Key_Right);
    h.user.ExpectMessage(failure, "Loan Details", Buttons::OK, Icon::Critical);
    h.Key(Qt::Key_Backspace);
    QCOMPARE(h.Text(1), QStringLiteral("0"));
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    h.user.ExpectMessage(failure, "Loan Details", Buttons::OK, Icon::Critical);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 2);
    QVERIFY(!h.table.FileChanged);

    // A caption click shortens the principal without a key; OK saves the figures of what the
    // field now shows.
    h.Focus(1);
    h.Type(QStringLiteral("25"));
    const QString term25 = h.Cell(9);
    h.Focus(0);
    h.Field(0)->setText(QStringLiteral("300000000")); // longer than typing allows, as from a file
    h.Field(0)->setCursorPosition(5);
    QTest::mouseClick(h.dialog->lblLoanRec(0), Qt::LeftButton);
    QCOMPARE(h.Text(0), QStringLiteral("30000"));
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.At(1, 1), std::string("30000"));
    QCOMPARE(h.At(1, 10), h.Cell(9).toStdString());
    QCOMPARE(h.Cell(9), QStringLiteral("$199.41"));
    QVERIFY(term25 != h.Cell(9));
}

void tst_LoanDetails::okOverwriteInPlace() {
    LoanDetailsHarness h;
    h.AddLoan(LoanRow("A", "10", "Yes"));
    h.AddLoan(LoanRow("HOME", "15", "Yes"));
    h.AddLoan(LoanRow("C", "20", "No"));
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    h.user.ExpectMessage(kOverwriteMessage, "Over Write", Buttons::YesNo, Icon::Question,
                         Answer::Yes);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 5);
    QCOMPARE(h.At(2, 0), std::string("HOME"));
    QCOMPARE(h.At(2, 2), std::string("25"));
    QCOMPARE(h.At(2, 9), std::string("Monthly"));
    QCOMPARE(h.At(2, 10), std::string("$1,994.10"));
    QCOMPARE(h.At(1, 2), std::string("10"));
    QCOMPARE(h.At(3, 2), std::string("20"));
    QCOMPARE(h.table.Grid.Row(), 2);
    QVERIFY(h.table.FileChanged);
}

void tst_LoanDetails::okOverwriteDeclined() {
    LoanDetailsHarness h;
    h.AddLoan(LoanRow("A", "10", "Yes"));
    h.AddLoan(LoanRow("HOME", "15", "Yes"));
    h.AddLoan(LoanRow("HOME", "16", "Yes"));
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME"));
    h.user.ExpectMessage(kOverwriteMessage, "Over Write", Buttons::YesNo, Icon::Question,
                         Answer::No);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 5);
    QCOMPARE(h.At(2, 2), std::string("15"));
    QCOMPARE(h.table.Grid.Row(), 2); // the first equal row, column 0
    QCOMPARE(h.table.Grid.Col(), 0);
    QVERIFY(!h.table.FileChanged);
    // The entry is kept: OK again, agreeing this time, writes the first equal row only.
    h.user.ExpectMessage(kOverwriteMessage, "Over Write", Buttons::YesNo, Icon::Question,
                         Answer::Yes);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.At(2, 2), std::string("25"));
    QCOMPARE(h.At(3, 2), std::string("16"));
}

void tst_LoanDetails::okCodeCaseAndBlanks() {
    LoanDetailsHarness h;
    h.AddLoan(LoanRow("HOME", "15", "Yes"));
    h.Open();
    h.TypeExampleLoan(QStringLiteral("  home  "));
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton); // another case: no question
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.table.Grid.Rows(), 4);
    QCOMPARE(h.At(2, 0), std::string("home"));

    // The stored code has no blanks, so the same code typed plainly finds it.
    h.Open();
    h.TypeExampleLoan(QStringLiteral("home"));
    h.user.ExpectMessage(kOverwriteMessage, "Over Write", Buttons::YesNo, Icon::Question,
                         Answer::Yes);
    QTest::mouseClick(h.dialog->cmdOK(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.table.Grid.Rows(), 4);
}

void tst_LoanDetails::cancelAndTitleBarWriteNothing() {
    LoanDetailsHarness h;
    h.AddLoan(LoanRow("HOME", "15", "Yes", "Weekly"));
    h.table.RepaymentTimeIndex = 1;
    h.Open(1);
    h.TypeExampleLoan(QStringLiteral("HOME"));
    QTest::mouseClick(h.dialog->Cel(6), Qt::LeftButton);
    QTest::mouseClick(h.dialog->cmdCancel(), Qt::LeftButton);
    QCOMPARE(h.table.RepaymentTimeIndex, 3); // Cancel leaves it as the click set it
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(h.table.Grid.Rows(), 3);
    QCOMPARE(h.At(1, 2), std::string("15"));
    QVERIFY(!h.table.FileChanged);

    h.Open();
    h.TypeExampleLoan(QStringLiteral("OTHER"));
    QVERIFY(h.dialog->close()); // the title bar's close button
    QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(h.table.Grid.Rows(), 3);
    QVERIFY(!h.table.FileChanged);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
}

void tst_LoanDetails::accessKeysPressButtons() {
    LoanDetailsHarness h;
    h.Open();
    h.Enter(0, QStringLiteral("1250.125"));
    // Alt+O takes the focus, so the principal is left (and rounded) before OK checks the entry.
    h.user.ExpectMessage(kDescriptionMessage, QString(), Buttons::OK, Icon::None);
    h.Key(Qt::Key_O, Qt::AltModifier);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.Text(0), QStringLiteral("1250.12"));
    QCOMPARE(QApplication::focusWidget(), h.Field(8));
    QVERIFY(h.dialog->isVisible());
    h.Key(Qt::Key_C, Qt::AltModifier);
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.dialog->result(), int(QDialog::Rejected));

    h.AddLoan(LoanRow("A", "10", "Yes"));
    h.Open();
    h.Type(QStringLiteral("nothing"));
    h.user.ExpectMessage("No Loan Found", "Loan Search.", Buttons::OK, Icon::Question);
    h.Key(Qt::Key_Q, Qt::AltModifier);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 3);
}

void tst_LoanDetails::queryByCode() {
    LoanDetailsHarness h;
    h.AddLoan(LoanRow("A", "10", "Yes"));
    auto found = LoanRow("X1", "15", "Yes");
    found[loan::ColPrincipalVariable] = "123456789012"; // a file keeps 11 characters of it
    h.AddLoan(found);
    h.AddLoan(LoanRow("x1", "20", "Yes"));
    h.Open();
    h.Enter(8, QStringLiteral(" x1"));
    QTest::mouseClick(h.dialog->cmdQuery(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), 3);
    QCOMPARE(h.At(1, 0), std::string("X1"));
    QCOMPARE(h.At(1, 2), std::string("15"));
    QCOMPARE(h.At(1, loan::ColPrincipalVariable), std::string("12345678901"));
    QVERIFY(h.table.Grid.RowIsBlank(2));
    QCOMPARE(h.untitled, 1);
    QVERIFY(h.table.FileChanged);
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_LoanDetails::queryByCodeNotFound() {
    for (const bool empty : {false, true}) {
        LoanDetailsHarness h;
        if (!empty) h.AddLoan(LoanRow("A", "10", "Yes"));
        h.Open();
        h.Enter(8, QStringLiteral("B"));
        h.user.ExpectMessage("No Loan Found", "Loan Search.", Buttons::OK, Icon::Question);
        QTest::mouseClick(h.dialog->cmdQuery(), Qt::LeftButton);
        QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.table.Grid.Rows(), empty ? 2 : 3);
        if (!empty) QCOMPARE(h.At(1, 0), std::string("A"));
        QCOMPARE(h.table.Grid.Row(), h.table.Grid.Rows() - 1); // the walk ends on the last row
        QCOMPARE(h.untitled, 0);
        QVERIFY(!h.table.FileChanged);
        QVERIFY(!BusyPointer::IsBusy());
    }
}

void tst_LoanDetails::queryByExample_data() {
    QTest::addColumn<QStringList>("actives"); // the Active texts of loans A to E
    QTest::addColumn<bool>("optNo");
    QTest::addColumn<bool>("clearRates");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QStringList>("kept");
    const QStringList usual = {"Yes", "Yes", "No", "Yes", "No"};
    // Loan E's variable rate 7.05 holds the "0" of a new dialog's rate fields.
    QTest::newRow("new dialog: Yes, or a rate holding 0")
        << usual << false << false << "" << QStringList{"A", "B", "D", "E"};
    QTest::newRow("term 5 within 15 and 25, or No")
        << usual << true << true << "5" << QStringList{"A", "C", "D", "E"};
    QTest::newRow("Yes is exact and case-sensitive")
        << QStringList{"Yes", "yes", "No", "Yes ", "Yes"} << false << true << ""
        << QStringList{"A", "E"};
    QTest::newRow("keeps nothing")
        << QStringList{"Yes", "Yes", "Yes", "Yes", "Yes"} << true << true << "7" << QStringList{};
}

void tst_LoanDetails::queryByExample() {
    QFETCH(QStringList, actives);
    QFETCH(bool, optNo);
    QFETCH(bool, clearRates);
    QFETCH(QString, term);
    QFETCH(QStringList, kept);
    LoanDetailsHarness h;
    const char* codes[5] = {"A", "B", "C", "D", "E"};
    const char* terms[5] = {"15", "30", "20", "25", "12"};
    for (int l = 0; l < 5; ++l) {
        auto row = LoanRow(codes[l], terms[l], "");
        row[loan::ColActive] = actives[l].toStdString();
        if (l == 4) row[loan::ColInterestVariable] = "7.05";
        h.AddLoan(row);
    }
    h.table.FileChanged = false;
    h.Open();
    if (optNo) QTest::mouseClick(h.dialog->OptNo(), Qt::LeftButton);
    if (clearRates) {
        h.Field(3)->clear();
        h.Field(6)->clear();
    }
    if (!term.isEmpty()) h.Enter(1, term);
    QTest::mouseClick(h.dialog->cmdQuery(), Qt::LeftButton);
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors())); // no message, even for nothing kept
    QVERIFY(!h.dialog->isVisible());
    QCOMPARE(h.table.Grid.Rows(), static_cast<int>(kept.size()) + 2);
    for (int k = 0; k < kept.size(); ++k)
        QCOMPARE(QString::fromStdString(h.At(k + 1, 0)), kept[k]);
    QVERIFY(h.table.Grid.RowIsBlank(h.table.Grid.Rows() - 1));
    QVERIFY(!h.table.FileChanged);
    QCOMPARE(h.untitled, 0);
    QCOMPARE(h.staging.Rows(), 2);
    QVERIFY(h.staging.RowIsBlank(1));
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_LoanDetails::shownThroughInteraction() {
    // The way the main window opens it: modally through the interaction seam.
    LoanDetailsHarness h;
    frmLoanDetails dialog(h.table, h.staging, [] {});
    h.table.RepaymentTimeIndex = 4;
    dialog.HighlightRepaymentTime(4);
    h.user.ExpectDialog([&](QDialog& shown) {
        QCOMPARE(&shown, static_cast<QDialog*>(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.txtLoanRec(8));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("CAR"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QStringList keys = {"20000", "5", "100", "7.5", "", "", "0", ""};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClicks(QApplication::focusWidget(), keys[i]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(), dialog.txtLoanRec(8));
        QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    });
    QCOMPARE(h.user.Exec(dialog), int(QDialog::Accepted));
    QVERIFY2(h.user.Done(), qPrintable(h.user.Errors()));
    QCOMPARE(h.At(1, 0), std::string("CAR"));
    QCOMPARE(h.At(1, 5), std::string("20000"));
    QCOMPARE(h.At(1, 6), std::string("0"));
    QCOMPARE(h.At(1, 8), std::string("0"));
    QCOMPARE(h.At(1, 10), std::string("$400.76"));
}

void tst_LoanDetails::layoutShowsEverything() {
    LoanDetailsHarness h;
    frmLoanDetails& d = h.Open();
    // Every caption fits its label, and nothing in a frame or on the dialog overlaps.
    for (QLabel* label : d.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        QVERIFY2(label->sizeHint().width() <= label->width() + 1, qPrintable(label->objectName()));
    }
    QList<QWidget*> containers = {d.Frame1(0), d.Frame1(1), d.Frame1(2), d.FraActive()};
    for (QWidget* frame : containers) {
        const auto children = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : children) {
            QVERIFY(frame->contentsRect().contains(a->geometry()));
            for (QWidget* b : children)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " / " + b->objectName()));
        }
    }
    // A six-character percent shows whole in a percent field.
    for (int i : {2, 3, 5, 6}) {
        const QLineEdit* field = h.Field(i);
        QVERIFY(field->fontMetrics().horizontalAdvance(QStringLiteral("66.667")) + 8 <=
                field->width());
    }
}

void tst_LoanDetails::screenshot() {
    LoanDetailsHarness h;
    h.Open();
    h.TypeExampleLoan(QStringLiteral("HOME LOAN 1"));
    QTest::mouseClick(h.dialog->Cel(4), Qt::LeftButton);
    const QImage image = h.dialog->grab().toImage();
    QVERIFY(!image.isNull());
    image.save(QStringLiteral("loandetails.png"));
}

void tst_LoanDetails::queryOffersToSaveUnsavedLoans() {
    struct Case {
        bool changed;
        bool saved; // what the offer to save returns
        bool asked, queried;
    };
    for (const Case c : {Case{false, false, false, true}, Case{true, true, true, true},
                         Case{true, false, true, false}}) {
        LoanDetailsHarness h;
        h.AddLoan(LoanRow("A", "10", "Yes"));
        h.AddLoan(LoanRow("B", "15", "No"));
        h.table.FileChanged = c.changed;
        h.Open();
        int asked = 0;
        h.dialog->SetSaveFirst([&] {
            ++asked;
            return c.saved;
        });
        h.Enter(8, QStringLiteral("b"));
        QTest::mouseClick(h.dialog->cmdQuery(), Qt::LeftButton);
        QCOMPARE(asked, c.asked ? 1 : 0);
        // A declined or failed save leaves the table and the dialog as they were.
        QCOMPARE(h.dialog->isVisible(), !c.queried);
        QCOMPARE(h.table.Grid.Rows(), c.queried ? 3 : 4);
        QCOMPARE(h.At(1, 0), std::string(c.queried ? "B" : "A"));
    }
}

QTEST_MAIN(tst_LoanDetails)
#include "tst_loandetails.moc"
