// The logo and the picture buttons are drawn for the screen's pixel density: one image pixel to
// one screen pixel at 1x and at 2x, never a 1x picture blown up. Run once as it is and once with
// QT_SCALE_FACTOR=2.
#include "ScriptedInteraction.h"
#include "ui/dialogs/AppTitle.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmLoan.h"

#include <QApplication>
#include <QtTest>

#include <memory>

using Buttons = Interaction::Buttons;
using Icon = Interaction::Icon;

namespace {

using Box = PictureBox* frmLoan::*;

struct Picture {
    const char* name;
    Box box;
};

constexpr Picture kPictures[] = {
    {"Dravenholt", &frmLoan::PicDravenholt}, {"NewUp", &frmLoan::PicNewUp},
    {"NewDown", &frmLoan::PicNewDown},       {"EditUp", &frmLoan::PicEditUp},
    {"EditDown", &frmLoan::PicEditDown},     {"DeleteUp", &frmLoan::PicDeleteUp},
    {"DeleteDown", &frmLoan::PicDeleteDown}, {"SearchUp", &frmLoan::PicSearchUp},
    {"SearchDown", &frmLoan::PicSearchDown},
};

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

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;

    void Start() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectMessage(QStringLiteral("For more software visit https://www.dravenholt.example"),
                          kAppTitle, Buttons::OK, Icon::Information);
        w = std::make_unique<frmLoan>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
    }

    static QImage Resource(const QString& name, const char* suffix) {
        return Opaque(QImage(QStringLiteral(":/pictures/%1%2.png").arg(name, suffix)));
    }

  private slots:
    void cleanup() {
        w.reset();
        ui.reset();
    }

    // What reaches the screen: the drawing for the screen's ratio, not scaled on the way.
    void screenShowsTheDrawingForItsRatio_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kPictures)); ++i)
            QTest::newRow(kPictures[i].name) << QString::fromLatin1(kPictures[i].name) << i;
    }
    void screenShowsTheDrawingForItsRatio() {
        QFETCH(QString, name);
        QFETCH(int, index);
        Start();
        const PictureBox* box = w.get()->*kPictures[index].box;
        const qreal ratio = box->devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0);
        QVERIFY(ratio == 1 || ratio == 2);
        // Each ratio has a drawing made for it, at the picture's own size on screen.
        const QImage one = Resource(name, ""), two = Resource(name, "@2x");
        QCOMPARE(two.size(), one.size() * 2);
        QCOMPARE(Opaque(box->PictureFor(1).toImage()), one);
        QCOMPARE(Opaque(box->PictureFor(2).toImage()), two);
        QCOMPARE(box->PictureFor(1.5).deviceIndependentSize(), QSizeF(one.size()));
        // The box alone, whatever lies over it.
        const QImage shown = Opaque(const_cast<PictureBox*>(box)->grab().toImage());
        QCOMPARE(shown.size(), box->size() * ratio);
        QVERIFY2(Contains(shown, ratio == 2 ? two : one),
                 "the picture is not on screen pixel for pixel");
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
