#include "frmSearch.h"

#include "loan/LoanGrid.h"
#include "loan/LoanQuery.h"
#include "loan/LoanTable.h"
#include "ui/common/AccessKeyPress.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/Twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <utility>

namespace {
constexpr int kMaxCodeLength = 15;
}

frmSearch::frmSearch(loan::LoanGrid& grid, std::function<void()> editLoan, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      grid_(grid), editLoan_(std::move(editLoan)),
      lblMorgageCode_(new QLabel(QStringLiteral("&Morgage Code"), this)),
      txtMorgageCode_(new QLineEdit(this)), cmdOK_(new QPushButton(QStringLiteral("&OK"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Dravenholt Information Technology Search"));
    setWindowIcon(QGuiApplication::windowIcon());
    setFixedSize(Twips::Size(this, 5715, 1485));

    lblMorgageCode_->setObjectName(QStringLiteral("lblMorgageCode"));
    lblMorgageCode_->setAccessibleName(QStringLiteral("Morgage Code"));
    lblMorgageCode_->setBuddy(txtMorgageCode_);
    Twips::Place(lblMorgageCode_, 240, 360, 1275, 255);

    txtMorgageCode_->setObjectName(QStringLiteral("txtMorgageCode"));
    txtMorgageCode_->setAccessibleName(QStringLiteral("Morgage Code"));
    txtMorgageCode_->setMaxLength(kMaxCodeLength);
    Twips::Place(txtMorgageCode_, 1440, 360, 2295, 285);

    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setAccessibleName(QStringLiteral("OK"));
    cmdOK_->setDefault(true);
    Twips::Place(cmdOK_, 4080, 240, 1335, 375);

    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAccessibleName(QStringLiteral("Cancel"));
    Twips::Place(cmdCancel_, 4080, 840, 1335, 375);

    // The design leaves room for the caption in a narrow dialog font; with a wider one the entry
    // moves right (and narrows) so the caption shows whole.
    const int captionEnd = lblMorgageCode_->x() + lblMorgageCode_->sizeHint().width();
    const int missing = captionEnd + Twips::ToPixelsX(this, 60) - txtMorgageCode_->x();
    if (missing > 0) {
        lblMorgageCode_->resize(lblMorgageCode_->sizeHint().width(), lblMorgageCode_->height());
        txtMorgageCode_->setGeometry(
            txtMorgageCode_->x() + missing, txtMorgageCode_->y(),
            std::max(txtMorgageCode_->width() - missing, txtMorgageCode_->width() / 2),
            txtMorgageCode_->height());
    }

    setTabOrder(txtMorgageCode_, cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);
    txtMorgageCode_->setFocus();

    AccessKeyPress::Install({cmdOK_, cmdCancel_});
    connect(cmdOK_, &QPushButton::clicked, this, &frmSearch::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSearch::cmdCancel_Click);
}

frmSearch::~frmSearch() = default;

void frmSearch::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmSearch::Form_Load() {
    Twips::CentreOnScreen(this);
}

void frmSearch::keyPressEvent(QKeyEvent* event) {
    // No button is the cancel button: Esc leaves the dialog open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmSearch::cmdOK_Click() {
    const QByteArray entry = txtMorgageCode_->text().toUtf8();
    const std::string_view code(entry.constData(), static_cast<std::size_t>(entry.size()));
    // A blank entry or a table without loans moves the current cell to the top and scans nothing.
    const bool scan = !loan::TrimmedSpaces(code).empty() && grid_.Rows() > 2;
    bool found = false;
    {
        std::optional<BusyPointer::Scope> busy;
        if (scan) busy.emplace();
        int row = -1;
        {
            loan::LoanGrid::Batch quiet(grid_, loan::LoanGrid::Batch::Kind::Quiet);
            row = loan::LoanQuery::SearchCode(grid_, code);
        }
        // The view shows the found row before the details dialog opens over it; the busy
        // pointer stays until that dialog has closed.
        if (row >= 0) {
            if (editLoan_) editLoan_();
            found = true;
        }
    }
    if (scan && !found) {
        Interaction::Current().Message(this, QStringLiteral("No Loan Found"),
                                       QStringLiteral("Loan Search."), Interaction::Buttons::OK,
                                       Interaction::Icon::Question);
    }
    accept();
}

void frmSearch::cmdCancel_Click() {
    reject();
}
