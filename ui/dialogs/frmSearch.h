#pragma once

#include <QDialog>

#include <functional>

namespace loan {
class LoanGrid;
}

// Finds a loan by its code and opens it with editLoan (the main window's EditLoan).
class frmSearch : public QDialog {
    Q_OBJECT
public:
    frmSearch(loan::LoanGrid& grid, std::function<void()> editLoan, QWidget* parent = nullptr);
    ~frmSearch() override;
};
