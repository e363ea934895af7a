#include "QuestionBox.h"

#include <QCloseEvent>
#include <QKeyEvent>

QuestionBox::QuestionBox(QWidget* parent) : QMessageBox(parent) {
    setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    setDefaultButton(QMessageBox::Yes);
}

void QuestionBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void QuestionBox::closeEvent(QCloseEvent* event) {
    // A button press hides the box without a close event; only the window's close box lands here.
    event->ignore();
}
