#include "LoanGridView.h"

#include "ColumnHeadingDelegate.h"
#include "GridModel.h"
#include "ui/common/Twips.h"

#include <QHeaderView>
#include <QScrollBar>

namespace {

void SetUpView(QTableView& view) {
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectItems);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setWordWrap(false);
    view.setCornerButtonEnabled(false);
    // Tab leaves the grid for the next control instead of walking the cells.
    view.setTabKeyNavigation(false);
    view.verticalHeader()->hide();
    // Every row the same height, never measured: a million rows cost nothing per row here.
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.horizontalHeader()->setHighlightSections(false);
    view.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

LoanGridView::LoanGridView(GridModel& model, QWidget* parent)
    : QTableView(parent), model_(model), fixed_(new QTableView(this)) {
    SetUpView(*this);
    setModel(&model_);

    SetUpView(*fixed_);
    fixed_->setModel(&model_);
    fixed_->setSelectionModel(selectionModel());
    fixed_->setItemDelegateForColumn(0, new ColumnHeadingDelegate(fixed_));
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setFrameShape(QFrame::NoFrame);
    // A click on the fixed column focuses the grid itself.
    fixed_->setFocusPolicy(Qt::ClickFocus);
    fixed_->setFocusProxy(this);
    for (int c = 1; c < model_.columnCount(); ++c)
        fixed_->setColumnHidden(c, true);
    viewport()->stackUnder(fixed_);
    fixed_->show();

    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);

    for (int c = 0; c < model_.columnCount(); ++c)
        ApplyColumnWidth(c);
    connect(&model_, &GridModel::ColumnWidthSet, this, &LoanGridView::ApplyColumnWidth);
    connect(&model_, &GridModel::CurrentCellMoved, this, &LoanGridView::FollowGrid);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ViewCurrentChanged(current); });
    connect(this, &QAbstractItemView::doubleClicked, this, &LoanGridView::DblClick);
    connect(fixed_, &QAbstractItemView::doubleClicked, this, &LoanGridView::DblClick);

    FollowGrid();
    PlaceFixedColumn();
}

LoanGridView::~LoanGridView() = default;

void LoanGridView::ApplyColumnWidth(int col) {
    const int pixels = Twips::ToPixelsX(this, model_.Grid().ColWidth(col));
    setColumnWidth(col, pixels);
    if (col == 0) {
        fixed_->setColumnWidth(0, pixels);
        PlaceFixedColumn();
    }
}

// The grid's row 0 is the header: when it is current the view shows no current cell.
void LoanGridView::FollowGrid() {
    if (following_) return;
    following_ = true;
    const loan::LoanGrid& grid = model_.Grid();
    if (grid.Row() >= 1) {
        const QModelIndex at = model_.index(grid.Row() - 1, grid.Col());
        // The view's own scroll to a new current cell (at once, or when shown) would go
        // sideways; this one only brings the row into sight.
        const bool autoScroll = hasAutoScroll();
        setAutoScroll(false);
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        setAutoScroll(autoScroll);
        scrollTo(at);
    } else {
        selectionModel()->clear();
    }
    following_ = false;
}

void LoanGridView::ViewCurrentChanged(const QModelIndex& current) {
    if (following_ || focusing_ || model_.Changing() || !current.isValid()) return;
    following_ = true;
    loan::LoanGrid& grid = model_.Grid();
    grid.SetRow(current.row() + 1);
    grid.SetCol(current.column());
    following_ = false;
}

int LoanGridView::FixedWidth() const {
    return columnWidth(0);
}

void LoanGridView::PlaceFixedColumn() {
    const QRect area = viewport()->geometry();
    fixed_->setGeometry(area.left(), frameWidth(), FixedWidth(),
                        area.height() + horizontalHeader()->height());
}

void LoanGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    PlaceFixedColumn();
}

void LoanGridView::updateGeometries() {
    QTableView::updateGeometries();
    PlaceFixedColumn();
}

// Moving left onto a column hidden under the fixed one scrolls it into sight; reaching the fixed
// column by keys (Home, or Left from the first scrolling column) shows the start of the row.
QModelIndex LoanGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // A key that keeps the current cell (End on column 12 that the program made current) shows
    // where it is.
    if (current.isValid() && current == currentIndex()) scrollTo(current);
    if ((cursorAction == MoveHome || cursorAction == MoveLeft) && current.column() == 0) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    } else if (cursorAction == MoveLeft && current.column() > 0) {
        const int left = visualRect(current).left();
        if (left < FixedWidth())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - FixedWidth());
    }
    return current;
}

// Taking the focus picks no cell: a view with no current cell would make its first cell
// current, moving the grid's current cell behind the user's back. The view shows the grid's.
void LoanGridView::focusInEvent(QFocusEvent* event) {
    focusing_ = true;
    QTableView::focusInEvent(event);
    focusing_ = false;
    FollowGrid();
}

// The cells of column 0 are where the fixed column shows them, whatever the scrolling: that is
// where assistive tools and repaints must look for them.
QRect LoanGridView::visualRect(const QModelIndex& index) const {
    QRect rect = QTableView::visualRect(index);
    if (index.isValid() && index.column() == 0 && !rect.isNull()) rect.moveLeft(0);
    return rect;
}

void LoanGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) return;
    // The fixed column never scrolls sideways, and neither does the program moving the current
    // cell (after a save, say, to column 12): only the row is brought into sight. The user's own
    // moves scroll as usual.
    if (index.column() == 0 || following_) {
        const int across = horizontalScrollBar()->value();
        QTableView::scrollTo(index, hint);
        horizontalScrollBar()->setValue(across);
        return;
    }
    QTableView::scrollTo(index, hint);
    const int left = visualRect(index).left();
    if (left < FixedWidth())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - FixedWidth());
}
