#include "frmPrint.h"

// Placeholder until the dialog is built.
frmPrint::frmPrint(PrintSettings& settings, QWidget* parent) : QDialog(parent) { (void)settings; }
frmPrint::~frmPrint() = default;
