#pragma once

#include <QMainWindow>

// The main window: the loan table, its menus and picture buttons. (Being built.)
class frmLoan : public QMainWindow {
    Q_OBJECT
public:
    explicit frmLoan(QWidget* parent = nullptr);
    ~frmLoan() override;
};
