// Mapping between rows and columns of the grid in use and client pixels of MainWindow.
#pragma once
#include <windows.h>

// One step from value (1..count) by step (-1 or +1), wrapping to the other end.
int WrapStep(int value, int step, int count);

// The tile one step from (row, column) in the grid in use, wrapping within its row or column
// as the arrow keys do. 0 with toRow and toColumn set, or 1, writing nothing, for a tile outside
// the grid in use.
int NeighbourInGrid(int row, int column, int rowStep, int columnStep, int* toRow, int* toColumn);

// Distance between the left edges of adjacent columns (and top edges of adjacent rows).
int TilePitch(void);

// The scroll position of one of MainWindow's scroll bars (SB_HORZ or SB_VERT). Returns
// FALSE, with the thread's last error telling why, when the bar cannot be read.
BOOL QueryScrollPosition(int bar, int* position);

// The same, counting a bar that cannot be read as position 0.
int ReadScrollPosition(int bar);

// Client rectangle of a tile for the given scroll positions. Returns 1, without writing
// the rectangle, for a row or column outside the grid in use; 0 otherwise.
int TileRectAt(int row, int column, int scrollH, int scrollV, RECT* rect);

// The tile under a client point for the given scroll positions. Returns 0 (no tile),
// 1 (an empty tile) or 3 (a filled tile); row and column are 0 when no tile is hit.
// A tile's hit area includes the gap to its right and below.
int HitTestAt(int x, int y, int scrollH, int scrollV, int* row, int* column, int* onTile, int* filled);

// The same two operations with the live scroll positions of MainWindow.
int TileRect(int row, int column, RECT* rect);
int HitTestTile(int x, int y, int* row, int* column, int* onTile, int* filled);

// The tile whose square (its TileSize pixels, not the gap to its right and below) holds a
// client point, at the live scroll positions: 1 with row and column set, else 0 with both 0.
// What the pointer rests on for the tip, and where a screen reader's hit test finds a tile.
int TileSquareAt(int x, int y, int* row, int* column);

// A tile's child number for screen readers: its place in reading order through the grid in
// use, 1 for (1, 1). 0 (the list itself) for a tile outside the grid in use.
long TileChildId(int row, int column);

// How many children the list has: the tiles of the grid in use.
long TileChildCount(void);

// The tile of a child number: 0 with row and column set, or 1, writing nothing, for a
// number outside 1 .. rows x columns.
int TileOfChildId(long child, int* row, int* column);

// Invalidates a tile's rectangle on MainWindow at the live scroll positions; 1, with
// nothing invalidated, for a tile outside the grid in use, else 0.
int InvalidateTile(int row, int column, BOOL erase);
