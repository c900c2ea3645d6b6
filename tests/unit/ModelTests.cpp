// The tile grid, the settings' start values, the selection and the content size.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/GridReset.h"
#include "model/TileCompare.h"
#include "model/TileGrid.h"

TEST(TileGridTest, StartsClearedWithTileOneOneSelected)
{
    TileGrid[123].filled = 1;
    TileGrid[123].iconIndex = 9;
    TileGrid[4999].selected = 1;
    AppSettings.rows = 44;
    AppSettings.hotkeyRegistered = 1;
    AppSettings.scrollPosH = 99;
    ResetGridAndSettings();

    int selectedCount = 0;
    for (const Tile& tile : TileGrid) {
        EXPECT_EQ(tile.filled, 0);
        EXPECT_EQ(tile.path[0], L'\0');
        EXPECT_EQ(tile.name[0], L'\0');
        EXPECT_EQ(tile.kind, 0);
        EXPECT_EQ(tile.backColor, 0x323232u);
        EXPECT_EQ(tile.iconIndex, 0);
        selectedCount += tile.selected;
    }
    EXPECT_EQ(selectedCount, 1);
    EXPECT_EQ(TileAt(1, 1)->selected, 1);
    EXPECT_EQ(AppSettings.selectedRow, 1);
    EXPECT_EQ(AppSettings.selectedColumn, 1);
    EXPECT_EQ(AppSettings.iconRefreshMode, 2);
    EXPECT_EQ(AppSettings.rowsHighWater, 1);
    EXPECT_EQ(AppSettings.columnsHighWater, 1);
    EXPECT_EQ(AppSettings.filterIndex, 1);
    EXPECT_EQ(AppSettings.contextRow, 0);
    EXPECT_EQ(AppSettings.hotkeyModifiers, MOD_ALT | MOD_CONTROL);
    EXPECT_EQ(AppSettings.hotkeyKey, 'Z');
    EXPECT_EQ(AppSettings.hotkeyId, 1);
    EXPECT_EQ(AppSettings.hotkeyRegistered, 0);
    EXPECT_EQ(AppSettings.rows, 6);
    EXPECT_EQ(AppSettings.columns, 8);
    EXPECT_EQ(AppSettings.tileGap, 1);
    EXPECT_EQ(AppSettings.marginLeft, 10);
    EXPECT_EQ(AppSettings.marginTop, 10);
    EXPECT_EQ(AppSettings.scrollPosH, 0);
    EXPECT_EQ(AppSettings.scrollPosV, 0);
}

TEST(TileGridTest, ClearingKeepsTheSelectionFlag)
{
    ResetGridAndSettings();
    Tile* tile = TileAt(1, 1);
    wcscpy_s(tile->path, L"C:\\Tools\\editor.exe");
    wcscpy_s(tile->name, L"Editor");
    tile->filled = 1;
    tile->kind = 2;
    tile->backColor = 255;
    tile->iconIndex = 17;

    ClearTile(tile);
    EXPECT_EQ(tile->filled, 0);
    EXPECT_STREQ(tile->path, L"");
    EXPECT_STREQ(tile->name, L"");
    EXPECT_EQ(tile->kind, 0);
    EXPECT_EQ(tile->backColor, 0x323232u);
    EXPECT_EQ(tile->iconIndex, 0);
    EXPECT_EQ(tile->selected, 1);
}

TEST(TileGridTest, MovingTheSelectionKeepsExactlyOneTileSelected)
{
    ResetGridAndSettings();
    MoveSelection(6, 8);
    EXPECT_EQ(TileAt(1, 1)->selected, 0);
    EXPECT_EQ(TileAt(6, 8)->selected, 1);
    EXPECT_EQ(AppSettings.selectedRow, 6);
    EXPECT_EQ(AppSettings.selectedColumn, 8);

    MoveSelection(50, 100);
    EXPECT_EQ(TileAt(6, 8)->selected, 0);
    EXPECT_EQ(TileAt(50, 100)->selected, 1);

    int selectedCount = 0;
    for (const Tile& tile : TileGrid)
        selectedCount += tile.selected;
    EXPECT_EQ(selectedCount, 1);
}

TEST(TileGridTest, MovingFromAZeroPairTouchesNoOldTile)
{
    ResetGridAndSettings();
    AppSettings.selectedRow = 0;
    AppSettings.selectedColumn = 3;
    MoveSelection(2, 2);
    // Row 0 must not have been taken for a tile: (1, 1) keeps its flag.
    EXPECT_EQ(TileAt(1, 1)->selected, 1);
    EXPECT_EQ(TileAt(2, 2)->selected, 1);
}

TEST(TileGridTest, ContentSizeOfTheGridInUse)
{
    ResetGridAndSettings();
    struct { int rows, columns, width, height; } cases[] = {
        { 6, 8, 843, 637 },
        { 50, 100, 10319, 5169 },
        { 1, 1, 122, 122 },
    };
    for (const auto& c : cases) {
        AppSettings.rows = c.rows;
        AppSettings.columns = c.columns;
        RecomputeContentSize();
        EXPECT_EQ(AppSettings.contentWidth, c.width) << c.rows << " x " << c.columns;
        EXPECT_EQ(AppSettings.contentHeight, c.height) << c.rows << " x " << c.columns;
    }
    EXPECT_EQ(ContentExtent(8, 3, 20), 105 * 8 + 40 - 3);
}

TEST(TileCompareTest, AnyPartOfATileARestoreWouldChangeMakesItAnotherTile)
{
    const TileDigest alpha = DigestTileContent(L"C:\\a.exe", L"Alpha", TileKind::Program, 255);
    // Any part of a tile that a restore would change makes it another tile, also texts that
    // only shift their boundary.
    const struct { const wchar_t *path, *name; int kind; COLORREF color; } others[] = {
        { L"C:\\a.ex", L"eAlpha", TileKind::Program, 255 }, { L"C:\\a.exe", L"Alpha ", TileKind::Program, 255 },
        { L"C:\\a.exe", L"Alpha", TileKind::PlainFile, 255 }, { L"C:\\a.exe", L"Alpha", TileKind::Program, 254 },
        { L"", L"", 0, 0 },
    };
    for (const auto& o : others) {
        TileDigest other = DigestTileContent(o.path, o.name, o.kind, o.color);
        EXPECT_NE(other, 0u) << "0 stands for an empty cell only";
        EXPECT_EQ(CompareTile(alpha, other), TileDifference::Changed) << o.path << "|" << o.name;
    }
    EXPECT_EQ(CompareTile(alpha, DigestTileContent(L"C:\\a.exe", L"Alpha", TileKind::Program, 255)), TileDifference::Same);
}
