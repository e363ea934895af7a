#include "frmLoan.h"

#include "GridModel.h"
#include "LoanGridView.h"
#include "LoanPrintout.h"
#include "NativeFileName.h"
#include "PictureBox.h"
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/UserFolders.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Interaction.h"
#include "ui/common/QtText.h"
#include "ui/common/Twips.h"
#include "ui/details/frmLoanDetails.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmSearch.h"
#include "ui/schedule/frmSchedule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTimer>

#include <array>

// Resources of a static library must be registered by hand.
static void InitPictures() {
    Q_INIT_RESOURCE(pictures);
    Q_INIT_RESOURCE(icons);
}

// Every window of the program carries the program's icon.
static void SetProgramIcon() {
    if (!QApplication::windowIcon().isNull()) return;
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/example.dravenholt.Loan.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
}

namespace {

const QString kWebAddress = QStringLiteral("https://www.dravenholt.example");
const QString kNotLoanFile = QStringLiteral("This is not a loan file. Select a loan file.");
const QString kLoanFileOnly = QStringLiteral("Loan File Only");

// The details dialog's text box for each of columns 0..8.
constexpr std::array<int, 9> kTextBoxOfColumn = {8, 0, 1, 2, 3, 4, 5, 6, 7};

// Design places, twips: left, top, width, height.
struct Place {
    int left, top, width, height;
};
constexpr Place kLogo{0, 0, 3675, 1035};
constexpr Place kNew{3720, 20, 990, 975};
constexpr Place kEdit{4800, 20, 990, 975};
constexpr Place kDelete{5880, 20, 990, 975};
constexpr Place kSearch{6960, 20, 990, 975};
constexpr Place kGrid{240, 1320, 8895, 4935};
constexpr Place kGridQuery{240, 1320, 8895, 4695};
constexpr int kClientWidth = 9405;
constexpr int kClientHeight = 6450;

// How long after a change of the table its recovery copy is taken: a burst of changes is copied
// once, and a change is on disk within this and the time its write takes.
constexpr int kRecoveryDelayMs = 1000;
// Long enough for a million loans' copy to be on disk on a busy machine.
constexpr int kRecoveryCheckMs = 3000;

void PlaceAt(QWidget* widget, const Place& place) {
    Twips::Place(widget, place.left, place.top, place.width, place.height);
}

Interaction::Answer Ask(QWidget* parent, const QString& text, const QString& caption) {
    return Interaction::Current().Message(parent, text, caption, Interaction::Buttons::YesNo,
                                          Interaction::Icon::Question);
}

std::string NativePath(const QString& path) {
    return NativeFileName::EncodeToStd(path);
}

QString FromNative(const std::string& text) {
    return NativeFileName::Decode(QByteArray::fromStdString(text));
}

// The open file's texts name files by their bytes.
bool Ask(QWidget* parent, const loan::Question& question) {
    return Ask(parent, FromNative(question.text), FromNative(question.caption)) ==
           Interaction::Answer::Yes;
}

void Tell(QWidget* parent, const std::vector<loan::Notice>& notices) {
    for (const loan::Notice& notice : notices)
        Interaction::Current().Message(parent, FromNative(notice.text), QString(),
                                       Interaction::Buttons::OK,
                                       notice.kind == loan::Notice::Kind::Error
                                           ? Interaction::Icon::Critical
                                           : Interaction::Icon::Information);
}

void SetUpHeadings(loan::LoanGrid& grid) {
    for (int c = 0; c < loan::kLoanCols; ++c) {
        grid.SetColWidth(c, loan::kColumnTwips[static_cast<std::size_t>(c)]);
        grid.SetTextAt(0, c, loan::kHeadings[static_cast<std::size_t>(c)]);
    }
}

} // namespace

frmLoan::frmLoan(QWidget* parent)
    : QMainWindow(parent), GridQuery(loan::kLoanCols, 2), File(Table), dlgOpen(this) {
    InitPictures();
    SetProgramIcon();
    SetUpHeadings(GridQuery);
    gridModel_ = std::make_unique<GridModel>(Table.Grid);
    gridQueryModel_ = std::make_unique<GridModel>(GridQuery);
    BuildControls();
    BuildMenus();
    SetCaption();
    // Every change of the table reaches the view through the model; the recovery copy follows.
    const auto changed = [this] { ScheduleRecoveryCopy(); };
    connect(gridModel_.get(), &QAbstractItemModel::dataChanged, this, changed);
    connect(gridModel_.get(), &QAbstractItemModel::rowsInserted, this, changed);
    connect(gridModel_.get(), &QAbstractItemModel::rowsRemoved, this, changed);
    connect(gridModel_.get(), &QAbstractItemModel::modelReset, this, changed);
    // A plan's change is a change of the table too.
    File.SetChangeListener(changed);
    Form_Load();
}

frmLoan::~frmLoan() {
    details_.reset();
    // The views go before the models they show.
    delete takeCentralWidget();
}

void frmLoan::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    const auto picture = [client](const char* name, bool border, const QString& accessibleName) {
        auto* box = new PictureBox(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)),
                                   border, client);
        box->setObjectName(QStringLiteral("Pic%1").arg(QLatin1String(name)));
        box->setAccessibleName(accessibleName);
        return box;
    };
    PicDravenholt =
        picture("Dravenholt", true, QStringLiteral("Dravenholt Information Technology"));
    // Each pressed picture lies under its raised one; creating it first puts it below.
    PicNewDown = picture("NewDown", false, QStringLiteral("New Loan pressed"));
    PicNewUp = picture("NewUp", false, QStringLiteral("New Loan"));
    PicEditDown = picture("EditDown", false, QStringLiteral("Edit Loan pressed"));
    PicEditUp = picture("EditUp", false, QStringLiteral("Edit Loan"));
    PicDeleteDown = picture("DeleteDown", false, QStringLiteral("Delete Loan pressed"));
    PicDeleteUp = picture("DeleteUp", false, QStringLiteral("Delete Loan"));
    PicSearchDown = picture("SearchDown", false, QStringLiteral("Search pressed"));
    PicSearchUp = picture("SearchUp", false, QStringLiteral("Search"));
    PicNewUp->setToolTip(QStringLiteral("New Loan"));
    PicEditUp->setToolTip(QStringLiteral("Edit Loan"));
    PicDeleteUp->setToolTip(QStringLiteral("Delete Loan"));
    PicSearchUp->setToolTip(QStringLiteral("Search"));

    PlaceAt(PicDravenholt, kLogo);
    for (auto* box : {PicNewUp, PicNewDown})
        PlaceAt(box, kNew);
    for (auto* box : {PicEditUp, PicEditDown})
        PlaceAt(box, kEdit);
    for (auto* box : {PicDeleteUp, PicDeleteDown})
        PlaceAt(box, kDelete);
    for (auto* box : {PicSearchUp, PicSearchDown})
        PlaceAt(box, kSearch);

    GridQueryView = new LoanGridView(*gridQueryModel_, client);
    GridQueryView->setObjectName(QStringLiteral("GridQuery"));
    GridQueryView->setAccessibleName(QStringLiteral("Loan Query"));
    PlaceAt(GridQueryView, kGridQuery);
    GridQueryView->hide();

    GridView = new LoanGridView(*gridModel_, client);
    GridView->setObjectName(QStringLiteral("Grid"));
    GridView->setAccessibleName(QStringLiteral("Loans"));
    PlaceAt(GridView, kGrid);

    // The pressed pictures are the buttons' looks, not stops of their own.
    PicNewUp->SetPressedLook(PicNewDown);
    PicEditUp->SetPressedLook(PicEditDown);
    PicDeleteUp->SetPressedLook(PicDeleteDown);
    PicSearchUp->SetPressedLook(PicSearchDown);
    QWidget* order[] = {PicNewUp, PicEditUp,     PicDeleteUp,  PicSearchUp,
                        GridView, PicDravenholt, GridQueryView};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(PicNewUp, &PictureBox::MouseDown, this, &frmLoan::PicNewUp_MouseDown);
    connect(PicNewUp, &PictureBox::MouseUp, this, &frmLoan::PicNewUp_MouseUp);
    connect(PicEditUp, &PictureBox::MouseDown, this, &frmLoan::PicEditUp_MouseDown);
    connect(PicEditUp, &PictureBox::MouseUp, this, &frmLoan::PicEditUp_MouseUp);
    connect(PicDeleteUp, &PictureBox::MouseDown, this, &frmLoan::PicDeleteUp_MouseDown);
    connect(PicDeleteUp, &PictureBox::MouseUp, this, &frmLoan::PicDeleteUp_MouseUp);
    connect(PicSearchUp, &PictureBox::MouseDown, this, &frmLoan::PicSearchUp_MouseDown);
    connect(PicSearchUp, &PictureBox::MouseUp, this, &frmLoan::PicSearchUp_MouseUp);
    connect(GridView, &LoanGridView::DblClick, this, &frmLoan::Grid_DblClick);
    GridView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GridView, &QWidget::customContextMenuRequested, this, &frmLoan::Grid_ContextMenu);

    const QSize client_size = Twips::Size(this, kClientWidth, kClientHeight);
    resize(client_size.width(), client_size.height() + menuBar()->sizeHint().height());
}

void frmLoan::BuildMenus() {
    struct Item {
        const char* caption;
        QKeySequence shortcut;
    };
    const auto build = [this](const char* title, std::initializer_list<Item> items,
                              std::vector<QAction*>& actions, void (frmLoan::*click)(int)) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        for (const Item& item : items) {
            const int index = static_cast<int>(actions.size());
            if (!item.caption) {
                actions.push_back(menu->addSeparator());
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.caption));
            action->setShortcut(item.shortcut);
            // Window-wide, so the grid's own Ctrl+A and Ctrl+C cannot take them.
            action->setShortcutContext(Qt::WindowShortcut);
            // A held shortcut runs its command once: the key's repeats must not reopen a dialog
            // the user has just closed, or ask about a second delete.
            action->setAutoRepeat(false);
            connect(action, &QAction::triggered, this,
                    [this, click, index] { (this->*click)(index); });
            actions.push_back(action);
        }
    };
    build("&File",
          {{"&New", {}},
           {"&Open", QKeySequence(Qt::CTRL | Qt::Key_O)},
           {nullptr, {}},
           {"&Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
           {"Save &As", QKeySequence(Qt::CTRL | Qt::Key_A)},
           {nullptr, {}},
           {"&Print", QKeySequence(Qt::CTRL | Qt::Key_P)},
           {nullptr, {}},
           {"E&xit", {}}},
          fileItems_, &frmLoan::mnuFileItem_Click);
    build("&Grid",
          {{"&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
           {"&Edit", QKeySequence(Qt::CTRL | Qt::Key_E)},
           {"&Delete", QKeySequence(Qt::CTRL | Qt::Key_D)},
           {"&Search", QKeySequence(Qt::CTRL | Qt::Key_C)},
           {"Sc&hedule", QKeySequence(Qt::CTRL | Qt::Key_R)}},
          gridItems_, &frmLoan::mnuGridItem_Click);
    build("&Help", {{"&About", {}}}, helpItems_, &frmLoan::mnuHelpItem_Click);
}

void frmLoan::SetCaption() {
    dlgOpen.FileName = FromNative(File.Name());
    const QString name = dlgOpen.FileName.isEmpty() ? QStringLiteral("Untitled") : dlgOpen.FileName;
    setWindowTitle(kAppTitle + QStringLiteral(" - ") + name);
}

void frmLoan::MakeUntitled() {
    File.MakeUntitled();
    SetCaption();
}

// ---- Start-up, size and closing

void frmLoan::Form_Load() {
    Interaction::Current().Message(this, QStringLiteral("For more software visit ") + kWebAddress,
                                   kAppTitle, Interaction::Buttons::OK,
                                   Interaction::Icon::Information);
    Table.FileChanged = false;
    Settings.PrintAll = false;
    Settings.PrintActive = false;
    BusyPointer::SetDefault();
    Table.SetUp();
}

void frmLoan::Form_Resize() {
    const QRect outer = frameGeometry();
    const int W = Twips::FromPixelsX(this, outer.width());
    const int H = Twips::FromPixelsY(this, outer.height());
    const QRect grid = GridView->geometry();
    // Narrower than 800 twips the grid keeps no width at all rather than a negative one.
    int gridHeight = Twips::FromPixelsY(this, grid.height());
    if (kGrid.top + 1800 < H) gridHeight = H - 2200;
    GridView->resize(Twips::ToPixelsX(this, std::max(W - 800, 0)),
                     Twips::ToPixelsY(this, gridHeight));
}

void frmLoan::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmLoan::Form_Unload(bool& Cancel) {
    // File > Exit has asked already.
    if (exiting_) return;
    // Answering Yes and then not saving (a cancelled dialog, a failed write) keeps the window,
    // so unsaved loans are never thrown away by a save that did not happen.
    Cancel = !SaveFirst();
}

void frmLoan::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    // The loans were saved, there were none unsaved, or the user answered No: no copy stays,
    // and it is gone before the program ends.
    File.DropRecoveryCopy();
    File.WaitForRecoveryCopy();
    event->accept();
}

// ---- Recovery copies of unsaved loans

void frmLoan::StartRecovery() {
    if (recoveryTimer_) return;
    File.KeepRecoveryCopies(loan::UserFolders::State());
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(kRecoveryDelayMs);
    recoveryCheck_ = new QTimer(this);
    recoveryCheck_->setSingleShot(true);
    recoveryCheck_->setInterval(kRecoveryCheckMs);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] {
        File.UpdateRecoveryCopy();
        recoveryCheck_->start();
    });
    connect(recoveryCheck_, &QTimer::timeout, this, &frmLoan::CheckRecoveryCopy);

    for (const std::string& leftover : File.RecoveryLeftovers()) {
        std::vector<loan::Notice> notices;
        std::optional<loan::LeftoverCopy> copy;
        {
            BusyPointer::Scope busy;
            copy = File.TakeLeftover(leftover, notices);
        }
        Tell(this, notices);
        if (!copy) continue;
        const Interaction::Answer answer = Interaction::Current().Message(
            this, FromNative(copy->question.text), FromNative(copy->question.caption),
            Interaction::Buttons::RecoverDiscard, Interaction::Icon::Question);
        if (answer == Interaction::Answer::Discard) {
            File.Discard(*copy);
            continue;
        }
        {
            BusyPointer::Scope busy;
            notices = File.Recover(*copy);
        }
        SetCaption();
        Tell(this, notices);
        // The table holds one set of loans; the other copies are offered at the next start.
        if (File.Modified()) break;
    }
}

void frmLoan::ScheduleRecoveryCopy() {
    if (recoveryTimer_ && !recoveryTimer_->isActive()) recoveryTimer_->start();
}

void frmLoan::CheckRecoveryCopy() {
    const std::string error = File.RecoveryCopyError();
    if (error.empty()) {
        recoveryFailureTold_ = false;
        return;
    }
    if (recoveryFailureTold_ || !File.Modified()) return;
    // Not over another dialog's question: said once that one is answered.
    if (QApplication::activeModalWidget()) {
        recoveryCheck_->start();
        return;
    }
    recoveryFailureTold_ = true;
    Interaction::Current().Message(
        this,
        QStringLiteral("Your unsaved loans cannot be kept in a recovery copy, so they would be "
                       "lost if the program ended unexpectedly.\n\n%1\n\nSave the loans to "
                       "keep them.")
            .arg(FromNative(error)),
        kAppTitle, Interaction::Buttons::OK, Interaction::Icon::Critical);
}

void frmLoan::EndOnSignal() {
    // Nobody may be there to answer a question: the session is ending, or the program was
    // told to stop. Whatever the unwinding dialogs answer afterwards, the copy stays as it is.
    File.FreezeRecoveryCopy();
    exiting_ = true;
    QCoreApplication::exit(0);
}

// ---- Menus, picture buttons, grid

void frmLoan::mnuFileItem_Click(int index) {
    switch (index) {
    case FileNew:
        FileNewCommand();
        break;
    case FileOpen:
        FileOpenCommand();
        break;
    case FileSave:
        FileSaveCommand();
        break;
    case FileSaveAs:
        FileSaveAsCommand();
        break;
    case FilePrint:
        FilePrintCommand();
        break;
    case FileExit:
        FileExitCommand();
        break;
    default:
        break;
    }
    // After every file command, however it ended, the pointer is the default one.
    BusyPointer::SetDefault();
}

void frmLoan::mnuGridItem_Click(int index) {
    switch (index) {
    case GridNew:
        NewLoan();
        break;
    case GridEdit:
        EditLoan();
        break;
    case GridDelete:
        DeleteLoan();
        break;
    case GridSearch:
        Search();
        break;
    case GridSchedule:
        ShowSchedule();
        break;
    default:
        break;
    }
}

void frmLoan::mnuHelpItem_Click(int) {
    frmAbout about(this);
    Interaction::Current().Exec(about);
}

void frmLoan::Grid_DblClick() {
    EditLoan();
}

void frmLoan::PicNewUp_MouseDown() {
    PicNewUp->SetPictureShown(false);
}
void frmLoan::PicNewUp_MouseUp() {
    PicNewUp->SetPictureShown(true);
    NewLoan();
}
void frmLoan::PicEditUp_MouseDown() {
    PicEditUp->SetPictureShown(false);
}
void frmLoan::PicEditUp_MouseUp() {
    PicEditUp->SetPictureShown(true);
    EditLoan();
}
void frmLoan::PicDeleteUp_MouseDown() {
    PicDeleteUp->SetPictureShown(false);
}
void frmLoan::PicDeleteUp_MouseUp() {
    PicDeleteUp->SetPictureShown(true);
    DeleteLoan();
}
void frmLoan::PicSearchUp_MouseDown() {
    PicSearchUp->SetPictureShown(false);
}
void frmLoan::PicSearchUp_MouseUp() {
    PicSearchUp->SetPictureShown(true);
    Search();
}

// ---- File commands

bool frmLoan::SaveFirst(bool* saved, SaveBefore before) {
    if (saved) *saved = false;
    const auto question = File.BeforeLeaving(before == SaveBefore::Query
                                                 ? loan::OpenFile::Leaving::Query
                                                 : loan::OpenFile::Leaving::Exiting);
    if (!question || !Ask(this, *question)) return true;
    QString target;
    if (!PrepareSave(target) || !WriteLoanFile(target)) return false;
    if (saved) *saved = true;
    return true;
}

bool frmLoan::PrepareSave(QString& target) {
    if (!File.IsUntitled()) {
        target = FromNative(File.Name());
        return true;
    }
    const std::optional<QString> chosen = dlgOpen.ShowSave();
    if (!chosen) return false;
    // The first save of an untitled table must not replace a file unasked: the same question
    // as Save As.
    if (NativeFileName::Exists(*chosen) && !Ask(this, loan::OpenFile::BeforeReplacing()))
        return false;
    target = *chosen;
    return true;
}

bool frmLoan::WriteLoanFile(const QString& target) {
    const std::string path = NativePath(target);
    for (const loan::Question& question : File.BeforeSaveOver(path))
        if (!Ask(this, question)) return false;
    const bool existed = NativeFileName::Exists(target);
    safefile::WriteOutcome result;
    {
        BusyPointer::Scope busy;
        loan::LoanGrid::Batch quiet(Table.Grid, loan::LoanGrid::Batch::Kind::Quiet);
        result = loan::LoanFileWriter::WriteFile(path, Table.Grid);
    }
    const std::vector<loan::Notice> notices = File.AfterWrite(path, result, existed);
    SetCaption();
    Tell(this, notices);
    // The loans may be saved without their plans; then not everything is, and the command that
    // asked for the save stops.
    return result.Saved() && !File.Modified();
}

void frmLoan::FileNewCommand() {
    if (!SaveFirst()) return;
    BusyPointer::Scope busy;
    MakeUntitled();
    File.ForgetPlans();
    {
        loan::LoanGrid::Batch reset(Table.Grid, loan::LoanGrid::Batch::Kind::Reset);
        Table.Clear();
    }
    Table.FileChanged = false;
}

void frmLoan::FileOpenCommand() {
    if (!SaveFirst()) return;
    const std::optional<QString> chosen = dlgOpen.ShowOpen();
    if (!chosen) return;
    OpenLoanFile(*chosen);
}

void frmLoan::OpenLoanFile(const QString& path) {
    // Any name the file system holds, but not a folder.
    if (!NativeFileName::IsLoanFileToOpen(path)) {
        Ask(this, kNotLoanFile, kLoanFileOnly);
        return;
    }
    loan::ReadResult result;
    {
        BusyPointer::Scope busy;
        result = loan::LoanFileReader::ReadFile(NativePath(path), Table.Grid);
    }
    const std::vector<loan::Notice> notices = File.AfterRead(NativePath(path), result);
    SetCaption();
    Tell(this, notices);
}

void frmLoan::OpenFromCommandLine(const QString& path) {
    if (!SaveFirst()) return;
    OpenLoanFile(path);
}

void frmLoan::FileSaveCommand() {
    QString target;
    if (PrepareSave(target)) WriteLoanFile(target);
}

void frmLoan::FileSaveAsCommand() {
    const std::optional<QString> chosen = dlgOpen.ShowSave();
    if (!chosen) return;
    const QString path = *chosen;
    if (!NativeFileName::HasLoanExtension(path)) {
        Ask(this, kNotLoanFile, kLoanFileOnly);
        return;
    }
    if (NativeFileName::Exists(path) && !Ask(this, loan::OpenFile::BeforeReplacing())) return;
    WriteLoanFile(path);
}

void frmLoan::FileExitCommand() {
    if (!SaveFirst()) return;
    exiting_ = true;
    close();
}

void frmLoan::FilePrintCommand() {
    LoanPrintout::Run(this, Table.Grid, Settings);
}

// ---- Loan table commands

frmLoanDetails& frmLoan::LoanDetails() {
    if (!details_) {
        details_ = std::make_unique<frmLoanDetails>(
            Table, GridQuery, [this] { MakeUntitled(); }, this);
        // Loans a query by example hides stay in the file; a plain Save must not drop them
        // unasked.
        details_->SetQueryDropped([this] { File.QueryHidLoans(); });
        details_->SetSaveFirst([this] { return SaveFirst(nullptr, SaveBefore::Query); });
        details_->SetPlans(&File);
    }
    return *details_;
}

void frmLoan::ShowLoanDetails() {
    Interaction::Current().Exec(LoanDetails());
    details_.reset();
}

void frmLoan::NewLoan() {
    Table.RepaymentTimeIndex = loan::kDefaultRepaymentTime;
    LoanDetails().HighlightRepaymentTime(Table.RepaymentTimeIndex);
    ShowLoanDetails();
}

void frmLoan::EditLoan() {
    frmLoanDetails& details = LoanDetails();
    loan::LoanGrid& grid = Table.Grid;
    bool inactive = false;
    {
        // The walk along the row is reported to the view once, at its end.
        loan::LoanGrid::Batch quiet(grid, loan::LoanGrid::Batch::Kind::Quiet);
        if (grid.Row() >= 1) {
            for (int c = 0; c < static_cast<int>(kTextBoxOfColumn.size()); ++c) {
                grid.SetCol(c);
                details.SetFieldText(kTextBoxOfColumn[static_cast<std::size_t>(c)],
                                     QtText::FromUtf8(grid.Text()));
            }
        }
        grid.SetCol(loan::ColRepaymentTime);
        Table.RepaymentTimeIndex = loan::RepaymentTimeIndexOf(grid.Text());
        grid.SetCol(loan::ColActive);
        inactive = grid.Text() == "No";
    }
    details.HighlightRepaymentTime(Table.RepaymentTimeIndex);
    if (QRadioButton* option = inactive ? details.OptNo() : details.OptYes())
        option->setChecked(true);
    ShowLoanDetails();
}

void frmLoan::DeleteLoan() {
    loan::LoanGrid& grid = Table.Grid;
    // The heading row is never a loan, whatever its cell holds.
    const bool selected = grid.Rows() > 2 && !BusyPointer::IsBusy() && grid.Row() >= 1 &&
                          !loan::TrimmedSpaces(grid.Text()).empty();
    if (!selected) {
        Interaction::Current().Message(
            this, QStringLiteral("A Loan must be selected from the grid to Delete."), kAppTitle,
            Interaction::Buttons::OK, Interaction::Icon::Information);
        return;
    }
    if (Ask(this, QStringLiteral("Delete the existing Loan?"), QStringLiteral("Delete")) !=
        Interaction::Answer::Yes)
        return;
    Table.DeleteLoan(grid.Row());
}

void frmLoan::Search() {
    if (BusyPointer::IsBusy()) return;
    frmSearch search(
        Table.Grid, [this] { EditLoan(); }, this);
    Interaction::Current().Exec(search);
}

void frmLoan::ShowSchedule() {
    if (BusyPointer::IsBusy()) return;
    const loan::LoanGrid& grid = Table.Grid;
    const int row = grid.Row();
    // A loan row, whichever of its cells is current; never the headings or the blank row.
    if (row < 1 || row > grid.Rows() - 2) {
        Interaction::Current().Message(
            this, QStringLiteral("A Loan must be selected from the grid to show its Schedule."),
            kAppTitle, Interaction::Buttons::OK, Interaction::Icon::Information);
        return;
    }
    const std::string code(grid.TextAt(row, loan::ColCode));
    calc::LoanPlan plan = File.PlanOf(code);
    frmSchedule::Show(this, QtText::FromUtf8(code), loan::LoanTable::FieldsOfRow(grid, row),
                      loan::RepaymentTimeIndexOf(grid.TextAt(row, loan::ColRepaymentTime)),
                      &plan);
    File.SetPlan(code, plan);
}

void frmLoan::Grid_ContextMenu(const QPoint& position) {
    // The loans' own commands where the loans are; the click has made its row the current one.
    if (!mnuLoans_) {
        mnuLoans_ = new QMenu(this);
        mnuLoans_->setObjectName(QStringLiteral("mnuLoans"));
        mnuLoans_->setAccessibleName(QStringLiteral("Loan"));
        for (const int item : {GridEdit, GridDelete, GridSchedule}) {
            QAction* action = mnuGridItem(item);
            action->setShortcutVisibleInContextMenu(true);
            mnuLoans_->addAction(action);
        }
    }
    QPoint at = position;
    // The menu key: beside the current cell rather than wherever the pointer happens to be.
    if (!GridView->viewport()->rect().contains(position) || position == QPoint(-1, -1)) {
        const QRect cell = GridView->visualRect(GridView->currentIndex());
        at = cell.isValid() ? cell.center() : QPoint(0, 0);
    }
    mnuLoans_->popup(GridView->viewport()->mapToGlobal(at));
}
