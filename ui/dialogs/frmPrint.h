#pragma once

#include "PrintSettings.h"

#include <QDialog>

#include <array>

class QGroupBox;
class QPushButton;
class QRadioButton;

// Print options: the selected loan, or all active or all inactive loans. The choice goes back
// through settings; leaving the dialog any way but Print sets PrintCancelled.
class frmPrint : public QDialog {
    Q_OBJECT
  public:
    explicit frmPrint(PrintSettings& settings, QWidget* parent = nullptr);
    ~frmPrint() override;

    QRadioButton* OptPrint(int index) const {
        return OptPrint_.at(static_cast<std::size_t>(index));
    }
    QGroupBox* Frame1() const { return Frame1_; }
    QGroupBox* Frame2() const { return Frame2_; }
    QPushButton* cmdPrint() const { return cmdPrint_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FitTexts();
    void Form_Load();
    void OptPrint_Click(int index);
    void cmdPrint_Click();
    void cmdCancel_Click();

    PrintSettings& settings_;
    QPushButton* cmdPrint_;
    QPushButton* cmdCancel_;
    QGroupBox* Frame1_;
    QGroupBox* Frame2_;
    std::array<QRadioButton*, 4> OptPrint_{};
    bool loaded_ = false;
};
