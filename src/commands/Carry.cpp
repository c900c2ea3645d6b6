#include "commands/Carry.h"

#include <stdlib.h>
#include <windowsx.h>

#include "commands/TileMoves.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/Paint.h"
#include "view/Scroll.h"

enum {
    // How close to a client edge the pointer makes the grid scroll, and how fast at most.
    ScrollBand = 24,
    MaxScrollStep = 60
};

// The pressed tile, and where the pointer holds it once it is carried.
struct CarryState {
    HWND window;
    int row;          // 0 when nothing is pressed
    int column;
    POINT press;
    POINT grab;       // the pointer's place in the tile's square
    POINT pointer;
    bool carried;     // picked up: the pointer left the drag rectangle
};

static CarryState carry;

bool BeyondDragRectangle(POINT press, POINT now, int dragWidth, int dragHeight)
{
    return abs(now.x - press.x) > dragWidth || abs(now.y - press.y) > dragHeight;
}

int CarryScrollStep(int coordinate, int extent)
{
    int step = 0;
    if (coordinate < ScrollBand)
        step = coordinate - ScrollBand;
    else if (coordinate >= extent - ScrollBand)
        step = coordinate - (extent - ScrollBand) + 1;
    return step < -MaxScrollStep ? -MaxScrollStep : step > MaxScrollStep ? MaxScrollStep : step;
}

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

void PressTileToCarry(HWND window, int row, int column, LPARAM point)
{
    RECT square = {};
    if (TileRect(row, column, &square) != 0)
        return;
    carry = CarryState();
    carry.window = window;
    carry.row = row;
    carry.column = column;
    carry.press.x = GET_X_LPARAM(point);
    carry.press.y = GET_Y_LPARAM(point);
    // The press may have scrolled the tile into view: the grab stays within the square.
    carry.grab.x = Clamp(carry.press.x - square.left, 0, TileSize - 1);
    carry.grab.y = Clamp(carry.press.y - square.top, 0, TileSize - 1);
    carry.pointer = carry.press;
    SetCapture(window);
}

// The tile under the pointer where the carried one would land: a tile of the grid in use
// within the client area and not under a window of its own (the find bar), or none.
static void LandingTile(int* row, int* column)
{
    RECT client = {};
    int onTile = 0;
    int filled = 0;
    *row = 0;
    *column = 0;
    if (GetClientRect(carry.window, &client) && PtInRect(&client, carry.pointer) &&
        ChildWindowFromPointEx(carry.window, carry.pointer, CWP_SKIPINVISIBLE) == carry.window)
        HitTestTile(carry.pointer.x, carry.pointer.y, row, column, &onTile, &filled);
    if (!onTile) {
        *row = 0;
        *column = 0;
    }
}

static void ShowCarry(void)
{
    CarriedTile shown = {};
    shown.row = carry.row;
    shown.column = carry.column;
    shown.picture.left = carry.pointer.x - carry.grab.x;
    shown.picture.top = carry.pointer.y - carry.grab.y;
    shown.picture.right = shown.picture.left + TileSize;
    shown.picture.bottom = shown.picture.top + TileSize;
    LandingTile(&shown.landingRow, &shown.landingColumn);
    ShowCarriedTile(&shown);
}

// Ends the press or the carrying, leaving no mark: the state first, so that the capture's
// release that follows finds nothing to end.
static void EndCarry(void)
{
    HWND window = carry.window;
    bool carried = carry.carried;
    carry = CarryState();
    if (window == NULL)
        return;
    if (carried) {
        KillTimer(window, CarryTimerId);
        ShowCarriedTile(NULL);
        SetCursor(LoadCursorW(NULL, IDC_ARROW));
    }
    if (GetCapture() == window)
        ReleaseCapture();
}

bool MoveCarriedTile(HWND window, WPARAM keyState, LPARAM point)
{
    if (carry.row == 0 || window != carry.window)
        return false;
    // The button went up where the window did not see it.
    if (!(keyState & MK_LBUTTON)) {
        EndCarry();
        return true;
    }
    carry.pointer.x = GET_X_LPARAM(point);
    carry.pointer.y = GET_Y_LPARAM(point);
    if (!carry.carried) {
        if (!BeyondDragRectangle(carry.press, carry.pointer, GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)))
            return true;
        carry.carried = true;
        SetTimer(window, CarryTimerId, CarryTimerMs, NULL);
    }
    // The window holds the mouse, so the system sends no WM_SETCURSOR: the cursor is set here.
    SetCursor(LoadCursorW(NULL, IDC_SIZEALL));
    ShowCarry();
    return true;
}

void OnLeftButtonUp(HWND window, WPARAM, LPARAM point)
{
    if (carry.row == 0 || window != carry.window)
        return;
    carry.pointer.x = GET_X_LPARAM(point);
    carry.pointer.y = GET_Y_LPARAM(point);
    int landingRow = 0;
    int landingColumn = 0;
    LandingTile(&landingRow, &landingColumn);
    bool carried = carry.carried;
    int row = carry.row;
    int column = carry.column;
    EndCarry();
    if (carried && landingRow != 0)
        SwapTilesAndSelect(window, row, column, landingRow, landingColumn);
}

void OnTimer(HWND window, WPARAM timerId)
{
    if (timerId != CarryTimerId || !carry.carried || window != carry.window)
        return;
    POINT pointer;
    RECT client;
    if (!GetCursorPos(&pointer) || !ScreenToClient(window, &pointer) || !GetClientRect(window, &client))
        return;
    int dx = CarryScrollStep(pointer.x, client.right);
    int dy = CarryScrollStep(pointer.y, client.bottom);
    int moved = (dx != 0 ? ScrollByPixels(window, SB_HORZ, dx) : 0) | (dy != 0 ? ScrollByPixels(window, SB_VERT, dy) : 0);
    carry.pointer = pointer;
    if (moved != 0)
        ShowCarry();
}

bool CarryTakesMessage(HWND window, UINT message, WPARAM wParam)
{
    if (carry.row == 0 || window != carry.window)
        return false;
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            EndCarry();
        return false;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            EndCarry();
        return true;
    // Ctrl is often still held from the press: Ctrl+Z, Ctrl+F and the like must wait.
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return true;
    default:
        return false;
    }
}

void OnCaptureChanged(HWND window, LPARAM newCapture)
{
    if (carry.row != 0 && window == carry.window && (HWND)newCapture != window)
        EndCarry();
}

bool TileIsCarried(void)
{
    return carry.row != 0;
}
