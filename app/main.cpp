#include "ui/dialogs/RunOnlySettings.h"
#include "ui/main/frmLoan.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    const RunOnlySettings settings;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dravenholt Loan"));
    QApplication::setOrganizationName(QStringLiteral("Dravenholt Information Technology"));
    QApplication::setOrganizationDomain(QStringLiteral("dravenholt.example"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.dravenholt.Loan"));
    frmLoan window;
    window.show();
    return app.exec();
}
