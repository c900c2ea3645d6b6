#include "commands/Mouse.h"

#include <stdlib.h>
#include <windowsx.h>
#include <wchar.h>

#include "commands/AddTarget.h"
#include "commands/Carry.h"
#include "commands/ContextMenu.h"
#include "commands/Launch.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/Selection.h"
#include "view/TileTip.h"

bool IsModifiedClick(WPARAM keyState)
{
    return (keyState & (MK_SHIFT | MK_CONTROL)) != 0;
}

// A left click on a tile: its message time and client point.
struct ClickRecord {
    DWORD time;
    int x;
    int y;
    bool counts;   // false once it has made a pair
};

static ClickRecord lastClick;

void ForgetLastClick(void)
{
    lastClick = ClickRecord();
}

// The window's class takes no double clicks, so a double click arrives as two button-downs.
// Users double-click out of habit: the second one of a pair (within the system's
// double-click time and rectangle, as the system pairs them) only selects, so that a target
// runs once and an empty tile opens one Open dialog, also when the first click scrolled the
// tile and the second falls on its neighbour. Only the mouse's own clicks carry MK_LBUTTON:
// Return's click never counts as a second one.
static bool SecondClickOfDouble(WPARAM keyState, LPARAM point)
{
    if (!(keyState & MK_LBUTTON))
        return false;
    ClickRecord click = { (DWORD)GetMessageTime(), GET_X_LPARAM(point), GET_Y_LPARAM(point), true };
    bool second = lastClick.counts && click.time - lastClick.time <= GetDoubleClickTime() &&
                  abs(click.x - lastClick.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                  abs(click.y - lastClick.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    // The third click of three starts a new pair.
    lastClick = click;
    lastClick.counts = !second;
    return second;
}

void OnLeftButtonDown(HWND window, WPARAM keyState, LPARAM point)
{
    int row, column, onTile, filled;
    HitTestTile(GET_X_LPARAM(point), GET_Y_LPARAM(point), &row, &column, &onTile, &filled);
    if (!onTile)
        return;
    bool second = SecondClickOfDouble(keyState, point);
    SelectClickedTile(row, column, true);
    // A Ctrl or Shift press only selects; on a filled tile it may go on to carry the tile.
    if (IsModifiedClick(keyState) && filled)
        PressTileToCarry(window, row, column, point);
    if (IsModifiedClick(keyState) || second)
        return;
    if (filled)
        LaunchTile(row, column);
    else
        FillTileFromOpenDialog(row, column);
}

void OnMouseMove(HWND window, WPARAM keyState, LPARAM point)
{
    if (!MoveCarriedTile(window, keyState, point))
        TrackTileTip(window, point);
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
        SelectClickedTile(row, column, false);
    RunContextMenu(window, x, y, onTile != 0, filled != 0);
}
