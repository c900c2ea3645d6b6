// Swapping and moving tiles, and the history of changes, without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "model/Geometry.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"

TEST(TileMoveTest, NeighboursWrapWithinTheRowOrColumnOfTheGridInUse)
{
    ResetGridAndSettings();
    AppSettings.rows = 3;
    AppSettings.columns = 4;
    const struct { int row, column, rowStep, columnStep, result, toRow, toColumn; } cases[] = {
        { 2, 2, 0, 1, 0, 2, 3 },     { 2, 4, 0, 1, 0, 2, 1 },     { 2, 1, 0, -1, 0, 2, 4 },
        { 1, 3, -1, 0, 0, 3, 3 },    { 3, 3, 1, 0, 0, 1, 3 },     { 2, 2, 1, 0, 0, 3, 2 },
        { 4, 1, 0, 1, 1, 0, 0 },     { 1, 5, 0, -1, 1, 0, 0 },    { 0, 1, 1, 0, 1, 0, 0 },
    };
    for (const auto& c : cases) {
        int toRow = 0, toColumn = 0;
        EXPECT_EQ(NeighbourInGrid(c.row, c.column, c.rowStep, c.columnStep, &toRow, &toColumn), c.result)
            << c.row << "," << c.column;
        EXPECT_EQ(toRow, c.toRow) << c.row << "," << c.column;
        EXPECT_EQ(toColumn, c.toColumn) << c.row << "," << c.column;
    }
}

TEST(TileMoveTest, ASwapExchangesContentsAndKeepsEachSelectionFlag)
{
    ResetGridAndSettings();
    Tile* filled = TileAt(1, 1);
    FillTile(filled, L"C:\\a.exe", L"Alpha", TileKind::Program);
    filled->backColor = 255;
    filled->iconIndex = 7;
    Tile* empty = TileAt(50, 100);
    SwapTileContents(filled, empty);
    EXPECT_EQ(filled->filled, 0);
    EXPECT_STREQ(filled->path, L"");
    EXPECT_EQ(filled->backColor, EmptyTileColor);
    EXPECT_EQ(filled->selected, 1);
    EXPECT_STREQ(empty->path, L"C:\\a.exe");
    EXPECT_STREQ(empty->name, L"Alpha");
    EXPECT_EQ(empty->kind, TileKind::Program);
    EXPECT_EQ(empty->backColor, 255u);
    EXPECT_EQ(empty->iconIndex, 7);
    EXPECT_EQ(empty->selected, 0);
    SwapTileContents(empty, empty);
    EXPECT_STREQ(empty->path, L"C:\\a.exe");
}

// What a tile holds, as a history must give it back, with the icon found for it (a look-up
// again would cost a frame).
static std::wstring Contents(int row, int column)
{
    const Tile* tile = TileAt(row, column);
    return std::to_wstring(tile->filled) + L"|" + tile->path + L"|" + tile->name + L"|" + std::to_wstring(tile->kind) +
           L"|" + std::to_wstring(tile->backColor) + L"|" + std::to_wstring(tile->iconIndex);
}

static std::vector<std::wstring> Snapshot()
{
    std::vector<std::wstring> all = { std::to_wstring(AppSettings.rows) + L"x" + std::to_wstring(AppSettings.columns) };
    for (int row = 1; row <= 3; row++)
        for (int column = 1; column <= 4; column++)
            all.push_back(Contents(row, column));
    all.push_back(Contents(50, 100));
    return all;
}

TEST(TileHistoryTest, EveryKindOfChangeIsTakenBackAndDoneAgainExactly)
{
    ResetGridAndSettings();
    FillTile(TileAt(1, 2), L"C:\\b.txt", L"Bravo", TileKind::PlainFile);
    TileAt(1, 2)->iconIndex = 4;
    // Each step changes the grid as one command would.
    const std::vector<std::function<void()>> changes = {
        [] { FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program); },              // a fill
        [] { TileAt(1, 1)->iconIndex = 9; wcscpy_s(TileAt(1, 1)->name, L"Alpha one"); },         // painted, renamed
        [] { wcscpy_s(TileAt(1, 1)->name, L"Alpha       two"); },                                // a rename
        [] { TileAt(1, 2)->backColor = 0x00FF00; },                                             // a recolour
        [] { SwapTileContents(TileAt(1, 1), TileAt(3, 4)); },                                   // a swap
        [] { SwapTileContents(TileAt(1, 2), TileAt(50, 100)); },                                // outside the grid
        [] { ClearTile(TileAt(3, 4)); },                                                        // a delete
        [] { for (int c = 1; c <= 4; c++) FillTile(TileAt(2, c), L"D:\\x", L"X", 1); },         // a drop
        [] { AppSettings.rows = 2; AppSettings.columns = 50; },                                  // a grid size
        [] { AppSettings.rows = 3; FillTile(TileAt(3, 1), L"E:\\y", L"Y", 0); },              // both at once
    };
    const int touched[][2] = { { 1, 1 }, { 1, 2 }, { 3, 4 }, { 50, 100 }, { 2, 1 }, { 2, 2 }, { 2, 3 }, { 2, 4 }, { 3, 1 } };
    std::vector<std::vector<std::wstring>> states = { Snapshot() };
    for (const auto& change : changes) {
        BeginTileStep();
        for (const auto& tile : touched)
            NoteTileBeforeChange(tile[0], tile[1]);
        change();
        EXPECT_GE(EndTileStep(), 0);
        EXPECT_EQ(HistoryStepCount(), (int)states.size()) << "a step kept for each change";
        states.push_back(Snapshot());
    }
    // Noted, but unchanged: no step.
    BeginTileStep();
    NoteTileBeforeChange(1, 3);
    EXPECT_EQ(EndTileStep(), 0);
    ASSERT_EQ(HistoryStepCount(), (int)changes.size());

    for (size_t i = changes.size(); i > 0; i--) {
        ASSERT_EQ(UndoTileStep(), 0) << i;
        EXPECT_EQ(Snapshot(), states[i - 1]) << "taken back to state " << i - 1;
    }
    EXPECT_EQ(UndoTileStep(), -1);
    for (size_t i = 1; i <= changes.size(); i++) {
        ASSERT_EQ(RedoTileStep(), 0) << i;
        EXPECT_EQ(Snapshot(), states[i]) << "done again to state " << i;
    }
    EXPECT_EQ(RedoTileStep(), -1);

    // The tiles of the drop, in the order noted; their icons are looked up again.
    for (int step = 0; step < 3; step++)
        ASSERT_EQ(UndoTileStep(), 0);
    int row = 0, column = 0;
    for (int i = 0; i < 4; i++) {
        ASSERT_TRUE(TileOfLastStep(i, &row, &column));
        EXPECT_EQ(row * 100 + column, 201 + i);
    }
    EXPECT_FALSE(TileOfLastStep(4, &row, &column));

    // A new change after taking back ends what could be done again.
    BeginTileStep();
    NoteTileBeforeChange(3, 1);
    FillTile(TileAt(3, 1), L"E:\\new", L"New", 0);
    EXPECT_EQ(EndTileStep(), 1);
    EXPECT_EQ(RedoTileStep(), -1);
    EXPECT_EQ(HistoryStepCount(), (int)changes.size() - 2);
    ClearTileHistory();
}

TEST(TileHistoryTest, TheHistoryKeepsItsStepsWithinItsBounds)
{
    ResetGridAndSettings();
    // Small steps: the count bound, far above the hundred steps a run keeps at least.
    for (int i = 0; i < HistoryMaxSteps + 50; i++) {
        BeginTileStep();
        NoteTileBeforeChange(1, 1);
        TileAt(1, 1)->backColor = (COLORREF)i;
        ASSERT_EQ(EndTileStep(), 1);
    }
    EXPECT_EQ(HistoryStepCount(), HistoryMaxSteps);
    int undone = 0;
    while (UndoTileStep() == 0)
        undone++;
    EXPECT_EQ(undone, HistoryMaxSteps);
    EXPECT_EQ(TileAt(1, 1)->backColor, 49u) << "the oldest steps went first";

    // Large steps: the hundred newest stay whatever their size; the byte bound takes the rest.
    ClearTileHistory();
    std::wstring longText(359, L'x');
    for (int step = 0; step < HistoryMinSteps + 5; step++) {
        BeginTileStep();
        for (int tile = 0; tile < 200; tile++) {
            int row = step % 5 * 2 + tile / 100 + 1;
            NoteTileBeforeChange(row, tile % 100 + 1);
            longText[0] = (wchar_t)(L'a' + step);
            FillTile(TileAt(row, tile % 100 + 1), longText.c_str(), longText.c_str(), 0);
        }
        ASSERT_EQ(EndTileStep(), 200) << step;
    }
    // Each step holds 200 tiles of two 359-character texts, before and after: 0.58 MB.
    EXPECT_EQ(HistoryStepCount(), HistoryMinSteps);
    EXPECT_GT(HistoryByteCount(), (size_t)HistoryMaxBytes * 10);

    // One step larger than the whole history: not kept, and the steps before it no longer lead
    // to the grid, so they go too.
    BeginTileStep();
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            NoteTileBeforeChange(row, column);
            FillTile(TileAt(row, column), longText.c_str(), longText.c_str(), 0);
        }
    }
    EXPECT_EQ(EndTileStep(), -1);
    EXPECT_EQ(HistoryStepCount(), 0);
    EXPECT_EQ(HistoryByteCount(), 0u);
    EXPECT_EQ(UndoTileStep(), -1);
}
