// Random keys and clicks into the loan details dialog: it must never crash, hang, close by
// itself, or let a letter into a number field. LOAN_FUZZ_KEYS sets the number of events.
#include "LoanDetailsHarness.h"

#include "ui/common/Printer.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// Answers every message box with its first button, as a user clicking through them would.
class ClickThrough final : public Interaction {
  public:
    int messages = 0;
    Answer Message(QWidget*, const QString&, const QString&, Buttons buttons, Icon) override {
        ++messages;
        return buttons == Buttons::YesNo ? Answer::No : Answer::OK;
    }
    std::optional<QString> ChooseFile(QWidget*, const FileRequest&) override { return {}; }
    std::unique_ptr<Printer> ChoosePrinter(QWidget*) override { return nullptr; }
    int Exec(QDialog&) override { return 0; }
};

struct Stroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

// The keys a user might hit, weighted towards what numbers are made of. Access keys of the
// buttons (Alt+Q, Alt+O, Alt+C) are left out: they would close the dialog.
const Stroke kStrokes[] = {
    {Qt::Key_0, {}},
    {Qt::Key_1, {}},
    {Qt::Key_2, {}},
    {Qt::Key_5, {}},
    {Qt::Key_9, {}},
    {Qt::Key_Period, {}},
    {Qt::Key_Period, {}},
    {Qt::Key_Backspace, {}},
    {Qt::Key_Delete, {}},
    {Qt::Key_Left, {}},
    {Qt::Key_Right, {}},
    {Qt::Key_Home, {}},
    {Qt::Key_End, Qt::ShiftModifier},
    {Qt::Key_Return, {}},
    {Qt::Key_Enter, Qt::KeypadModifier},
    {Qt::Key_Tab, {}},
    {Qt::Key_Backtab, Qt::ShiftModifier},
    {Qt::Key_Escape, {}},
    {Qt::Key_A, {}},
    {Qt::Key_E, {}},
    {Qt::Key_D, Qt::ShiftModifier},
    {Qt::Key_Space, {}},
    {Qt::Key_Minus, {}},
    {Qt::Key_Plus, {}},
    {Qt::Key_Comma, {}},
    {Qt::Key_Dollar, {}},
    {Qt::Key_V, Qt::ControlModifier},
    {Qt::Key_A, Qt::ControlModifier},
    {Qt::Key_Z, Qt::ControlModifier},
    {Qt::Key_X, Qt::ControlModifier},
    {Qt::Key_Backspace, Qt::ControlModifier},
    {Qt::Key_P, Qt::AltModifier},
    {Qt::Key_R, Qt::AltModifier},
    {Qt::Key_I, Qt::AltModifier},
    {Qt::Key_V, Qt::AltModifier},
    {Qt::Key_F, Qt::AltModifier},
    {Qt::Key_N, Qt::AltModifier},
    {Qt::Key_Y, Qt::AltModifier},
    {Qt::Key_L, Qt::AltModifier},
    {Qt::Key_T, Qt::AltModifier},
    {Qt::Key_Z, Qt::AltModifier},
};

} // namespace

class tst_KeystrokeFuzz : public QObject {
    Q_OBJECT
  private slots:
    void randomKeysAndClicks();
};

void tst_KeystrokeFuzz::randomKeysAndClicks() {
    bool ok = false;
    int events = qEnvironmentVariableIntValue("LOAN_FUZZ_KEYS", &ok);
    if (!ok || events <= 0) events = 3000;
    const quint32 seed = 20240611;
    QRandomGenerator random(seed);

    LoanDetailsHarness h;
    ClickThrough clicks;
    Interaction::Install(&clicks);
    h.AddLoan({"HOME", "300000", "25", "66.667", "6.5", "200000", "33.333", "5.99", "100000",
               "Monthly", "$1,994.10", "$23,929.25", "Yes"});
    frmLoanDetails& d = h.Open();

    for (int n = 0; n < events; ++n) {
        const quint32 pick = random.bounded(100u);
        QString what;
        if (pick < 80) {
            Stroke stroke = kStrokes[random.bounded(static_cast<quint32>(std::size(kStrokes)))];
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &d;
            // Space presses a focused button, which would end the dialog.
            if (stroke.key == Qt::Key_Space && qobject_cast<QPushButton*>(target))
                stroke = {Qt::Key_Tab, {}};
            // As a keyboard sends it: the press, then the release to whatever has the focus now.
            QTest::keyPress(target, stroke.key, stroke.modifiers);
            QWidget* releaseTarget = QApplication::focusWidget() ? QApplication::focusWidget() : &d;
            QTest::keyRelease(releaseTarget, stroke.key, stroke.modifiers);
            what = QStringLiteral("key %1 mod %2 on %3")
                       .arg(stroke.key)
                       .arg(int(stroke.modifiers))
                       .arg(target->objectName());
        } else if (pick < 88) {
            const int cell = static_cast<int>(random.bounded(15u));
            QTest::mouseClick(d.Cel(cell), Qt::LeftButton);
            what = QStringLiteral("Cel(%1)").arg(cell);
        } else if (pick < 94) {
            const int label = static_cast<int>(random.bounded(9u));
            QTest::mouseClick(d.lblLoanRec(label), Qt::LeftButton);
            what = QStringLiteral("lblLoanRec(%1)").arg(label);
        } else if (pick < 98) {
            const int field = static_cast<int>(random.bounded(9u));
            QTest::mouseClick(h.Field(field), Qt::LeftButton, {},
                              QPoint(static_cast<int>(random.bounded(
                                         static_cast<quint32>(h.Field(field)->width()))),
                                     h.Field(field)->height() / 2));
            what = QStringLiteral("click field %1").arg(field);
        } else {
            QTest::mouseClick(random.bounded(2u) ? d.OptYes() : d.OptNo(), Qt::LeftButton, {},
                              QPoint(5, 5));
            what = QStringLiteral("option");
        }

        QVERIFY2(d.isVisible(),
                 qPrintable(QStringLiteral("closed at event %1 (%2)").arg(n).arg(what)));
        for (int i = 0; i < 8; ++i) {
            const QString text = h.Text(i);
            for (const QChar c : text)
                QVERIFY2(
                    !c.isLetter(),
                    qPrintable(QStringLiteral("field %1 holds \"%2\" after event %3 (%4), seed %5")
                                   .arg(i)
                                   .arg(text)
                                   .arg(n)
                                   .arg(what)
                                   .arg(seed)));
        }
        QVERIFY(h.Text(8).size() <= 15);
        QVERIFY(d.OptYes()->isChecked() != d.OptNo()->isChecked());
    }
    // Nothing was written: no button was pressed.
    QCOMPARE(h.table.Grid.Rows(), 3);
    QVERIFY(!h.table.FileChanged);
    Interaction::Install(&h.user);
    qInfo("%d events, %d message boxes", events, clicks.messages);
}

QTEST_MAIN(tst_KeystrokeFuzz)
#include "tst_keystrokefuzz.moc"
