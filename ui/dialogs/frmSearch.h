#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace loan {
class LoanGrid;
}

// Finds a loan by its code and opens it with editLoan (the main window's EditLoan).
class frmSearch : public QDialog {
    Q_OBJECT
  public:
    frmSearch(loan::LoanGrid& grid, std::function<void()> editLoan, QWidget* parent = nullptr);
    ~frmSearch() override;

    QLineEdit* txtMorgageCode() const { return txtMorgageCode_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    loan::LoanGrid& grid_;
    std::function<void()> editLoan_;
    QLabel* lblMorgageCode_;
    QLineEdit* txtMorgageCode_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    bool loaded_ = false;
};
