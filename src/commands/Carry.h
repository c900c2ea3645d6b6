// Carrying a tile with the mouse: a press with Ctrl or Shift on a filled tile selects it, and a
// move with the button held beyond the system's drag rectangle picks it up. Its picture follows
// the pointer, the tile where it would land is marked, the grid scrolls near the client's
// edges; the release swaps it with the tile under the pointer. Esc, a lost capture or
// activation, or a release beside the grid, outside the window, over the find bar or on the tile
// itself change nothing.
#pragma once
#include <windows.h>

enum { CarryTimerId = 0x7643, CarryTimerMs = 30 };

// Whether a pointer that moved from the press to now has left the drag rectangle: more than
// dragWidth or dragHeight pixels away on either axis (SM_CXDRAG, SM_CYDRAG).
bool BeyondDragRectangle(POINT press, POINT now, int dragWidth, int dragHeight);

// How far the grid scrolls along one axis in one tick of the timer, for a pointer at coordinate
// in a client of the given extent: nothing away from the edges, more the nearer the pointer
// comes to an edge, or the farther it goes past it, up to a limit; negative towards the start.
int CarryScrollStep(int coordinate, int extent);

// A Ctrl or Shift press on a filled tile: holds the mouse for the window until the button goes
// up, so that a move may pick the tile up.
void PressTileToCarry(HWND window, int row, int column, LPARAM point);

// A move of the pointer: true when it belongs to a pressed or carried tile (picked up beyond the
// drag rectangle, then following the pointer), false when nothing is pressed.
bool MoveCarriedTile(HWND window, WPARAM keyState, LPARAM point);

// WM_LBUTTONUP: a carried tile lands; a press that never left the drag rectangle stays a
// selection.
void OnLeftButtonUp(HWND window, WPARAM keyState, LPARAM point);

// WM_TIMER: the carrying's timer scrolls the grid while the pointer is near an edge.
void OnTimer(HWND window, WPARAM timerId);

// Called with every message of the main window before it is handled: while a tile is pressed
// or carried, that is all that goes on. Esc ends it and every other key or character is taken
// here unhandled (true: the message is done with); a lost activation ends it as Esc does.
bool CarryTakesMessage(HWND window, UINT message, WPARAM wParam);

// WM_CAPTURECHANGED: another window took the mouse (or Esc gave it up): the carrying ends and
// changes nothing.
void OnCaptureChanged(HWND window, LPARAM newCapture);

// Whether a tile is pressed or carried now. For tests.
bool TileIsCarried(void);
