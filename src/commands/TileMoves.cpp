#include "commands/TileMoves.h"

#include "commands/TileChanges.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/AccessibleEvents.h"

static bool InGridInUse(int row, int column)
{
    return row >= 1 && row <= AppSettings.rows && column >= 1 && column <= AppSettings.columns;
}

int SwapTilesAndSelect(HWND window, int fromRow, int fromColumn, int toRow, int toColumn)
{
    if (!InGridInUse(fromRow, fromColumn) || !InGridInUse(toRow, toColumn) || (fromRow == toRow && fromColumn == toColumn))
        return -1;
    StartTileChange(fromRow, fromColumn);
    NoteTileChange(toRow, toColumn);
    SwapTileContents(TileAt(fromRow, fromColumn), TileAt(toRow, toColumn));
    AnnounceTileChanged(fromRow, fromColumn);
    AnnounceTileChanged(toRow, toColumn);
    // Only the two tiles are repainted: the icons moved with their tiles.
    InvalidateTile(fromRow, fromColumn, FALSE);
    InvalidateTile(toRow, toColumn, FALSE);
    TilesChangedAndSelect(window, toRow, toColumn);
    return 0;
}

bool ArrowStep(WPARAM virtualKey, int* rowStep, int* columnStep)
{
    *rowStep = virtualKey == VK_UP ? -1 : virtualKey == VK_DOWN ? 1 : 0;
    *columnStep = virtualKey == VK_LEFT ? -1 : virtualKey == VK_RIGHT ? 1 : 0;
    return *rowStep != 0 || *columnStep != 0;
}

int MoveSelectedTile(HWND window, int rowStep, int columnStep)
{
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    int toRow = 0;
    int toColumn = 0;
    if (NeighbourInGrid(row, column, rowStep, columnStep, &toRow, &toColumn) != 0)
        return -1;
    return SwapTilesAndSelect(window, row, column, toRow, toColumn);
}

LRESULT OnSysKeyDown(HWND window, WPARAM virtualKey, LPARAM keyData)
{
    int rowStep = 0;
    int columnStep = 0;
    bool altHeld = (HIWORD(keyData) & KF_ALTDOWN) != 0;
    if (altHeld && ArrowStep(virtualKey, &rowStep, &columnStep))
        MoveSelectedTile(window, rowStep, columnStep);
    return DefWindowProcW(window, WM_SYSKEYDOWN, virtualKey, keyData);
}
