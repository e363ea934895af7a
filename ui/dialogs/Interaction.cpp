#include "Interaction.h"

#include "DesktopInteraction.h"

namespace {
Interaction* installed = nullptr;
}

Interaction& Interaction::Current() {
    if (installed) return *installed;
    static DesktopInteraction desktop;
    return desktop;
}

void Interaction::Install(Interaction* interaction) { installed = interaction; }
