// A loan's whole road through the real windows: New, typed into the details dialog, OK, saved,
// the file opened again, and Edit showing the same fields, choice and results.
#include "ScriptedInteraction.h"

#include "loan/LoanTable.h"
#include "ui/common/AppTitle.h"
#include "ui/details/frmLoanDetails.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/frmLoan.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;

namespace {

struct Shown {
    QStringList fields;
    QStringList cells;
    QList<bool> highlighted;
    bool active = true;
};

Shown Read(frmLoanDetails& d) {
    Shown shown;
    const QColor highlight =
        QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    for (int i = 0; i < 9; ++i)
        shown.fields << d.txtLoanRec(i)->text();
    for (int c = 0; c < 15; ++c) {
        shown.cells << d.Cel(c)->text();
        shown.highlighted << (d.Cel(c)->palette().color(QPalette::Window) == highlight);
    }
    shown.active = d.OptYes()->isChecked();
    return shown;
}

void Type(const QString& keys) {
    QTest::keyClicks(QApplication::focusWidget(), keys);
}

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT
  private slots:
    void newSaveReopenEdit();
};

void tst_EndToEnd::newSaveReopenEdit() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("loans.loa"));

    ScriptedInteraction ui;
    ui.ExpectStartUp();
    frmLoan w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));

    // New: type the loan with Enter walking the fields, choose Fortnightly and No, OK.
    Shown typed;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& d = static_cast<frmLoanDetails&>(dialog);
        QCOMPARE(QApplication::focusWidget(), d.txtLoanRec(8));
        const QStringList keys = {"300000", "25", "", "6.5", "200000", "", "5.99", "", "HOME"};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // Loan Code -> principal
        for (int i = 0; i < 9; ++i) {
            Type(keys[i]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QTest::mouseClick(d.Cel(4), Qt::LeftButton);
        QTest::mouseClick(d.OptNo(), Qt::LeftButton);
        typed = Read(d);
        QTest::mouseClick(d.cmdOK(), Qt::LeftButton);
    });
    w.mnuGridItem(frmLoan::GridNew)->trigger();
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(typed.fields[8], QStringLiteral("HOME"));
    QCOMPARE(typed.fields[2], QStringLiteral("66.667"));
    QCOMPARE(typed.cells[3], QStringLiteral("$917.30"));
    QCOMPARE(w.Table.Grid.Rows(), 3);
    QVERIFY(w.Table.FileChanged);

    // Save into a new file, then open it again.
    ui.ExpectFile(FileMode::Save, path);
    w.mnuFileItem(frmLoan::FileSave)->trigger();
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!w.Table.FileChanged);
    QVERIFY(QFile::exists(path));
    ui.ExpectFile(FileMode::Open, path);
    w.mnuFileItem(frmLoan::FileOpen)->trigger();
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(w.Table.Grid.Rows(), 3);

    // Edit the loan: the same fields, choice and results as were typed.
    w.Table.Grid.SetRow(1);
    w.Table.Grid.SetCol(0);
    Shown edited;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& d = static_cast<frmLoanDetails&>(dialog);
        edited = Read(d);
        QTest::mouseClick(d.cmdCancel(), Qt::LeftButton);
    });
    w.mnuGridItem(frmLoan::GridEdit)->trigger();
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(edited.fields, typed.fields);
    QCOMPARE(edited.cells, typed.cells);
    QCOMPARE(edited.highlighted, typed.highlighted);
    QCOMPARE(edited.active, false);
    QCOMPARE(w.Table.RepaymentTimeIndex, 2);
    QVERIFY(!w.Table.FileChanged);
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
