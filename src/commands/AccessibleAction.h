// A screen reader's default action on a tile, posted by the accessible list (view/Accessible.h).
#pragma once
#include <windows.h>

// WM_TILE_ACCESSIBLE_ACTION: selects the tile and runs it as Return does.
void OnTileAccessibleAction(HWND window, WPARAM child);
