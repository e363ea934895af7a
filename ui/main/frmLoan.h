#pragma once

#include "FileDialogComponent.h"
#include "loan/LoanGrid.h"
#include "loan/LoanTable.h"
#include "loan/OpenFile.h"
#include "ui/dialogs/PrintSettings.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <vector>

class GridModel;
class LoanGridView;
class PictureBox;
class QAction;
class QMenu;
class QTimer;
class frmLoanDetails;

// The main window: the loan table with its menus and picture buttons, the file commands and the
// commands on single loans. Its controls are public, as the dialogs and tests reach into them.
class frmLoan : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmLoan(QWidget* parent = nullptr);
    ~frmLoan() override;

    // What the offer to save comes before; its question names it.
    enum class SaveBefore { Exiting, Query };
    // Offers to save unsaved changes; false when the user chose to save and the save was
    // cancelled or failed, so the calling command stops. saved, if given, tells whether the
    // file now holds the table.
    bool SaveFirst(bool* saved = nullptr, SaveBefore before = SaveBefore::Exiting);
    void DeleteLoan();
    // Opens the current row in the loan details dialog (also called by the search dialog).
    void EditLoan();
    // Opens path as File > Open does once its dialog has closed: the same checks, messages and
    // caption. Unsaved changes are not asked about here.
    void OpenLoanFile(const QString& path);
    // A loan file named on the command line: opened as File > Open opens it once its dialog has
    // closed, after its offer to save unsaved (recovered) loans.
    void OpenFromCommandLine(const QString& path);

    // From now on a recovery copy of unsaved loans is kept (in loan::UserFolders::State()), and
    // the copies that programs ended since have left are offered, one at a time, until the user
    // recovers one; the others wait for the next start. Called at start, after the start-up
    // message.
    void StartRecovery();
    // SIGTERM or SIGHUP: the copy of unsaved loans is brought up to date, and the program ends
    // without asking anything.
    void EndOnSignal();

    loan::LoanTable Table;    // its Grid is the loan table shown in GridView
    loan::LoanGrid GridQuery; // the loan query's staging table, shown (hidden) in GridQueryView
    loan::OpenFile File;      // the file Table belongs to
    PrintSettings Settings;
    FileDialogComponent dlgOpen;

    PictureBox* PicDravenholt = nullptr;
    PictureBox* PicNewUp = nullptr;
    PictureBox* PicNewDown = nullptr;
    PictureBox* PicEditUp = nullptr;
    PictureBox* PicEditDown = nullptr;
    PictureBox* PicDeleteUp = nullptr;
    PictureBox* PicDeleteDown = nullptr;
    PictureBox* PicSearchUp = nullptr;
    PictureBox* PicSearchDown = nullptr;
    LoanGridView* GridView = nullptr;
    LoanGridView* GridQueryView = nullptr;

    // Menu items by index; separators hold their places in the File menu.
    QAction* mnuFileItem(int index) const { return fileItems_.at(static_cast<std::size_t>(index)); }
    QAction* mnuGridItem(int index) const { return gridItems_.at(static_cast<std::size_t>(index)); }
    QAction* mnuHelpItem(int index) const { return helpItems_.at(static_cast<std::size_t>(index)); }

    enum FileItem {
        FileNew = 0,
        FileOpen = 1,
        FileSave = 3,
        FileSaveAs = 4,
        FilePrint = 6,
        FileExit = 8
    };
    enum GridItem { GridNew = 0, GridEdit = 1, GridDelete = 2, GridSearch = 3, GridSchedule = 4 };

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void SetCaption();
    void MakeUntitled();

    // A change of the table: the recovery copy follows it a moment later.
    void ScheduleRecoveryCopy();
    // A copy that could not be written is said once, until one is written again: the user
    // must not believe unsaved loans are kept when they are not.
    void CheckRecoveryCopy();

    void Form_Load();
    void Form_Resize();
    void Form_Unload(bool& Cancel);
    void mnuFileItem_Click(int index);
    void mnuGridItem_Click(int index);
    void mnuHelpItem_Click(int index);
    void Grid_DblClick();
    // Edit, Delete and Schedule at a right click or the menu key in the loan table.
    void Grid_ContextMenu(const QPoint& position);

    void PicNewUp_MouseDown();
    void PicNewUp_MouseUp();
    void PicEditUp_MouseDown();
    void PicEditUp_MouseUp();
    void PicDeleteUp_MouseDown();
    void PicDeleteUp_MouseUp();
    void PicSearchUp_MouseDown();
    void PicSearchUp_MouseUp();

    void FileNewCommand();
    void FileOpenCommand();
    void FileSaveCommand();
    void FileSaveAsCommand();
    void FileExitCommand();
    // Decides where Save writes: the current file, or for an untitled table a name chosen in the
    // Save dialog (asking before replacing an existing file). False when the user stopped it.
    bool PrepareSave(QString& target);
    // Asks what the open file says a save to target must ask, then writes the table there;
    // only a successful write makes target the current file. False when the user said No or
    // the write failed (the failure is shown).
    bool WriteLoanFile(const QString& target);
    void NewLoan();
    void FilePrintCommand();
    void Search();
    // The repayment schedule of the current row's loan.
    void ShowSchedule();

    // The loan details dialog: created on first reference, discarded once it has closed, so
    // every opening starts from its design state.
    frmLoanDetails& LoanDetails();
    void ShowLoanDetails();

    std::unique_ptr<GridModel> gridModel_;
    std::unique_ptr<GridModel> gridQueryModel_;
    std::unique_ptr<frmLoanDetails> details_;
    std::vector<QAction*> fileItems_;
    std::vector<QAction*> gridItems_;
    std::vector<QAction*> helpItems_;
    QMenu* mnuLoans_ = nullptr;
    bool exiting_ = false;
    QTimer* recoveryTimer_ = nullptr; // made by StartRecovery
    QTimer* recoveryCheck_ = nullptr;  // likewise
    bool recoveryFailureTold_ = false;
};
