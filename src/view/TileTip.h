// The tooltip of a filled tile: its whole name and its whole target, shown when the pointer
// rests on the tile for the system's hover time.
#pragma once
#include <windows.h>

// The tip's text for a tile: the whole name (TileWholeName), a line break, the whole target;
// an empty text for an empty tile.
void TileTipText(int row, int column, wchar_t* out, size_t capacity);

// WM_MOUSEMOVE: arms the hover, and hides the tip once the pointer leaves its tile.
void OnMouseMove(HWND window, LPARAM point);

// WM_MOUSEHOVER: shows the tip of the filled tile under the pointer (its square, not the gap
// beside it), its text taken from the model now. The tooltip control is made on first use.
void OnMouseHover(HWND window, LPARAM point);

// WM_MOUSELEAVE: hides the tip.
void OnMouseLeave(HWND window);

// Hides the tip on the messages that end it: a click, a key, a scroll, the wheel.
void HideTileTipOn(UINT message);

// The tooltip control, NULL until the pointer first rested on a filled tile. For tests.
HWND TileTipWindow(void);
