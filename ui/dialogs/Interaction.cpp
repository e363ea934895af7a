#include "Interaction.h"

#include "DesktopInteraction.h"
#include "Printer.h"

namespace {
Interaction* installed = nullptr;
}

Interaction& Interaction::Current() {
    if (installed) return *installed;
    static DesktopInteraction desktop;
    return desktop;
}

void Interaction::Install(Interaction* interaction) { installed = interaction; }

std::unique_ptr<Printer> Interaction::ChoosePrinterForJob(QWidget* parent, const QString&) {
    return ChoosePrinter(parent);
}
