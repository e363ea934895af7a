#include "ui/main/frmLoan.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmLoan window;
    window.show();
    return app.exec();
}
