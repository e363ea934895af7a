#include "loan/LoanGrid.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
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

namespace {

// Every cell of a grid, row by row, from the grid or a snapshot of it.
template <typename Grid> std::vector<std::vector<std::string>> Cells(const Grid& grid) {
    std::vector<std::vector<std::string>> cells;
    for (int r = 0; r < grid.Rows(); ++r) {
        cells.emplace_back();
        for (int c = 0; c < grid.Cols(); ++c)
            cells.back().emplace_back(grid.TextAt(r, c));
    }
    return cells;
}

LoanGrid Filled(int rows) {
    LoanGrid grid(3, 1);
    for (int r = 1; r < rows; ++r) {
        const std::string texts[] = {"code" + std::to_string(r), std::string(r % 7, 'x'),
                                     std::to_string(r * 1000)};
        const std::string_view views[] = {texts[0], texts[1], texts[2]};
        grid.AppendRow(views, 3);
    }
    return grid;
}

// A snapshot reads the cells as they were when it was taken, whatever the grid does next, and
// the grid reads its own changes; once the snapshot is gone the grid changes rows in place again.
TEST(LoanGridSnapshot, KeepsTheCellsAsTheyWereThroughEveryChange) {
    const struct {
        const char* name;
        std::function<void(LoanGrid&)> change;
    } cases[] = {
        {"a cell longer", [](LoanGrid& g) { g.SetTextAt(2, 1, std::string(300, 'L')); }},
        {"a cell shorter", [](LoanGrid& g) { g.SetTextAt(5, 2, ""); }},
        {"a cell from its own row", [](LoanGrid& g) { g.SetTextAt(3, 1, g.TextAt(3, 0)); }},
        {"every cell of a row",
         [](LoanGrid& g) {
             for (int c = 0; c < 3; ++c)
                 g.SetTextAt(4, c, "n");
         }},
        {"a row removed", [](LoanGrid& g) { g.RemoveItem(3); }},
        {"rows dropped", [](LoanGrid& g) { g.SetRows(2); }},
        {"rows added",
         [](LoanGrid& g) {
             g.SetRows(40);
             g.SetTextAt(39, 0, "new");
         }},
        {"a row appended",
         [](LoanGrid& g) {
             const std::string_view t[] = {"a"};
             g.AppendRow(t, 1);
         }},
        {"rows taken from another grid", [](LoanGrid& g) { g.TakeRowsFrom(Filled(4)); }},
        {"assigned over", [](LoanGrid& g) { g = Filled(3); }},
        {"the heading row", [](LoanGrid& g) { g.SetTextAt(0, 0, "Heading"); }},
    };
    for (const auto& c : cases) {
        LoanGrid grid = Filled(12);
        const auto before = Cells(grid);
        LoanGrid expected = grid;
        c.change(expected);
        {
            const loan::GridSnapshot snapshot = grid.Snapshot();
            c.change(grid);
            EXPECT_EQ(Cells(snapshot), before) << c.name;
            EXPECT_EQ(Cells(grid), Cells(expected)) << c.name;
            // A second change of what the first one made.
            grid.SetTextAt(grid.Rows() - 1, 2, "again");
            EXPECT_EQ(Cells(snapshot), before) << c.name;
        }
        grid.SetTextAt(1, 0, "after");
        expected.SetTextAt(expected.Rows() - 1, 2, "again");
        expected.SetTextAt(1, 0, "after");
        EXPECT_EQ(Cells(grid), Cells(expected)) << c.name;
    }
}

TEST(LoanGridSnapshot, OutlivesItsGridAndRowsMovedToAnother) {
    std::optional<loan::GridSnapshot> snapshot;
    LoanGrid receiver(3, 2);
    std::vector<std::vector<std::string>> before;
    {
        LoanGrid grid = Filled(6);
        before = Cells(grid);
        snapshot = grid.Snapshot();
        // The rows go on in another grid, which must not write into those the snapshot holds.
        receiver.TakeRowsFrom(std::move(grid));
        receiver.SetTextAt(2, 0, "changed");
        receiver.RemoveItem(1);
    }
    const auto taken = Cells(receiver);
    const loan::GridSnapshot second = receiver.Snapshot();
    receiver.SetTextAt(1, 1, "later");
    EXPECT_EQ(Cells(*snapshot), before);
    EXPECT_EQ(Cells(second), taken);
    EXPECT_EQ(second.TextAt(1, 0), "changed");
    EXPECT_THROW(second.TextAt(second.Rows(), 0), std::out_of_range);
}

// As the recovery copy does: another thread reads the snapshots while this one edits on. Run
// under the sanitizers this catches a row freed or written under a reader.
TEST(LoanGridSnapshot, AnotherThreadReadsWhileTheGridChanges) {
    LoanGrid grid = Filled(2000);
    for (int round = 0; round < 20; ++round) {
        const loan::GridSnapshot snapshot = grid.Snapshot();
        const auto expected = Cells(snapshot);
        std::thread reader([&snapshot, &expected] {
            for (int pass = 0; pass < 3; ++pass)
                EXPECT_EQ(Cells(snapshot), expected);
        });
        for (int i = 0; i < 300; ++i) {
            const int row = 1 + (i * 37 + round) % (grid.Rows() - 1);
            grid.SetTextAt(row, i % 3, std::string(static_cast<std::size_t>(i % 40), 'e'));
            if (i % 50 == 0) grid.RemoveItem(row);
            if (i % 70 == 0) grid.SetRows(grid.Rows() + 3);
        }
        reader.join();
    }
}

} // namespace
