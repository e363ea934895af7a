#pragma once

#include <QMessageBox>

// A Yes/No message box that must be answered with a button: Esc and the close box do nothing, so
// a question such as whether to save before leaving is never taken as No by accident.
class QuestionBox : public QMessageBox {
    Q_OBJECT
  public:
    explicit QuestionBox(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
