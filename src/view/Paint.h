// Painting of the grid: every frame is composed off screen and shown with one BitBlt.
#pragma once
#include <windows.h>

// Draws the part of the grid that meets area (client coordinates) into a memory device
// context, for a client rectangle and the two scroll positions, and resets
// iconRefreshMode to 0. A refresh asks for icons to be looked up: those of the tiles
// meeting the client (mode 1) or of the whole grid in use (mode 2); each is looked up
// when its tile is next drawn. With clientKnown false every tile counts as visible.
void ComposeArea(HDC dc, const RECT* client, BOOL clientKnown, const RECT* area, int scrollH, int scrollV);

// The same for the whole client rectangle.
void ComposeFrame(HDC dc, const RECT* client, BOOL clientKnown, int scrollH, int scrollV);

// Composes the part of the window's client area within update off screen and copies it
// to target in one BitBlt.
void PaintClientArea(HWND window, HDC target, const RECT* update);

// Has the tile's icon looked up when the tile is next drawn, whenever that is: for a tile
// filled while out of view (a drop that runs on past the visible tiles).
void RequestIconLookUp(int row, int column);

// A tile being carried with the mouse, as the painter shows it: the tile's picture where the
// pointer holds it, and a mark on the tile where it would land.
struct CarriedTile {
    int row;            // the tile carried; 0 when none is
    int column;
    RECT picture;       // where its picture is drawn, in client coordinates
    int landingRow;     // where it would land; 0 for nowhere (beside the grid, outside the window)
    int landingColumn;
};

// Shows a carried tile as given, or none for NULL, repainting only what changed: the picture's
// old and new places and the old and new landing tiles.
void ShowCarriedTile(const CarriedTile* carried);

// The carried tile shown, row 0 when none. For tests.
CarriedTile ShownCarriedTile(void);

// WM_PAINT: repaints what the update region asks for.
void OnPaint(HWND window);
