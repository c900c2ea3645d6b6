#include "view/TileTip.h"

#include <commctrl.h>
#include <wchar.h>
#include <windowsx.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"

enum { TipTextCapacity = 2 * TileTextCapacity + 2, TipWidth = 600, PointerHeight = 20 };

static HWND tipWindow;
static TOOLINFOW tipTool;
static int tipRow;          // the tile whose tip is shown; 0 for none
static int tipColumn;
static bool hoverArmed;

void TileTipText(int row, int column, wchar_t* out, size_t capacity)
{
    const Tile* tile = TileAt(row, column);
    out[0] = L'\0';
    if (!tile->filled || capacity == 0)
        return;
    size_t length = (size_t)TileWholeName(tile->name, out, capacity);
    _snwprintf_s(out + length, capacity - length, _TRUNCATE, L"\r\n%ls", tile->path);
}

HWND TileTipWindow(void)
{
    return tipWindow;
}

// The tooltip control, made once, when it is first wanted: start-up loads nothing for it.
static bool EnsureTipWindow(HWND window)
{
    if (tipWindow != NULL && IsWindow(tipWindow))
        return true;
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&controls);
    tipWindow = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, NULL,
                                GetModuleHandleW(NULL), NULL);
    if (tipWindow == NULL)
        return false;
    // The size the common controls take without a version-6 manifest.
    tipTool = {};
    tipTool.cbSize = TTTOOLINFOW_V2_SIZE;
    // Transparent: a tip pushed under the pointer must not take the mouse from the grid.
    tipTool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tipTool.hwnd = window;
    tipTool.uId = 1;
    tipTool.lpszText = (LPWSTR)L"";
    SendMessageW(tipWindow, TTM_ADDTOOLW, 0, (LPARAM)&tipTool);
    SendMessageW(tipWindow, TTM_SETMAXTIPWIDTH, 0, TipWidth);   // the target on a line of its own
    return true;
}

static void HideTip(void)
{
    if (tipRow == 0)
        return;
    SendMessageW(tipWindow, TTM_TRACKACTIVATE, FALSE, (LPARAM)&tipTool);
    tipRow = 0;
    tipColumn = 0;
}

// The filled tile whose square (not the gap beside it) holds the client point; false for
// none.
static bool FilledTileAt(LPARAM point, int* row, int* column)
{
    int x = GET_X_LPARAM(point);
    int y = GET_Y_LPARAM(point);
    int onTile, filled;
    RECT square;
    HitTestTile(x, y, row, column, &onTile, &filled);
    return filled && TileRect(*row, *column, &square) == 0 && x < square.right && y < square.bottom;
}

void OnMouseMove(HWND window, LPARAM point)
{
    int row = 0, column = 0;
    if (tipRow != 0 && (!FilledTileAt(point, &row, &column) || row != tipRow || column != tipColumn))
        HideTip();
    if (!hoverArmed) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_HOVER | TME_LEAVE, window, HOVER_DEFAULT };
        hoverArmed = TrackMouseEvent(&track) != FALSE;
    }
}

void OnMouseHover(HWND window, LPARAM point)
{
    hoverArmed = false;   // a hover ends the tracking; the next move arms it again
    int row = 0, column = 0;
    if (!FilledTileAt(point, &row, &column)) {
        HideTip();
        return;
    }
    if (!EnsureTipWindow(window))
        return;
    static wchar_t text[TipTextCapacity];
    TileTipText(row, column, text, _countof(text));
    tipTool.lpszText = text;
    SendMessageW(tipWindow, TTM_UPDATETIPTEXTW, 0, (LPARAM)&tipTool);
    POINT where = { GET_X_LPARAM(point), GET_Y_LPARAM(point) + PointerHeight };
    ClientToScreen(window, &where);
    SendMessageW(tipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(where.x, where.y));
    SendMessageW(tipWindow, TTM_TRACKACTIVATE, TRUE, (LPARAM)&tipTool);
    tipRow = row;
    tipColumn = column;
}

void OnMouseLeave(HWND)
{
    hoverArmed = false;
    HideTip();
}

void HideTileTipOn(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        HideTip();
        break;
    default:
        break;
    }
}
