#include "frmPlanEvent.h"

#include "DateEdit.h"

#include "calc/KeyFilter.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "ui/common/AccessKeyPress.h"
#include "ui/common/NumberFieldFilter.h"
#include "ui/common/QtText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A period of the longest schedule, typed as the program's whole numbers are.
const calc::KeyRule kPeriodRule{0, calc::PaymentCalendar::kMaxPeriods, false};
// A rate in percent, as the loan's own rates are typed.
const calc::KeyRule kRateRule{0, 100, true};

} // namespace

frmPlanEvent::frmPlanEvent(Kind kind, std::optional<std::chrono::year_month_day> start,
                           QWidget* parent)
    : QDialog(parent), kind_(kind) {
    const bool rate = kind == Kind::RateChange;
    setObjectName(QStringLiteral("frmPlanEvent"));
    setWindowTitle(rate ? QStringLiteral("Rate Change") : QStringLiteral("Lump Sum"));

    optPeriod_ = new QRadioButton(QStringLiteral("In &period"), this);
    optPeriod_->setObjectName(QStringLiteral("optPeriod"));
    optPeriod_->setAccessibleName(QStringLiteral("In period"));
    txtPeriod_ = new QLineEdit(this);
    txtPeriod_->setObjectName(QStringLiteral("txtPeriod"));
    txtPeriod_->setAccessibleName(QStringLiteral("Period"));
    txtPeriod_->setAccessibleDescription(QStringLiteral("1 is the first payment"));
    txtPeriod_->setAlignment(Qt::AlignRight);
    NumberFieldFilter::Install(
        txtPeriod_,
        [](std::u16string_view text, int caret, int selected, int key) {
            return calc::FilterKey(text, caret, selected, key, kPeriodRule) != 0;
        },
        NumberFieldFilter::Keys::Commands);

    optDate_ = new QRadioButton(QStringLiteral("On the first payment from &date"), this);
    optDate_->setObjectName(QStringLiteral("optDate"));
    optDate_->setAccessibleName(QStringLiteral("On the first payment from date"));
    dtpWhen_ = DateEdit::Make(this);
    dtpWhen_->setObjectName(QStringLiteral("dtpWhen"));
    dtpWhen_->setAccessibleName(QStringLiteral("Date"));
    if (start)
        dtpWhen_->setDate(DateEdit::ToQDate(*start));
    else {
        // Dates name payments only from a start date on.
        optDate_->setEnabled(false);
        optDate_->setToolTip(
            QStringLiteral("Give the plan a start date to name payments by date."));
    }
    auto* group = new QButtonGroup(this);
    group->addButton(optPeriod_);
    group->addButton(optDate_);
    optPeriod_->setChecked(true);

    txtValue_ = new QLineEdit(this);
    txtValue_->setObjectName(QStringLiteral("txtValue"));
    txtValue_->setAlignment(Qt::AlignRight);
    txtValue_->setAccessibleName(rate ? QStringLiteral("Variable rate %")
                                      : QStringLiteral("Amount $"));
    if (rate)
        NumberFieldFilter::Install(
            txtValue_,
            [](std::u16string_view text, int caret, int selected, int key) {
                return calc::FilterKey(text, caret, selected, key, kRateRule) != 0;
            },
            NumberFieldFilter::Keys::Commands);
    else
        NumberFieldFilter::Install(
            txtValue_,
            [](std::u16string_view text, int caret, int selected, int key) {
                return calc::FilterAmountKey(text, caret, selected, key) != 0;
            },
            NumberFieldFilter::Keys::Commands);
    auto* lblValue = new QLabel(
        rate ? QStringLiteral("Variable &rate from then on %") : QStringLiteral("&Amount $"), this);
    lblValue->setBuddy(txtValue_);

    auto* grid = new QGridLayout;
    grid->addWidget(optPeriod_, 0, 0);
    grid->addWidget(txtPeriod_, 0, 1);
    grid->addWidget(optDate_, 1, 0);
    grid->addWidget(dtpWhen_, 1, 1);
    grid->addWidget(lblValue, 2, 0);
    grid->addWidget(txtValue_, 2, 1);
    if (!rate) {
        cboPart_ = new QComboBox(this);
        cboPart_->setObjectName(QStringLiteral("cboPart"));
        cboPart_->setAccessibleName(QStringLiteral("Into the part"));
        cboPart_->addItems({QStringLiteral("Variable"), QStringLiteral("Fixed")});
        auto* lblPart = new QLabel(QStringLiteral("Into the pa&rt"), this);
        lblPart->setBuddy(cboPart_);
        grid->addWidget(lblPart, 3, 0);
        grid->addWidget(cboPart_, 3, 1);
    }

    lblWhy_ = new QLabel(this);
    lblWhy_->setObjectName(QStringLiteral("lblWhy"));
    lblWhy_->setWordWrap(true);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setAccessibleName(QStringLiteral("OK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAccessibleName(QStringLiteral("Cancel"));
    cmdCancel_->setAutoDefault(false);
    AccessKeyPress::Install({cmdOK_, cmdCancel_, optPeriod_, optDate_});
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(lblWhy_);
    column->addLayout(buttons);

    for (QLineEdit* field : {txtPeriod_, txtValue_})
        connect(field, &QLineEdit::textChanged, this, &frmPlanEvent::UpdateState);
    connect(optPeriod_, &QRadioButton::toggled, this, &frmPlanEvent::UpdateState);
    // Typing into a field chooses it.
    connect(txtPeriod_, &QLineEdit::textEdited, this, [this] { optPeriod_->setChecked(true); });
    connect(dtpWhen_, &QDateEdit::dateChanged, this, [this] {
        if (optDate_->isEnabled() && dtpWhen_->hasFocus()) optDate_->setChecked(true);
    });
    UpdateState();
    txtPeriod_->setFocus(Qt::OtherFocusReason);
}

void frmPlanEvent::SetWhen(const calc::PlanWhen& when) {
    if (const int* period = std::get_if<int>(&when)) {
        txtPeriod_->setText(QString::number(*period));
        optPeriod_->setChecked(true);
    } else {
        dtpWhen_->setDate(DateEdit::ToQDate(std::get<std::chrono::year_month_day>(when)));
        if (optDate_->isEnabled()) optDate_->setChecked(true);
    }
    UpdateState();
}

calc::PlanWhen frmPlanEvent::When() const {
    if (optDate_->isChecked()) return DateEdit::FromQDate(dtpWhen_->date());
    return calc::LoanPlan::ParseWhen(txtPeriod_->text().toStdString()).value_or(calc::PlanWhen{0});
}

void frmPlanEvent::SetRateChange(const calc::RateChange& change) {
    SetWhen(change.when);
    txtValue_->setText(QtText::FromUtf8(calc::NumberText(change.ratePercent)));
}

void frmPlanEvent::SetLumpSum(const calc::LumpSum& sum) {
    SetWhen(sum.when);
    txtValue_->setText(QtText::FromUtf8(calc::NumberText(static_cast<double>(sum.amount) / 100)));
    if (cboPart_) cboPart_->setCurrentIndex(sum.part == calc::PlanPart::Fixed ? 1 : 0);
}

calc::RateChange frmPlanEvent::RateChange() const {
    return {When(), calc::StrictNumber(txtValue_->text().toStdString()).value_or(0)};
}

calc::LumpSum frmPlanEvent::LumpSum() const {
    return {When(), calc::AmountCents(txtValue_->text().toStdString()).value_or(0),
            cboPart_ && cboPart_->currentIndex() == 1 ? calc::PlanPart::Fixed
                                                      : calc::PlanPart::Variable};
}

void frmPlanEvent::UpdateState() {
    // OK only for an entry the plan can take: a period from 1, and a value.
    QString why;
    if (optPeriod_->isChecked() && txtPeriod_->text().toInt() < 1)
        why = QStringLiteral("Type the period: 1 is the first payment.");
    else if (txtValue_->text().isEmpty() || txtValue_->text() == QLatin1String("."))
        why = kind_ == Kind::RateChange ? QStringLiteral("Type the new rate.")
                                        : QStringLiteral("Type the amount.");
    lblWhy_->setText(why);
    lblWhy_->setAccessibleName(why);
    cmdOK_->setEnabled(why.isEmpty());
}
