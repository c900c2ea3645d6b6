// Changes to the tiles as the user makes them and takes them back. Each change is recorded as
// one step of the history (model/TileHistory.h): started with the tiles it may touch noted,
// ended by the tail that shows and saves it.
#pragma once
#include <windows.h>

// Starts the record of a change, noting a tile as it is before the change.
void StartTileChange(int row, int column);

// Notes another tile that the change being recorded may touch (a drop fills several).
void NoteTileChange(int row, int column);

// The tail of a change to one tile: ends the change's record, repaints the tile (icons looked
// up again) and saves.
void TileChanged(int row, int column);

// The tail of a change that moved the selection to (row, column) and repainted what it
// changed: selects the tile, ends the record (which keeps that selection for doing it again),
// saves (the file then holds the selection), and shows the selection. For a swap and for a step
// taken back or done again.
void TilesChangedAndSelect(HWND window, int row, int column);

// What a character does to the history: -1 take back (Ctrl+Z, the character 26), +1 do again
// (Ctrl+Y, 25, or Ctrl+Shift+Z), 0 nothing (every other character, which the letter search
// takes).
int HistoryKeyOf(wchar_t character, bool shift);

// Takes back the last change to the tiles or the grid size, or does again the last one taken
// back: the tiles and the grid size get their state back, screen readers are told, and it is
// saved. Taking back selects the first tile it changed, doing again the tile the change
// selected. With nothing to take back (or to do again), the window flashes.
void UndoTileChange(HWND window);
void RedoTileChange(HWND window);

// WM_CHAR: Ctrl+Z and Ctrl+Y go to the history, every other character to the keyboard's.
void OnCharacter(HWND window, WPARAM character);
