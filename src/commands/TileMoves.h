// Moving tiles: Alt and an arrow key swap the selected tile with its neighbour, and a tile
// carried with the mouse (commands/Carry.h) swaps with the one it lands on.
#pragma once
#include <windows.h>

// Swaps the contents of two tiles of the grid in use as one change that can be taken back; the
// selection goes to (toRow, toColumn); both tiles are repainted and told to screen readers, and
// it is saved. Into an empty tile this is a move. 0, or -1 (nothing done) for the same tile or a
// tile outside the grid in use.
int SwapTilesAndSelect(HWND window, int fromRow, int fromColumn, int toRow, int toColumn);

// The step of an arrow key: true with rowStep and columnStep set (-1, 0 or +1), false for any
// other key.
bool ArrowStep(WPARAM virtualKey, int* rowStep, int* columnStep);

// Swaps the selected tile with its neighbour one step away, wrapping within its row or column
// as the arrow keys do; the selection follows the tile. -1 when there is nothing to swap with.
int MoveSelectedTile(HWND window, int rowStep, int columnStep);

// WM_SYSKEYDOWN: Alt with an arrow moves the selected tile; every key also goes to the default
// window procedure, which keeps Alt+F4 and Alt+Space and, told that a key came with the Alt,
// opens no menu when the Alt is let go.
LRESULT OnSysKeyDown(HWND window, WPARAM virtualKey, LPARAM keyData);
