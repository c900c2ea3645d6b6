// The tooltip of a filled tile: its whole name and its whole target, shown when the pointer
// rests on the tile for the system's hover time, only while the window is in front with nothing
// of it open. While no tile is filled, an empty tile's tip tells how to fill it. Its control and
// its state belong to the window it serves and go with it.
#pragma once
#include <windows.h>

// The tip's text for a tile: the whole name (TileWholeName), a line break, the whole target.
// For an empty tile, how to fill it while no tile is filled, else an empty text.
void TileTipText(int row, int column, wchar_t* out, size_t capacity);

// Where a tip of the given size goes for a pointer at a screen point: below the pointer,
// moved left to end inside the work area, above the pointer where it would run past the
// bottom, and never past the left or the top.
POINT PlaceTileTip(POINT pointer, SIZE tip, RECT workArea);

// On a move of the pointer: arms the hover, and hides the tip once the pointer leaves its tile.
void TrackTileTip(HWND window, LPARAM point);

// WM_MOUSEHOVER: shows the tip of the tile under the pointer (its square, not the gap beside
// it), its text taken from the model now, kept on the pointer's monitor; nothing while another
// window is in front, or a menu, a dialog or a box of the window is open, or a tile is carried.
// The tooltip control is made on first use.
void OnMouseHover(HWND window, LPARAM point);

// WM_MOUSELEAVE: hides the tip.
void OnMouseLeave(HWND window);

// Hides the tip, and forgets the one the pointer is resting towards, on the messages that end
// it: a button pressed (on the frame too), a key, an Alt key, a scroll, the wheel, a menu opened,
// the window disabled by a dialog or a box, the focus or the activation lost, the capture taken
// or given up.
void HideTileTipOn(HWND window, UINT message, WPARAM wParam);

// WM_NCDESTROY: frees the window's tip state (the control, owned by the window, is gone).
void ReleaseTileTip(HWND window);

// The window's tooltip control, NULL until the pointer first rested on a filled tile. For tests.
HWND TileTipWindow(HWND window);
