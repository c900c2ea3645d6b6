#include "model/Geometry.h"

#include "model/TileGrid.h"

int WrapStep(int value, int step, int count)
{
    int next = (value + step) % (count + 1);
    if (next == 0)
        next = step < 0 ? count : 1;
    return next;
}

int NeighbourInGrid(int row, int column, int rowStep, int columnStep, int* toRow, int* toColumn)
{
    if (row < 1 || row > AppSettings.rows || column < 1 || column > AppSettings.columns)
        return 1;
    *toRow = rowStep != 0 ? WrapStep(row, rowStep, AppSettings.rows) : row;
    *toColumn = columnStep != 0 ? WrapStep(column, columnStep, AppSettings.columns) : column;
    return 0;
}

int TilePitch(void)
{
    return TileSize + AppSettings.tileGap;
}

BOOL QueryScrollPosition(int bar, int* position)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!GetScrollInfo(MainWindow, bar, &info))
        return FALSE;
    *position = info.nPos;
    return TRUE;
}

int ReadScrollPosition(int bar)
{
    int position = 0;
    return QueryScrollPosition(bar, &position) ? position : 0;
}

int TileRectAt(int row, int column, int scrollH, int scrollV, RECT* rect)
{
    if (row < 1 || row > AppSettings.rows || column < 1 || column > AppSettings.columns)
        return 1;
    rect->left = AppSettings.marginLeft + (column - 1) * TilePitch() - scrollH;
    rect->right = rect->left + TileSize;
    rect->top = AppSettings.marginTop + (row - 1) * TilePitch() - scrollV;
    rect->bottom = rect->top + TileSize;
    return 0;
}

// The 1-based index of the first tile along one axis whose inclusive span
// [start, start + TileSize] holds the content coordinate, or 0 when none does.
static int HitIndexOnAxis(int coordinate, int margin, int count)
{
    if (coordinate < margin)
        return 0;
    int pitch = TilePitch();
    int index = (coordinate - margin) / pitch + 1;
    // With a gap below 1 the spans overlap and the lower index wins.
    if (index > 1 && coordinate <= margin + (index - 2) * pitch + TileSize)
        index--;
    if (index > count)
        return 0;
    if (coordinate > margin + (index - 1) * pitch + TileSize)
        return 0;
    return index;
}

int HitTestAt(int x, int y, int scrollH, int scrollV, int* row, int* column, int* onTile, int* filled)
{
    *row = 0;
    *column = 0;
    *onTile = 0;
    *filled = 0;

    int r = HitIndexOnAxis(y + scrollV, AppSettings.marginTop, AppSettings.rows);
    int c = HitIndexOnAxis(x + scrollH, AppSettings.marginLeft, AppSettings.columns);
    if (r == 0 || c == 0)
        return 0;

    *row = r;
    *column = c;
    *onTile = 1;
    *filled = TileAt(r, c)->filled ? 1 : 0;
    return 1 + 2 * *filled;
}

int TileRect(int row, int column, RECT* rect)
{
    if (row < 1 || row > AppSettings.rows || column < 1 || column > AppSettings.columns)
        return 1;
    int scrollV = ReadScrollPosition(SB_VERT);
    int scrollH = ReadScrollPosition(SB_HORZ);
    return TileRectAt(row, column, scrollH, scrollV, rect);
}

int InvalidateTile(int row, int column, BOOL erase)
{
    RECT r;
    if (TileRect(row, column, &r) != 0)
        return 1;
    InvalidateRect(MainWindow, &r, erase);
    return 0;
}

int HitTestTile(int x, int y, int* row, int* column, int* onTile, int* filled)
{
    int scrollV = ReadScrollPosition(SB_VERT);
    int scrollH = ReadScrollPosition(SB_HORZ);
    return HitTestAt(x, y, scrollH, scrollV, row, column, onTile, filled);
}

int TileSquareAt(int x, int y, int* row, int* column)
{
    int onTile, filled;
    RECT square;
    HitTestTile(x, y, row, column, &onTile, &filled);
    if (onTile && TileRect(*row, *column, &square) == 0 && x < square.right && y < square.bottom)
        return 1;
    *row = 0;
    *column = 0;
    return 0;
}

long TileChildId(int row, int column)
{
    if (row < 1 || row > AppSettings.rows || column < 1 || column > AppSettings.columns)
        return 0;
    return (long)(row - 1) * AppSettings.columns + column;
}

long TileChildCount(void)
{
    return (long)AppSettings.rows * AppSettings.columns;
}

int TileOfChildId(long child, int* row, int* column)
{
    if (child < 1 || child > TileChildCount())
        return 1;
    *row = (int)((child - 1) / AppSettings.columns) + 1;
    *column = (int)((child - 1) % AppSettings.columns) + 1;
    return 0;
}
