// Showing the selection: every move of the selected tile that the user sees goes through here.
// Each function moves the selection (MoveSelection), tells screen readers, repaints the old and
// the new frame and brings the tile into view; they differ only in how much they repaint and
// how they scroll, as their callers always have.
#pragma once
#include <windows.h>

// The letter search and a screen reader's select: selects (row, column), repaints the client
// and brings the tile into view, row first.
void SelectAndShowTile(int row, int column);

// An arrow key's step: as SelectAndShowTile, but only the stepped axis is scrolled (the row
// when alongRows, else the column), so that the other bar stays where the user left it.
void SelectAndShowStep(int row, int column, bool alongRows);

// Home and End: selects a corner tile and sends the window the scroll codes for that corner
// (SB_TOP or SB_BOTTOM, SB_LEFT or SB_RIGHT).
void SelectCornerAndShow(HWND window, int row, int column, int verticalCode, int horizontalCode);

// A click on a tile. A left click repaints the two tiles at once; a right click repaints the
// whole client after scrolling, under the menu it opens.
void SelectClickedTile(int row, int column, bool leftClick);

// The view's half of a move already made, away from (oldRow, oldColumn; 0 for none): the
// events, the two frames repainted and the tile brought into view. For a change that selects
// before it saves, so that the file holds the selection.
void ShowMovedSelection(int oldRow, int oldColumn);

// The find bar: selects a match and brings it into view above the bottom `covered` pixels.
// The frames are repainted only when the selection moved; the tile is scrolled to either way.
void SelectAndShowAbove(int row, int column, int covered);
