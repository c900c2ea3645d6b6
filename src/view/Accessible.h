// The grid as screen readers see it: MainWindow's client is an accessible list whose children
// are the tiles of the grid in use, in reading order (TileChildId: child 1 is tile (1, 1)).
// What they are told unasked is in view/AccessibleEvents.h.
#pragma once
#include <windows.h>

// Asks MainWindow to carry out a tile's default action, or only to select the tile: the
// accessible object posts it, so that a screen reader's call returns at once.
const UINT WM_TILE_ACCESSIBLE_ACTION = WM_APP + 1;

// WM_GETOBJECT: the accessible list for OBJID_CLIENT, made at the first request; anything
// else goes to the default window procedure.
LRESULT OnGetObject(HWND window, WPARAM wParam, LPARAM lParam);

// WM_TILE_ACCESSIBLE_ACTION: wParam is the child (the tile), lParam 1 to run it as Return
// does, 0 only to select it.
void OnTileAccessibleAction(HWND window, WPARAM child, LPARAM run);

// Cuts the accessible list off from its window, which is gone (WM_NCDESTROY, the last of its
// messages): clients that still hold it get errors, and the program's own reference is
// released.
void ReleaseGridAccessible(void);
