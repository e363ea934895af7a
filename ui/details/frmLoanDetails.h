#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string_view>

class ClickLabel;
class QContextMenuEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class ResultsTable;

namespace loan {
class LoanGrid;
class LoanTable;
class OpenFile;
} // namespace loan

// The loan details dialog: entry of one loan with its results table recomputed at every key.
// It reads and writes the main window's loan table directly; makeUntitled detaches the table
// from its file (caption and file name) after a query by code.
// Unloading ends the dialog: Accepted after OK and Query, Rejected after Cancel or the title bar.
class frmLoanDetails : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kFields = 9;
    static constexpr int kCells = 15;
    static constexpr int kHeadings = 9;

    frmLoanDetails(loan::LoanTable& table, loan::LoanGrid& gridQuery,
                   std::function<void()> makeUntitled, QWidget* parent = nullptr);
    ~frmLoanDetails() override;

    QLineEdit* txtLoanRec(int index) const;
    QRadioButton* OptYes() const;
    QRadioButton* OptNo() const;
    QLabel* Cel(int index) const;

    // Writes a field as the program does: a loan's own text is never cut by the typing limit.
    void SetFieldText(int index, const QString& text);

    // Offered before a query replaces a table with unsaved loans; false keeps the dialog open.
    void SetSaveFirst(std::function<bool()> saveFirst) { saveFirst_ = std::move(saveFirst); }
    // Told when a query by example has dropped loans from the table.
    // Where the schedule's plan of a loan is kept; without it the schedule starts with no plan
    // and its plan is not kept.
    void SetPlans(loan::OpenFile* plans) { plans_ = plans; }
    void SetQueryDropped(std::function<void()> queryDropped) {
        queryDropped_ = std::move(queryDropped);
    }

    // Marks the three result cells of repayment time 1..5 as the chosen row (opening commands).
    void HighlightRepaymentTime(int index);

    // The rest of the dialog, for its tests and the window that opens it.
    QLabel* lblLoanRec(int index) const;
    QLabel* Gridf(int index) const;
    // The keyboard stop that holds the Gridf headings and the Cel cells.
    ResultsTable* Results() const { return results_; }
    QGroupBox* Frame1(int index) const;
    QGroupBox* FraActive() const { return FraActive_; }
    QPushButton* cmdQuery() const { return cmdQuery_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void BuildControls();
    void Form_Load();
    void Form_Paint();
    void Cel_Click(int index);
    void lblLoanRec_Click(int index);
    void cmdCancel_Click();
    void cmdOK_Click();
    void cmdQuery_Click();

    // Whether key, typed into number field index where it holds text (caret and selected as the
    // field has them), is taken.
    bool txtLoanRec_KeyPress(int index, std::u16string_view text, int caret, int selected,
                             int key) const;
    void txtLoanRec_KeyUp(int index, int keyCode);
    void txtLoanRec_GotFocus(int index);
    void txtLoanRec_LostFocus(int index);

    void SplitLoan(int index);
    void SplitIfChanged(int index);
    bool CalculateRepayments();

    void FieldFocusIn(int index);
    void FieldFocusOut(int index, QFocusEvent* event);
    int FieldIndexOf(const QObject* object) const;
    void ChooseRow(int row);
    void SetFieldBackground(int index, const QColor& colour);
    void ShowFailure(std::string_view message);

    // The repayment schedule of the loan as typed, for the chosen repayment time: Ctrl+R, or
    // the context menu over the results table.
    void BuildScheduleAccess();
    void ShowSchedule();
    QRect ResultsArea() const;

    loan::LoanTable& table_;
    loan::LoanGrid& gridQuery_;
    std::function<void()> makeUntitled_;
    std::function<bool()> saveFirst_;
    std::function<void()> queryDropped_;
    loan::OpenFile* plans_ = nullptr;

    std::array<QLineEdit*, kFields> txtLoanRec_{};
    std::array<ClickLabel*, kFields> lblLoanRec_{};
    std::array<QLabel*, 4> lblPercent_{};
    QLabel* lblYears_ = nullptr;
    std::array<QGroupBox*, 3> Frame1_{};
    QGroupBox* FraActive_ = nullptr;
    QRadioButton* OptYes_ = nullptr;
    QRadioButton* OptNo_ = nullptr;
    QPushButton* cmdQuery_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    ResultsTable* results_ = nullptr;
    std::array<QLabel*, kHeadings> Gridf_{};
    std::array<ClickLabel*, kCells> Cel_{};
    QMenu* mnuResults_ = nullptr;

    // The field whose got-focus handler ran last without its lost-focus handler. A focus change
    // that only follows the window's activation is not reported by the fields themselves, so
    // this is how a field learns it lost the focus while another window was in front.
    int focusedField_ = -1;

    // Each field's text when it gained the focus or was last split. Splitting an unchanged
    // principal or percent again would rebuild the amounts from the rounded percents and
    // change amounts the user typed (100000 becoming 99999).
    std::array<QString, kFields> splitBasis_{};
};
