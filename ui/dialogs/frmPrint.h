#pragma once

#include "PrintSettings.h"

#include <QDialog>

// Print options: the selected loan, or all active or all inactive loans.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmPrint(PrintSettings& settings, QWidget* parent = nullptr);
    ~frmPrint() override;
};
