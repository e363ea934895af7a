// The print preview as the desktop shows it: large enough to read a page, and its toolbar's
// buttons all in sight, at the screen's own density and at twice it (tst_printpreview_x2).
#include "ui/common/DesktopInteraction.h"

#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

class tst_printpreview : public QObject {
    Q_OBJECT

  private slots:
    void fillsMostOfTheScreen_toolbarWhole_data() {
        QTest::addColumn<bool>("landscape");
        QTest::newRow("landscape") << true;
        QTest::newRow("portrait") << false;
    }
    void fillsMostOfTheScreen_toolbarWhole() {
        QFETCH(bool, landscape);
        QWidget window;
        window.show();
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        QPrintPreviewDialog preview(&printer, &window);
        DesktopInteraction::FitPreview(preview, &window);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));

        const QRect area = window.screen()->availableGeometry();
        QVERIFY2(preview.width() >= area.width() * 8 / 10 && preview.width() <= area.width(),
                 qPrintable(QStringLiteral("%1 of %2").arg(preview.width()).arg(area.width())));
        QVERIFY(preview.height() >= area.height() * 8 / 10 && preview.height() <= area.height());
        QVERIFY(area.contains(preview.frameGeometry().center()));

        // No button folded away behind the toolbar's extension arrow.
        auto* toolbar = preview.findChild<QToolBar*>();
        QVERIFY(toolbar);
        for (auto* button : toolbar->findChildren<QToolButton*>()) {
            const bool extension = button->objectName() == QLatin1String("qt_toolbar_ext_button");
            if (extension) QVERIFY2(!button->isVisible(), "the toolbar folds buttons away");
        }
        int shown = 0;
        for (QAction* action : toolbar->actions())
            if (!action->isSeparator() && toolbar->widgetForAction(action) &&
                toolbar->widgetForAction(action)->isVisible())
                ++shown;
        QVERIFY(shown >= 15);
    }
};

int main(int argc, char** argv) {
    // A screen as a desktop's, 2560 by 1600 pixels: the offscreen platform's own is a small
    // square, which no one previews a page on.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 2;
    file.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 2560, "height": 1600,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    tst_printpreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printpreview.moc"
