// Drawing one tile into the composed frame: its square, the selection frame, its icon and its
// name, and the dimming of a tile the find bar does not match. The frame composer
// (view/Paint.cpp) calls these for every tile it draws.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "model/TileGrid.h"

// White (0xFFFFFF) or black (0x000000) text, whichever reads better on the background.
COLORREF ContrastTextColor(COLORREF background);

// Size of an icon from its mask bitmap; false when its bitmaps cannot be read.
BOOL GetIconSize(HICON icon, int* width, int* height);

enum { IconTableSize = 512 };

// What every filled tile of one paint shares, found once per paint and only when a filled
// tile needs it: an empty grid wakes neither the shell's image lists nor the fonts.
struct PaintShared {
    bool prepared;
    HGDIOBJ originalFont;     // of the device context, once the label font is selected
    HIMAGELIST largeList;     // NULL when the system image list cannot be had
    int iconWidth;
    int iconHeight;
    HICON question;
    int questionWidth;
    int questionHeight;
    int labelReach;           // how far right of a tile's left edge its label may reach
    int labelDepth;           // how far below the icon's bottom its label may reach
    // The icons taken from the image list in this paint, one per distinct index, all
    // destroyed when the paint ends. Drawing straight from the list blends alpha with
    // slightly different rounding than DrawIconEx does, so the icons themselves are drawn.
    int iconIndexes[IconTableSize];   // index + 1; 0 marks a free slot
    HICON icons[IconTableSize];
};

// Selects the label font and finds the image list and the icon sizes, once per paint and only
// when a filled tile is drawn.
void PrepareFilledTiles(HDC dc, PaintShared* shared);

// Looks up a tile's icon index in the system image list.
void LookUpIcon(Tile* tile);

// Destroys the icons the paint took from the image list.
void ReleasePaintIcons(PaintShared* shared);

// Whether two rectangles meet, edges included.
bool Meets(const RECT* a, const RECT* b);

// Everything a tile may draw: its square and, for a filled tile, an icon that may be
// larger than the square and a label that may run on into the gap and beyond.
RECT TileInk(HDC dc, const RECT* r, const Tile* tile, PaintShared* shared);

// Draws a tile: its square, the selection frame, its icon and its name.
void DrawTile(HDC dc, const Tile* tile, const RECT* r, PaintShared* shared);

// Darkens the tiles that are no match of the find bar to half their brightness: each square is
// copied into a small bitmap of known layout, its pixels are halved there and it is copied back.
// A blend through the graphics engine (GdiAlphaBlend) cost several times as much here.
struct Dimmer {
    bool tried;   // made once per frame: a failure is not tried again for every tile
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ original;
    DWORD* pixels;
};
void DimTile(HDC dc, const RECT* r, Dimmer* dimmer);
void ReleaseDimmer(Dimmer* dimmer);
