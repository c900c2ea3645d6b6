// What screen readers are told, unasked: the model changes a tile or the selection, the code
// that made the change says so here, and these raise the events on MainWindow's client, the
// accessible list whose children are the tiles of the grid in use (TileChildId).
#pragma once
#include <windows.h>

// True while the window has the keyboard: it is the focus of the foreground thread and no
// menu is open. A window in the background, behind one of its own dialogs or under an open
// menu does not.
bool GridHasKeyboardFocus(HWND window);

// A tile's name or target changed (filled, emptied, renamed, given another's contents).
// Nothing before the window exists or for a tile outside the grid in use.
void AnnounceTileChanged(int row, int column);

// The selection moved (MoveSelection): the selection event for the selected tile always, the
// focus event only while the window has the keyboard, so that a screen reader never leaves a
// dialog or another program for the grid.
void AnnounceSelection(void);

// The grid's size changed: the tiles are numbered anew.
void AnnounceGridReordered(void);

// WM_SETFOCUS: the window has the keyboard again, and with it the selected tile.
void OnSetFocus(HWND window);
