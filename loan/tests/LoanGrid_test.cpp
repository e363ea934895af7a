#include "loan/LoanGrid.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using loan::LoanGrid;

// Records what a view would hear, as short words.
class Recorder : public loan::LoanGridListener {
  public:
    std::vector<std::string> calls;
    void GridAboutToReset() override { calls.push_back("aboutToReset"); }
    void GridReset() override { calls.push_back("reset"); }
    void RowsAboutToBeInserted(int first, int last) override {
        calls.push_back("aboutToInsert " + std::to_string(first) + "-" + std::to_string(last));
    }
    void RowsInserted() override { calls.push_back("inserted"); }
    void RowsAboutToBeRemoved(int first, int last) override {
        calls.push_back("aboutToRemove " + std::to_string(first) + "-" + std::to_string(last));
    }
    void RowsRemoved() override { calls.push_back("removed"); }
    void CellChanged(int row, int col) override {
        calls.push_back("cell " + std::to_string(row) + "," + std::to_string(col));
    }
    void CurrentCellChanged() override { calls.push_back("current"); }
    void ColumnWidthChanged(int col) override { calls.push_back("width " + std::to_string(col)); }
};

using Calls = std::vector<std::string>;

TEST(LoanGrid, StartsWithTwoBlankRowsOfThirteenColumns) {
    LoanGrid grid;
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 13);
    EXPECT_TRUE(grid.RowIsBlank(0));
    EXPECT_TRUE(grid.RowIsBlank(1));
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.Col(), 0);
}

TEST(LoanGrid, RejectsNoColumns) {
    EXPECT_THROW(LoanGrid(0), std::invalid_argument);
    EXPECT_THROW(LoanGrid(-1), std::invalid_argument);
}

TEST(LoanGrid, WritingRowsKeepsAddsBlankAndDrops) {
    LoanGrid grid(3, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            grid.SetTextAt(r, c, std::to_string(r) + ":" + std::to_string(c));

    grid.SetRows(6);
    ASSERT_EQ(grid.Rows(), 6);
    EXPECT_EQ(grid.TextAt(3, 2), "3:2");
    EXPECT_TRUE(grid.RowIsBlank(4));
    EXPECT_TRUE(grid.RowIsBlank(5));

    grid.SetRows(2);
    ASSERT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.TextAt(0, 0), "0:0");
    EXPECT_EQ(grid.TextAt(1, 2), "1:2");

    // Rows that come back after being dropped are blank, not the old ones.
    grid.SetRows(4);
    EXPECT_TRUE(grid.RowIsBlank(2));
    EXPECT_TRUE(grid.RowIsBlank(3));
}

TEST(LoanGrid, AnyRowIncludingHeadingCanBeCurrent) {
    LoanGrid grid(13, 3);
    grid.SetRow(2);
    grid.SetCol(12);
    grid.SetText("Yes");
    EXPECT_EQ(grid.TextAt(2, 12), "Yes");
    grid.SetRow(0);
    grid.SetCol(0);
    grid.SetText("Loan Code");
    EXPECT_EQ(grid.Text(), "Loan Code");
    EXPECT_THROW(grid.SetRow(3), std::out_of_range);
    EXPECT_THROW(grid.SetRow(-1), std::out_of_range);
    EXPECT_THROW(grid.SetCol(13), std::out_of_range);
    EXPECT_THROW(grid.TextAt(0, 13), std::out_of_range);
}

TEST(LoanGrid, TextReadsBackExactly) {
    LoanGrid grid(13, 2);
    const std::vector<std::string> texts = {"",
                                            " lead",
                                            "trail ",
                                            "in side",
                                            std::string(127, 'x'),
                                            std::string(128, 'y'),
                                            std::string(20000, 'z'),
                                            std::string("nul\0inside", 10),
                                            "Ünïcödé €"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int col = static_cast<int>(i);
        grid.SetTextAt(1, col, texts[i]);
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(grid.TextAt(1, static_cast<int>(i)), texts[i]) << "column " << i;
    // Rewriting a cell in the middle leaves its neighbours alone.
    grid.SetTextAt(1, 5, "short");
    EXPECT_EQ(grid.TextAt(1, 4), texts[4]);
    EXPECT_EQ(grid.TextAt(1, 5), "short");
    EXPECT_EQ(grid.TextAt(1, 6), texts[6]);
    // A row holding only empty texts is blank again.
    for (int c = 0; c < 13; ++c)
        grid.SetTextAt(1, c, "");
    EXPECT_TRUE(grid.RowIsBlank(1));
}

TEST(LoanGrid, SettingACellFromAnotherCellOfTheSameRow) {
    LoanGrid grid(3, 1);
    grid.SetTextAt(0, 0, "abc");
    grid.SetTextAt(0, 2, "longer text here");
    grid.SetTextAt(0, 0, grid.TextAt(0, 2));
    grid.SetTextAt(0, 2, grid.TextAt(0, 2).substr(0, 3));
    EXPECT_EQ(grid.TextAt(0, 0), "longer text here");
    EXPECT_EQ(grid.TextAt(0, 2), "lon");
}

TEST(LoanGrid, RemoveItemMovesRowsUp) {
    LoanGrid grid(2, 5);
    for (int r = 0; r < 5; ++r)
        grid.SetTextAt(r, 0, "r" + std::to_string(r));
    grid.RemoveItem(2);
    ASSERT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextAt(1, 0), "r1");
    EXPECT_EQ(grid.TextAt(2, 0), "r3");
    EXPECT_EQ(grid.TextAt(3, 0), "r4");

    grid.SetRow(3);
    grid.RemoveItem(3);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.Row(), 2) << "the current row stays inside the grid";
}

TEST(LoanGrid, ShrinkingKeepsCurrentRowInside) {
    LoanGrid grid(2, 6);
    grid.SetRow(5);
    grid.SetRows(3);
    EXPECT_EQ(grid.Row(), 2);
    grid.SetRows(0);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Row(), 0);
}

TEST(LoanGrid, ListenerHearsEachChange) {
    LoanGrid grid(2, 2);
    Recorder recorder;
    grid.SetListener(&recorder);

    const struct {
        const char* name;
        std::function<void()> change;
        Calls expected;
    } cases[] = {
        {"grow", [&] { grid.SetRows(4); }, {"aboutToInsert 2-3", "inserted"}},
        {"same count", [&] { grid.SetRows(4); }, {}},
        {"text", [&] { grid.SetTextAt(1, 1, "a"); }, {"cell 1,1"}},
        {"same text", [&] { grid.SetTextAt(1, 1, "a"); }, {}},
        {"current", [&] { grid.SetRow(3); }, {"current"}},
        {"same current", [&] { grid.SetRow(3); }, {}},
        {"shrink past current",
         [&] { grid.SetRows(2); },
         {"aboutToRemove 2-3", "removed", "current"}},
        {"append", [&] { grid.AppendRow(nullptr, 0); }, {"aboutToInsert 2-2", "inserted"}},
        {"remove", [&] { grid.RemoveItem(0); }, {"aboutToRemove 0-0", "removed"}},
        {"width", [&] { grid.SetColWidth(1, 800); }, {"width 1"}},
    };
    for (const auto& c : cases) {
        recorder.calls.clear();
        c.change();
        EXPECT_EQ(recorder.calls, c.expected) << c.name;
    }
    EXPECT_EQ(grid.ColWidth(1), 800);
}

TEST(LoanGrid, RemovingTheOnlyRowEmptiesItAsAReset) {
    LoanGrid grid(2, 1);
    grid.SetTextAt(0, 0, "x");
    Recorder recorder;
    grid.SetListener(&recorder);
    grid.RemoveItem(0);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_TRUE(grid.RowIsBlank(0));
    EXPECT_EQ(recorder.calls, (Calls{"aboutToReset", "reset"}));
}

TEST(LoanGrid, ResetBatchIsHeardAsOneReset) {
    LoanGrid grid(2, 2);
    Recorder recorder;
    grid.SetListener(&recorder);
    {
        LoanGrid::Batch outer(grid, LoanGrid::Batch::Kind::Reset);
        grid.SetRows(10);
        grid.SetTextAt(5, 1, "x");
        {
            LoanGrid::Batch inner(grid, LoanGrid::Batch::Kind::Reset);
            grid.RemoveItem(3);
        }
        grid.SetRow(4);
        EXPECT_EQ(recorder.calls, (Calls{"aboutToReset"}));
    }
    EXPECT_EQ(recorder.calls, (Calls{"aboutToReset", "reset", "current"}));
}

TEST(LoanGrid, QuietBatchReportsTheCurrentCellOnceAtItsEnd) {
    LoanGrid grid(2, 5);
    Recorder recorder;
    grid.SetListener(&recorder);
    {
        LoanGrid::Batch quiet(grid, LoanGrid::Batch::Kind::Quiet);
        for (int r = 1; r < 5; ++r)
            grid.SetRow(r);
        grid.SetCol(1);
        grid.SetText("t");
    }
    EXPECT_EQ(recorder.calls, (Calls{"cell 4,1", "current"}));

    recorder.calls.clear();
    { LoanGrid::Batch quiet(grid, LoanGrid::Batch::Kind::Quiet); }
    EXPECT_TRUE(recorder.calls.empty()) << "nothing moved, nothing to report";
}

TEST(LoanGrid, TakeRowsFromReplacesTheRowsAsOneReset) {
    LoanGrid grid(2, 5);
    grid.SetRow(4);
    LoanGrid fresh(2, 1);
    fresh.SetTextAt(0, 0, "head");
    const std::string_view row[] = {"a", "b"};
    fresh.AppendRow(row, 2);

    Recorder recorder;
    grid.SetListener(&recorder);
    grid.TakeRowsFrom(std::move(fresh));
    EXPECT_EQ(recorder.calls, (Calls{"aboutToReset", "reset"}));
    ASSERT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.TextAt(0, 0), "head");
    EXPECT_EQ(grid.TextAt(1, 1), "b");
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(fresh.Rows(), 1); // NOLINT(bugprone-use-after-move): a moved-from grid stays usable

    LoanGrid narrow(1, 1);
    EXPECT_THROW(grid.TakeRowsFrom(std::move(narrow)), std::invalid_argument);
}

TEST(LoanGrid, AppendRowFillsMissingCellsBlank) {
    LoanGrid grid(3, 1);
    const std::string_view texts[] = {"one"};
    grid.AppendRow(texts, 1);
    EXPECT_EQ(grid.TextAt(1, 0), "one");
    EXPECT_EQ(grid.TextAt(1, 1), "");
    EXPECT_EQ(grid.TextAt(1, 2), "");
}

} // namespace

namespace {

// RowTexts reads the packed row in one walk; a long text has a longer length prefix.
TEST(LoanGrid, RowTextsReadsWholeRows) {
    LoanGrid source(3, 2);
    source.SetTextAt(1, 0, "a");
    source.SetTextAt(1, 2, std::string(300, 'c'));
    std::string_view texts[3];
    source.RowTexts(1, texts);
    EXPECT_EQ(texts[0], "a");
    EXPECT_EQ(texts[1], "");
    EXPECT_EQ(texts[2], std::string(300, 'c'));
}

} // namespace
