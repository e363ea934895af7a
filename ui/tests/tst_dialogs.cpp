// The print options dialog and the about box, driven with real clicks and keys.
#include "ScriptedInteraction.h"

#include "ui/common/QuestionBox.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmPrint.h"
#include "ui/main/frmLoan.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include <functional>

namespace {

void ClickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

// Shows a fresh print options dialog over settings and lets script drive it.
int RunPrintDialog(PrintSettings& settings, const std::function<void(frmPrint&)>& script) {
    ScriptedInteraction ui;
    ui.ExpectDialog([&](QDialog& dialog) {
        // Access keys are shortcuts, which reach only the active window.
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        script(static_cast<frmPrint&>(dialog));
    });
    frmPrint dialog(settings);
    const int result = Interaction::Current().Exec(dialog);
    if (!ui.Done()) qWarning("%s", qPrintable(ui.Errors()));
    return ui.Done() ? result : -1;
}

// Alt+key must start pressing target, and give it the focus if it is an option. Qt completes
// such a press on a short timer; Space on the pressed button completes it at once instead.
void PressAccessKey(QWidget& dialog, Qt::Key key, QAbstractButton* target) {
    QTest::keyClick(&dialog, key, Qt::AltModifier);
    QVERIFY2(target->isDown(), qPrintable(target->objectName() + " not pressed"));
    if (target->isCheckable()) QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_Space);
}

void ExpectCentred(QWidget& window) {
    const QRect screen = window.screen()->geometry();
    const QPoint offset = window.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
}

void ExpectAccessibleNames(QWidget& dialog) {
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->objectName().startsWith("qt_")) continue;
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        QVERIFY2(!w->accessibleName().contains('&'), qPrintable(w->objectName()));
    }
}

} // namespace

class tst_dialogs : public QObject {
    Q_OBJECT

  private slots:
    void print_initialState();
    void print_flags_data();
    void print_flags();
    void print_accessKeys();
    void print_sharedAccessKey();
    void print_tabEntersTheChosenOption();
    void print_enterAndEscape_doNothing();
    void print_reopenStartsAfresh();
    void about_contents();
    void about_closesWithEnterAndEscape_data();
    void about_closesWithEnterAndEscape();
    void about_fromHelpMenu();
    void question_needsAButton();
};

void tst_dialogs::print_initialState() {
    PrintSettings settings{true, true, true};
    RunPrintDialog(settings, [&](frmPrint& print) {
        QVERIFY(!settings.PrintCancelled);
        QCOMPARE(print.windowTitle(), QString("Dravenholt Supplier - Print"));
        QCOMPARE(print.Frame1()->title(), QString("Print &Grid"));
        QCOMPARE(print.Frame2()->title(), QString("P&rint Active"));
        const QStringList captions = {"Print &Selection", "Print &All", "Print A&ctive",
                                      "Print &Not Active"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(print.OptPrint(i)->text(), captions[i]);
        QCOMPARE(print.OptPrint(0)->parentWidget(), print.Frame1());
        QCOMPARE(print.OptPrint(1)->parentWidget(), print.Frame1());
        QCOMPARE(print.OptPrint(2)->parentWidget(), print.Frame2());
        QCOMPARE(print.OptPrint(3)->parentWidget(), print.Frame2());
        // "Print &All" sits below "Print &Selection" although its index is 1.
        QVERIFY(print.OptPrint(1)->y() > print.OptPrint(0)->y());
        QVERIFY(print.OptPrint(0)->isChecked() && print.OptPrint(2)->isChecked());
        QVERIFY(!print.OptPrint(1)->isChecked() && !print.OptPrint(3)->isChecked());
        QVERIFY(print.Frame1()->isEnabled());
        QVERIFY(!print.Frame2()->isEnabled() && !print.OptPrint(2)->isEnabled() &&
                !print.OptPrint(3)->isEnabled());
        QCOMPARE(print.cmdPrint()->text(), QString("&Print ..."));
        QCOMPARE(print.cmdCancel()->text(), QString("&Cancel"));
        QVERIFY(!print.cmdPrint()->isDefault() && !print.cmdCancel()->isDefault());
        ExpectAccessibleNames(print);
        ExpectCentred(print);
        QTest::mouseClick(print.cmdCancel(), Qt::LeftButton);
    });
}

void tst_dialogs::print_flags_data() {
    QTest::addColumn<bool>("allBefore");
    QTest::addColumn<bool>("activeBefore");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("leave"); // "print", "cancel" or "close"
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("activeGroupEnabled");

    QTest::newRow("print at once")
        << true << false << QList<int>{} << "print" << false << false << true << false;
    QTest::newRow("all, not active")
        << false << true << QList<int>{1, 3} << "print" << false << true << false << true;
    QTest::newRow("all, active") << false << false << QList<int>{1, 3, 2} << "print" << false
                                 << true << true << true;
    QTest::newRow("all, not active, back to selection")
        << false << true << QList<int>{1, 3, 0} << "print" << false << false << false << false;
    QTest::newRow("cancel keeps the flags")
        << true << false << QList<int>{1, 2, 0} << "cancel" << true << true << false << false;
    QTest::newRow("close box counts as cancel")
        << false << true << QList<int>{1, 3} << "close" << true << false << true << true;
}

void tst_dialogs::print_flags() {
    QFETCH(bool, allBefore);
    QFETCH(bool, activeBefore);
    QFETCH(QList<int>, clicks);
    QFETCH(QString, leave);
    QFETCH(bool, cancelled);
    QFETCH(bool, all);
    QFETCH(bool, active);
    QFETCH(bool, activeGroupEnabled);

    PrintSettings settings{true, allBefore, activeBefore};
    const int result = RunPrintDialog(settings, [&](frmPrint& print) {
        for (int index : clicks) {
            ClickOption(print.OptPrint(index));
            QVERIFY(print.OptPrint(index)->isChecked());
        }
        QCOMPARE(print.Frame2()->isEnabled(), activeGroupEnabled);
        QCOMPARE(print.OptPrint(2)->isEnabled(), activeGroupEnabled);
        QCOMPARE(print.OptPrint(3)->isEnabled(), activeGroupEnabled);
        // The groups switch independently.
        QVERIFY(print.OptPrint(0)->isChecked() != print.OptPrint(1)->isChecked());
        QVERIFY(print.OptPrint(2)->isChecked() != print.OptPrint(3)->isChecked());
        if (leave == "print")
            QTest::mouseClick(print.cmdPrint(), Qt::LeftButton);
        else if (leave == "cancel")
            QTest::mouseClick(print.cmdCancel(), Qt::LeftButton);
        else
            print.close();
    });
    QCOMPARE(result, cancelled ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QCOMPARE(settings.PrintCancelled, cancelled);
    QCOMPARE(settings.PrintAll, all);
    QCOMPARE(settings.PrintActive, active);
}

void tst_dialogs::print_accessKeys() {
    PrintSettings settings;
    const int result = RunPrintDialog(settings, [&](frmPrint& print) {
        PressAccessKey(print, Qt::Key_A, print.OptPrint(1));
        QVERIFY(print.OptPrint(1)->isChecked());
        QVERIFY(print.Frame2()->isEnabled() && print.OptPrint(3)->isEnabled());
        PressAccessKey(print, Qt::Key_N, print.OptPrint(3));
        QVERIFY(print.OptPrint(3)->isChecked());
        PressAccessKey(print, Qt::Key_P, print.cmdPrint());
        QVERIFY(!print.isVisible());
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!settings.PrintCancelled);
    QVERIFY(settings.PrintAll);
    QVERIFY(!settings.PrintActive);
}

// "&Cancel" and "Print A&ctive" share C. While the active group is disabled only Cancel has it;
// once the group is enabled the key is ambiguous and, as for any shared access key, only moves
// the focus between the two, so it neither cancels nor changes the choice by surprise.
void tst_dialogs::print_sharedAccessKey() {
    PrintSettings settings;
    int result = RunPrintDialog(settings, [&](frmPrint& print) {
        PressAccessKey(print, Qt::Key_C, print.cmdCancel());
        QVERIFY(!print.isVisible());
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(settings.PrintCancelled);

    settings = PrintSettings{};
    result = RunPrintDialog(settings, [&](frmPrint& print) {
        ClickOption(print.OptPrint(1));
        ClickOption(print.OptPrint(3));
        QList<QWidget*> visited;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(&print, Qt::Key_C, Qt::AltModifier);
            visited << QApplication::focusWidget();
            QVERIFY(!print.cmdCancel()->isDown() && !print.OptPrint(2)->isDown());
        }
        QVERIFY(visited.contains(print.cmdCancel()) && visited.contains(print.OptPrint(2)));
        QCOMPARE(visited[2], visited[0]);
        QVERIFY(print.isVisible());
        QVERIFY(print.OptPrint(3)->isChecked());
        QVERIFY(!settings.PrintCancelled);
        // Focused by its access key, Cancel is pressed with Space.
        if (visited[2] != print.cmdCancel()) QTest::keyClick(&print, Qt::Key_C, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), print.cmdCancel());
        QTest::keyClick(print.cmdCancel(), Qt::Key_Space);
        QVERIFY(!print.isVisible());
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(settings.PrintCancelled);
    QVERIFY(!settings.PrintAll);
}

void tst_dialogs::print_tabEntersTheChosenOption() {
    PrintSettings settings;
    RunPrintDialog(settings, [&](frmPrint& print) {
        // Print All comes first in the tab order; Print Selection is the one chosen.
        print.cmdCancel()->setFocus();
        QTest::keyClick(print.cmdCancel(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), print.OptPrint(0));
        ClickOption(print.OptPrint(1));
        ClickOption(print.OptPrint(3));
        print.cmdCancel()->setFocus();
        QTest::keyClick(print.cmdCancel(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), print.OptPrint(1));
        QTest::keyClick(print.OptPrint(1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), print.OptPrint(3));
        QTest::keyClick(print.OptPrint(3), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), print.OptPrint(1));
        print.reject();
    });
}

void tst_dialogs::print_enterAndEscape_doNothing() {
    PrintSettings settings;
    const int result = RunPrintDialog(settings, [&](frmPrint& print) {
        ClickOption(print.OptPrint(1));
        for (QWidget* focus :
             {static_cast<QWidget*>(print.OptPrint(1)), static_cast<QWidget*>(print.cmdPrint())}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
            QVERIFY(print.isVisible());
        }
        QVERIFY(!settings.PrintCancelled);
        QVERIFY(!settings.PrintAll);
        QTest::mouseClick(print.cmdCancel(), Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(settings.PrintCancelled);
    QVERIFY(!settings.PrintAll);
}

void tst_dialogs::print_reopenStartsAfresh() {
    PrintSettings settings;
    RunPrintDialog(settings, [](frmPrint& print) {
        ClickOption(print.OptPrint(1));
        ClickOption(print.OptPrint(3));
        QTest::mouseClick(print.cmdPrint(), Qt::LeftButton);
    });
    QVERIFY(settings.PrintAll);
    RunPrintDialog(settings, [](frmPrint& print) {
        QVERIFY(print.OptPrint(0)->isChecked());
        QVERIFY(print.OptPrint(2)->isChecked());
        QVERIFY(!print.Frame2()->isEnabled());
        QTest::mouseClick(print.cmdPrint(), Qt::LeftButton);
    });
    QVERIFY(!settings.PrintAll);
    QVERIFY(settings.PrintActive);
}

void tst_dialogs::about_contents() {
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), QString("About"));
    QCOMPARE(about.lblVersion()->text(), QString("Version 1.0"));
    QVERIFY(about.lblTitle()->text().contains("Dravenholt"));
    QVERIFY(about.lblTitle()->text().contains("rights reserved"));
    QVERIFY(about.lblDescription()->text().contains("@"));
    QVERIFY(about.lblDescription()->text().contains(".example"));
    QVERIFY(about.lblDisclaimer()->text().contains("copying"));
    QVERIFY(about.cmdOK()->isDefault());
    QCOMPARE(about.cmdOK()->text(), QString("OK"));
    // The etched rule: grey over white, same height, both ending at the same place.
    QCOMPARE(about.Line1(0)->y(), about.Line1(1)->y());
    QCOMPARE(about.Line1(0)->geometry().right(), about.Line1(1)->geometry().right());
    QCOMPARE(about.Line1(1)->height(), 1);
    QCOMPARE(about.Line1(0)->height(), 2);
    QVERIFY(about.Line1(0)->x() < about.Line1(1)->x());
    // Every label fits inside the box.
    for (QLabel* label : about.findChildren<QLabel*>()) {
        QVERIFY2(about.rect().contains(label->geometry()), qPrintable(label->objectName()));
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height() + 2,
                     qPrintable(label->objectName() + " does not fit its text"));
    }
    ExpectAccessibleNames(about);
    ExpectCentred(about);
}

void tst_dialogs::about_closesWithEnterAndEscape_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_dialogs::about_closesWithEnterAndEscape() {
    QFETCH(int, key);
    ScriptedInteraction ui;
    ui.ExpectDialog([key](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key(key)); });
    frmAbout about;
    Interaction::Current().Exec(about);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QVERIFY(!about.isVisible());
}

void tst_dialogs::about_fromHelpMenu() {
    ScriptedInteraction ui;
    frmLoan window;
    ui.Clear(); // the start-up message is the window's own business
    window.show();
    window.move(0, 0);
    QApplication::setActiveWindow(&window);
    QString shown;
    ui.ExpectDialog([&](QDialog& dialog) {
        QVERIFY(qobject_cast<frmAbout*>(&dialog));
        shown = dialog.windowTitle();
        ExpectCentred(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    auto* help = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(help);
    QTest::keyClick(help, Qt::Key_A);
    QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    QCOMPARE(shown, QString("About"));
}

void tst_dialogs::question_needsAButton() {
    QuestionBox box;
    box.setText(QStringLiteral("Save file before exiting?"));
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(box.isVisible());
    QVERIFY(!box.close());
    QVERIFY(box.isVisible());
    QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QMessageBox::No));
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
