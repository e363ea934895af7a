#include "frmLoanDetails.h"

#include "ClickLabel.h"
#include "ResultsTable.h"

#include "calc/KeyFilter.h"
#include "calc/LoanSplit.h"
#include "calc/NumberText.h"
#include "calc/RepaymentTable.h"
#include "loan/LoanGrid.h"
#include "loan/LoanQuery.h"
#include "loan/LoanTable.h"
#include "loan/OpenFile.h"
#include "ui/common/AccessKeyPress.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/NumberFieldFilter.h"
#include "ui/common/OptionTabStop.h"
#include "ui/common/QtText.h"
#include "ui/common/Twips.h"
#include "ui/schedule/frmSchedule.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using Twip = int;

const QColor kFocusBackground(192, 255, 255);
constexpr Twip kFieldHeight = 315;

// Per field: its caption's index in lblLoanRec, frame, place inside the frame and design state.
// Fields 3/4 and 6/7 sit beside the captions of the other index of their pair.
struct FieldDesign {
    int label;      // lblLoanRec index of the caption beside the field
    int frame;      // Frame1 index
    Twip left, top; // field, inside its frame
    Twip width;
    int maxLength;
    const char* text;
    const char* accessibleName;
};

// Percent and interest fields are 705 twips rather than 615: the platform's sans-serif font
// needs that for a six-character percent such as 66.667 to show whole.
constexpr FieldDesign kFieldDesigns[frmLoanDetails::kFields] = {
    {0, 0, 3975, 480, 1575, 15, "", "Principal $"},
    {1, 0, 6150, 480, 495, 6, "", "Term"},
    {2, 1, 990, 420, 705, 6, "", "Variable Principal %"},
    {4, 1, 990, 900, 705, 6, "0", "Variable Interest PA"},
    {3, 1, 2925, 420, 1575, 15, "", "Variable Principal $"},
    {5, 2, 990, 420, 705, 6, "", "Fixed Principal %"},
    {7, 2, 990, 900, 705, 6, "0", "Fixed Interest PA"},
    {6, 2, 2925, 420, 1575, 15, "", "Fixed Principal $"},
    {8, 0, 1020, 480, 1935, 15, "", "Loan Code"},
};

// Captions of lblLoanRec by their own index, with the room they take left of their field.
struct LabelDesign {
    const char* caption;
    Twip width;
};
constexpr LabelDesign kLabelDesigns[frmLoanDetails::kFields] = {
    {"&Principal $", 900}, {"&Term", 480},        {"&Principal", 900},
    {"P&rincipal $", 930}, {"&Interest PA", 900}, {"&Principal", 900},
    {"&Principal $", 930}, {"&Interest PA", 900}, {"&Loan Code", 900},
};

constexpr const char* kHeadingCaptions[frmLoanDetails::kHeadings] = {
    "Time",        "Installment", "Yearly Payment", "Difference", "Weekly",
    "Fortnightly", "Bi Monthly",  "Monthly",        "Quaterly"};

// Tab order of the fields; the Active options and the buttons follow.
constexpr int kTabOrder[frmLoanDetails::kFields] = {8, 0, 1, 2, 4, 3, 5, 7, 6};
// The field a frame's access key moves to: its first in the tab order.
constexpr int kFrameFirstField[3] = {8, 2, 5};

constexpr Twip kTableLeft = 120, kHeadingTop = 4200, kRowTwips = 360;
constexpr Twip kColumnLefts[4] = {120, 1680, 3240, 4800};

QColor SystemColour(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(QPalette::Active, role);
}

void SetColours(QWidget* widget, QPalette::ColorRole backRole, const QColor& back,
                QPalette::ColorRole foreRole, const QColor& fore) {
    QPalette palette = widget->palette();
    palette.setColor(backRole, back);
    palette.setColor(foreRole, fore);
    widget->setPalette(palette);
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

bool IsBlank(const QString& text) {
    return loan::Trimmed(Utf8(text)).empty();
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Where typed text goes in: the selection's start, or the caret.
int SelectionStart(const QLineEdit* field) {
    return field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
}

QString PlainCaption(const char* caption) {
    return QString::fromLatin1(caption).remove('&');
}

} // namespace

frmLoanDetails::frmLoanDetails(loan::LoanTable& table, loan::LoanGrid& gridQuery,
                               std::function<void()> makeUntitled, QWidget* parent)
    : QDialog(parent), table_(table), gridQuery_(gridQuery),
      makeUntitled_(std::move(makeUntitled)) {
    setObjectName(QStringLiteral("frmLoanDetails"));
    setWindowTitle(QStringLiteral("Dravenholt Information Technology - Loan Details"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont dialogFont = font();
    dialogFont.setPointSizeF(8.25);
    setFont(dialogFont);
    setFixedSize(Twips::Size(this, 9315, 6480));
    BuildControls();
    BuildScheduleAccess();
    Form_Load();
}

frmLoanDetails::~frmLoanDetails() = default;

void frmLoanDetails::BuildControls() {
    const QColor window = SystemColour(QPalette::Base);

    const char* frameCaptions[3] = {"Loa&n", "&Variable", "&Fixed"};
    const Twip frameGeometry[3][4] = {
        {60, 840, 7635, 1095}, {60, 2160, 4575, 1455}, {4680, 2160, 4575, 1455}};
    for (int f = 0; f < 3; ++f) {
        auto* frame = new QGroupBox(QString::fromLatin1(frameCaptions[f]), this);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(f));
        frame->setAccessibleName(PlainCaption(frameCaptions[f]));
        Twips::Place(frame, frameGeometry[f][0], frameGeometry[f][1], frameGeometry[f][2],
                     frameGeometry[f][3]);
        frame->installEventFilter(this);
        Frame1_[f] = frame;
    }

    for (int i = 0; i < kFields; ++i) {
        const FieldDesign& design = kFieldDesigns[i];
        QGroupBox* frame = Frame1_[design.frame];

        auto* field = new QLineEdit(frame);
        field->setObjectName(QStringLiteral("txtLoanRec_%1").arg(i));
        field->setMaxLength(design.maxLength);
        field->setText(QString::fromLatin1(design.text));
        field->setAccessibleName(QString::fromLatin1(design.accessibleName));
        Twips::Place(field, design.left, design.top, design.width, kFieldHeight);
        SetColours(field, QPalette::Base, window, QPalette::Text, SystemColour(QPalette::Text));
        field->installEventFilter(this);
        // Fields 0 to 7 take only what the key filter lets through, typed or pasted; a paste
        // then recalculates as typing does.
        if (i != calc::FieldCode) {
            const auto* filter = NumberFieldFilter::Install(
                field,
                [this, i](std::u16string_view text, int caret, int selected, int key) {
                    return txtLoanRec_KeyPress(i, text, caret, selected, key);
                },
                NumberFieldFilter::Keys::AllTyped);
            connect(filter, &NumberFieldFilter::Pasted, this, [this, i] {
                SplitIfChanged(i);
                CalculateRepayments();
            });
        }
        connect(field, &QLineEdit::textChanged, this, [field, design] {
            // A program text longer than the limit raised it; once the text fits, it is back.
            if (field->maxLength() > design.maxLength && field->text().size() <= design.maxLength)
                field->setMaxLength(design.maxLength);
        });
        txtLoanRec_[i] = field;

        const LabelDesign& labelDesign = kLabelDesigns[design.label];
        auto* label = new ClickLabel(frame);
        label->setObjectName(QStringLiteral("lblLoanRec_%1").arg(design.label));
        label->setText(QString::fromLatin1(labelDesign.caption));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(field);
        Twips::Place(label, design.left - 30 - labelDesign.width, design.top, labelDesign.width,
                     kFieldHeight);
        const int labelIndex = design.label;
        connect(label, &ClickLabel::clicked, this,
                [this, labelIndex] { lblLoanRec_Click(labelIndex); });
        lblLoanRec_[labelIndex] = label;
    }

    // "%" after the percent and interest fields, "Years" after the term.
    QFont percentFont = font();
    percentFont.setPointSizeF(9.75);
    const int percentFields[4] = {2, 3, 5, 6};
    for (int p = 0; p < 4; ++p) {
        const FieldDesign& design = kFieldDesigns[percentFields[p]];
        auto* percent = new QLabel(QStringLiteral("%"), Frame1_[design.frame]);
        percent->setObjectName(QStringLiteral("lblPercent_%1").arg(p));
        percent->setFont(percentFont);
        percent->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Twips::Place(percent, design.left + design.width + 30, design.top, 210, kFieldHeight);
        lblPercent_[p] = percent;
    }
    {
        const FieldDesign& term = kFieldDesigns[calc::FieldTerm];
        lblYears_ = new QLabel(QStringLiteral("Years"), Frame1_[0]);
        lblYears_->setObjectName(QStringLiteral("lblYears"));
        lblYears_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Twips::Place(lblYears_, term.left + term.width + 60, term.top,
                     7560 - term.left - term.width - 60, kFieldHeight);
    }

    FraActive_ = new QGroupBox(QStringLiteral("Acti&ve"), this);
    FraActive_->setObjectName(QStringLiteral("FraActive"));
    FraActive_->setAccessibleName(QStringLiteral("Active"));
    Twips::Place(FraActive_, 6840, 3840, 2355, 1095);
    FraActive_->installEventFilter(this);
    OptYes_ = new QRadioButton(QStringLiteral("&Yes"), FraActive_);
    OptYes_->setObjectName(QStringLiteral("OptYes"));
    OptYes_->setAccessibleName(QStringLiteral("Yes"));
    Twips::Place(OptYes_, 240, 300, 1800, 315);
    OptYes_->resize(OptYes_->sizeHint().width(), OptYes_->height()); // clickable where it shows
    OptYes_->setChecked(true);
    OptNo_ = new QRadioButton(QStringLiteral("&No"), FraActive_);
    OptNo_->setObjectName(QStringLiteral("OptNo"));
    OptNo_->setAccessibleName(QStringLiteral("No"));
    Twips::Place(OptNo_, 240, 660, 1800, 315);
    OptNo_->resize(OptNo_->sizeHint().width(), OptNo_->height());
    OptionTabStop::Install({OptYes_, OptNo_});

    auto makeButton = [this](const char* caption, const char* name, Twip left, Twip top) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(PlainCaption(caption));
        // Enter and Esc press no button in this dialog.
        button->setAutoDefault(false);
        button->setDefault(false);
        Twips::Place(button, left, top, 1335, 495);
        AccessKeyPress::Install({button});
        return button;
    };
    cmdQuery_ = makeButton("&Query", "cmdQuery", 120, 120);
    cmdOK_ = makeButton("&OK", "cmdOK", 7850, 120);
    cmdCancel_ = makeButton("&Cancel", "cmdCancel", 7850, 840);
    connect(cmdQuery_, &QPushButton::clicked, this, [this] { cmdQuery_Click(); });
    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    QFont boldFont = font();
    boldFont.setBold(true);
    lblTitle_ = new QLabel(QStringLiteral("Loan Repayments"), this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setFont(boldFont);
    lblTitle_->setAlignment(Qt::AlignCenter);
    lblTitle_->setFrameStyle(QFrame::Box | QFrame::Plain);
    Twips::Place(lblTitle_, 120, 3840, 6240, 375);

    // The headings and cells lie in the results table, which places them from its own corner.
    results_ = new ResultsTable(this);
    results_->setObjectName(QStringLiteral("Results"));
    results_->setAccessibleName(QStringLiteral("Loan Repayments"));
    results_->setAccessibleDescription(QStringLiteral("Up and Down choose the repayment time"));
    const Twip tableRight = kColumnLefts[3] + 1575, tableBottom = kHeadingTop + kRowTwips * 5 + 375;
    Twips::Place(results_, kTableLeft, kHeadingTop, tableRight - kTableLeft,
                 tableBottom - kHeadingTop);
    const auto placeInTable = [this](QWidget* label, Twip left, Twip top, Twip width) {
        Twips::Place(label, left - kTableLeft, top - kHeadingTop, width, 375);
    };

    QFont headingFont = font();
    headingFont.setPointSizeF(8.25);
    headingFont.setBold(true);
    for (int h = 0; h < kHeadings; ++h) {
        auto* heading = new QLabel(results_);
        heading->setObjectName(QStringLiteral("Gridf_%1").arg(h));
        heading->setFont(headingFont);
        heading->setAlignment(Qt::AlignCenter);
        heading->setFrameStyle(QFrame::Box | QFrame::Plain);
        const Twip left = h < 4 ? kColumnLefts[h] : kTableLeft;
        const Twip top = h < 4 ? kHeadingTop : kHeadingTop + kRowTwips * (h - 3);
        placeInTable(heading, left, top, 1560);
        Gridf_[h] = heading;
    }

    const QColor buttonText = SystemColour(QPalette::ButtonText);
    for (int i = 0; i < kCells; ++i) {
        const int row = i / 3, column = i % 3;
        auto* cell = new ClickLabel(results_);
        cell->setObjectName(QStringLiteral("Cel_%1").arg(i));
        cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cell->setFrameStyle(QFrame::Box | QFrame::Plain);
        cell->setIndent(3);
        cell->setAutoFillBackground(true);
        SetColours(cell, QPalette::Window, window, QPalette::WindowText, buttonText);
        cell->setAccessibleDescription(
            QStringLiteral("%1 %2").arg(QString::fromLatin1(kHeadingCaptions[4 + row]),
                                        QString::fromLatin1(kHeadingCaptions[1 + column])));
        placeInTable(cell, kColumnLefts[1 + column], kHeadingTop + kRowTwips * (row + 1), 1575);
        connect(cell, &ClickLabel::clicked, this, [this, i] { Cel_Click(i); });
        Cel_[i] = cell;
    }
    std::array<QLabel*, kHeadings> headings{};
    std::array<QLabel*, kCells> cells{};
    std::copy(Gridf_.begin(), Gridf_.end(), headings.begin());
    std::copy(Cel_.begin(), Cel_.end(), cells.begin());
    results_->SetLabels(headings, cells);
    // A row picked by key is chosen exactly as a click on it chooses it.
    connect(results_, &ResultsTable::RowPicked, this, [this](int row) { Cel_Click(3 * row); });

    QWidget* previous = txtLoanRec_[kTabOrder[0]];
    for (int t = 1; t < kFields; ++t) {
        setTabOrder(previous, txtLoanRec_[kTabOrder[t]]);
        previous = txtLoanRec_[kTabOrder[t]];
    }
    for (QWidget* next : {static_cast<QWidget*>(results_), static_cast<QWidget*>(OptYes_),
                          static_cast<QWidget*>(OptNo_), static_cast<QWidget*>(cmdQuery_),
                          static_cast<QWidget*>(cmdOK_), static_cast<QWidget*>(cmdCancel_)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

QLineEdit* frmLoanDetails::txtLoanRec(int index) const {
    return index >= 0 && index < kFields ? txtLoanRec_[index] : nullptr;
}
QRadioButton* frmLoanDetails::OptYes() const {
    return OptYes_;
}
QRadioButton* frmLoanDetails::OptNo() const {
    return OptNo_;
}
QLabel* frmLoanDetails::Cel(int index) const {
    return index >= 0 && index < kCells ? Cel_[index] : nullptr;
}
QLabel* frmLoanDetails::lblLoanRec(int index) const {
    return index >= 0 && index < kFields ? lblLoanRec_[index] : nullptr;
}
QLabel* frmLoanDetails::Gridf(int index) const {
    return index >= 0 && index < kHeadings ? Gridf_[index] : nullptr;
}
QGroupBox* frmLoanDetails::Frame1(int index) const {
    return index >= 0 && index < 3 ? Frame1_[index] : nullptr;
}

void frmLoanDetails::HighlightRepaymentTime(int index) {
    if (index >= 1 && index <= calc::kRepaymentRows) ChooseRow(index - 1);
}

// ---- Loading, painting, the results table, captions, Cancel

void frmLoanDetails::Form_Load() {
    for (int h = 0; h < kHeadings; ++h)
        Gridf_[h]->setText(QString::fromLatin1(kHeadingCaptions[h]));
    Twips::CentreOnScreen(this);
}

void frmLoanDetails::Form_Paint() {
    txtLoanRec_[calc::FieldCode]->setFocus(Qt::OtherFocusReason);
}

// The dialog is "painted" when it is shown or uncovered: on showing and whenever it becomes the
// active window again. Repaints from changed captions or typing must leave the focus alone.
void frmLoanDetails::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Paint();
}

void frmLoanDetails::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) Form_Paint();
}

void frmLoanDetails::ChooseRow(int row) {
    const QColor highlight = SystemColour(QPalette::Highlight);
    const QColor highlightText = SystemColour(QPalette::HighlightedText);
    const QColor window = SystemColour(QPalette::Base);
    const QColor buttonText = SystemColour(QPalette::ButtonText);
    for (ClickLabel* cell : Cel_) {
        QPalette palette = cell->palette();
        if (palette.color(QPalette::Window) == highlight)
            palette.setColor(QPalette::Window, window);
        if (palette.color(QPalette::WindowText) == highlightText)
            palette.setColor(QPalette::WindowText, buttonText);
        cell->setPalette(palette);
    }
    for (int c = 0; c < 3; ++c)
        SetColours(Cel_[3 * row + c], QPalette::Window, highlight, QPalette::WindowText,
                   highlightText);
    results_->SetChosenRow(row);
}

void frmLoanDetails::Cel_Click(int index) {
    const int row = index / 3;
    ChooseRow(row);
    table_.RepaymentTimeIndex = row + 1;
}

void frmLoanDetails::lblLoanRec_Click(int index) {
    QLineEdit* field = txtLoanRec_[index];
    const QString text = field->text();
    if (!(calc::TextValue(Utf8(text)) > 99999999) || IsBlank(text)) return;
    SetFieldText(index, text.left(SelectionStart(field)));
    field->setCursorPosition(field->text().size());
}

void frmLoanDetails::cmdCancel_Click() {
    done(QDialog::Rejected);
}

void frmLoanDetails::keyPressEvent(QKeyEvent* event) {
    // No default and no cancel button: Enter and Esc do nothing here.
    if (IsEnter(event->key()) || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- The entry fields

int frmLoanDetails::FieldIndexOf(const QObject* object) const {
    const auto it = std::find(txtLoanRec_.begin(), txtLoanRec_.end(), object);
    return it == txtLoanRec_.end() ? -1 : static_cast<int>(it - txtLoanRec_.begin());
}

bool frmLoanDetails::eventFilter(QObject* watched, QEvent* event) {
    const int index = FieldIndexOf(watched);
    if (index >= 0) {
        switch (event->type()) {
        case QEvent::KeyRelease: {
            // Auto-repeat sends a release with every repeated press; the key goes up once.
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat()) txtLoanRec_KeyUp(index, key->key());
            return false;
        }
        case QEvent::FocusIn:
            FieldFocusIn(index);
            return false;
        case QEvent::FocusOut:
            FieldFocusOut(index, static_cast<QFocusEvent*>(event));
            return false;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::Shortcut) {
        // A frame's access key moves to its first field (the chosen option for Active).
        for (int f = 0; f < 3; ++f) {
            if (watched == Frame1_[f]) {
                txtLoanRec_[kFrameFirstField[f]]->setFocus(Qt::ShortcutFocusReason);
                return true;
            }
        }
        if (watched == FraActive_) {
            (OptNo_->isChecked() ? OptNo_ : OptYes_)->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmLoanDetails::FieldFocusIn(int index) {
    // Coming back to the field that held the focus when the window was left is no change.
    if (focusedField_ == index) return;
    // Taken first: a message box from the handlers below gives the activation back to this
    // field, which must then count as already focused.
    const int left = focusedField_;
    focusedField_ = index;
    // That field lost the focus while the window was inactive; it learns it now.
    if (left >= 0) txtLoanRec_LostFocus(left);
    txtLoanRec_GotFocus(index);
}

// Losing the focus because the window lost its activation (a message box, another program, a
// popup) is no focus change of the dialog's own: the field keeps it and is told nothing.
void frmLoanDetails::FieldFocusOut(int index, QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (focusedField_ != index) return;
    focusedField_ = -1;
    txtLoanRec_LostFocus(index);
}

bool frmLoanDetails::txtLoanRec_KeyPress(int index, std::u16string_view text, int caret,
                                         int selected, int key) const {
    const calc::KeyRule rule =
        calc::KeyRuleFor(index, txtLoanRec_[calc::FieldPrincipal]->text().toStdU16String());
    return calc::FilterKey(text, caret, selected, key, rule) != 0;
}

void frmLoanDetails::txtLoanRec_KeyUp(int index, int keyCode) {
    if (IsEnter(keyCode)) {
        const int next = index < kFields - 1 ? index + 1 : 0;
        txtLoanRec_[next]->setFocus(Qt::OtherFocusReason);
    }
    SplitIfChanged(index);
    CalculateRepayments();
}

void frmLoanDetails::txtLoanRec_GotFocus(int index) {
    QLineEdit* field = txtLoanRec_[index];
    field->setSelection(0, static_cast<int>(field->text().size()));
    splitBasis_[index] = field->text();
    SetFieldBackground(index, kFocusBackground);
    if (Cel_[0]->text().isEmpty()) CalculateRepayments();
}

void frmLoanDetails::txtLoanRec_LostFocus(int index) {
    SplitIfChanged(index);
    if (Cel_[0]->text().isEmpty()) CalculateRepayments();
    QLineEdit* field = txtLoanRec_[index];
    const bool amount = index == calc::FieldPrincipal || index == calc::FieldTerm ||
                        index == calc::FieldVariableAmount || index == calc::FieldFixedAmount;
    if (amount && !IsBlank(field->text())) {
        const double rounded = calc::RoundHalfEven(calc::TextValue(Utf8(field->text())), 2);
        // A pasted text too large for a number is left as it stands rather than shown as "inf".
        if (std::isfinite(rounded))
            SetFieldText(index, QString::fromStdString(calc::NumberText(rounded)));
    }
    field->setCursorPosition(0);
    SetFieldBackground(index, SystemColour(QPalette::Base));
}

// The maximum length limits what the user types, never what the program writes: a split can
// give a percent of more than six characters, and cutting it would change the loan.
void frmLoanDetails::SetFieldText(int index, const QString& text) {
    QLineEdit* field = txtLoanRec_[index];
    field->setMaxLength(std::max(kFieldDesigns[index].maxLength, static_cast<int>(text.size())));
    field->setText(text);
}

void frmLoanDetails::SetFieldBackground(int index, const QColor& colour) {
    QLineEdit* field = txtLoanRec_[index];
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

// ---- The calculations, over the field texts

void frmLoanDetails::ShowFailure(std::string_view message) {
    Interaction::Current().Message(this, QtText::FromUtf8(message), QStringLiteral("Loan Details"),
                                   Interaction::Buttons::OK, Interaction::Icon::Critical);
}

void frmLoanDetails::SplitLoan(int index) {
    calc::LoanFields fields;
    for (int i = 0; i < kFields; ++i)
        fields[static_cast<std::size_t>(i)] = Utf8(txtLoanRec_[i]->text());
    const calc::SplitResult result = calc::SplitLoan(fields, index);
    for (int i = 0; i < kFields; ++i) {
        const auto& text = result.fields[static_cast<std::size_t>(i)];
        if (text != fields[static_cast<std::size_t>(i)])
            SetFieldText(i, QString::fromStdString(text));
    }
    if (result.failed) ShowFailure(calc::kSplitFailureMessage);
}

// Keys that change nothing (Tab, whose release reaches the next field, arrows, Home) and leaving
// an untouched field split nothing.
void frmLoanDetails::SplitIfChanged(int index) {
    if (txtLoanRec_[index]->text() == splitBasis_[index]) return;
    SplitLoan(index);
    splitBasis_[index] = txtLoanRec_[index]->text();
}

bool frmLoanDetails::CalculateRepayments() {
    calc::RepaymentFields fields;
    for (int i = 0; i < 8; ++i)
        fields[static_cast<std::size_t>(i)] = Utf8(txtLoanRec_[i]->text());
    calc::RepaymentCells cells;
    for (int i = 0; i < kCells; ++i)
        cells[static_cast<std::size_t>(i)] = Utf8(Cel_[i]->text());
    const calc::RepaymentResult result = calc::CalculateRepayments(fields, cells);
    for (int i = 0; i < kCells; ++i) {
        const auto& text = result.cells[static_cast<std::size_t>(i)];
        if (text != cells[static_cast<std::size_t>(i)])
            Cel_[i]->setText(QString::fromStdString(text));
    }
    if (result.failed) ShowFailure(calc::kRepaymentFailureMessage);
    return !result.failed;
}

// ---- OK and Query

void frmLoanDetails::cmdOK_Click() {
    Interaction& interaction = Interaction::Current();
    if (IsBlank(txtLoanRec_[calc::FieldCode]->text())) {
        interaction.Message(this, QStringLiteral("Loan description must be entered."), QString(),
                            Interaction::Buttons::OK, Interaction::Icon::None);
        txtLoanRec_[calc::FieldCode]->setFocus(Qt::OtherFocusReason);
        return;
    }
    const bool incomplete =
        std::any_of(txtLoanRec_.begin(), txtLoanRec_.begin() + calc::FieldCode,
                    [](const QLineEdit* field) { return IsBlank(field->text()); }) ||
        (!OptYes_->isChecked() && !OptNo_->isChecked());
    if (incomplete) {
        interaction.Message(
            this,
            QStringLiteral("All fields must have a value. Place a zreo where no value "
                           "is required. Click option Loan Active."),
            QString(), Interaction::Buttons::OK, Interaction::Icon::None);
        txtLoanRec_[calc::FieldCode]->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The results follow the fields at every key, but not after a failed calculation or a
    // caption click that shortened a field: a loan is never saved with another loan's results.
    if (!CalculateRepayments()) return;

    loan::LoanGrid& grid = table_.Grid;
    const std::string key(loan::Trimmed(Utf8(txtLoanRec_[calc::FieldCode]->text())));
    int target = -1;
    {
        loan::LoanGrid::Batch quiet(grid, loan::LoanGrid::Batch::Kind::Quiet);
        target = table_.FindExactCode(key);
    }
    if (target >= 0) {
        const auto answer = interaction.Message(
            this,
            QStringLiteral("This loan description already exists. Modify the existing loan by over "
                           "writing?"),
            QStringLiteral("Over Write"), Interaction::Buttons::YesNo, Interaction::Icon::Question);
        if (answer != Interaction::Answer::Yes) return;
    } else {
        target = grid.Rows() - 1; // the blank row; WriteLoan adds the next one
    }

    int time = table_.RepaymentTimeIndex;
    if (time < 1 || time > calc::kRepaymentRows) time = loan::kDefaultRepaymentTime;
    std::array<std::string, loan::kLoanCols> texts;
    texts[loan::ColCode] = key;
    for (int i = 0; i < calc::FieldCode; ++i)
        texts[static_cast<std::size_t>(loan::ColPrincipal + i)] = Utf8(txtLoanRec_[i]->text());
    texts[loan::ColRepaymentTime] = std::string(loan::RepaymentTimeName(time));
    texts[loan::ColInstallment] = Utf8(Cel_[3 * (time - 1)]->text());
    texts[loan::ColYearlyPayment] = Utf8(Cel_[3 * (time - 1) + 1]->text());
    texts[loan::ColActive] = OptYes_->isChecked() ? "Yes" : "No";
    {
        loan::LoanGrid::Batch quiet(grid, loan::LoanGrid::Batch::Kind::Quiet);
        table_.WriteLoan(target, texts);
    }
    table_.FileChanged = true;
    done(QDialog::Accepted);
}

void frmLoanDetails::cmdQuery_Click() {
    // A query drops loans from the table; unsaved ones would be gone for good.
    if (table_.FileChanged && saveFirst_ && !saveFirst_()) return;
    {
        BusyPointer::Scope busy;
        loan::LoanGrid& grid = table_.Grid;
        grid.SetCol(0);
        grid.SetRow(0);
        const QString code = txtLoanRec_[calc::FieldCode]->text();
        if (!IsBlank(code)) {
            bool found = false;
            {
                loan::LoanGrid::Batch reset(grid, loan::LoanGrid::Batch::Kind::Reset);
                found = loan::LoanQuery::QueryByCode(grid, Utf8(code));
            }
            if (found) {
                if (makeUntitled_) makeUntitled_();
                table_.FileChanged = true;
            } else {
                Interaction::Current().Message(
                    this, QStringLiteral("No Loan Found"), QStringLiteral("Loan Search."),
                    Interaction::Buttons::OK, Interaction::Icon::Question);
            }
        } else {
            std::array<std::string, 8> fields;
            for (int i = 0; i < calc::FieldCode; ++i)
                fields[static_cast<std::size_t>(i)] = Utf8(txtLoanRec_[i]->text());
            const int before = table_.LoanCount();
            {
                loan::LoanGrid::Batch reset(grid, loan::LoanGrid::Batch::Kind::Reset);
                loan::LoanGrid::Batch staging(gridQuery_, loan::LoanGrid::Batch::Kind::Reset);
                loan::LoanQuery::QueryByExample(grid, gridQuery_, fields, OptYes_->isChecked(),
                                                OptNo_->isChecked());
            }
            if (table_.LoanCount() < before && queryDropped_) queryDropped_();
        }
    }
    done(QDialog::Accepted);
}

// ---- The repayment schedule

void frmLoanDetails::BuildScheduleAccess() {
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    key->setAutoRepeat(false);
    connect(key, &QShortcut::activated, this, &frmLoanDetails::ShowSchedule);
}

void frmLoanDetails::ShowSchedule() {
    calc::RepaymentFields fields;
    for (int i = 0; i < calc::FieldCode; ++i)
        fields[static_cast<std::size_t>(i)] = Utf8(txtLoanRec_[i]->text());
    const QString code = txtLoanRec_[calc::FieldCode]->text();
    calc::LoanPlan plan = plans_ ? plans_->PlanOf(Utf8(code)) : calc::LoanPlan{};
    frmSchedule::Show(this, code, fields, table_.RepaymentTimeIndex, &plan);
    if (plans_) plans_->SetPlan(Utf8(code), plan);
}

// The headings and cells of the results table, wherever they are placed within the dialog.
QRect frmLoanDetails::ResultsArea() const {
    QRect area;
    const auto add = [this, &area](const QWidget* widget) {
        area |= QRect(widget->mapTo(this, QPoint(0, 0)), widget->size());
    };
    for (const QLabel* heading : Gridf_)
        add(heading);
    for (const ClickLabel* cell : Cel_)
        add(cell);
    return area;
}

// Reached by the menu requests that the results table's own widgets leave unanswered.
void frmLoanDetails::contextMenuEvent(QContextMenuEvent* event) {
    if (!ResultsArea().contains(event->pos())) {
        QDialog::contextMenuEvent(event);
        return;
    }
    // One menu for the dialog's life: its action opens a modal window while the menu is still
    // handling the key or click that chose it.
    if (!mnuResults_) {
        mnuResults_ = new QMenu(this);
        mnuResults_->setObjectName(QStringLiteral("mnuResults"));
        QAction* schedule = mnuResults_->addAction(QStringLiteral("Repayment &Schedule"));
        schedule->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
        schedule->setShortcutVisibleInContextMenu(true);
        connect(schedule, &QAction::triggered, this, &frmLoanDetails::ShowSchedule);
    }
    mnuResults_->popup(event->globalPos());
}
