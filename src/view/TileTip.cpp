#include "view/TileTip.h"

#include <commctrl.h>
#include <wchar.h>
#include <windowsx.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "view/GridBusy.h"

enum { TipTextCapacity = 2 * TileTextCapacity + 2, TipWidth = 600, PointerHeight = 20 };

// What a window's tip needs between messages, held in a property of the window.
struct TileTipState {
    HWND tip;             // the tooltip control, made on first use
    TOOLINFOW tool;
    int row;              // the tile whose tip is shown; 0 for none
    int column;
    bool hoverArmed;
    wchar_t text[TipTextCapacity];
};

static const wchar_t TipProperty[] = L"Vantrel.TileTip";
// A first start shows a dark empty grid: the first thing to learn is how to fill a tile.
static const wchar_t EmptyGridTip[] = L"Click to choose a program or file for this tile, or drop files on it.\r\n"
                                      L"Right-click for \"Enter a Path, URL, or Shortcut\" and everything else.";

// The window's tip state, made on first use when asked to; NULL without one.
static TileTipState* TipState(HWND window, bool make)
{
    TileTipState* state = (TileTipState*)GetPropW(window, TipProperty);
    if (state != NULL || !make)
        return state;
    state = (TileTipState*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TileTipState));
    if (state != NULL && !SetPropW(window, TipProperty, state)) {
        HeapFree(GetProcessHeap(), 0, state);
        state = NULL;
    }
    return state;
}

void TileTipText(int row, int column, wchar_t* out, size_t capacity)
{
    const Tile* tile = TileAt(row, column);
    if (capacity == 0)
        return;
    out[0] = L'\0';
    if (!tile->filled) {
        if (!AnyTileFilled())
            wcsncpy_s(out, capacity, EmptyGridTip, _TRUNCATE);
        return;
    }
    size_t length = (size_t)TileWholeName(tile->name, out, capacity);
    _snwprintf_s(out + length, capacity - length, _TRUNCATE, L"\r\n%ls", tile->path);
}

POINT PlaceTileTip(POINT pointer, SIZE tip, RECT workArea)
{
    POINT place = { pointer.x, pointer.y + PointerHeight };
    if (place.x + tip.cx > workArea.right)
        place.x = workArea.right - tip.cx;
    if (place.x < workArea.left)
        place.x = workArea.left;
    if (place.y + tip.cy > workArea.bottom)
        place.y = pointer.y - tip.cy;
    if (place.y < workArea.top)
        place.y = workArea.top;
    return place;
}

HWND TileTipWindow(HWND window)
{
    TileTipState* state = TipState(window, false);
    return state != NULL ? state->tip : NULL;
}

// The tooltip control, made once, when it is first wanted: start-up loads nothing for it.
static bool EnsureTipWindow(HWND window, TileTipState* state)
{
    if (state->tip != NULL && IsWindow(state->tip))
        return true;
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&controls);
    state->tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, NULL,
                                 GetModuleHandleW(NULL), NULL);
    if (state->tip == NULL)
        return false;
    // The size the common controls take without a version-6 manifest.
    state->tool = {};
    state->tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // Transparent: a tip pushed under the pointer must not take the mouse from the grid.
    state->tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    state->tool.hwnd = window;
    state->tool.uId = 1;
    state->tool.lpszText = state->text;
    SendMessageW(state->tip, TTM_ADDTOOLW, 0, (LPARAM)&state->tool);
    SendMessageW(state->tip, TTM_SETMAXTIPWIDTH, 0, TipWidth);   // the target on a line of its own
    return true;
}

static void HideTip(TileTipState* state)
{
    if (state->row == 0)
        return;
    SendMessageW(state->tip, TTM_TRACKACTIVATE, FALSE, (LPARAM)&state->tool);
    state->row = 0;
    state->column = 0;
}

static void MoveTip(HWND tip, POINT place)
{
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM((WORD)place.x, (WORD)place.y));
}

// Shows the tip for a pointer at a screen point. Its size is known once it is shown (two
// lines, up to 600 pixels wide); a tip that does not fit is moved at once onto the monitor.
static void ShowTip(TileTipState* state, POINT pointer)
{
    SendMessageW(state->tip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&state->tool);
    MoveTip(state->tip, { pointer.x, pointer.y + PointerHeight });
    SendMessageW(state->tip, TTM_TRACKACTIVATE, TRUE, (LPARAM)&state->tool);
    RECT shown;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(state->tip, &shown) ||
        !GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    POINT place = PlaceTileTip(pointer, { shown.right - shown.left, shown.bottom - shown.top }, monitor.rcWork);
    if (place.x != shown.left || place.y != shown.top)
        MoveTip(state->tip, place);
}

// The tile whose square (not the gap beside it) holds the client point and has a tip; false for
// none.
static bool TileWithTipAt(LPARAM point, int* row, int* column)
{
    return TileSquareAt(GET_X_LPARAM(point), GET_Y_LPARAM(point), row, column) &&
           (TileAt(*row, *column)->filled || !AnyTileFilled());
}

// Forgets the hover the pointer is resting towards; the next move arms it again.
static void CancelPendingTip(HWND window, TileTipState* state)
{
    if (!state->hoverArmed)
        return;
    TRACKMOUSEEVENT track = { sizeof(track), TME_CANCEL | TME_HOVER, window, 0 };
    TrackMouseEvent(&track);
    state->hoverArmed = false;
}

void TrackTileTip(HWND window, LPARAM point)
{
    TileTipState* state = TipState(window, true);
    if (state == NULL)
        return;
    int row = 0, column = 0;
    if (state->row != 0 && (!TileWithTipAt(point, &row, &column) || row != state->row || column != state->column))
        HideTip(state);
    if (!state->hoverArmed) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_HOVER | TME_LEAVE, window, HOVER_DEFAULT };
        state->hoverArmed = TrackMouseEvent(&track) != FALSE;
    }
}

void OnMouseHover(HWND window, LPARAM point)
{
    TileTipState* state = TipState(window, true);
    if (state == NULL)
        return;
    state->hoverArmed = false;   // a hover ends the tracking; the next move arms it again
    // A topmost tip must never cover a menu, a dialog or another program; a carried tile's
    // picture says enough.
    int row = 0, column = 0;
    if (GetForegroundWindow() != window || GridIsBusy(window) ||
        !TileWithTipAt(point, &row, &column)) {
        HideTip(state);
        return;
    }
    if (!EnsureTipWindow(window, state))
        return;
    TileTipText(row, column, state->text, _countof(state->text));
    POINT pointer = { GET_X_LPARAM(point), GET_Y_LPARAM(point) };
    ClientToScreen(window, &pointer);
    ShowTip(state, pointer);
    state->row = row;
    state->column = column;
}

void OnMouseLeave(HWND window)
{
    TileTipState* state = TipState(window, false);
    if (state == NULL)
        return;
    state->hoverArmed = false;
    HideTip(state);
}

void HideTileTipOn(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            return;
        break;
    case WM_ENABLE:
        if (wParam)
            return;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_ENTERMENULOOP:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
        break;
    default:
        return;
    }
    // A topmost tip left behind, or one still to come, would stay over the program in front.
    TileTipState* state = TipState(window, false);
    if (state == NULL)
        return;
    HideTip(state);
    CancelPendingTip(window, state);
}

void ReleaseTileTip(HWND window)
{
    TileTipState* state = (TileTipState*)RemovePropW(window, TipProperty);
    if (state == NULL)
        return;
    if (state->tip != NULL && IsWindow(state->tip))
        DestroyWindow(state->tip);
    HeapFree(GetProcessHeap(), 0, state);
}
