// The find bar: Ctrl+F opens a one-line field over the bottom edge of the client area. Every
// tile whose whole name or target contains the text typed is a match, the others are drawn
// dimmed, and the selection goes from match to match; Enter runs the selected match as Return
// does. The bar's windows and state belong to the main window they serve and go with it.
#pragma once
#include <windows.h>

// The character that Ctrl+F types.
const wchar_t FindKeyCharacter = 6;

// WM_CHAR Ctrl+F: opens the bar with an empty field and gives it the keyboard; in an open bar,
// selects the field's text.
void OpenFindBar(HWND window);

// Closes the bar: the field is emptied, the normal drawing comes back and the window has the
// keyboard again. The selection stays where the find left it.
void CloseFindBar(HWND window);

bool FindBarIsOpen(HWND window);

// Called with every message of the main window before it is handled: a click or a drop on the
// grid closes the bar first (the click then acts as a click), a new size puts the bar on the
// bottom edge again.
void UpdateFindBarOn(HWND window, UINT message);

// WM_ACTIVATE: a window activated while the bar is open gives the keyboard back to the field,
// where the default procedure would give it to the window.
LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam);

// For the painter: the match of every tile (as FindMatchingTiles lays it out) while the bar is
// open with a text in it, or NULL while nothing is dimmed.
const unsigned char* FindBarMatches(HWND window);

// The bar's own window while it is open, else NULL: screen readers find it after the tiles.
HWND OpenFindBarWindow(HWND window);

// The bar's field and its count, NULL while the window has no bar. For tests.
HWND FindBarField(HWND window);
HWND FindBarCount(HWND window);
