#include "frmLoan.h"

frmLoan::frmLoan(QWidget* parent) : QMainWindow(parent) {}
frmLoan::~frmLoan() = default;
