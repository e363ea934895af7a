// The search dialog driven through its real controls, with EditLoan as a recording callback.
#include "ScriptedInteraction.h"

#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"
#include "ui/common/BusyPointer.h"
#include "ui/details/frmLoanDetails.h"
#include "ui/dialogs/frmSearch.h"
#include "ui/main/frmLoan.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

using Kind = Interaction;

// Heading row, one loan per code (column 0 only), the blank last row.
loan::LoanGrid MakeGrid(const QStringList& codes) {
    loan::LoanGrid grid(loan::kLoanCols, static_cast<int>(codes.size()) + 2);
    for (int c = 0; c < loan::kLoanCols; ++c)
        grid.SetTextAt(0, c, loan::kHeadings[static_cast<std::size_t>(c)]);
    for (int r = 0; r < codes.size(); ++r) {
        const QByteArray code = codes[r].toUtf8();
        grid.SetTextAt(r + 1, loan::ColCode, std::string_view(code.constData(), code.size()));
        grid.SetTextAt(r + 1, loan::ColActive, "Yes");
    }
    return grid;
}

struct Edit {
    int row;
    int col;
    bool busy;
};

class CurrentCellCounter final : public loan::LoanGridListener {
  public:
    void CurrentCellChanged() override { ++count; }
    int count = 0;
};

} // namespace

class tst_search : public QObject {
    Q_OBJECT

  private slots:
    void search_data();
    void search();
    void clickOK_searches();
    void escape_doesNothing_cancelCloses();
    void accessKey_focusesEntry();
    void layout_and_names();
    void scan_reportsCurrentCellOnce();
    void throughTheWindow_opensFoundLoan();
    void capitalsAgreeWithQt();
};

void tst_search::search_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("editedRow"); // -1: EditLoan not called
    QTest::addColumn<bool>("noLoanMessage");
    QTest::addColumn<int>("rowAfter");

    const QStringList loans = {"HOME", "ABC12", "CAR 1", "ABC12X"};
    QTest::newRow("spaces around the typed code") << loans << "  abc12 " << 2 << false << 2;
    QTest::newRow("lower-case cell") << QStringList{"home", "abc12"} << "ABC12" << 2 << false << 2;
    QTest::newRow("space inside the code counts") << loans << "car 1" << 3 << false << 3;
    QTest::newRow("space inside missing") << loans << "CAR1" << -1 << true << 5;
    QTest::newRow("cell with a leading space is not found")
        << QStringList{" ABC12", "HOME"} << "ABC12" << -1 << true << 3;
    QTest::newRow("duplicates: the top one wins")
        << QStringList{"A", "B", "DUP", "C", "dup"} << "dup" << 3 << false << 3;
    QTest::newRow("any script") << QStringList{"HOME", "ЖИЛЬЁ"} << "жильё" << 2 << false << 2;
    QTest::newRow("last loan") << loans << "abc12x" << 4 << false << 4;
    QTest::newRow("no match: current row is the last row") << loans << "NONE" << -1 << true << 5;
    QTest::newRow("empty table: no scan, no message")
        << QStringList{} << "HOME" << -1 << false << 0;
    QTest::newRow("blank entry: no scan, no message") << loans << "    " << -1 << false << 0;
    QTest::newRow("empty entry") << loans << "" << -1 << false << 0;
    // The box keeps 15 characters, so the 16th and later are never part of the code.
    QTest::newRow("15-character limit")
        << QStringList{"X", "ABCDEFGHIJKLMNO"} << "abcdefghijklmnopqrst" << 2 << false << 2;
}

void tst_search::search() {
    QFETCH(QStringList, codes);
    QFETCH(QString, typed);
    QFETCH(int, editedRow);
    QFETCH(bool, noLoanMessage);
    QFETCH(int, rowAfter);

    loan::LoanGrid grid = MakeGrid(codes);
    grid.SetRow(1);
    grid.SetCol(5);
    QList<Edit> edits;
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& search = static_cast<frmSearch&>(dialog);
        QCOMPARE(search.txtMorgageCode()->text(), QString());
        // Letters beyond ASCII come as a keyboard layout sends them: a key with its text.
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, search.txtMorgageCode(),
                                c.unicode() < 0x80 ? Qt::Key(QChar(c).toUpper().unicode())
                                                   : Qt::Key_unknown,
                                QString(c), Qt::NoModifier);
        QVERIFY(search.txtMorgageCode()->text().size() <= 15);
        QTest::keyClick(search.txtMorgageCode(), Qt::Key_Return);
    });
    if (noLoanMessage)
        ui.ExpectMessage("No Loan Found", "Loan Search.", Kind::Buttons::OK, Kind::Icon::Question);

    frmSearch dialog(grid, [&] { edits << Edit{grid.Row(), grid.Col(), BusyPointer::IsBusy()}; });
    Interaction::Current().Exec(dialog);

    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!dialog.isVisible());
    if (editedRow < 0) {
        QVERIFY(edits.isEmpty());
    } else {
        QCOMPARE(edits.size(), 1);
        QCOMPARE(edits[0].row, editedRow);
        QCOMPARE(edits[0].col, 0);
        QVERIFY2(edits[0].busy, "the busy pointer stays while the loan is being edited");
    }
    QCOMPARE(grid.Row(), rowAfter);
    QCOMPARE(grid.Col(), 0);
    QVERIFY(!BusyPointer::IsBusy());
}

void tst_search::clickOK_searches() {
    loan::LoanGrid grid = MakeGrid({"HOME", "CAR"});
    int edited = -1;
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& search = static_cast<frmSearch&>(dialog);
        QTest::keyClicks(search.txtMorgageCode(), "car");
        QTest::mouseClick(search.cmdOK(), Qt::LeftButton);
    });
    frmSearch dialog(grid, [&] { edited = grid.Row(); });
    Interaction::Current().Exec(dialog);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(edited, 2);
}

void tst_search::escape_doesNothing_cancelCloses() {
    loan::LoanGrid grid = MakeGrid({"HOME"});
    grid.SetRow(1);
    grid.SetCol(3);
    bool edited = false;
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& search = static_cast<frmSearch&>(dialog);
        QTest::keyClicks(search.txtMorgageCode(), "HOME");
        QTest::keyClick(search.txtMorgageCode(), Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(search.cmdCancel(), Qt::LeftButton);
    });
    frmSearch dialog(grid, [&] { edited = true; });
    Interaction::Current().Exec(dialog);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!dialog.isVisible());
    QVERIFY(!edited);
    // Cancel leaves the table alone.
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 3);
}

void tst_search::accessKey_focusesEntry() {
    loan::LoanGrid grid = MakeGrid({"HOME"});
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        auto& search = static_cast<frmSearch&>(dialog);
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        search.cmdCancel()->setFocus();
        QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), search.txtMorgageCode());
        // Alt+C is Cancel.
        QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
        QVERIFY(!dialog.isVisible());
    });
    frmSearch dialog(grid, [] {});
    Interaction::Current().Exec(dialog);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!dialog.isVisible());
}

void tst_search::layout_and_names() {
    loan::LoanGrid grid = MakeGrid({});
    frmSearch dialog(grid, [] {});
    QCOMPARE(dialog.windowTitle(), QString("Dravenholt Information Technology Search"));
    auto* label = dialog.findChild<QLabel*>("lblMorgageCode");
    QVERIFY(label);
    QCOMPARE(label->text(), QString("&Morgage Code"));
    QCOMPARE(label->buddy(), dialog.txtMorgageCode());
    QCOMPARE(dialog.txtMorgageCode()->maxLength(), 15);
    QCOMPARE(dialog.cmdOK()->text(), QString("&OK"));
    QVERIFY(dialog.cmdOK()->isDefault());
    QCOMPARE(dialog.cmdCancel()->text(), QString("&Cancel"));
    QVERIFY(!dialog.cmdCancel()->isDefault());
    for (QWidget* w : dialog.findChildren<QWidget*>())
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    // Controls follow tab order: label, entry, OK, Cancel, from top left.
    QVERIFY(label->geometry().right() < dialog.cmdOK()->geometry().left());
    QVERIFY(dialog.cmdOK()->geometry().bottom() < dialog.cmdCancel()->geometry().top());
    QVERIFY(dialog.rect().contains(dialog.cmdCancel()->geometry()));
}

void tst_search::scan_reportsCurrentCellOnce() {
    QStringList codes;
    for (int i = 0; i < 500; ++i)
        codes << QString("L%1").arg(i);
    loan::LoanGrid grid = MakeGrid(codes);
    CurrentCellCounter counter;
    grid.SetListener(&counter);
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        QTest::keyClicks(static_cast<frmSearch&>(dialog).txtMorgageCode(), "nothing");
        QTest::keyClick(static_cast<frmSearch&>(dialog).txtMorgageCode(), Qt::Key_Enter);
    });
    ui.ExpectMessage("No Loan Found", "Loan Search.", Kind::Buttons::OK, Kind::Icon::Question);
    frmSearch dialog(grid, [] {});
    Interaction::Current().Exec(dialog);
    grid.SetListener(nullptr);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(grid.Row(), 501);
    QCOMPARE(counter.count, 1);
}

void tst_search::throughTheWindow_opensFoundLoan() {
    ScriptedInteraction ui;
    frmLoan window;
    ui.Clear(); // the start-up message is the window's own business
    window.show();
    for (const char* code : {"HOME", "CAR", "BOAT"}) {
        std::array<std::string, loan::kLoanCols> texts{};
        texts[loan::ColCode] = code;
        texts[loan::ColActive] = "Yes";
        window.Table.WriteLoan(window.Table.Grid.Rows() - 1, texts);
    }
    QString opened;
    bool busyWhileOpen = false;
    ui.ExpectDialog([](QDialog& dialog) {
        auto& search = static_cast<frmSearch&>(dialog);
        QTest::keyClicks(search.txtMorgageCode(), " car ");
        QTest::keyClick(search.txtMorgageCode(), Qt::Key_Return);
    });
    ui.ExpectDialog([&](QDialog& dialog) {
        opened = static_cast<frmLoanDetails&>(dialog).txtLoanRec(8)->text();
        busyWhileOpen = BusyPointer::IsBusy();
        dialog.reject();
    });
    window.mnuGridItem(frmLoan::GridSearch)->trigger();
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(opened, QString("CAR"));
    QVERIFY(busyWhileOpen);
    QVERIFY(!BusyPointer::IsBusy());
    QCOMPARE(window.Table.Grid.Row(), 2);
}

// The scans compare capitals made without Qt; they must be the capitals Qt itself makes, for
// every code point.
void tst_search::capitalsAgreeWithQt() {
    int differing = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const QString text = QString::fromUcs4(&c, 1);
        const QByteArray utf8 = text.toUtf8();
        const std::string upper = loan::UpperCase({utf8.constData(), std::size_t(utf8.size())});
        if (QString::fromStdString(upper) != text.toUpper() && ++differing <= 5)
            qWarning("U+%04X: %s, Qt %s", unsigned(c), upper.c_str(), qPrintable(text.toUpper()));
    }
    QCOMPARE(differing, 0);
}

QTEST_MAIN(tst_search)
#include "tst_search.moc"
