// Opens one plain Qt window on the current X display and exits 0 once it is exposed. The end-to-end
// test runs it first, so a display that cannot host any Qt window is told apart from a program fault.
#include <QApplication>
#include <QTest>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(200, 100);
    window.show();
    return QTest::qWaitForWindowExposed(&window, 5000) ? 0 : 1;
}
