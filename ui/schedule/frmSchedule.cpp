#include "frmSchedule.h"

#include "SchedulePrintout.h"

#include "calc/KeyFilter.h"
#include "calc/NumberText.h"
#include "calc/ScheduleCsv.h"
#include "loan/LoanTable.h"
#include "loan/UserFolders.h"
#include "safefile/SafeFile.h"
#include "ui/common/AccessKeyPress.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/NumberFieldFilter.h"
#include "ui/common/QtText.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Repayment Schedule");
const QString kExportCaption = QStringLiteral("Export Schedule");

constexpr const char* kPartNames[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kTotalNames[4] = {"Payments", "Interest", "Principal", "Paid off in period"};

// A value shown as a result: its text is its accessible name, what it is the description.
QLabel* ResultLabel(const QString& description, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAccessibleDescription(description);
    return label;
}

void SetResult(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

} // namespace

void frmSchedule::Show(QWidget* parent, const QString& code, const calc::RepaymentFields& fields,
                       int repaymentTime) {
    const auto check = calc::LoanSchedule::FromFields(fields, repaymentTime);
    if (!check.schedule) {
        const std::string_view why = calc::ScheduleProblemText(check.problem);
        Interaction::Current().Message(parent, QtText::FromUtf8(why) + QLatin1Char('.'), kCaption,
                                       Interaction::Buttons::OK, Interaction::Icon::Information);
        return;
    }
    frmSchedule schedule(code, fields, repaymentTime, parent);
    Interaction::Current().Exec(schedule);
}

frmSchedule::frmSchedule(const QString& code, const calc::RepaymentFields& fields,
                         int repaymentTime, QWidget* parent)
    : QDialog(parent), code_(code), fields_(fields) {
    setObjectName(QStringLiteral("frmSchedule"));
    setWindowTitle(QStringLiteral("Dravenholt Information Technology - Repayment Schedule"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    BuildControls();
    cboTime_->setCurrentIndex(repaymentTime >= 1 && repaymentTime <= calc::kRepaymentRows
                                  ? repaymentTime - 1
                                  : loan::kDefaultRepaymentTime - 1);
    Recalculate();
    connect(cboTime_, &QComboBox::currentIndexChanged, this, &frmSchedule::cboTime_Click);

    // Wide enough for every column where the screen allows, tall enough for a page of periods.
    const QRect area = screen()->availableGeometry();
    int width =
        grdSchedule_->verticalScrollBar()->sizeHint().width() + 2 * grdSchedule_->frameWidth();
    for (int c = 0; c < ScheduleModel::kColumns; ++c)
        width += grdSchedule_->columnWidth(c);
    resize(
        std::min(width + layout()->contentsMargins().left() + layout()->contentsMargins().right(),
                 area.width() * 9 / 10),
        std::min(sizeHint().height() + 20 * grdSchedule_->verticalHeader()->defaultSectionSize(),
                 area.height() * 9 / 10));
}

// The table goes with the dialog's children, after the members: it lets go of the model first.
frmSchedule::~frmSchedule() {
    grdSchedule_->setModel(nullptr);
}

void frmSchedule::BuildControls() {
    auto* lblCodeCaption = new QLabel(QStringLiteral("Loan Code"), this);
    auto* lblCode = ResultLabel(QStringLiteral("Loan Code"), this);
    lblCode->setObjectName(QStringLiteral("lblCode"));
    lblCode->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblCode->setTextFormat(Qt::PlainText);
    SetResult(lblCode, code_);

    cboTime_ = new QComboBox(this);
    cboTime_->setObjectName(QStringLiteral("cboTime"));
    cboTime_->setAccessibleName(QStringLiteral("Repayment Time"));
    for (int t = 1; t <= calc::kRepaymentRows; ++t)
        cboTime_->addItem(QtText::FromUtf8(loan::RepaymentTimeName(t)));
    auto* lblTime = new QLabel(QStringLiteral("Repayment &Time"), this);
    lblTime->setBuddy(cboTime_);

    txtExtra_ = new QLineEdit(this);
    txtExtra_->setObjectName(QStringLiteral("txtExtra"));
    txtExtra_->setAccessibleName(QStringLiteral("Extra each period $"));
    txtExtra_->setAlignment(Qt::AlignRight);
    txtExtra_->setPlaceholderText(QStringLiteral("0.00"));
    // Dollars and cents as the loan's own amounts are typed: up to 99,999,999.99; a paste is
    // taken as typing would take it.
    NumberFieldFilter::Install(
        txtExtra_,
        [](std::u16string_view text, int caret, int selected, int key) {
            return calc::FilterAmountKey(text, caret, selected, key) != 0;
        },
        NumberFieldFilter::Keys::Commands);
    txtExtra_->setMaximumWidth(
        txtExtra_->fontMetrics().horizontalAdvance(QStringLiteral("99999999.99")) + 20);
    auto* lblExtra = new QLabel(QStringLiteral("E&xtra each period $"), this);
    lblExtra->setBuddy(txtExtra_);
    connect(txtExtra_, &QLineEdit::textChanged, this, &frmSchedule::txtExtra_Change);

    lblInstalment_ = ResultLabel(QStringLiteral("Instalment"), this);
    lblInstalment_->setObjectName(QStringLiteral("lblInstalment"));
    lblInstalment_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* loanLine = new QGridLayout;
    loanLine->addWidget(lblCodeCaption, 0, 0);
    loanLine->addWidget(lblCode, 0, 1);
    loanLine->addWidget(lblTime, 0, 2);
    loanLine->addWidget(cboTime_, 0, 3);
    loanLine->addWidget(lblExtra, 0, 4);
    loanLine->addWidget(txtExtra_, 0, 5);
    loanLine->addWidget(new QLabel(QStringLiteral("Instalment"), this), 1, 0);
    loanLine->addWidget(lblInstalment_, 1, 1);
    loanLine->setColumnStretch(1, 1);
    loanLine->setColumnStretch(6, 2);

    auto* totals = new QGroupBox(QStringLiteral("Totals"), this);
    totals->setObjectName(QStringLiteral("fraTotals"));
    totals->setAccessibleName(QStringLiteral("Totals"));
    auto* totalsGrid = new QGridLayout(totals);
    for (int c = 0; c < 4; ++c) {
        auto* heading = new QLabel(QLatin1String(kTotalNames[c]), totals);
        heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        totalsGrid->addWidget(heading, 0, c + 1);
    }
    for (int p = 0; p < 3; ++p) {
        totalsGrid->addWidget(new QLabel(QLatin1String(kPartNames[p]), totals), p + 1, 0);
        for (int c = 0; c < 4; ++c) {
            QLabel* value = ResultLabel(QStringLiteral("%1 %2").arg(QLatin1String(kPartNames[p]),
                                                                    QLatin1String(kTotalNames[c])),
                                        totals);
            value->setObjectName(QStringLiteral("lblTotal_%1_%2").arg(p).arg(c));
            totalsGrid->addWidget(value, p + 1, c + 1);
            lblTotal_[static_cast<std::size_t>(p)][static_cast<std::size_t>(c)] = value;
        }
    }
    lblNote_ = new QLabel(totals);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    totalsGrid->addWidget(lblNote_, 4, 0, 1, 5);
    totalsGrid->setColumnStretch(5, 1);

    grdSchedule_ = new QTableView(this);
    grdSchedule_->setObjectName(QStringLiteral("grdSchedule"));
    grdSchedule_->setAccessibleName(QStringLiteral("Repayment Schedule"));
    grdSchedule_->setModel(&model_);
    grdSchedule_->setTabKeyNavigation(false); // Tab leaves the table, arrows move in it
    grdSchedule_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSchedule_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSchedule_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdSchedule_->setWordWrap(false);
    grdSchedule_->verticalHeader()->hide();
    // Rows of one fixed height: the view never measures thousands of rows.
    grdSchedule_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdSchedule_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdSchedule_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdSchedule_->horizontalHeader()->setHighlightSections(false);
    auto* lblSchedule = new QLabel(QStringLiteral("Sc&hedule"), this);
    lblSchedule->setBuddy(grdSchedule_);

    cmdPrint_ = new QPushButton(QStringLiteral("&Print..."), this);
    cmdPrint_->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint_->setAccessibleName(QStringLiteral("Print"));
    cmdExport_ = new QPushButton(QStringLiteral("&Export CSV..."), this);
    cmdExport_->setObjectName(QStringLiteral("cmdExport"));
    cmdExport_->setAccessibleName(QStringLiteral("Export CSV"));
    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setAccessibleName(QStringLiteral("Close"));
    // Enter in the extra field prints or closes nothing; Esc closes the window.
    for (QPushButton* button : {cmdPrint_, cmdExport_, cmdClose_})
        button->setAutoDefault(false);
    AccessKeyPress::Install({cmdPrint_, cmdExport_, cmdClose_});
    connect(cmdPrint_, &QPushButton::clicked, this, &frmSchedule::cmdPrint_Click);
    connect(cmdExport_, &QPushButton::clicked, this, &frmSchedule::cmdExport_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmSchedule::cmdClose_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrint_);
    buttons->addWidget(cmdExport_);
    buttons->addWidget(cmdClose_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(loanLine);
    column->addWidget(totals);
    column->addWidget(lblSchedule);
    column->addWidget(grdSchedule_, 1);
    column->addLayout(buttons);

    setTabOrder(cboTime_, txtExtra_);
    setTabOrder(txtExtra_, grdSchedule_);
    setTabOrder(grdSchedule_, cmdPrint_);
    setTabOrder(cmdPrint_, cmdExport_);
    setTabOrder(cmdExport_, cmdClose_);
    cboTime_->setFocus(Qt::OtherFocusReason);
}

QLabel* frmSchedule::lblTotal(int part, int column) const {
    if (part < 0 || part > 2 || column < 0 || column > 3) return nullptr;
    return lblTotal_[static_cast<std::size_t>(part)][static_cast<std::size_t>(column)];
}

void frmSchedule::Recalculate() {
    const int time = cboTime_->currentIndex() + 1;
    const calc::Cents extra =
        calc::AmountCents(txtExtra_->text().toStdString()).value_or(0);
    // The view keeps its place in the periods across the change.
    const QModelIndex current = grdSchedule_->currentIndex();
    model_.SetSchedule(nullptr);
    auto result = calc::LoanSchedule::FromFields(fields_, time, extra);
    schedule_ = std::move(result.schedule);
    model_.SetSchedule(Schedule());
    if (current.isValid() && current.row() < model_.rowCount())
        grdSchedule_->setCurrentIndex(model_.index(current.row(), current.column()));
    FitColumns();
    ShowTotals();
    if (!schedule_)
        lblNote_->setText(QtText::FromUtf8(calc::ScheduleProblemText(result.problem)) +
                          QLatin1Char('.'));
    lblNote_->setAccessibleName(lblNote_->text());
    // An empty note would be read out under the group's title.
    lblNote_->setVisible(!lblNote_->text().isEmpty());
    cmdPrint_->setEnabled(schedule_.has_value());
    cmdExport_->setEnabled(schedule_.has_value());
}

void frmSchedule::ShowTotals() {
    lblNote_->clear();
    SetResult(lblInstalment_, schedule_ ? QtText::Currency(schedule_->Instalment()) : QString());
    const calc::ScheduleTotals* totals[3] = {};
    if (schedule_) {
        totals[0] = &schedule_->Variable().Totals();
        totals[1] = &schedule_->Fixed().Totals();
        totals[2] = &schedule_->Totals();
    }
    for (int p = 0; p < 3; ++p) {
        const calc::ScheduleTotals* t = totals[p];
        QLabel* const* row = lblTotal_[static_cast<std::size_t>(p)].data();
        SetResult(row[0], t ? QtText::Currency(t->payments) : QString());
        SetResult(row[1], t ? QtText::Currency(t->interest) : QString());
        SetResult(row[2], t ? QtText::Currency(t->principal) : QString());
        SetResult(row[3], t && t->payoffPeriod > 0 ? QString::number(t->payoffPeriod) : QString());
    }
    if (schedule_ && schedule_->Terms().extra > 0)
        lblNote_->setText(
            QStringLiteral("The extra payment saves %1 and %2 of interest.")
                .arg(schedule_->PeriodsSaved() == 1
                         ? QStringLiteral("1 period")
                         : QStringLiteral("%1 periods").arg(schedule_->PeriodsSaved()),
                     QtText::Currency(schedule_->InterestSaved())));
}

void frmSchedule::FitColumns() {
    const QFontMetrics metrics = grdSchedule_->fontMetrics();
    const int padding = 3 * grdSchedule_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const int amount = metrics.horizontalAdvance(model_.WidestAmount()) + padding;
    const int period = metrics.horizontalAdvance(QStringLiteral("Period")) + padding + 8;
    QHeaderView* header = grdSchedule_->horizontalHeader();
    for (int c = 0; c < ScheduleModel::kColumns; ++c) {
        const int wanted = std::max(c == 0 ? period : amount, header->sectionSizeHint(c));
        header->resizeSection(c, wanted);
    }
}

QString frmSchedule::SuggestedFileName() const {
    QString name;
    for (const QChar c : code_.trimmed())
        name += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char(' ')
                    ? c
                    : QLatin1Char('_');
    return (name.isEmpty() ? QStringLiteral("loan") : name) + QStringLiteral(" schedule.csv");
}

// ---- Handlers

void frmSchedule::cboTime_Click() {
    Recalculate();
}

void frmSchedule::txtExtra_Change() {
    Recalculate();
}

void frmSchedule::cmdPrint_Click() {
    if (!schedule_) return;
    const auto print = [this](Printer& printer) {
        BusyPointer::Scope busy;
        return SchedulePrintout::Print(printer, *schedule_, code_);
    };
    const QString job =
        kProgramName + QStringLiteral(" - ") + code_ + QStringLiteral(" repayment schedule");
    if (Interaction::Current().PrintWithPreview(this, print, true, job) ==
        Interaction::PrintOutcome::Failed) {
        Interaction::Current().Message(this, QStringLiteral("The schedule could not be printed."),
                                       QStringLiteral("Print Schedule"), Interaction::Buttons::OK,
                                       Interaction::Icon::Critical);
    }
}

void frmSchedule::cmdExport_Click() {
    if (!schedule_) return;
    Interaction& ui = Interaction::Current();
    Interaction::FileRequest request;
    request.mode = Interaction::FileMode::Save;
    request.initialName = SuggestedFileName();
    request.filter = QStringLiteral("CSV Files (*.csv)");
    request.defaultSuffix = QStringLiteral("csv");
    const std::optional<QString> chosen = ui.ChooseFile(this, request);
    if (!chosen) return;
    if (QFileInfo::exists(*chosen) &&
        ui.Message(this, QStringLiteral("The file %1 already exists. Replace it?").arg(*chosen),
                   kExportCaption, Interaction::Buttons::YesNo,
                   Interaction::Icon::Question) != Interaction::Answer::Yes)
        return;
    const std::string csv = calc::ScheduleCsv::Text(*schedule_);
    const bool existed = QFileInfo::exists(*chosen);
    safefile::WriteOutcome result;
    {
        BusyPointer::Scope busy;
        const safefile::BackupStore backups = loan::UserFolders::Backups(".csv");
        result = safefile::SafeFile::Write(QFile::encodeName(*chosen).toStdString(), csv,
                                           {backups});
    }
    const QString why = QFile::decodeName(QByteArray::fromStdString(result.error));
    QString text;
    switch (result.state) {
    case safefile::WriteState::Saved:
        return;
    case safefile::WriteState::Unconfirmed:
        text = QStringLiteral("The schedule was written to %1, but the system could not confirm "
                              "that it is safely on disk. Export it again to be sure.\n\n%2")
                   .arg(*chosen, why);
        break;
    case safefile::WriteState::FailedAsItWas:
    case safefile::WriteState::FailedRestored:
        text = QStringLiteral("The schedule could not be saved to %1.\n\n%2").arg(*chosen, why);
        if (existed) text += QStringLiteral("\n\nThe file is as it was before.");
        break;
    case safefile::WriteState::FailedCopyKept:
    case safefile::WriteState::Unknown:
        text = QStringLiteral("The schedule could not be saved to %1.\n\n%2").arg(*chosen, why);
        break;
    }
    ui.Message(this, text, kExportCaption, Interaction::Buttons::OK, Interaction::Icon::Critical);
}

void frmSchedule::cmdClose_Click() {
    accept();
}
