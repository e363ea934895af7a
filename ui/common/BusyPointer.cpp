#include "BusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
bool busy = false;
}

void BusyPointer::SetBusy() {
    if (busy) return;
    busy = true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void BusyPointer::SetDefault() {
    if (!busy) return;
    busy = false;
    QGuiApplication::restoreOverrideCursor();
}

bool BusyPointer::IsBusy() { return busy; }
