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

void Interaction::Install(Interaction* interaction) {
    installed = interaction;
}

std::unique_ptr<Printer> Interaction::ChoosePrinterForJob(QWidget* parent, const QString&) {
    return ChoosePrinter(parent);
}

Interaction::PrintOutcome Interaction::PrintWithPreview(QWidget* parent, const PrintJob& print,
                                                        bool, const QString& jobName) {
    const std::unique_ptr<Printer> printer = ChoosePrinterForJob(parent, jobName);
    if (!printer) return PrintOutcome::Cancelled;
    return print(*printer) ? PrintOutcome::Printed : PrintOutcome::Failed;
}
