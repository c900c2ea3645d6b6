#include "view/Scroll.h"

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/AccessibleEvents.h"

int ScrollRangeMax(int contentExtent, int clientExtent, int margin, int tileGap)
{
    int maximum = contentExtent - clientExtent + margin + tileGap + TileSize;
    return maximum > 0 ? maximum : 1;
}

int RequestedScrollPosition(int code, const SCROLLINFO* info)
{
    switch (code) {
    case SB_LINEUP:        return info->nPos - 1;
    case SB_LINEDOWN:      return info->nPos + 1;
    case SB_PAGEUP:        return info->nPos - (int)info->nPage;
    case SB_PAGEDOWN:      return info->nPos + (int)info->nPage;
    case SB_THUMBTRACK:    return info->nTrackPos;
    case SB_TOP:           return info->nMin;
    case SB_BOTTOM:        return info->nMax;
    default:               return info->nPos;   // SB_THUMBPOSITION, SB_ENDSCROLL, unknown codes
    }
}

int WheelScrollRequest(int delta, int keyState, UINT* message, int* code)
{
    // No remainder is carried: a high-resolution wheel's small deltas never add up.
    if (delta > -WHEEL_DELTA && delta < WHEEL_DELTA)
        return 0;
    bool away = delta >= WHEEL_DELTA;
    switch (keyState) {
    case 0:
        *message = WM_VSCROLL;
        *code = away ? SB_PAGEUP : SB_PAGEDOWN;
        return 1;
    case MK_SHIFT:
        *message = WM_VSCROLL;
        *code = away ? SB_LINEUP : SB_LINEDOWN;
        return 1;
    case MK_CONTROL:
        *message = WM_HSCROLL;
        *code = away ? SB_PAGELEFT : SB_PAGERIGHT;
        return 1;
    case MK_SHIFT | MK_CONTROL:
        *message = WM_HSCROLL;
        *code = away ? SB_LINELEFT : SB_LINERIGHT;
        return 1;
    default:
        return 0;   // a mouse button held
    }
}

int IntoViewPosition(int offset, int viewExtent, int position)
{
    if (offset < 0)
        return position + offset;
    if (offset + TileSize <= viewExtent)
        return position;
    return position + offset + TileSize - viewExtent;
}

static void SetBarRange(HWND window, int bar, int maximum)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = maximum;
    info.nPage = (UINT)TilePitch();
    SetScrollInfo(window, bar, &info, TRUE);
}

// Sets the position (the bar clamps it) and returns where it ended up.
static int SetScrollPosition(int bar, int position)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(MainWindow, bar, &info, TRUE);
    return ReadScrollPosition(bar);
}

void OnSize(HWND window, LPARAM lParam)
{
    AppSettings.clientWidth = LOWORD(lParam);
    AppSettings.clientHeight = HIWORD(lParam);
    RECT outer;
    if (GetWindowRect(window, &outer)) {
        AppSettings.windowWidth = outer.right - outer.left;
        AppSettings.windowHeight = outer.bottom - outer.top;
    }
    // Showing or hiding a bar changes the client size and sends a nested WM_SIZE; the
    // horizontal range then uses the client width that the nested call recorded.
    SetBarRange(window, SB_VERT, ScrollRangeMax(AppSettings.contentHeight, AppSettings.clientHeight, AppSettings.marginTop,
                                           AppSettings.tileGap));
    SetBarRange(window, SB_HORZ, ScrollRangeMax(AppSettings.contentWidth, AppSettings.clientWidth, AppSettings.marginLeft,
                                           AppSettings.tileGap));
}

void UpdateScrollRanges(void)
{
    RECT client = {};
    GetClientRect(MainWindow, &client);
    SendMessageW(MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

// Tiles beyond every grid shown so far in this run have never had their icons looked up.
static void RaiseHighWater(void)
{
    if (AppSettings.rowsHighWater < AppSettings.rows) {
        AppSettings.rowsHighWater = AppSettings.rows;
        AppSettings.iconRefreshMode = 2;
    }
    if (AppSettings.columnsHighWater < AppSettings.columns) {
        AppSettings.columnsHighWater = AppSettings.columns;
        AppSettings.iconRefreshMode = 2;
    }
}

void ShowGridSize(void)
{
    int rows = AppSettings.rows;
    int columns = AppSettings.columns;
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    if (row != 0 && column != 0 && (row > rows || column > columns)) {
        MoveSelection(row < rows ? row : rows, column < columns ? column : columns);
        AnnounceSelection();
        ScrollRowIntoView(AppSettings.selectedRow);
        ScrollColumnIntoView(AppSettings.selectedColumn);
    }
    RaiseHighWater();
    RecomputeContentSize();
    UpdateScrollRanges();
    InvalidateRect(MainWindow, NULL, TRUE);
    AnnounceGridReordered();
}

// Shows the view moved by (dx, dy) pixels of content: what stays in view is moved on the
// screen, and only the strip it uncovers is painted: at once when paintNow, else with the next
// WM_PAINT. The system moves a paint still due with its pixels, and leaves the find bar (a
// child, clipped) in place. The whole client is painted instead while ScrollRepaintsWhole asks.
static bool repaintWhole;

void ScrollRepaintsWhole(bool whole)
{
    repaintWhole = whole;
}

static void ShowViewMoved(HWND window, int dx, int dy, bool paintNow)
{
    if (dx == 0 && dy == 0)
        return;
    if (repaintWhole)
        InvalidateRect(window, NULL, FALSE);
    else
        ScrollWindowEx(window, -dx, -dy, NULL, NULL, NULL, NULL, SW_INVALIDATE);
    if (paintNow)
        UpdateWindow(window);
}

void OnScroll(HWND window, int bar, WPARAM wParam)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    int old = info.nPos;
    int now = SetScrollPosition(bar, RequestedScrollPosition(LOWORD(wParam), &info));
    // The vertical bar leaves its paint to the next WM_PAINT, so that held keys scroll on.
    ShowViewMoved(window, bar == SB_HORZ ? now - old : 0, bar == SB_VERT ? now - old : 0, bar == SB_HORZ);
}

int ScrollByPixels(HWND window, int bar, int pixels)
{
    int old = ReadScrollPosition(bar);
    int now = SetScrollPosition(bar, old + pixels);
    ShowViewMoved(window, bar == SB_HORZ ? now - old : 0, bar == SB_VERT ? now - old : 0, true);
    return now - old;
}

LRESULT OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (AppSettings.wheelStep == 0)
        return DefWindowProcW(window, WM_MOUSEWHEEL, wParam, lParam);
    UINT message = 0;
    int code = 0;
    if (WheelScrollRequest((short)HIWORD(wParam), LOWORD(wParam), &message, &code))
        SendMessageW(window, message, (WPARAM)code, 0);
    return 0;
}

// The into-view move along one bar for a tile span starting at content coordinate start;
// returns how far the bar moved.
static int MoveSpanIntoView(int bar, int start, int viewExtent)
{
    int position = ReadScrollPosition(bar);
    int wanted = IntoViewPosition(start - position, viewExtent, position);
    return wanted != position ? SetScrollPosition(bar, wanted) - position : 0;
}

static void ScrollSpanIntoView(int bar, int start, int viewExtent)
{
    int moved = MoveSpanIntoView(bar, start, viewExtent);
    ShowViewMoved(MainWindow, bar == SB_HORZ ? moved : 0, bar == SB_VERT ? moved : 0, true);
}

int ScrollRowIntoView(int row)
{
    RECT client;
    int height = GetClientRect(MainWindow, &client) ? client.bottom - client.top : AppSettings.contentHeight;
    if (row < 1 || row > AppSettings.rows || AppSettings.columns < 1)
        return 1;
    ScrollSpanIntoView(SB_VERT, AppSettings.marginTop + (row - 1) * TilePitch(), height);
    return 0;
}

int ScrollColumnIntoView(int column)
{
    RECT client;
    int width = GetClientRect(MainWindow, &client) ? client.right - client.left : AppSettings.contentWidth;
    if (AppSettings.rows < 1 || column < 1 || column > AppSettings.columns)
        return 1;
    ScrollSpanIntoView(SB_HORZ, AppSettings.marginLeft + (column - 1) * TilePitch(), width);
    return 0;
}

int ScrollTileIntoViewAbove(int row, int column, int covered)
{
    if (row < 1 || row > AppSettings.rows || column < 1 || column > AppSettings.columns)
        return 1;
    RECT client;
    BOOL known = GetClientRect(MainWindow, &client);
    int height = known ? client.bottom - client.top : AppSettings.contentHeight;
    int width = known ? client.right - client.left : AppSettings.contentWidth;
    int dy = MoveSpanIntoView(SB_VERT, AppSettings.marginTop + (row - 1) * TilePitch(), height - covered);
    int dx = MoveSpanIntoView(SB_HORZ, AppSettings.marginLeft + (column - 1) * TilePitch(), width);
    ShowViewMoved(MainWindow, dx, dy, false);
    return 0;
}

void RestoreScrollPositions(void)
{
    // A bar already at the saved position needs no change, and no redraw on the way.
    if (ReadScrollPosition(SB_HORZ) != AppSettings.scrollPosH)
        SetScrollPosition(SB_HORZ, AppSettings.scrollPosH);
    if (ReadScrollPosition(SB_VERT) != AppSettings.scrollPosV)
        SetScrollPosition(SB_VERT, AppSettings.scrollPosV);
}
