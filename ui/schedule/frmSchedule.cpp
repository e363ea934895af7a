#include "frmSchedule.h"

#include "DateEdit.h"
#include "SchedulePrintout.h"
#include "ViewTabs.h"
#include "frmPlanEvent.h"

#include "calc/KeyFilter.h"
#include "calc/NumberText.h"
#include "calc/PaymentCalendar.h"
#include "calc/ScheduleCsv.h"
#include "calc/ScheduleYears.h"
#include "loan/LoanTable.h"
#include "loan/UserFolders.h"
#include "safefile/SafeFile.h"
#include "ui/chart/ChartFile.h"
#include "ui/chart/LoanChart.h"
#include "ui/common/AccessKeyPress.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/NumberFieldFilter.h"
#include "ui/common/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Repayment Schedule");
const QString kExportCaption = QStringLiteral("Export Schedule");

constexpr const char* kPartNames[3] = {"Variable", "Fixed", "Loan"};
constexpr const char* kTotalNames[4] = {"Payments", "Interest", "Principal", "Paid off in period"};
constexpr const char* kPayoffName = "Paid off";

// Fixed periods and revert rates typed as the loan's rates are: up to 100, with decimals.
const calc::KeyRule kYearsOrRateRule{0, 100, true};

void InstallNumberRule(QLineEdit* field, const calc::KeyRule& rule) {
    NumberFieldFilter::Install(
        field,
        [rule](std::u16string_view text, int caret, int selected, int key) {
            return calc::FilterKey(text, caret, selected, key, rule) != 0;
        },
        NumberFieldFilter::Keys::Commands);
}

// A number typed in a plan's field; none while it is empty.
std::optional<double> TypedNumber(const QLineEdit* field) {
    if (field->text().isEmpty()) return std::nullopt;
    return calc::StrictNumber(field->text().toStdString());
}

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

// A read-only table of rows: Tab leaves it, the arrows move in it, a row is selected whole.
QTableView* Table(QWidget* parent, const char* object, const QString& name,
                  QAbstractItemModel& model) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(object));
    view->setAccessibleName(name);
    view->setModel(&model);
    view->setTabKeyNavigation(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Rows of one fixed height: the view never measures thousands of rows.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(parent->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

// The widest of the texts in the view's font.
int Widest(const QFontMetrics& metrics, std::initializer_list<QString> texts) {
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

} // namespace

void frmSchedule::Show(QWidget* parent, const QString& code, const calc::RepaymentFields& fields,
                       int repaymentTime, calc::LoanPlan* plan) {
    const auto check = calc::LoanSchedule::FromFields(fields, repaymentTime);
    if (!check.schedule) {
        const std::string_view why = calc::ScheduleProblemText(check.problem);
        Interaction::Current().Message(parent, QtText::FromUtf8(why) + QLatin1Char('.'), kCaption,
                                       Interaction::Buttons::OK, Interaction::Icon::Information);
        return;
    }
    // A plan the loan cannot follow (one made before the loan was changed) still opens the
    // window, which says why, so that it can be put right.
    frmSchedule schedule(code, fields, repaymentTime, parent, plan ? *plan : calc::LoanPlan{});
    Interaction::Current().Exec(schedule);
    if (plan) *plan = schedule.Plan();
}

frmSchedule::frmSchedule(const QString& code, const calc::RepaymentFields& fields,
                         int repaymentTime, QWidget* parent, const calc::LoanPlan& plan)
    : QDialog(parent), code_(code), fields_(fields), plan_(plan) {
    setObjectName(QStringLiteral("frmSchedule"));
    setWindowTitle(QStringLiteral("Dravenholt Information Technology - Repayment Schedule"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    BuildControls();
    ShowPlan();
    cboTime_->setCurrentIndex(repaymentTime >= 1 && repaymentTime <= calc::kRepaymentRows
                                  ? repaymentTime - 1
                                  : loan::kDefaultRepaymentTime - 1);
    Recalculate();
    connect(cboTime_, &QComboBox::currentIndexChanged, this, &frmSchedule::cboTime_Click);

    // Wide enough for every column where the screen allows, tall enough for a page of periods.
    const QRect area = screen()->availableGeometry();
    int width =
        grdSchedule_->verticalScrollBar()->sizeHint().width() + 2 * grdSchedule_->frameWidth();
    for (int c = 0; c < model_.columnCount(); ++c)
        width += grdSchedule_->columnWidth(c);
    resize(
        std::min(width + layout()->contentsMargins().left() + layout()->contentsMargins().right(),
                 area.width() * 9 / 10),
        std::min(sizeHint().height() + 20 * grdSchedule_->verticalHeader()->defaultSectionSize(),
                 area.height() * 9 / 10));
}

// The table goes with the dialog's children, after the members: it lets go of the model first.
frmSchedule::~frmSchedule() {
    chart_->SetSchedule(nullptr);
    grdSchedule_->setModel(nullptr);
    grdYears_->setModel(nullptr);
    grdCompare_->setModel(nullptr);
    grdRates_->setModel(nullptr);
    grdLumps_->setModel(nullptr);
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
    lblLoan_ = ResultLabel(QStringLiteral("The loan"), this);
    lblLoan_->setObjectName(QStringLiteral("lblLoan"));
    lblLoan_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblLoan_->setTextFormat(Qt::PlainText);
    SetResult(lblLoan_, LoanText());
    loanLine->addWidget(new QLabel(QStringLiteral("Loan"), this), 2, 0);
    loanLine->addWidget(lblLoan_, 2, 1, 1, 6);
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
    // The payoff beside its period: a date with a start date, else how long from the start.
    auto* payoffHeading = new QLabel(QLatin1String(kPayoffName), totals);
    payoffHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalsGrid->addWidget(payoffHeading, 0, 5);
    for (int p = 0; p < 3; ++p) {
        QLabel* value = ResultLabel(
            QStringLiteral("%1 %2").arg(QLatin1String(kPartNames[p]), QLatin1String(kPayoffName)),
            totals);
        value->setObjectName(QStringLiteral("lblPayoff_%1").arg(p));
        totalsGrid->addWidget(value, p + 1, 5);
        lblPayoff_[static_cast<std::size_t>(p)] = value;
    }
    lblNote_ = new QLabel(totals);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    totalsGrid->addWidget(lblNote_, 4, 0, 1, 6);
    totalsGrid->setColumnStretch(6, 1);

    grdSchedule_ = Table(this, "grdSchedule", QStringLiteral("Repayment Schedule"), model_);

    cmdPrint_ = new QPushButton(QStringLiteral("&Print..."), this);
    cmdPrint_->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint_->setAccessibleName(QStringLiteral("Print"));
    cmdExport_ = new QPushButton(QStringLiteral("&Export CSV..."), this);
    cmdExport_->setObjectName(QStringLiteral("cmdExport"));
    cmdExport_->setAccessibleName(QStringLiteral("Export CSV"));
    // The chart's letters are all taken by the window's other access keys: Tab reaches it.
    cmdExportChart_ = new QPushButton(QStringLiteral("Export Chart\u2026"), this);
    cmdExportChart_->setObjectName(QStringLiteral("cmdExportChart"));
    cmdExportChart_->setAccessibleName(QStringLiteral("Export Chart"));
    cmdExportChart_->setToolTip(QStringLiteral("Saves the chart as a PNG or an SVG picture."));
    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setAccessibleName(QStringLiteral("Close"));
    // Enter in the extra field prints or closes nothing; Esc closes the window.
    for (QPushButton* button : {cmdPrint_, cmdExport_, cmdExportChart_, cmdClose_})
        button->setAutoDefault(false);
    AccessKeyPress::Install({cmdPrint_, cmdExport_, cmdClose_});
    connect(cmdPrint_, &QPushButton::clicked, this, &frmSchedule::cmdPrint_Click);
    connect(cmdExport_, &QPushButton::clicked, this, &frmSchedule::cmdExport_Click);
    connect(cmdExportChart_, &QPushButton::clicked, this, &frmSchedule::cmdExportChart_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmSchedule::cmdClose_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrint_);
    buttons->addWidget(cmdExport_);
    buttons->addWidget(cmdExportChart_);
    buttons->addWidget(cmdClose_);

    // The plan beside the totals; the views of the schedule below both.
    fraPlan_ = BuildPlan();
    auto* summary = new QHBoxLayout;
    summary->addWidget(totals, 0, Qt::AlignTop);
    summary->addWidget(fraPlan_, 1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(loanLine);
    column->addLayout(summary);
    column->addLayout(BuildViews(), 1);
    column->addLayout(buttons);

    // The plan comes after the loan's own settings and before the periods it shapes.
    const QList<QWidget*> order = {cboTime_,        txtExtra_,      chkStart_,
                                   dtpStart_,       txtFixedYears_, txtRevertRate_,
                                   grdRates_,       cmdPlan_[0][0], cmdPlan_[0][1],
                                   cmdPlan_[0][2],  grdLumps_,      cmdPlan_[1][0],
                                   cmdPlan_[1][1],  cmdPlan_[1][2], chkKeepPayment_,
                                   chkKeepTerm_,    chkCarryOver_,  chkYears_,
                                   chkChartBeside_, chkStressed_,   tabViews_->tabBar(),
                                   grdSchedule_,    grdYears_,      chart_,
                                   grdCompare_,     cmdPrint_,      cmdExport_,
                                   cmdExportChart_, cmdClose_};
    // Of the views only those shown take the focus: the current tab's page, and the chart
    // where it stands beside the table.
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    cboTime_->setFocus(Qt::OtherFocusReason);
}

QGroupBox* frmSchedule::BuildPlan() {
    auto* plan = new QGroupBox(QStringLiteral("Plan"), this);
    plan->setObjectName(QStringLiteral("fraPlan"));
    plan->setAccessibleName(QStringLiteral("Plan"));
    const auto named = [](QWidget* widget, const char* object, const QString& name) {
        widget->setObjectName(QLatin1String(object));
        widget->setAccessibleName(name);
    };

    chkStart_ = new QCheckBox(QStringLiteral("Start &date"), plan);
    named(chkStart_, "chkStart", QStringLiteral("Start date"));
    chkStart_->setToolTip(QStringLiteral("The first payment's date: every period gets a date."));
    dtpStart_ = DateEdit::Make(plan);
    named(dtpStart_, "dtpStart", QStringLiteral("First payment's date"));
    txtFixedYears_ = new QLineEdit(plan);
    named(txtFixedYears_, "txtFixedYears", QStringLiteral("Fixed period years"));
    txtFixedYears_->setAccessibleDescription(
        QStringLiteral("Empty: the fixed rate holds for the whole term"));
    txtRevertRate_ = new QLineEdit(plan);
    named(txtRevertRate_, "txtRevertRate", QStringLiteral("Revert rate %"));
    txtRevertRate_->setAccessibleDescription(
        QStringLiteral("Empty: the variable rate in force when the fixed period ends"));
    for (QLineEdit* field : {txtFixedYears_, txtRevertRate_}) {
        field->setAlignment(Qt::AlignRight);
        InstallNumberRule(field, kYearsOrRateRule);
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("100.000")) +
                               20);
    }
    txtRevertRate_->setPlaceholderText(QStringLiteral("variable"));
    auto* lblFixedYears = new QLabel(QStringLiteral("&Fixed period years"), plan);
    lblFixedYears->setBuddy(txtFixedYears_);
    auto* lblRevertRate = new QLabel(QStringLiteral("Re&vert rate %"), plan);
    lblRevertRate->setBuddy(txtRevertRate_);

    const auto list = [this, plan](PlanEventModel& model, const char* object, const QString& name) {
        QTableView* view = Table(plan, object, name, model);
        view->horizontalHeader()->setStretchLastSection(true);
        const int rows = 4;
        view->setFixedHeight(view->horizontalHeader()->sizeHint().height() +
                             rows * view->verticalHeader()->defaultSectionSize() +
                             2 * view->frameWidth());
        // Wide enough for the longest entry of each column, measured once: a period or a
        // date, a rate, an amount, a part.
        const QFontMetrics metrics = view->fontMetrics();
        const int padding = 16;
        const QString widest[3] = {
            std::max(QStringLiteral("Period 52143"),
                     DateEdit::Text(std::chrono::year_month_day{std::chrono::year(2088),
                                                                std::chrono::month(12),
                                                                std::chrono::day(28)}),
                     [&metrics](const QString& a, const QString& b) {
                         return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
                     }),
            &model == &rates_ ? QStringLiteral("100.000") : QStringLiteral("$99,999,999.99"),
            QStringLiteral("Variable")};
        int width = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
        for (int c = 0; c < model.columnCount(); ++c) {
            const int column = std::max(metrics.horizontalAdvance(widest[c]) + padding,
                                        view->horizontalHeader()->sectionSizeHint(c));
            view->horizontalHeader()->resizeSection(c, column);
            width += column;
        }
        view->setMinimumWidth(width);
        return view;
    };
    grdRates_ = list(rates_, "grdRates", QStringLiteral("Rate changes"));
    grdLumps_ = list(lumps_, "grdLumps", QStringLiteral("Lump sums"));
    auto* lblRates = new QLabel(QStringLiteral("&Rate changes"), plan);
    lblRates->setBuddy(grdRates_);
    auto* lblLumps = new QLabel(QStringLiteral("&Lump sums"), plan);
    lblLumps->setBuddy(grdLumps_);

    auto* grid = new QGridLayout(plan);
    auto* first = new QHBoxLayout;
    first->addWidget(chkStart_);
    first->addWidget(dtpStart_);
    first->addSpacing(12);
    first->addWidget(lblFixedYears);
    first->addWidget(txtFixedYears_);
    first->addSpacing(12);
    first->addWidget(lblRevertRate);
    first->addWidget(txtRevertRate_);
    first->addStretch(1);
    grid->addLayout(first, 0, 0, 1, 4);

    const char* const names[2] = {"rate change", "lump sum"};
    QTableView* const views[2] = {grdRates_, grdLumps_};
    QLabel* const labels[2] = {lblRates, lblLumps};
    for (int l = 0; l < 2; ++l) {
        const QString what = QLatin1String(names[l]);
        const char* const texts[3] = {"Add...", "Change...", "Delete"};
        const char* const verbs[3] = {"Add", "Change", "Delete"};
        auto* buttons = new QVBoxLayout;
        for (int b = 0; b < 3; ++b) {
            auto* button = new QPushButton(QLatin1String(texts[b]), plan);
            button->setObjectName(QStringLiteral("cmdPlan_%1_%2").arg(l).arg(b));
            button->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(verbs[b]), what));
            button->setAutoDefault(false);
            buttons->addWidget(button);
            cmdPlan_[static_cast<std::size_t>(l)][static_cast<std::size_t>(b)] = button;
        }
        buttons->addStretch(1);
        QPushButton* const* row = cmdPlan_[static_cast<std::size_t>(l)].data();
        connect(row[0], &QPushButton::clicked, this, [this, l] { EditEvent(l, -1); });
        connect(row[1], &QPushButton::clicked, this, [this, l, views] {
            EditEvent(l, views[l]->currentIndex().row());
        });
        connect(row[2], &QPushButton::clicked, this, [this, l] { DeleteEvent(l); });
        // In the list: Insert adds, Enter or a double click changes, Delete deletes.
        connect(views[l], &QAbstractItemView::activated, this,
                [this, l](const QModelIndex& index) { EditEvent(l, index.row()); });
        auto* insert = new QShortcut(QKeySequence(Qt::Key_Insert), views[l], nullptr, nullptr,
                                     Qt::WidgetShortcut);
        connect(insert, &QShortcut::activated, this, [this, l] { EditEvent(l, -1); });
        auto* remove = new QShortcut(QKeySequence(Qt::Key_Delete), views[l], nullptr, nullptr,
                                     Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this, l] { DeleteEvent(l); });
        grid->addWidget(labels[l], 1, 2 * l);
        grid->addWidget(views[l], 2, 2 * l);
        grid->addLayout(buttons, 2, 2 * l + 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    chkKeepPayment_ = new QCheckBox(
        QStringLiteral("Installment st&ays after a rate change (the end moves)"), plan);
    named(chkKeepPayment_, "chkKeepPayment",
          QStringLiteral("Installment stays after a rate change"));
    chkKeepTerm_ = new QCheckBox(
        QStringLiteral("Installment f&ollows a lump sum (the end stays)"), plan);
    named(chkKeepTerm_, "chkKeepTerm", QStringLiteral("Installment follows a lump sum"));
    chkCarryOver_ = new QCheckBox(
        QStringLiteral("Carr&y a paid-off part's installment into the other part"), plan);
    named(chkCarryOver_, "chkCarryOver",
          QStringLiteral("Carry a paid-off part's installment into the other part"));
    grid->addWidget(chkKeepPayment_, 3, 0, 1, 4);
    grid->addWidget(chkKeepTerm_, 4, 0, 1, 4);
    grid->addWidget(chkCarryOver_, 5, 0, 1, 4);

    for (QCheckBox* box : {chkStart_, chkKeepPayment_, chkKeepTerm_, chkCarryOver_})
        connect(box, &QCheckBox::toggled, this, &frmSchedule::PlanChanged);
    connect(dtpStart_, &QDateEdit::dateChanged, this, &frmSchedule::PlanChanged);
    for (QLineEdit* field : {txtFixedYears_, txtRevertRate_})
        connect(field, &QLineEdit::textChanged, this, &frmSchedule::PlanChanged);
    AccessKeyPress::Install({cmdPlan_[0][0], cmdPlan_[0][1], cmdPlan_[0][2], cmdPlan_[1][0],
                             cmdPlan_[1][1], cmdPlan_[1][2], chkStart_, chkKeepPayment_,
                             chkKeepTerm_, chkCarryOver_});
    return plan;
}

QLayout* frmSchedule::BuildViews() {
    grdYears_ = Table(this, "grdYears", QStringLiteral("Repayment Schedule by Year"), yearsModel_);
    grdCompare_ = Table(this, "grdCompare", QStringLiteral("Compare"), compareModel_);
    chart_ = new LoanChart(this);
    chart_->setObjectName(QStringLiteral("chart"));

    // The table's page holds the periods or the years, one at a time.
    stkTable_ = new QStackedWidget(this);
    stkTable_->setObjectName(QStringLiteral("stkTable"));
    stkTable_->addWidget(grdSchedule_);
    stkTable_->addWidget(grdYears_);

    tabViews_ = new ViewTabs(this);
    tabViews_->setObjectName(QStringLiteral("tabViews"));
    tabViews_->setAccessibleName(QStringLiteral("Views"));
    tabViews_->tabBar()->setAccessibleName(QStringLiteral("Views"));

    tabViews_->addTab(stkTable_, QStringLiteral("Sc&hedule"));
    tabViews_->addTab(chart_, QStringLiteral("Chart"));
    tabViews_->addTab(grdCompare_, QStringLiteral("Co&mpare"));

    splViews_ = new QSplitter(Qt::Horizontal, this);
    splViews_->setObjectName(QStringLiteral("splViews"));
    splViews_->setChildrenCollapsible(false);
    splViews_->addWidget(tabViews_);

    chkYears_ = new QCheckBox(QStringLiteral("One ro&w a year"), this);
    chkYears_->setObjectName(QStringLiteral("chkYears"));
    chkYears_->setAccessibleName(QStringLiteral("One row a year"));
    chkYears_->setToolTip(QStringLiteral("The table, the print-out and the CSV list each year's "
                                         "payments, interest and principal and its end's "
                                         "balance."));
    chkChartBeside_ = new QCheckBox(QStringLiteral("Chart &beside the table"), this);
    chkChartBeside_->setObjectName(QStringLiteral("chkChartBeside"));
    chkChartBeside_->setAccessibleName(QStringLiteral("Chart beside the table"));
    chkStressed_ = new QCheckBox(QStringLiteral("&Show Variable +1% and +2% on the chart"), this);
    chkStressed_->setObjectName(QStringLiteral("chkStressed"));
    chkStressed_->setAccessibleName(QStringLiteral("Show Variable +1% and +2% on the chart"));
    AccessKeyPress::Install({chkYears_, chkChartBeside_, chkStressed_});
    connect(chkYears_, &QCheckBox::toggled, this, &frmSchedule::ShowYears);
    connect(chkChartBeside_, &QCheckBox::toggled, this, &frmSchedule::PlaceChart);
    connect(chkStressed_, &QCheckBox::toggled, chart_, &LoanChart::SetStressedShown);

    // Each view's cursor moves the others: the chart's, the period's row, the year's row.
    connect(chart_, &LoanChart::CursorMoved, this,
            [this](int period) { FollowCursor(period, chart_); });
    connect(grdSchedule_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) FollowCursor(current.row() + 1, grdSchedule_);
            });
    connect(grdYears_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const calc::ScheduleYears* years = yearsModel_.Years();
                if (!current.isValid() || !years) return;
                const calc::YearRow& year = years->Rows()[static_cast<std::size_t>(current.row())];
                // A cursor already in the year stays where it is.
                const int cursor = chart_->CursorPeriod();
                if (cursor < year.firstPeriod || cursor > year.lastPeriod)
                    FollowCursor(year.firstPeriod, grdYears_);
            });

    auto* switches = new QHBoxLayout;
    switches->addWidget(chkYears_);
    switches->addSpacing(12);
    switches->addWidget(chkChartBeside_);
    switches->addSpacing(12);
    switches->addWidget(chkStressed_);
    switches->addStretch(1);
    auto* views = new QVBoxLayout;
    views->addLayout(switches);
    views->addWidget(splViews_, 1);
    return views;
}

void frmSchedule::ShowYears() {
    const bool years = chkYears_->isChecked();
    QTableView* shown = years ? grdYears_ : grdSchedule_;
    const bool hadFocus = stkTable_->currentWidget()->hasFocus();
    stkTable_->setCurrentWidget(shown);
    if (hadFocus) shown->setFocus(Qt::OtherFocusReason);
    // The table the switch shows opens at the chart's cursor.
    if (chart_->CursorPeriod() > 0) FollowCursor(chart_->CursorPeriod(), chart_);
}

void frmSchedule::PlaceChart() {
    const bool beside = chkChartBeside_->isChecked();
    if (beside == (splViews_->indexOf(chart_) >= 0)) return;
    if (beside) {
        tabViews_->removeTab(tabViews_->indexOf(chart_));
        splViews_->addWidget(chart_);
        chart_->show();
        // The table keeps the columns it needs first (up to three fifths of the width); the
        // chart has the rest, and grows with the window.
        splViews_->setStretchFactor(0, 0);
        splViews_->setStretchFactor(1, 1);
        const QTableView* table = chkYears_->isChecked() ? grdYears_ : grdSchedule_;
        const int overhead = tabViews_->width() > stkTable_->width() && stkTable_->width() > 0
                                 ? tabViews_->width() - stkTable_->width()
                                 : 8;
        const int wanted = table->horizontalHeader()->length() + 2 * table->frameWidth() +
                           table->verticalScrollBar()->sizeHint().width() + overhead;
        const int total = splViews_->width() - splViews_->handleWidth();
        if (total > 0) {
            const int tableWidth = std::min(wanted, total * 3 / 5);
            splViews_->setSizes({tableWidth, total - tableWidth});
        }
    } else {
        tabViews_->insertTab(1, chart_, QStringLiteral("Chart"));
    }
}

void frmSchedule::FollowCursor(int period, const QObject* movedIn) {
    if (following_ || period < 1) return;
    following_ = true;
    if (movedIn != chart_) chart_->SetCursorPeriod(period);
    if (movedIn != grdSchedule_ && period <= model_.rowCount())
        grdSchedule_->setCurrentIndex(
            model_.index(period - 1, std::max(0, grdSchedule_->currentIndex().column())));
    if (const calc::ScheduleYears* years = yearsModel_.Years();
        years && movedIn != grdYears_ && !years->Rows().empty())
        grdYears_->setCurrentIndex(
            yearsModel_.index(static_cast<int>(years->IndexOf(period)),
                              std::max(0, grdYears_->currentIndex().column())));
    following_ = false;
}

void frmSchedule::FitViewColumns() {
    const QFontMetrics metrics = grdYears_->fontMetrics();
    const int padding = 3 * grdYears_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    QString widest = model_.WidestAmount();
    if (const calc::ScheduleYears* years = yearsModel_.Years())
        for (const calc::YearRow& year : years->Rows())
            for (const calc::Cents amount : {year.payments, year.interest, year.principal})
                if (QtText::Currency(amount).size() > widest.size())
                    widest = QtText::Currency(amount);
    const int amount = metrics.horizontalAdvance(widest) + padding;
    QHeaderView* header = grdYears_->horizontalHeader();
    for (int c = 0; c < yearsModel_.columnCount(); ++c) {
        const int width =
            c == YearsModel::Year
                ? Widest(metrics, {QStringLiteral("Loan Year"), QStringLiteral("2088")}) + padding
            : c == YearsModel::Periods
                ? Widest(metrics, {QStringLiteral("52143\u201352143")}) + padding
                : amount;
        header->resizeSection(c, std::max(width, header->sectionSizeHint(c)));
    }
    header = grdCompare_->horizontalHeader();
    for (int c = 0; c < compareModel_.columnCount(); ++c) {
        int width = amount;
        if (c == CompareModel::Scenario)
            width = metrics.horizontalAdvance(QStringLiteral("Without extra payments")) + padding;
        else if (c == CompareModel::LastPeriod)
            width = metrics.horizontalAdvance(QStringLiteral("52143")) + padding;
        else if (c == CompareModel::LastDate)
            width = metrics.horizontalAdvance(DateEdit::Text(std::chrono::year_month_day{
                        std::chrono::year(2088), std::chrono::month(12), std::chrono::day(28)})) +
                    padding;
        header->resizeSection(c, std::max(width, header->sectionSizeHint(c)));
    }
    // A scenario without a schedule says why across its figures, not squeezed into one.
    grdCompare_->clearSpans();
    if (const calc::ScheduleScenarios* scenarios = Scenarios())
        for (std::size_t r = 0; r < scenarios->All().size(); ++r)
            if (!scenarios->All()[r].result.schedule && compareModel_.columnCount() > 2)
                grdCompare_->setSpan(static_cast<int>(r), CompareModel::Installment, 1,
                                     compareModel_.columnCount() - CompareModel::Installment);
}

void frmSchedule::ShowPlan() {
    showingPlan_ = true;
    chkStart_->setChecked(plan_.start.has_value());
    // Without a start date the field offers the first of next month, a usual first payment.
    const QDate today = QDate::currentDate();
    dtpStart_->setDate(plan_.start ? DateEdit::ToQDate(*plan_.start)
                                   : QDate(today.year(), today.month(), 1).addMonths(1));
    dtpStart_->setEnabled(plan_.start.has_value());
    txtFixedYears_->setText(plan_.fixedYears
                                ? QtText::FromUtf8(calc::NumberText(*plan_.fixedYears))
                                : QString());
    txtRevertRate_->setText(plan_.revertRatePercent
                                ? QtText::FromUtf8(calc::NumberText(*plan_.revertRatePercent))
                                : QString());
    chkKeepPayment_->setChecked(plan_.afterRateChange == calc::AfterRateChange::PaymentStays);
    chkKeepTerm_->setChecked(plan_.afterLumpSum == calc::AfterLumpSum::PaymentFollows);
    chkCarryOver_->setChecked(plan_.carryOver);
    rates_.SetPlan(&plan_);
    lumps_.SetPlan(&plan_);
    showingPlan_ = false;
}

void frmSchedule::PlanChanged() {
    if (showingPlan_) return;
    dtpStart_->setEnabled(chkStart_->isChecked());
    plan_.start = chkStart_->isChecked()
                      ? std::optional(DateEdit::FromQDate(dtpStart_->date()))
                      : std::nullopt;
    plan_.fixedYears = TypedNumber(txtFixedYears_);
    plan_.revertRatePercent = TypedNumber(txtRevertRate_);
    plan_.afterRateChange = chkKeepPayment_->isChecked() ? calc::AfterRateChange::PaymentStays
                                                         : calc::AfterRateChange::PaymentFollows;
    plan_.afterLumpSum = chkKeepTerm_->isChecked() ? calc::AfterLumpSum::PaymentFollows
                                                   : calc::AfterLumpSum::PaymentStays;
    plan_.carryOver = chkCarryOver_->isChecked();
    // Dates in the lists are shown against the start date.
    rates_.SetPlan(&plan_);
    lumps_.SetPlan(&plan_);
    Recalculate();
}

void frmSchedule::EditEvent(int list, int row) {
    const bool rate = list == 0;
    const std::size_t count = rate ? plan_.rateChanges.size() : plan_.lumpSums.size();
    const bool adding = row < 0;
    if (!adding && static_cast<std::size_t>(row) >= count) return;
    frmPlanEvent dialog(rate ? frmPlanEvent::Kind::RateChange : frmPlanEvent::Kind::LumpSum,
                        plan_.start, this);
    if (!adding) {
        if (rate)
            dialog.SetRateChange(plan_.rateChanges[static_cast<std::size_t>(row)]);
        else
            dialog.SetLumpSum(plan_.lumpSums[static_cast<std::size_t>(row)]);
    }
    if (Interaction::Current().Exec(dialog) != QDialog::Accepted) return;
    if (rate) {
        if (adding)
            plan_.rateChanges.push_back(dialog.RateChange());
        else
            plan_.rateChanges[static_cast<std::size_t>(row)] = dialog.RateChange();
    } else {
        if (adding)
            plan_.lumpSums.push_back(dialog.LumpSum());
        else
            plan_.lumpSums[static_cast<std::size_t>(row)] = dialog.LumpSum();
    }
    PlanEventModel& model = rate ? rates_ : lumps_;
    QTableView* view = rate ? grdRates_ : grdLumps_;
    model.SetPlan(&plan_);
    view->setCurrentIndex(model.index(adding ? static_cast<int>(count) : row, 0));
    view->setFocus(Qt::OtherFocusReason);
    Recalculate();
}

void frmSchedule::DeleteEvent(int list) {
    const bool rate = list == 0;
    QTableView* view = rate ? grdRates_ : grdLumps_;
    const int row = view->currentIndex().row();
    const std::size_t count = rate ? plan_.rateChanges.size() : plan_.lumpSums.size();
    if (row < 0 || static_cast<std::size_t>(row) >= count) return;
    if (rate)
        plan_.rateChanges.erase(plan_.rateChanges.begin() + row);
    else
        plan_.lumpSums.erase(plan_.lumpSums.begin() + row);
    PlanEventModel& model = rate ? rates_ : lumps_;
    model.SetPlan(&plan_);
    // The next entry, or the one before the last, is current: Delete may be pressed again.
    if (model.rowCount() > 0)
        view->setCurrentIndex(model.index(std::min(row, model.rowCount() - 1), 0));
    Recalculate();
}

QString frmSchedule::LoanText() const {
    const auto amount = [](const std::string& text) {
        return QtText::FromUtf8(calc::CurrencyTextOf(calc::TextValue(text)));
    };
    const auto rate = [](const std::string& text) {
        return QtText::FromUtf8(calc::NumberText(calc::TextValue(text))) + QLatin1Char('%');
    };
    const double years = calc::TextValue(fields_[1]);
    QString text = QStringLiteral("%1 over %2 %3")
                       .arg(amount(fields_[0]),
                            QtText::FromUtf8(calc::NumberText(years)),
                            years == 1 ? QStringLiteral("year") : QStringLiteral("years"));
    // A part of nothing is no part of this loan.
    if (calc::TextValue(fields_[4]) != 0)
        text += QStringLiteral(": variable %1 at %2").arg(amount(fields_[4]), rate(fields_[3]));
    if (calc::TextValue(fields_[7]) != 0)
        text += QStringLiteral("%1 fixed %2 at %3")
                    .arg(calc::TextValue(fields_[4]) != 0 ? QStringLiteral(",")
                                                          : QStringLiteral(":"),
                         amount(fields_[7]), rate(fields_[6]));
    return text;
}

QPushButton* frmSchedule::cmdPlan(int list, int button) const {
    if (list < 0 || list > 1 || button < 0 || button > 2) return nullptr;
    return cmdPlan_[static_cast<std::size_t>(list)][static_cast<std::size_t>(button)];
}

QLabel* frmSchedule::lblPayoff(int part) const {
    if (part < 0 || part > 2) return nullptr;
    return lblPayoff_[static_cast<std::size_t>(part)];
}

QLabel* frmSchedule::lblTotal(int part, int column) const {
    if (part < 0 || part > 2 || column < 0 || column > 3) return nullptr;
    return lblTotal_[static_cast<std::size_t>(part)][static_cast<std::size_t>(column)];
}

void frmSchedule::Recalculate() {
    const int time = cboTime_->currentIndex() + 1;
    const calc::Cents extra =
        calc::AmountCents(txtExtra_->text().toStdString()).value_or(0);
    // The views keep their place in the periods across the change; the schedule and the
    // scenarios they show are let go of before they are replaced.
    const QModelIndex current = grdSchedule_->currentIndex();
    const QModelIndex currentYear = grdYears_->currentIndex();
    const int cursor = chart_->CursorPeriod();
    following_ = true;
    chart_->SetSchedule(nullptr);
    compareModel_.SetScenarios(nullptr);
    yearsModel_.SetSchedule(nullptr);
    model_.SetSchedule(nullptr);
    scenarios_.reset();
    auto result = calc::LoanSchedule::FromFields(fields_, time, extra, plan_);
    schedule_ = std::move(result.schedule);
    if (schedule_) scenarios_.emplace(*schedule_);
    model_.SetSchedule(Schedule());
    yearsModel_.SetSchedule(Schedule());
    compareModel_.SetScenarios(Scenarios());
    chart_->SetSchedule(Schedule(), Scenarios());
    // A part of $0 has no columns.
    if (schedule_)
        for (int part = 0; part < 2; ++part) {
            const double amount =
                part == 0 ? schedule_->Terms().variableAmount : schedule_->Terms().fixedAmount;
            for (int a = 0; a < 4; ++a)
                grdSchedule_->setColumnHidden(model_.AmountColumn(part, a), amount == 0);
        }
    if (current.isValid() && current.row() < model_.rowCount())
        grdSchedule_->setCurrentIndex(model_.index(current.row(), current.column()));
    if (currentYear.isValid() && currentYear.row() < yearsModel_.rowCount())
        grdYears_->setCurrentIndex(yearsModel_.index(currentYear.row(), currentYear.column()));
    following_ = false;
    if (cursor > 0) FollowCursor(cursor, nullptr);
    FitColumns();
    FitViewColumns();
    ShowTotals();
    if (!schedule_)
        lblNote_->setText(QtText::FromUtf8(calc::ScheduleProblemSentence(result)) +
                          QLatin1Char('.'));
    lblNote_->setAccessibleName(lblNote_->text());
    // An empty note would be read out under the group's title.
    lblNote_->setVisible(!lblNote_->text().isEmpty());
    cmdPrint_->setEnabled(schedule_.has_value());
    cmdExport_->setEnabled(schedule_.has_value());
    cmdExportChart_->setEnabled(schedule_.has_value());
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
        QString payoff;
        if (t && t->payoffPeriod > 0) {
            const auto date = schedule_->DateOf(t->payoffPeriod);
            payoff = date ? DateEdit::Text(*date)
                          : QtText::FromUtf8(calc::PaymentCalendar::YearsAndMonths(
                                t->payoffPeriod, schedule_->Terms().repaymentTime));
        }
        SetResult(lblPayoff_[static_cast<std::size_t>(p)], payoff);
    }
    const bool lumpSums = schedule_ && !schedule_->Plan().lumpSums.empty();
    if (lumpSums)
        lblNote_->setText(
            QStringLiteral("%1 save %2 and %3 of interest.")
                .arg(schedule_->Terms().extra > 0 ? QStringLiteral("The extra payment and the "
                                                                   "lump sums")
                                                  : QStringLiteral("The lump sums"),
                     schedule_->PeriodsSaved() == 1
                         ? QStringLiteral("1 period")
                         : QStringLiteral("%1 periods").arg(schedule_->PeriodsSaved()),
                     QtText::Currency(schedule_->InterestSaved())));
    else if (schedule_ && schedule_->Terms().extra > 0)
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
    // The widest date of the locale's short form: two-digit days and months.
    const int date =
        metrics.horizontalAdvance(DateEdit::Text(std::chrono::year_month_day{
            std::chrono::year(2088), std::chrono::month(12), std::chrono::day(28)})) +
        padding;
    QHeaderView* header = grdSchedule_->horizontalHeader();
    for (int c = 0; c < model_.columnCount(); ++c) {
        const int width = c == 0 ? period : c == 1 && model_.HasDateColumn() ? date : amount;
        header->resizeSection(c, std::max(width, header->sectionSizeHint(c)));
    }
}

QString frmSchedule::SuggestedFileName(const QString& what, const QString& suffix) const {
    QString name;
    for (const QChar c : code_.trimmed())
        name += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char(' ')
                    ? c
                    : QLatin1Char('_');
    return (name.isEmpty() ? QStringLiteral("loan") : name) + QLatin1Char(' ') + what +
           QLatin1Char('.') + suffix;
}

QTabWidget* frmSchedule::tabViews() const {
    return tabViews_;
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
        SchedulePrintout::Options options;
        options.years = chkYears_->isChecked();
        options.stressed = chkStressed_->isChecked();
        return SchedulePrintout::Print(printer, *schedule_, code_, options);
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
    // The CSV lists what the table does: the periods, or the years.
    const bool years = chkYears_->isChecked();
    Interaction::FileRequest request;
    request.mode = Interaction::FileMode::Save;
    request.initialName = SuggestedFileName(
        years ? QStringLiteral("years") : QStringLiteral("schedule"), QStringLiteral("csv"));
    request.filter = QStringLiteral("CSV Files (*.csv)");
    request.defaultSuffix = QStringLiteral("csv");
    ExportFile(
        request, kExportCaption, QStringLiteral("schedule"), [this, years](const QString& path) {
            const std::string csv = years ? calc::ScheduleYears(*schedule_).CsvText()
                                          : calc::ScheduleCsv::Text(*schedule_);
            const safefile::BackupStore backups = loan::UserFolders::Backups(".csv");
            return safefile::SafeFile::Write(QFile::encodeName(path).toStdString(), csv, {backups});
        });
}

void frmSchedule::cmdExportChart_Click() {
    if (!schedule_) return;
    Interaction::FileRequest request;
    request.mode = Interaction::FileMode::Save;
    request.initialName = SuggestedFileName(QStringLiteral("chart"), QStringLiteral("png"));
    request.filter = QStringLiteral("Pictures (*.png *.svg)");
    request.defaultSuffix = QStringLiteral("png");
    ExportFile(request, QStringLiteral("Export Chart"), QStringLiteral("chart"),
               [this](const QString& path) {
                   // The chart as it is shown, with the stressed lines where they are.
                   ChartFile::Picture picture;
                   picture.stressed = chkStressed_->isChecked();
                   return ChartFile::Write(path, *schedule_, Scenarios(), picture);
               });
}

void frmSchedule::ExportFile(const Interaction::FileRequest& request, const QString& caption,
                             const QString& what,
                             const std::function<safefile::WriteOutcome(const QString&)>& write) {
    Interaction& ui = Interaction::Current();
    const std::optional<QString> chosen = ui.ChooseFile(this, request);
    if (!chosen) return;
    if (QFileInfo::exists(*chosen) &&
        ui.Message(this, QStringLiteral("The file %1 already exists. Replace it?").arg(*chosen),
                   caption, Interaction::Buttons::YesNo,
                   Interaction::Icon::Question) != Interaction::Answer::Yes)
        return;
    const bool existed = QFileInfo::exists(*chosen);
    safefile::WriteOutcome result;
    {
        BusyPointer::Scope busy;
        result = write(*chosen);
    }
    const QString why = QFile::decodeName(QByteArray::fromStdString(result.error));
    QString text;
    switch (result.state) {
    case safefile::WriteState::Saved:
        return;
    case safefile::WriteState::Unconfirmed:
        text = QStringLiteral("The %1 was written to %2, but the system could not confirm "
                              "that it is safely on disk. Export it again to be sure.\n\n%3")
                   .arg(what, *chosen, why);
        break;
    case safefile::WriteState::FailedAsItWas:
    case safefile::WriteState::FailedRestored:
        text = QStringLiteral("The %1 could not be saved to %2.\n\n%3").arg(what, *chosen, why);
        if (existed) text += QStringLiteral("\n\nThe file is as it was before.");
        break;
    case safefile::WriteState::FailedCopyKept:
    case safefile::WriteState::Unknown:
        text = QStringLiteral("The %1 could not be saved to %2.\n\n%3").arg(what, *chosen, why);
        break;
    }
    ui.Message(this, text, caption, Interaction::Buttons::OK, Interaction::Icon::Critical);
}

void frmSchedule::cmdClose_Click() {
    accept();
}
