// The main window: start-up, layout, menus, picture buttons, the grid and the loan commands,
// driven with real key and mouse events; every dialog and message box scripted.
#include "ScriptedInteraction.h"
#include "loan/LoanTable.h"
#include "ui/common/AppTitle.h"
#include "ui/common/BusyPointer.h"
#include "ui/common/Twips.h"
#include "ui/details/frmLoanDetails.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmSearch.h"
#include "ui/main/GridModel.h"
#include "ui/main/LoanGridView.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmLoan.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Answer = Interaction::Answer;
using Buttons = Interaction::Buttons;
using FileMode = Interaction::FileMode;
using Icon = Interaction::Icon;

namespace {

const QString kMustSelect = QStringLiteral("A Loan must be selected from the grid to Delete.");
const QString kDeleteQuestion = QStringLiteral("Delete the existing Loan?");

std::array<std::string, loan::kLoanCols> Loan(const std::string& code,
                                              const std::string& time = "Monthly",
                                              const std::string& active = "Yes") {
    return {code,  "250000", "25", "60",        "7.5",        "150000", "40",
            "6.9", "100000", time, "$1,500.00", "$18,000.00", active};
}

// What the details dialog held when it was shown.
struct Received {
    bool shown = false;
    QStringList boxes; // txtLoanRec 0..8
    bool yes = false, no = false;
    int highlighted = -1; // the repayment time whose three cells are marked, 0 for none
};

int HighlightedTime(const frmLoanDetails& details) {
    const QColor highlight =
        QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    int found = 0;
    for (int k = 1; k <= 5; ++k) {
        int marked = 0;
        for (int i = 0; i < 3; ++i)
            if (details.Cel(3 * (k - 1) + i)->palette().color(QPalette::Window) == highlight)
                ++marked;
        if (marked == 3) {
            if (found != 0) return -1;
            found = k;
        } else if (marked != 0) {
            return -1;
        }
    }
    return found;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedInteraction> ui;
    std::unique_ptr<frmLoan> w;

    // The text boxes as the dialog's own loading leaves them.
    QStringList DesignBoxes() {
        frmLoanDetails probe(w->Table, w->GridQuery, [] {});
        QStringList boxes;
        for (int i = 0; i < 9; ++i)
            boxes << probe.txtLoanRec(i)->text();
        return boxes;
    }

    static bool DetailsBuilt() {
        loan::LoanTable table;
        loan::LoanGrid staging(loan::kLoanCols, 2);
        frmLoanDetails probe(table, staging, [] {});
        return probe.txtLoanRec(0) && probe.OptYes() && probe.OptNo() && probe.Cel(0);
    }

    void Start() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectStartUp();
        w = std::make_unique<frmLoan>();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        ui->Clear();
    }

    void StartWithLoans(const std::vector<std::array<std::string, loan::kLoanCols>>& loans) {
        Start();
        for (const auto& texts : loans)
            w->Table.WriteLoan(w->Table.Grid.Rows() - 1, texts);
        w->Table.FileChanged = false;
        QApplication::processEvents();
    }

    void Ctrl(Qt::Key key) { QTest::keyClick(w->GridView, key, Qt::ControlModifier); }

    // Where a user clicks a cell once it is scrolled into sight: column 0 lies in the fixed
    // column, the others in the grid's own viewport.
    std::pair<QWidget*, QPoint> CellSpot(int modelRow, int col) {
        w->GridView->scrollTo(w->GridView->model()->index(modelRow, col));
        QTableView* view = col == 0 ? w->GridView->FixedColumn() : w->GridView;
        const QPoint centre = view->visualRect(view->model()->index(modelRow, col)).center();
        if (!view->viewport()->rect().contains(centre))
            qWarning("cell %d, %d is out of sight", modelRow, col);
        return {view->viewport(), centre};
    }

    void ClickCell(int modelRow, int col) {
        const auto [widget, at] = CellSpot(modelRow, col);
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }

    // Scripts the details dialog: records what it received and closes it with Cancel.
    void ExpectDetails(Received& got) {
        ui->ExpectDialog([&got](QDialog& dialog) {
            auto& details = static_cast<frmLoanDetails&>(dialog);
            got.shown = true;
            for (int i = 0; i < 9; ++i)
                got.boxes << details.txtLoanRec(i)->text();
            got.yes = details.OptYes()->isChecked();
            got.no = details.OptNo()->isChecked();
            got.highlighted = HighlightedTime(details);
            dialog.reject();
        });
    }

    // Checks the exchanges so far; the main window is active again, as after a real dialog.
    void Done() {
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        ui->Clear();
        QApplication::setActiveWindow(w.get());
    }

    // A double click is a click, then the second press.
    void DoubleClick(int modelRow, int col) {
        ClickCell(modelRow, col);
        const auto [widget, at] = CellSpot(modelRow, col);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    }

  private slots:
    void init() { QTest::failOnWarning(QRegularExpression("out of sight")); }
    void cleanup() {
        w.reset();
        ui.reset();
        BusyPointer::SetDefault();
    }

    // ---- Start-up and layout

    void startUpMessageComesBeforeTheWindow() {
        ui = std::make_unique<ScriptedInteraction>();
        ui->ExpectStartUp();
        w = std::make_unique<frmLoan>();
        QVERIFY2(ui->Done(), qPrintable(ui->Errors()));
        QVERIFY(!w->isVisible());
        QCOMPARE(w->windowTitle(), kAppTitle + QStringLiteral(" - Untitled"));
        QCOMPARE(w->Table.Grid.Rows(), 2);
        QVERIFY(w->Table.Grid.RowIsBlank(1));
        QCOMPARE(w->Table.Grid.Row(), 0);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QVERIFY(!w->Table.FileChanged);
        QVERIFY(!w->Settings.PrintAll);
        QVERIFY(!w->Settings.PrintActive);
        QVERIFY(!BusyPointer::IsBusy());
        QCOMPARE(w->dlgOpen.FileName, QString());
        QCOMPARE(w->dlgOpen.Filter, QStringLiteral("Loan Files (*.loa)"));
        QCOMPARE(w->dlgOpen.DefaultExt, QStringLiteral("loa"));
    }

    void headingsAndColumnWidths() {
        Start();
        QAbstractItemModel* model = w->GridView->model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->columnCount(), 13);
        for (int c = 0; c < 13; ++c) {
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(),
                     QString::fromLatin1(loan::kHeadings[std::size_t(c)].data(),
                                         qsizetype(loan::kHeadings[std::size_t(c)].size())));
            const int twips = c == 0 ? 2000 : c == 12 ? 800 : 1600;
            QCOMPARE(w->GridView->columnWidth(c), Twips::ToPixelsX(w->GridView, twips));
            QCOMPARE(w->GridView->horizontalHeader()->sectionResizeMode(c), QHeaderView::Fixed);
        }
        // The fixed column: a view of column 0 alone, over the grid's own column 0.
        QTableView* fixed = w->GridView->FixedColumn();
        QVERIFY(fixed->isVisible());
        QCOMPARE(fixed->model(), model);
        QCOMPARE(fixed->selectionModel(), w->GridView->selectionModel());
        QVERIFY(!fixed->isColumnHidden(0));
        for (int c = 1; c < 13; ++c)
            QVERIFY(fixed->isColumnHidden(c));
        QCOMPARE(fixed->width(), w->GridView->columnWidth(0));
        QVERIFY(!w->GridView->verticalHeader()->isVisible());
        // The staging grid: same columns, hidden, in its place.
        QVERIFY(!w->GridQueryView->isVisible());
        QCOMPARE(w->GridQueryView->model()->headerData(9, Qt::Horizontal).toString(),
                 QStringLiteral("Repayment Time"));
        QCOMPARE(w->GridQueryView->columnWidth(12), Twips::ToPixelsX(w.get(), 800));
        QCOMPARE(w->GridQueryView->geometry(),
                 QRect(Twips::ToPixelsX(w.get(), 240), Twips::ToPixelsY(w.get(), 1320),
                       Twips::ToPixelsX(w.get(), 8895), Twips::ToPixelsY(w.get(), 4695)));
    }

    void fixedColumnStaysWhenScrolledAcross() {
        StartWithLoans({Loan("HOME")});
        w->GridView->scrollTo(w->GridView->model()->index(0, 12));
        QVERIFY(w->GridView->horizontalScrollBar()->value() > 0);
        QTableView* fixed = w->GridView->FixedColumn();
        QCOMPARE(fixed->x(), w->GridView->viewport()->x());
        QCOMPARE(fixed->horizontalScrollBar()->value(), 0);
        // A click on the fixed column's cell picks column 0 of that row.
        const QPoint at = fixed->visualRect(fixed->model()->index(0, 0)).center();
        QTest::mouseClick(fixed->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->Table.Grid.Row(), 1);
        QCOMPARE(w->Table.Grid.Col(), 0);
        // A double click there opens the loan too.
        ui->ExpectDialog([](QDialog& d) { d.reject(); });
        QTest::mouseDClick(fixed->viewport(), Qt::LeftButton, {}, at);
        Done();
        QCOMPARE(w->Table.Grid.Col(), 12);
    }

    // Whatever the program does to the current cell, the view scrolls only as far up or down
    // as the row needs, never sideways: the first columns stay in sight beside the fixed one.
    void programMovesScrollNoSideways_data() {
        QTest::addColumn<QString>("command");
        for (const char* command : {"OK", "Delete", "Save", "Open", "Query"})
            QTest::newRow(command) << command;
    }
    void programMovesScrollNoSideways() {
        QFETCH(QString, command);
        std::vector<std::array<std::string, loan::kLoanCols>> loans;
        for (int i = 0; i < 40; ++i)
            loans.push_back(Loan("L" + std::to_string(i)));
        StartWithLoans(loans);
        w->resize(500, 400);
        QApplication::processEvents();
        QScrollBar* across = w->GridView->horizontalScrollBar();
        QScrollBar* down = w->GridView->verticalScrollBar();
        QVERIFY(across->maximum() > 0 && down->maximum() > 0);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("loans.loa"));
        if (command == "OK") {
            ui->ExpectDialog([](QDialog& dialog) {
                auto& details = static_cast<frmLoanDetails&>(dialog);
                const char* texts[] = {"250000", "25",  "60",     "7.5", "150000",
                                       "40",     "6.9", "100000", "NEW"};
                for (int i = 0; i < 9; ++i)
                    details.txtLoanRec(i)->setText(QString::fromLatin1(texts[i]));
                QTest::mouseClick(details.cmdOK(), Qt::LeftButton);
            });
            Ctrl(Qt::Key_N);
        } else if (command == "Delete") {
            ClickCell(1, 1);
            down->setValue(down->maximum());
            ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question,
                              Answer::Yes);
            Ctrl(Qt::Key_D);
        } else if (command == "Save") {
            ui->ExpectFile(FileMode::Save, path);
            Ctrl(Qt::Key_S);
        } else if (command == "Open") {
            ui->ExpectFile(FileMode::Save, path);
            Ctrl(Qt::Key_S);
            Done();
            w->OpenLoanFile(path);
        } else {
            ui->ExpectDialog([](QDialog& dialog) {
                auto& details = static_cast<frmLoanDetails&>(dialog);
                details.txtLoanRec(8)->setText(QStringLiteral("L39"));
                QTest::mouseClick(details.cmdQuery(), Qt::LeftButton);
            });
            Ctrl(Qt::Key_N);
        }
        Done();
        QApplication::processEvents();
        QVERIFY(w->Table.Grid.Row() >= 1);
        QCOMPARE(w->Table.Grid.Col(), command == "Delete" ? 1 : 12);
        QCOMPARE(across->value(), 0);
        // The current row is in sight.
        const QRect row = w->GridView->visualRect(w->GridView->currentIndex());
        QVERIFY(row.top() >= 0 && row.bottom() < w->GridView->viewport()->height());
        // The user's own moves still scroll.
        w->GridView->setFocus();
        QTest::keyClick(w->GridView, Qt::Key_End);
        QVERIFY(across->value() > 0);
    }

    // At any width the fixed column lies exactly over column 0: column 1 starts at its edge, and
    // column 0's cells are where the fixed column shows them, also to assistive tools.
    void fixedColumnCoversColumnZeroOnly_data() {
        QTest::addColumn<int>("width");
        for (int width : {400, 700, 1000, 1400, 1700})
            QTest::newRow(qPrintable(QString::number(width))) << width;
    }
    void fixedColumnCoversColumnZeroOnly() {
        QFETCH(int, width);
        StartWithLoans({Loan("HOME"), Loan("HOLIDAY UNIT"), Loan("OFFICE")});
        w->resize(width, 500);
        w->Table.Grid.SetRow(3);
        w->Table.Grid.SetCol(12);
        QApplication::processEvents();
        LoanGridView* grid = w->GridView;
        QTableView* fixed = grid->FixedColumn();
        QCOMPARE(fixed->geometry().left(), grid->viewport()->geometry().left());
        QCOMPARE(fixed->width(), grid->columnWidth(0));
        QCOMPARE(fixed->horizontalHeader()->height(), grid->horizontalHeader()->height());
        QCOMPARE(grid->visualRect(grid->model()->index(0, 1)).left(), grid->columnWidth(0));
        // Scrolled across by the user, column 0 is still reported where it is drawn.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
        for (int row = 0; row < 3; ++row) {
            const QModelIndex index = grid->model()->index(row, 0);
            const QRect drawn(fixed->viewport()->mapToGlobal(fixed->visualRect(index).topLeft()),
                              fixed->visualRect(index).size());
            QAccessibleInterface* cell = table->tableInterface()->cellAt(row, 0);
            QCOMPARE(cell->rect(), drawn);
            QVERIFY(!cell->state().invisible);
        }
    }

    // Giving the grid the focus picks no cell: the heading row stays current.
    void focusLeavesTheCurrentCell() {
        StartWithLoans({Loan("HOME"), Loan("CAR")});
        w->Table.Grid.SetRow(0);
        w->Table.Grid.SetCol(12);
        w->PicSearchUp->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->PicSearchUp, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->GridView);
        QCOMPARE(w->Table.Grid.Row(), 0);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QVERIFY(!w->GridView->currentIndex().isValid());
        // A loan row current keeps its place too.
        w->GridView->clearFocus();
        w->Table.Grid.SetRow(2);
        w->Table.Grid.SetCol(4);
        w->GridView->setFocus(Qt::TabFocusReason);
        QCOMPARE(w->Table.Grid.Row(), 2);
        QCOMPARE(w->Table.Grid.Col(), 4);
        QCOMPARE(w->GridView->currentIndex(), w->GridView->model()->index(1, 4));
    }

    void homeKeyShowsTheStartOfTheRow() {
        StartWithLoans({Loan("HOME")});
        w->Table.Grid.SetRow(1);
        w->Table.Grid.SetCol(5);
        w->GridView->setFocus();
        QTest::keyClick(w->GridView, Qt::Key_End);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QVERIFY(w->GridView->horizontalScrollBar()->value() > 0);
        QTest::keyClick(w->GridView, Qt::Key_Home);
        QCOMPARE(w->Table.Grid.Col(), 0);
        QCOMPARE(w->GridView->horizontalScrollBar()->value(), 0);
    }

    void picturesInTheirPlaces() {
        Start();
        const auto twips = [this](const QWidget* widget) {
            const QRect r = widget->geometry();
            return QRect(Twips::FromPixelsX(w.get(), r.x()), Twips::FromPixelsY(w.get(), r.y()),
                         Twips::FromPixelsX(w.get(), r.width()),
                         Twips::FromPixelsY(w.get(), r.height()));
        };
        QCOMPARE(twips(w->PicDravenholt), QRect(0, 0, 3675, 1035));
        struct Pair {
            PictureBox *up, *down;
            int left;
        };
        for (const Pair& pair :
             {Pair{w->PicNewUp, w->PicNewDown, 3720}, Pair{w->PicEditUp, w->PicEditDown, 4800},
              Pair{w->PicDeleteUp, w->PicDeleteDown, 5880},
              Pair{w->PicSearchUp, w->PicSearchDown, 6960}}) {
            QCOMPARE(twips(pair.up), QRect(pair.left, 15, 990, 975));
            QCOMPARE(pair.down->geometry(), pair.up->geometry());
            QCOMPARE(pair.up->Picture().size(), QSize(66, 65));
            QCOMPARE(pair.down->Picture().size(), QSize(66, 65));
            // The raised picture lies over the pressed one.
            QCOMPARE(pair.up->parentWidget()->childAt(pair.up->geometry().center()), pair.up);
        }
        QCOMPARE(w->PicDravenholt->Picture().size(), QSize(241, 65));
    }

    void resizeRule_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("larger") << 900 << 700;
        QTest::newRow("smaller") << 500 << 300;
        QTest::newRow("design") << 627 << 452;
    }
    void resizeRule() {
        QFETCH(int, width);
        QFETCH(int, height);
        Start();
        w->resize(width, height);
        QApplication::processEvents();
        const int W = Twips::FromPixelsX(w.get(), w->frameGeometry().width());
        const int H = Twips::FromPixelsY(w.get(), w->frameGeometry().height());
        QVERIFY(1320 + 1800 < H);
        QCOMPARE(w->GridView->width(), Twips::ToPixelsX(w.get(), W - 800));
        QCOMPARE(w->GridView->height(), Twips::ToPixelsY(w.get(), H - 2200));
        QCOMPARE(w->GridView->pos(),
                 QPoint(Twips::ToPixelsX(w.get(), 240), Twips::ToPixelsY(w.get(), 1320)));
        QCOMPARE(w->GridQueryView->height(), Twips::ToPixelsY(w.get(), 4695));
        QCOMPARE(w->PicSearchUp->x(), Twips::ToPixelsX(w.get(), 6960));
    }

    void resizeTooLowKeepsTheGridHeight() {
        Start();
        w->resize(700, 400);
        QApplication::processEvents();
        const int before = w->GridView->height();
        // Top plus 1800 twips reaches the window's height: only the width follows.
        const int low = Twips::ToPixelsY(w.get(), 3000);
        w->resize(800, low);
        QApplication::processEvents();
        QVERIFY(1320 + 1800 >= Twips::FromPixelsY(w.get(), w->frameGeometry().height()));
        QCOMPARE(w->GridView->height(), before);
        QCOMPARE(w->GridView->width(),
                 Twips::ToPixelsX(w.get(),
                                  Twips::FromPixelsX(w.get(), w->frameGeometry().width()) - 800));
    }

    // The Tab cycle: the four buttons, the grid, the logo; the pressed pictures are no stops.
    void focusOrderAndNames() {
        StartWithLoans({Loan("HOME")});
        const QList<QWidget*> expected = {w->PicNewUp,    w->PicEditUp, w->PicDeleteUp,
                                          w->PicSearchUp, w->GridView,  w->PicDravenholt};
        w->PicNewUp->setFocus(Qt::TabFocusReason);
        QList<QWidget*> order = {QApplication::focusWidget()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget();
        }
        QCOMPARE(order, expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->PicNewUp);
        for (PictureBox* pressed :
             {w->PicNewDown, w->PicEditDown, w->PicDeleteDown, w->PicSearchDown})
            QCOMPARE(pressed->focusPolicy(), Qt::NoFocus);

        QCOMPARE(w->PicNewUp->accessibleName(), QStringLiteral("New Loan"));
        QCOMPARE(w->PicEditUp->accessibleName(), QStringLiteral("Edit Loan"));
        QCOMPARE(w->PicDeleteUp->accessibleName(), QStringLiteral("Delete Loan"));
        QCOMPARE(w->PicSearchUp->accessibleName(), QStringLiteral("Search"));
        QCOMPARE(w->GridView->accessibleName(), QStringLiteral("Loans"));
        for (QWidget* control : expected)
            QVERIFY(!control->accessibleName().isEmpty());
    }

    // Assistive tools see one push button per picture button, and an image for the logo.
    void pictureButtonsToAssistiveTools() {
        Start();
        QAccessibleInterface* client =
            QAccessible::queryAccessibleInterface(w->PicNewUp->parentWidget());
        QList<QObject*> children;
        for (int i = 0; i < client->childCount(); ++i) {
            QCOMPARE(client->indexOfChild(client->child(i)), i);
            children << client->child(i)->object();
        }
        for (PictureBox* up : {w->PicNewUp, w->PicEditUp, w->PicDeleteUp, w->PicSearchUp}) {
            QVERIFY(children.contains(up));
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(up);
            QCOMPARE(face->role(), QAccessible::Button);
            QVERIFY(face->state().focusable);
            QVERIFY(face->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
        }
        for (PictureBox* down : {w->PicNewDown, w->PicEditDown, w->PicDeleteDown, w->PicSearchDown})
            QVERIFY(!children.contains(down));
        QVERIFY(children.contains(w->GridView));
        QCOMPARE(QAccessible::queryAccessibleInterface(w->PicDravenholt)->role(),
                 QAccessible::Graphic);
        // The press action runs the command once the tool has its answer.
        ui->ExpectMessage(kMustSelect, kAppTitle, Buttons::OK, Icon::Information);
        QAccessible::queryAccessibleInterface(w->PicDeleteUp)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!ui->Done());
        QTRY_VERIFY(ui->Done());
        Done();
    }

    void menus() {
        Start();
        const QList<QAction*> bar = w->menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->text(), QStringLiteral("&File"));
        QCOMPARE(bar[1]->text(), QStringLiteral("&Grid"));
        QCOMPARE(bar[2]->text(), QStringLiteral("&Help"));
        struct Item {
            QAction* action;
            const char* caption;
            QKeySequence shortcut;
        };
        const Item items[] = {
            {w->mnuFileItem(0), "&New", {}},
            {w->mnuFileItem(1), "&Open", QKeySequence("Ctrl+O")},
            {w->mnuFileItem(3), "&Save", QKeySequence("Ctrl+S")},
            {w->mnuFileItem(4), "Save &As", QKeySequence("Ctrl+A")},
            {w->mnuFileItem(6), "&Print", QKeySequence("Ctrl+P")},
            {w->mnuFileItem(8), "E&xit", {}},
            {w->mnuGridItem(0), "&New", QKeySequence("Ctrl+N")},
            {w->mnuGridItem(1), "&Edit", QKeySequence("Ctrl+E")},
            {w->mnuGridItem(2), "&Delete", QKeySequence("Ctrl+D")},
            {w->mnuGridItem(3), "&Search", QKeySequence("Ctrl+C")},
            {w->mnuHelpItem(0), "&About", {}},
        };
        for (const Item& item : items) {
            QCOMPARE(item.action->text(), QString::fromLatin1(item.caption));
            QCOMPARE(item.action->shortcut(), item.shortcut);
            QVERIFY(item.action->isEnabled() && item.action->isVisible() &&
                    !item.action->isCheckable());
        }
        for (int i : {2, 5, 7})
            QVERIFY(w->mnuFileItem(i)->isSeparator());
        QCOMPARE(bar[0]->menu()->actions().size(), 9);
    }

    // Every item through its menu's access key and its own, as a keyboard user reaches it.
    void menuAccessKeys_data() {
        QTest::addColumn<int>("menuKey");
        QTest::addColumn<int>("itemKey");
        QTest::addColumn<QString>("expect");
        QTest::newRow("File > Open") << int(Qt::Key_F) << int(Qt::Key_O) << "open";
        QTest::newRow("File > Save") << int(Qt::Key_F) << int(Qt::Key_S) << "save";
        QTest::newRow("File > Save As") << int(Qt::Key_F) << int(Qt::Key_A) << "save";
        QTest::newRow("File > Print") << int(Qt::Key_F) << int(Qt::Key_P) << "print";
        QTest::newRow("Grid > New") << int(Qt::Key_G) << int(Qt::Key_N) << "details";
        QTest::newRow("Grid > Edit") << int(Qt::Key_G) << int(Qt::Key_E) << "details";
        QTest::newRow("Grid > Delete") << int(Qt::Key_G) << int(Qt::Key_D) << "delete";
        QTest::newRow("Grid > Search") << int(Qt::Key_G) << int(Qt::Key_S) << "search";
        QTest::newRow("Help > About") << int(Qt::Key_H) << int(Qt::Key_A) << "about";
    }
    void menuAccessKeys() {
        QFETCH(int, menuKey);
        QFETCH(int, itemKey);
        QFETCH(QString, expect);
        Start();
        if (expect == "open")
            ui->ExpectFile(FileMode::Open, std::nullopt);
        else if (expect == "save")
            ui->ExpectFile(FileMode::Save, std::nullopt);
        else if (expect == "print")
            ui->ExpectMessage(
                QStringLiteral("A Loan must be selected to print. Select a Loan from the grid."),
                QStringLiteral("Printing Loan."), Buttons::OK, Icon::Question);
        else if (expect == "delete")
            ui->ExpectMessage(kMustSelect, kAppTitle, Buttons::OK, Icon::Information);
        else
            ui->ExpectDialog([expect](QDialog& dialog) {
                if (expect == "details") QVERIFY(qobject_cast<frmLoanDetails*>(&dialog));
                if (expect == "search") QVERIFY(qobject_cast<frmSearch*>(&dialog));
                if (expect == "about") QVERIFY(qobject_cast<frmAbout*>(&dialog));
                dialog.reject();
            });
        QTest::keyClick(w.get(), Qt::Key(menuKey), Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key(itemKey));
        Done();
    }

    // Ctrl+A and Ctrl+C are the grid's select-all and copy keys too; the window's menu wins.
    void shortcutsWorkFromTheGrid() {
        StartWithLoans({Loan("HOME")});
        ClickCell(0, 1);
        QVERIFY(QApplication::activeWindow() == w.get());
        QCOMPARE(QApplication::focusWidget(), w->GridView);
        ui->ExpectFile(FileMode::Save, std::nullopt);
        Ctrl(Qt::Key_A);
        Done();
        ui->ExpectDialog([](QDialog& dialog) {
            QVERIFY(qobject_cast<frmSearch*>(&dialog));
            dialog.reject();
        });
        Ctrl(Qt::Key_C);
        Done();
        // The grid's own select-all and copy did not run either.
        QCOMPARE(w->GridView->selectionModel()->selectedIndexes().size(), 1);
        // And from a picture button that has the focus.
        w->PicSearchUp->setFocus();
        QCOMPARE(QApplication::focusWidget(), w->PicSearchUp);
        ui->ExpectFile(FileMode::Save, std::nullopt);
        QTest::keyClick(w->PicSearchUp, Qt::Key_A, Qt::ControlModifier);
        Done();
    }

    // Holding a shortcut down runs its command once, not once for each repeat of the key.
    void heldShortcutRunsOnce() {
        StartWithLoans({Loan("HOME"), Loan("CAR")});
        ClickCell(0, 0);
        ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question, Answer::No);
        QTest::simulateEvent(w->GridView, true, Qt::Key_D, Qt::ControlModifier, QString(), false);
        for (int i = 0; i < 3; ++i)
            QTest::simulateEvent(w->GridView, true, Qt::Key_D, Qt::ControlModifier, QString(),
                                 true);
        QTest::simulateEvent(w->GridView, false, Qt::Key_D, Qt::ControlModifier, QString(), false);
        Done();
        QCOMPARE(w->Table.Grid.Rows(), 4);
    }

    // ---- The grid and its current cell

    void clickAndKeysSetTheCurrentCell() {
        StartWithLoans({Loan("HOME"), Loan("CAR"), Loan("BOAT")});
        ClickCell(1, 3);
        QCOMPARE(w->Table.Grid.Row(), 2);
        QCOMPARE(w->Table.Grid.Col(), 3);
        QCOMPARE(w->Table.Grid.Text(), std::string_view("60"));
        w->GridView->setFocus();
        QTest::keyClick(w->GridView, Qt::Key_Down);
        QTest::keyClick(w->GridView, Qt::Key_Right);
        QCOMPARE(w->Table.Grid.Row(), 3);
        QCOMPARE(w->Table.Grid.Col(), 4);
        // And from code back to the view.
        w->Table.Grid.SetRow(1);
        w->Table.Grid.SetCol(9);
        QCOMPARE(w->GridView->currentIndex(), w->GridView->model()->index(0, 9));
        w->Table.Grid.SetRow(0);
        QVERIFY(!w->GridView->currentIndex().isValid());
    }

    void modelFollowsTheGrid() {
        Start();
        QAbstractItemModelTester tester(w->GridView->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w->Table.WriteLoan(1, Loan("HOME"));
        w->Table.WriteLoan(2, Loan("CAR"));
        QCOMPARE(w->GridView->model()->rowCount(), 3);
        QCOMPARE(w->GridView->model()->index(1, 0).data().toString(), QStringLiteral("CAR"));
        w->Table.DeleteLoan(1);
        QCOMPARE(w->GridView->model()->rowCount(), 2);
        QCOMPARE(w->GridView->model()->index(0, 0).data().toString(), QStringLiteral("CAR"));
        w->Table.Grid.SetTextAt(0, 0, "Code");
        QCOMPARE(w->GridView->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Code"));
    }

    // ---- Picture buttons

    void pictureButtonPressAndRelease_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("New") << "New";
        QTest::newRow("Edit") << "Edit";
        QTest::newRow("Delete") << "Delete";
        QTest::newRow("Search") << "Search";
    }
    void pictureButtonPressAndRelease() {
        QFETCH(QString, button);
        StartWithLoans({Loan("HOME")});
        PictureBox* up = w->findChild<PictureBox*>("Pic" + button + "Up");
        PictureBox* down = w->findChild<PictureBox*>("Pic" + button + "Down");
        QVERIFY(up && down);
        w->Table.Grid.SetRow(w->Table.Grid.Rows() - 1);
        // Nothing happens on the pressed picture itself.
        QTest::mouseClick(down, Qt::LeftButton);
        Done();

        QTest::mousePress(up, Qt::LeftButton);
        QVERIFY(!up->PictureShown());
        QVERIFY(down->isVisible() && down->PictureShown());
        // The raised picture keeps the mouse, so the release comes back to it.
        QCOMPARE(up->parentWidget()->childAt(up->geometry().center()), up);
        Done(); // nothing runs on the press
        if (button == "Delete")
            ui->ExpectMessage(kMustSelect, kAppTitle, Buttons::OK, Icon::Information);
        else if (button == "Search")
            ui->ExpectDialog([](QDialog& d) {
                QVERIFY(qobject_cast<frmSearch*>(&d));
                d.reject();
            });
        else
            ui->ExpectDialog([](QDialog& d) {
                QVERIFY(qobject_cast<frmLoanDetails*>(&d));
                d.reject();
            });
        QTest::mouseRelease(up, Qt::LeftButton);
        QVERIFY(up->PictureShown());
        Done();
        // Space presses the button as the mouse does: down shows the pressed picture, up runs
        // the command. Enter is a whole click; held keys run the command once.
        const auto expectCommand = [&] {
            if (button == "Delete")
                ui->ExpectMessage(kMustSelect, kAppTitle, Buttons::OK, Icon::Information);
            else
                ui->ExpectDialog([](QDialog& d) { d.reject(); });
        };
        up->setFocus(Qt::TabFocusReason);
        QTest::keyPress(up, Qt::Key_Space);
        QVERIFY(!up->PictureShown());
        QVERIFY(QAccessible::queryAccessibleInterface(up)->state().pressed);
        QTest::simulateEvent(up, true, Qt::Key_Space, {}, QStringLiteral(" "), true);
        Done();
        expectCommand();
        QTest::keyRelease(up, Qt::Key_Space);
        QVERIFY(up->PictureShown());
        Done();
        expectCommand();
        QTest::keyClick(up, Qt::Key_Return);
        QTest::simulateEvent(up, true, Qt::Key_Return, {}, QStringLiteral("\r"), true);
        Done();
        expectCommand();
        QTest::keyClick(up, Qt::Key_Enter, Qt::KeypadModifier);
        Done();
        // Leaving with Space down lets the button up without a command.
        up->setFocus(Qt::TabFocusReason);
        QTest::keyPress(up, Qt::Key_Space);
        w->GridView->setFocus(Qt::TabFocusReason);
        QVERIFY(up->PictureShown());
        QTest::keyRelease(up, Qt::Key_Space);
        Done();
        // The pressed picture is no button.
        QTest::keyClick(down, Qt::Key_Space);
        Done();
    }

    // ---- New and Edit

    void newLoanOpensMonthly() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        StartWithLoans({Loan("HOME", "Weekly", "No")});
        w->Table.RepaymentTimeIndex = 1;
        Received got;
        ExpectDetails(got);
        Ctrl(Qt::Key_N);
        Done();
        QVERIFY(got.shown);
        QCOMPARE(w->Table.RepaymentTimeIndex, 4);
        QCOMPARE(got.highlighted, 4);
        QCOMPARE(got.boxes, DesignBoxes());
    }

    void editCopiesTheRow_data() {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("active");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Weekly, No") << "Weekly"
                                    << "No" << 1 << false;
        QTest::newRow("Fortnightly") << "Fortnightly"
                                     << "Yes" << 2 << true;
        QTest::newRow("Bi Monthly") << "Bi Monthly"
                                    << "Yes" << 3 << true;
        QTest::newRow("Quarterly") << "Quarterly"
                                   << "Yes" << 5 << true;
        QTest::newRow("wrong case") << "monthly"
                                    << "Yes" << 4 << true;
        QTest::newRow("dialog spelling") << "Quaterly"
                                         << "Yes" << 4 << true;
        QTest::newRow("empty time, empty active") << ""
                                                  << "" << 4 << true;
        QTest::newRow("lower-case no") << "Weekly"
                                       << "no" << 1 << true;
    }
    void editCopiesTheRow() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        QFETCH(QString, time);
        QFETCH(QString, active);
        QFETCH(int, index);
        QFETCH(bool, yes);
        const std::array<std::string, loan::kLoanCols> texts = {"HOME",
                                                                "1",
                                                                "2",
                                                                "3",
                                                                "4",
                                                                "5",
                                                                "6",
                                                                "7",
                                                                "8",
                                                                time.toStdString(),
                                                                "$9",
                                                                "$10",
                                                                active.toStdString()};
        StartWithLoans({Loan("FIRST"), texts});
        Received got;
        ExpectDetails(got);
        DoubleClick(1, 4);
        Done();
        QVERIFY(got.shown);
        QCOMPARE(got.boxes, QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "HOME"}));
        QCOMPARE(w->Table.RepaymentTimeIndex, index);
        QCOMPARE(got.highlighted, index);
        QCOMPARE(got.yes, yes);
        QCOMPARE(got.no, !yes);
        // Left at column 12 of the row.
        QCOMPARE(w->Table.Grid.Row(), 2);
        QCOMPARE(w->Table.Grid.Col(), 12);
        QCOMPARE(w->GridView->currentIndex(), w->GridView->model()->index(1, 12));
    }

    void editKeepsTextsLongerThanTheTypingLimit() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        // A split can give a seven-character percent; cutting it would change the loan on OK.
        auto texts = Loan("OVER");
        texts[3] = "133.333";
        texts[6] = "-33.333";
        StartWithLoans({texts});
        Received got;
        ExpectDetails(got);
        DoubleClick(0, 4);
        Done();
        QVERIFY(got.shown);
        QCOMPARE(got.boxes.value(2), QStringLiteral("133.333"));
        QCOMPARE(got.boxes.value(5), QStringLiteral("-33.333"));
    }

    void editOfTheBlankRowOrTheHeadingIsANewLoan() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        StartWithLoans({Loan("HOME", "Weekly", "No")});
        // Right after start-up the heading row is current.
        w->Table.Grid.SetRow(0);
        Received atHeading;
        ExpectDetails(atHeading);
        Ctrl(Qt::Key_E);
        Done();
        QCOMPARE(atHeading.boxes, DesignBoxes());
        QCOMPARE(atHeading.highlighted, 4);
        QVERIFY(atHeading.yes);

        Received atBlank;
        ExpectDetails(atBlank);
        DoubleClick(1, 2);
        Done();
        QCOMPARE(atBlank.boxes, QStringList(9, QString()));
        QCOMPARE(atBlank.highlighted, 4);
        QVERIFY(atBlank.yes);
    }

    // Each opening starts from the dialog's design state.
    void detailsDialogIsFreshEachTime() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        StartWithLoans({Loan("HOME", "Weekly", "No")});
        QDialog* first = nullptr;
        ui->ExpectDialog([&first](QDialog& d) {
            first = &d;
            d.reject();
        });
        DoubleClick(0, 1);
        Done();
        QVERIFY(first);
        QVERIFY(w->findChildren<frmLoanDetails*>().isEmpty());
        Received got;
        ExpectDetails(got);
        Ctrl(Qt::Key_N);
        Done();
        QCOMPARE(got.boxes, DesignBoxes());
        QVERIFY(got.yes);
    }

    void searchFindsAndEdits() {
        if (!DetailsBuilt()) QSKIP("loan details dialog not built yet");
        StartWithLoans({Loan("HOME"), Loan("CAR", "Quarterly")});
        Received got;
        ui->ExpectDialog([this, &got](QDialog& d) {
            auto* code = d.findChild<QLineEdit*>("txtMorgageCode");
            auto* ok = d.findChild<QPushButton*>("cmdOK");
            QVERIFY(code && ok);
            QTest::keyClicks(code, "car");
            ExpectDetails(got);
            QTest::mouseClick(ok, Qt::LeftButton);
            if (d.isVisible()) d.reject();
        });
        Ctrl(Qt::Key_C);
        Done();
        QVERIFY(got.shown);
        QCOMPARE(got.boxes.last(), QStringLiteral("CAR"));
        QCOMPARE(got.highlighted, 5);
    }

    void searchWaitsWhileBusy() {
        Start();
        BusyPointer::SetBusy();
        Ctrl(Qt::Key_C);
        BusyPointer::SetDefault();
        Done();
    }

    // ---- Delete

    void deleteNeedsASelectedLoan_data() {
        QTest::addColumn<int>("loans");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("busy");
        QTest::newRow("empty table") << 0 << 1 << 0 << false;
        QTest::newRow("blank last row") << 2 << 3 << 0 << false;
        QTest::newRow("empty cell of a loan") << 2 << 1 << 11 << false;
        QTest::newRow("heading row") << 2 << 0 << 0 << false;
        QTest::newRow("busy") << 2 << 1 << 0 << true;
    }
    void deleteNeedsASelectedLoan() {
        QFETCH(int, loans);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(bool, busy);
        Start();
        for (int i = 0; i < loans; ++i)
            w->Table.WriteLoan(i + 1, Loan("L" + std::to_string(i)));
        if (loans > 0) w->Table.Grid.SetTextAt(1, 11, "  ");
        w->Table.FileChanged = false;
        w->Table.Grid.SetRow(row);
        w->Table.Grid.SetCol(col);
        if (busy) BusyPointer::SetBusy();
        ui->ExpectMessage(kMustSelect, kAppTitle, Buttons::OK, Icon::Information);
        Ctrl(Qt::Key_D);
        BusyPointer::SetDefault();
        Done();
        QCOMPARE(w->Table.Grid.Rows(), loans + 2);
        QVERIFY(!w->Table.FileChanged);
    }

    // Only spaces around the current cell make it blank; a tab is text.
    void deleteTakesACellOfATabForALoan() {
        StartWithLoans({Loan("\t"), Loan("CAR")});
        w->Table.Grid.SetRow(1);
        w->Table.Grid.SetCol(0);
        ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question, Answer::No);
        Ctrl(Qt::Key_D);
        Done();
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(Answer::Yes);
        QTest::newRow("No") << int(Answer::No);
    }
    void deleteAsksFirst() {
        QFETCH(int, answer);
        StartWithLoans({Loan("HOME"), Loan("CAR"), Loan("BOAT")});
        ClickCell(1, 2);
        ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question,
                          Answer(answer));
        Ctrl(Qt::Key_D);
        Done();
        QStringList codes;
        for (int r = 1; r < w->Table.Grid.Rows(); ++r)
            codes << QString::fromStdString(std::string(w->Table.Grid.TextAt(r, 0)));
        if (Answer(answer) == Answer::Yes) {
            QCOMPARE(codes, QStringList({"HOME", "BOAT", ""}));
            QVERIFY(w->Table.FileChanged);
            QCOMPARE(w->GridView->model()->rowCount(), 3);
        } else {
            QCOMPARE(codes, QStringList({"HOME", "CAR", "BOAT", ""}));
            QVERIFY(!w->Table.FileChanged);
        }
    }

    // The view shows the grid's current cell after a delete, so the next Delete removes the
    // loan the user sees selected.
    void deleteKeepsViewAndGridTogether_data() {
        QTest::addColumn<int>("clicked"); // model row
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("currentCode");
        QTest::newRow("first loan") << 0 << QStringList({"CAR", "BOAT", ""}) << "CAR";
        QTest::newRow("middle loan") << 1 << QStringList({"HOME", "BOAT", ""}) << "BOAT";
        QTest::newRow("last loan") << 2 << QStringList({"HOME", "CAR", ""}) << "";
    }
    void deleteKeepsViewAndGridTogether() {
        QFETCH(int, clicked);
        QFETCH(QStringList, left);
        QFETCH(QString, currentCode);
        StartWithLoans({Loan("HOME"), Loan("CAR"), Loan("BOAT")});
        ClickCell(clicked, 0);
        ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question, Answer::Yes);
        Ctrl(Qt::Key_D);
        Done();
        QStringList codes;
        for (int r = 1; r < w->Table.Grid.Rows(); ++r)
            codes << QString::fromStdString(std::string(w->Table.Grid.TextAt(r, 0)));
        QCOMPARE(codes, left);
        // The rows below moved up: the same row number is current, now the next loan.
        QCOMPARE(w->Table.Grid.Row(), clicked + 1);
        QCOMPARE(w->Table.Grid.Col(), 0);
        QCOMPARE(QString::fromStdString(std::string(w->Table.Grid.Text())), currentCode);
        QCOMPARE(w->GridView->currentIndex(), w->GridView->model()->index(clicked, 0));
    }

    void deleteOfTheOnlyLoanLeavesTheEmptyTable() {
        StartWithLoans({Loan("HOME")});
        ClickCell(0, 0);
        ui->ExpectMessage(kDeleteQuestion, "Delete", Buttons::YesNo, Icon::Question, Answer::Yes);
        Ctrl(Qt::Key_D);
        Done();
        QCOMPARE(w->Table.Grid.Rows(), 2);
        QVERIFY(w->Table.Grid.RowIsBlank(1));
    }

    void printAsksForASelectedLoan() {
        Start();
        ui->ExpectMessage(
            QStringLiteral("A Loan must be selected to print. Select a Loan from the grid."),
            QStringLiteral("Printing Loan."), Buttons::OK, Icon::Question);
        Ctrl(Qt::Key_P);
        Done();
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
