// The logo and the picture buttons are drawn for the screen's pixel density: one image pixel to
// one screen pixel at 1x and at 2x, never a 1x picture blown up. Run once as it is and once with
// QT_SCALE_FACTOR=2.
#include "ScriptedInteraction.h"
#include "ui/common/AppTitle.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmLoan.h"

#include <QtTest>

namespace {

QImage Opaque(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// Whether part appears pixel for pixel somewhere in whole.
bool Contains(const QImage& whole, const QImage& part) {
    for (int y = 0; y + part.height() <= whole.height(); ++y)
        for (int x = 0; x + part.width() <= whole.width(); ++x)
            if (whole.copy(x, y, part.width(), part.height()) == part) return true;
    return false;
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT

  private slots:
    void screenShowsTheDrawingForItsRatio() {
        ScriptedInteraction ui;
        ui.ExpectStartUp();
        frmLoan w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qreal ratio = w.devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0);
        const QList<PictureBox*> boxes = w.findChildren<PictureBox*>();
        QCOMPARE(boxes.size(), 9);
        for (PictureBox* box : boxes) {
            // PicNewUp shows NewUp.png, and NewUp@2x.png on a screen of ratio 2.
            const QString picture = QStringLiteral(":/pictures/") + box->objectName().mid(3);
            const QImage one = Opaque(QImage(picture + QStringLiteral(".png")));
            const QImage two = Opaque(QImage(picture + QStringLiteral("@2x.png")));
            QCOMPARE(two.size(), one.size() * 2);
            QCOMPARE(Opaque(box->PictureFor(1).toImage()), one);
            QCOMPARE(Opaque(box->PictureFor(2).toImage()), two);
            QCOMPARE(box->PictureFor(1.5).deviceIndependentSize(), QSizeF(one.size()));
            // What reaches the screen, the box alone whatever lies over it, is not scaled.
            const QImage shown = Opaque(box->grab().toImage());
            QCOMPARE(shown.size(), box->size() * ratio);
            QVERIFY2(Contains(shown, ratio == 2 ? two : one), qPrintable(box->objectName()));
        }
        QVERIFY2(ui.Done(), qPrintable(ui.Errors()));
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
