#include "frmAbout.h"

#include "ui/common/Twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QFont CaptionFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(text);
    return label;
}

void PaintBlack(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

// One line of the etched rule: a filled strip width twips long and pixels high.
QFrame* MakeRuleLine(QWidget* parent, int index, int left, int pixels, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1_%1").arg(index));
    line->setAccessibleName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    const int x = Twips::ToPixelsX(parent, left);
    const int y = Twips::ToPixelsY(parent, 2400);
    line->setGeometry(x, y, Twips::ToPixelsX(parent, 4200) - x, pixels);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(Twips::Size(this, 4335, 4455));

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setAccessibleName(QStringLiteral("OK"));
    cmdOK_->setDefault(true);
    Twips::Place(cmdOK_, 2880, 3960, 1260, 345);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setAccessibleName(QStringLiteral("Application icon"));
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? style()->standardIcon(QStyle::SP_ComputerIcon)
                           : QApplication::windowIcon();
    QPixmap image = icon.pixmap(32, 32);
    if (image.width() < 32)
        image = image.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picIcon_->setPixmap(image);
    // Sized to its image, at the design position.
    picIcon_->move(Twips::ToPixelsX(this, 120), Twips::ToPixelsY(this, 120));
    picIcon_->adjustSize();

    lblDisclaimer_ = MakeLabel(
        this, QStringLiteral("lblDisclaimer"),
        QStringLiteral("Warning: this program is protected by copyright law and international "
                       "treaties. Unauthorised copying or distribution of it, or of any part of "
                       "it, may result in civil and criminal penalties."));
    PaintBlack(lblDisclaimer_);
    Twips::Place(lblDisclaimer_, 120, 2520, 2550, 1785);

    lblDescription_ = MakeLabel(this, QStringLiteral("lblDescription"),
                                QStringLiteral("Made in Dravenholt\n"
                                               "loan@dravenholt.example\n"
                                               "PO Box 1440, Dravenholt\n"
                                               "www.dravenholt.example"));
    lblDescription_->setFont(CaptionFont());
    PaintBlack(lblDescription_);
    Twips::Place(lblDescription_, 960, 1200, 3195, 1050);

    lblTitle_ = MakeLabel(this, QStringLiteral("lblTitle"),
                          QStringLiteral("Dravenholt Loan \u00A9 Dravenholt IT. "
                                         "All rights reserved."));
    lblTitle_->setFont(CaptionFont());
    PaintBlack(lblTitle_);
    Twips::Place(lblTitle_, 960, 120, 3165, 600);

    lblVersion_ = MakeLabel(this, QStringLiteral("lblVersion"), QStringLiteral("Version 1.0"));
    lblVersion_->setFont(CaptionFont());
    Twips::Place(lblVersion_, 960, 840, 3165, 225);

    // The etched rule: the white, wider line lies under the grey one and shows below it.
    Line1_[0] = MakeRuleLine(this, 0, 105, 2, Qt::white);
    Line1_[1] = MakeRuleLine(this, 1, 120, 1, QColor(128, 128, 128));
    Line1_[1]->raise();

    cmdOK_->setFocus();
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmAbout::Form_Load() {
    Twips::CentreOnScreen(this);
}

// OK is both the default and the cancel button: Enter presses it, and Esc (QDialog's reject)
// closes the box the same way.
void frmAbout::cmdOK_Click() {
    accept();
}
