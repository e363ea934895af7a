#pragma once

#include "ui/details/frmLoanDetails.h"
#include "ui/tests/ScriptedInteraction.h"

#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <array>
#include <memory>
#include <string>

// The loan details dialog over a real loan table, shown and active, with a scripted user for
// its message boxes. Keys go to whichever widget has the focus, as a keyboard's would.
class LoanDetailsHarness {
  public:
    ScriptedInteraction user;
    loan::LoanTable table;
    loan::LoanGrid staging{loan::kLoanCols, 2};
    int untitled = 0;
    std::unique_ptr<frmLoanDetails> dialog;

    // Opens the dialog as the New command does, for repayment time index time.
    frmLoanDetails& Open(int time = 4) {
        dialog = std::make_unique<frmLoanDetails>(table, staging, [this] { ++untitled; });
        table.RepaymentTimeIndex = time;
        dialog->HighlightRepaymentTime(time);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        (void)QTest::qWaitForWindowActive(dialog.get());
        return *dialog;
    }

    QLineEdit* Field(int i) const { return dialog->txtLoanRec(i); }
    QString Text(int i) const { return Field(i)->text(); }
    QString Cell(int i) const { return dialog->Cel(i)->text(); }

    // Moves the focus into field i the way the program does (all its text selected).
    void Focus(int i) { Field(i)->setFocus(Qt::OtherFocusReason); }
    void Type(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void Enter(int i, const QString& keys) {
        Focus(i);
        Type(keys);
    }

    // The term-25 loan, typed field by field: principal 300000, variable amount 200000 at 6.5%,
    // fixed amount 100000 at 5.99%.
    void TypeExampleLoan(const QString& code) {
        Enter(8, code);
        Enter(0, QStringLiteral("300000"));
        Enter(1, QStringLiteral("25"));
        Enter(4, QStringLiteral("200000"));
        Enter(3, QStringLiteral("6.5"));
        Enter(6, QStringLiteral("5.99"));
    }

    // Puts a loan into the table directly, as a loaded file would have it.
    void AddLoan(std::array<std::string, loan::kLoanCols> texts) {
        table.WriteLoan(table.Grid.Rows() - 1, texts);
        table.FileChanged = false;
    }
    std::string At(int row, int col) const { return std::string(table.Grid.TextAt(row, col)); }
};
