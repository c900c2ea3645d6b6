#include "commands/Mouse.h"

#include <windowsx.h>
#include <wchar.h>

#include "commands/AddTarget.h"
#include "commands/ContextMenu.h"
#include "commands/Launch.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/Scroll.h"

bool IsModifiedClick(WPARAM keyState)
{
    return (keyState & (MK_SHIFT | MK_CONTROL)) != 0;
}

void SelectTileByClick(int row, int column, bool leftClick)
{
    int oldRow = AppSettings.selectedRow;
    int oldColumn = AppSettings.selectedColumn;
    MoveSelection(row, column);
    if (leftClick) {
        if (oldRow != 0 && oldColumn != 0)
            InvalidateTile(oldRow, oldColumn, TRUE);
        InvalidateTile(row, column, TRUE);
    }
    ScrollRowIntoView(row);
    ScrollColumnIntoView(column);
    if (!leftClick)
        InvalidateRect(MainWindow, NULL, FALSE);
}

void OnLeftButtonDown(HWND, WPARAM keyState, LPARAM point)
{
    int row, column, onTile, filled;
    HitTestTile(GET_X_LPARAM(point), GET_Y_LPARAM(point), &row, &column, &onTile, &filled);
    if (!onTile)
        return;
    SelectTileByClick(row, column, true);
    if (IsModifiedClick(keyState))
        return;
    if (filled)
        LaunchTile(row, column);
    else
        FillTileFromOpenDialog(row, column);
}

void OnMiddleButtonDown(HWND window)
{
    InvalidateRect(window, NULL, TRUE);
}

static void ShowTileLocation(HWND window, int row, int column)
{
    wchar_t text[1060];
    swprintf_s(text, _countof(text), L"Row,Column  =  %d,%d", row, column);
    MessageBoxW(window, text, L"Location of the Tile you Clicked", MB_OK);
}

void OnRightButtonDown(HWND window, WPARAM keyState, LPARAM point)
{
    int x = GET_X_LPARAM(point);
    int y = GET_Y_LPARAM(point);
    int row, column, onTile, filled;
    HitTestTile(x, y, &row, &column, &onTile, &filled);
    if (IsModifiedClick(keyState)) {
        if (onTile)
            ShowTileLocation(window, row, column);
        return;
    }
    AppSettings.contextRow = row;
    AppSettings.contextColumn = column;
    if (onTile)
        SelectTileByClick(row, column, false);
    RunContextMenu(window, x, y, onTile != 0, filled != 0);
}
