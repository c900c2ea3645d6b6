// Files and folders dropped from the file manager onto empty tiles.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <stddef.h>

// Moves (row, column) to the first empty tile at or after it in reading order within the
// grid in use, without wrapping. Returns false when there is none.
bool FindEmptyTileFrom(int* row, int* column);

// The text of the box about dropped items that were left out, or an empty text when none was:
// items with no empty tile left, with a path too long for a tile, and whose name could not
// be read.
void DroppedItemsLeftOutText(int withoutTile, int tooLong, int unreadable, wchar_t* out, size_t capacity);

// WM_DROPFILES: fills the empty tile under the drop, and the next empty tiles after it,
// with what was dropped; a drop anywhere else changes nothing. Always releases the drop.
void OnDropFiles(HWND window, HDROP drop);
