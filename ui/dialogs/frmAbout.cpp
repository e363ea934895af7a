#include "frmAbout.h"

// Placeholder until the dialog is built.
frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {}
frmAbout::~frmAbout() = default;
