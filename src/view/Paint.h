// Painting of the grid: every frame is composed off screen and shown with one BitBlt.
#pragma once
#include <windows.h>

// White (0xFFFFFF) or black (0x000000) text, whichever reads better on the background.
COLORREF ContrastTextColor(COLORREF background);

// Size of an icon from its mask bitmap; false when its bitmaps cannot be read.
BOOL GetIconSize(HICON icon, int* width, int* height);

// Draws the grid in use into a memory device context for a client rectangle and the two
// scroll positions, resolving icons as iconRefreshMode asks, and resets iconRefreshMode
// to 0. With clientKnown false every tile counts as visible.
void ComposeFrame(HDC dc, const RECT* client, BOOL clientKnown, int scrollH, int scrollV);

// WM_PAINT: composes the whole client area and copies it to the screen in one BitBlt.
void OnPaint(HWND window);
