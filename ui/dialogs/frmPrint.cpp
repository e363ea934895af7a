#include "frmPrint.h"

#include "ui/common/OptionTabStop.h"
#include "ui/common/Twips.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    // Neither button is the default: Enter must not print or cancel.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return frame;
}

} // namespace

frmPrint::frmPrint(PrintSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      settings_(settings) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Dravenholt Supplier - Print"));
    setWindowIcon(QGuiApplication::windowIcon());
    setFixedSize(Twips::Size(this, 3855, 2535));

    cmdPrint_ = MakeButton(this, QStringLiteral("cmdPrint"), QStringLiteral("&Print ..."));
    Twips::Place(cmdPrint_, 2280, 240, 1335, 495);
    cmdCancel_ = MakeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    Twips::Place(cmdCancel_, 2280, 1080, 1335, 495);

    // Each frame is its own option group: radio buttons are exclusive among siblings.
    Frame1_ = MakeFrame(this, QStringLiteral("Frame1"), QStringLiteral("Print &Grid"));
    Twips::Place(Frame1_, 240, 120, 1815, 1095);
    Frame2_ = MakeFrame(this, QStringLiteral("Frame2"), QStringLiteral("P&rint Active"));
    Twips::Place(Frame2_, 240, 1320, 1815, 1095);

    struct Option {
        QGroupBox* frame;
        const char* caption;
        int top;
        bool on;
    };
    const std::array<Option, 4> options = {{
        {Frame1_, "Print &Selection", 360, true},
        {Frame1_, "Print &All", 720, false},
        {Frame2_, "Print A&ctive", 360, true},
        {Frame2_, "Print &Not Active", 720, false},
    }};
    for (int i = 0; i < 4; ++i) {
        const Option& option = options[static_cast<std::size_t>(i)];
        auto* button = new QRadioButton(QString::fromLatin1(option.caption), option.frame);
        button->setObjectName(QStringLiteral("OptPrint_%1").arg(i));
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
        button->setChecked(option.on);
        Twips::Place(button, 120, option.top, 1575, 255);
        OptPrint_[static_cast<std::size_t>(i)] = button;
        connect(button, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) OptPrint_Click(i);
        });
    }

    OptionTabStop::Install({OptPrint(0), OptPrint(1)});
    OptionTabStop::Install({OptPrint(2), OptPrint(3)});
    FitTexts();

    Frame2_->setEnabled(false);
    OptPrint(2)->setEnabled(false);
    OptPrint(3)->setEnabled(false);

    setTabOrder(cmdPrint_, cmdCancel_);
    setTabOrder(cmdCancel_, OptPrint(1));
    setTabOrder(OptPrint(1), OptPrint(0));
    setTabOrder(OptPrint(0), OptPrint(2));
    setTabOrder(OptPrint(2), OptPrint(3));
    cmdPrint_->setFocus();

    connect(cmdPrint_, &QPushButton::clicked, this, &frmPrint::cmdPrint_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmPrint::cmdCancel_Click);

    settings_.PrintCancelled = false;
}

frmPrint::~frmPrint() = default;

// The design widths suit a narrow dialog font; with a wider one the option captions would be
// cut off, so the frames and options widen and the buttons move right by what is missing.
void frmPrint::FitTexts() {
    int missing = 0;
    for (QRadioButton* option : OptPrint_)
        missing = std::max(missing, option->sizeHint().width() - option->width());
    for (QGroupBox* frame : {Frame1_, Frame2_})
        missing = std::max(missing, frame->minimumSizeHint().width() - frame->width());
    if (missing <= 0) return;
    for (QGroupBox* frame : {Frame1_, Frame2_})
        frame->resize(frame->width() + missing, frame->height());
    for (QRadioButton* option : OptPrint_)
        option->resize(option->width() + missing, option->height());
    for (QPushButton* button : {cmdPrint_, cmdCancel_})
        button->move(button->x() + missing, button->y());
    setFixedSize(width() + missing, height());
}

void frmPrint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmPrint::Form_Load() {
    settings_.PrintCancelled = false;
    Twips::CentreOnScreen(this);
}

void frmPrint::keyPressEvent(QKeyEvent* event) {
    // Esc is not a cancel key here; only the Cancel button or the close box leave unprinted.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPrint::OptPrint_Click(int index) {
    if (index == 0 || index == 1) {
        const bool all = index == 1;
        Frame2_->setEnabled(all);
        OptPrint(2)->setEnabled(all);
        OptPrint(3)->setEnabled(all);
    }
}

void frmPrint::cmdPrint_Click() {
    if (OptPrint(0)->isChecked()) settings_.PrintAll = false;
    if (OptPrint(1)->isChecked()) settings_.PrintAll = true;
    if (OptPrint(2)->isChecked()) settings_.PrintActive = true;
    if (OptPrint(3)->isChecked()) settings_.PrintActive = false;
    accept();
}

void frmPrint::cmdCancel_Click() {
    reject();
}

// Cancel, the close box and any other way out but Print: nothing is to be printed.
void frmPrint::reject() {
    settings_.PrintCancelled = true;
    QDialog::reject();
}
