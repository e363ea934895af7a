#pragma once

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

// The about box: icon, title, version, contact details and the copying warning.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    QPushButton* cmdOK() const { return cmdOK_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QFrame* Line1(int index) const { return Line1_.at(static_cast<std::size_t>(index)); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Form_Load();
    void cmdOK_Click();

    QPushButton* cmdOK_;
    QLabel* picIcon_;
    QLabel* lblDisclaimer_;
    QLabel* lblDescription_;
    QLabel* lblTitle_;
    QLabel* lblVersion_;
    std::array<QFrame*, 2> Line1_{};
    bool loaded_ = false;
};
