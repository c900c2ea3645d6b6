#include "view/Paint.h"

#include <string.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/FindBar.h"
#include "view/Scroll.h"
#include "view/TileDraw.h"

// The margins and the gaps between the tiles.
static const COLORREF GapColor = 0x000000;
// The mark of the tile where a carried tile would land, and the edge of the carried picture.
static const COLORREF LandingColor = RGB(255, 196, 0);
static const int LandingMarkWidth = 3;
static const BYTE CarriedPictureAlpha = 190;

static CarriedTile carried;

// Tiles that a full refresh asked to have looked up, and that have not been drawn since.
// Their look-up waits for their first paint, so that tiles out of sight cost nothing.
static unsigned char lookupPending[MaxRows * MaxColumns];

// A frame of the landing colour just inside a rectangle.
static void DrawLandingFrame(HDC dc, const RECT* r)
{
    HBRUSH brush = CreateSolidBrush(LandingColor);
    RECT edge = *r;
    for (int i = 0; i < LandingMarkWidth; i++) {
        FrameRect(dc, &edge, brush);
        InflateRect(&edge, -1, -1);
    }
    DeleteObject(brush);
}

// The carried tile's picture over everything, translucent so that the tile under it shows, and
// the mark of the tile where it would land over that.
static void DrawCarriedTile(HDC dc, const RECT* area, int scrollH, int scrollV)
{
    if (Meets(&carried.picture, area)) {
        Tile picture = *TileAt(carried.row, carried.column);
        picture.selected = 0;
        HDC pictureDc = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, TileSize, TileSize);
        HGDIOBJ originalBitmap = SelectObject(pictureDc, bitmap);
        HGDIOBJ originalBrush = SelectObject(pictureDc, GetStockObject(DC_BRUSH));
        PaintShared shared;
        memset(&shared, 0, sizeof(shared));
        RECT square = { 0, 0, TileSize, TileSize };
        if (picture.filled)
            PrepareFilledTiles(pictureDc, &shared);
        DrawTile(pictureDc, &picture, &square, &shared);
        DrawLandingFrame(pictureDc, &square);
        BLENDFUNCTION blend = { AC_SRC_OVER, 0, CarriedPictureAlpha, 0 };
        GdiAlphaBlend(dc, carried.picture.left, carried.picture.top, TileSize, TileSize, pictureDc, 0, 0, TileSize,
                      TileSize, blend);
        ReleasePaintIcons(&shared);
        if (shared.prepared)
            SelectObject(pictureDc, shared.originalFont);
        SelectObject(pictureDc, originalBrush);
        SelectObject(pictureDc, originalBitmap);
        DeleteObject(bitmap);
        DeleteDC(pictureDc);
    }
    RECT landing;
    bool elsewhere = carried.landingRow != carried.row || carried.landingColumn != carried.column;
    if (carried.landingRow != 0 && elsewhere &&
        TileRectAt(carried.landingRow, carried.landingColumn, scrollH, scrollV, &landing) == 0 && Meets(&landing, area))
        DrawLandingFrame(dc, &landing);
}

void ComposeArea(HDC dc, const RECT* client, BOOL clientKnown, const RECT* area, int scrollH, int scrollV)
{
    HBRUSH blackBrush = CreateSolidBrush(GapColor);
    FillRect(dc, area, blackBrush);
    DeleteObject(blackBrush);

    // Anisotropic without extents keeps one logical unit per pixel.
    SetMapMode(dc, MM_ANISOTROPIC);

    // One brush whose colour each tile sets, instead of a brush made and freed per tile.
    HGDIOBJ originalBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    PaintShared shared;
    memset(&shared, 0, sizeof(shared));
    int mode = AppSettings.iconRefreshMode;
    const unsigned char* findMatches = FindBarMatches(MainWindow);
    Dimmer dimmer = {};

    int pitch = TilePitch();
    for (int row = 1; row <= AppSettings.rows; row++) {
        RECT r;
        r.top = AppSettings.marginTop - scrollV + (row - 1) * pitch;
        r.bottom = r.top + TileSize;
        r.left = AppSettings.marginLeft - scrollH;
        r.right = r.left + TileSize;
        for (int column = 1; column <= AppSettings.columns; column++, r.left += pitch, r.right += pitch) {
            // The tiles that a refresh asks for (those meeting the client, or all of them)
            // are looked up when they are next drawn; only what meets the area to compose
            // needs drawing now.
            if (mode != 2 && clientKnown && !Meets(&r, client))
                continue;
            int index = (row - 1) * MaxColumns + (column - 1);
            if (mode != 0)
                lookupPending[index] = 1;
            Tile* tile = TileAt(row, column);
            if (clientKnown && !Meets(&r, area)) {
                RECT ink = TileInk(dc, &r, tile, &shared);
                if (!Meets(&ink, area))
                    continue;
            }
            if (tile->filled && tile->iconIndex == 0 && lookupPending[index])
                LookUpIcon(tile);
            lookupPending[index] = 0;
            if (tile->filled)
                PrepareFilledTiles(dc, &shared);
            DrawTile(dc, tile, &r, &shared);
            if (findMatches != NULL && !findMatches[index])
                DimTile(dc, &r, &dimmer);
        }
    }

    if (carried.row != 0)
        DrawCarriedTile(dc, area, scrollH, scrollV);

    ReleasePaintIcons(&shared);
    ReleaseDimmer(&dimmer);
    if (shared.prepared)
        SelectObject(dc, shared.originalFont);
    SelectObject(dc, originalBrush);
    AppSettings.iconRefreshMode = 0;
}

void ComposeFrame(HDC dc, const RECT* client, BOOL clientKnown, int scrollH, int scrollV)
{
    ComposeArea(dc, client, clientKnown, client, scrollH, scrollV);
}

void PaintClientArea(HWND window, HDC target, const RECT* update)
{
    RECT client = {};
    BOOL clientKnown = GetClientRect(window, &client);
    RECT area = *update;
    if (clientKnown)
        IntersectRect(&area, update, &client);
    int width = area.right - area.left;
    int height = area.bottom - area.top;

    // The off-screen picture covers only the area to repaint; its origin is moved so that
    // everything is drawn in client coordinates.
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1);
    HGDIOBJ originalBitmap = SelectObject(memory, bitmap);
    SetViewportOrgEx(memory, -area.left, -area.top, NULL);

    int scrollV = ReadScrollPosition(SB_VERT);
    int scrollH = ReadScrollPosition(SB_HORZ);
    ComposeArea(memory, &client, clientKnown, &area, scrollH, scrollV);

    if (width > 0 && height > 0)
        BitBlt(target, area.left, area.top, width, height, memory, area.left, area.top, SRCCOPY);
    SelectObject(memory, originalBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

static void InvalidateLanding(const CarriedTile* state)
{
    if (state->row != 0 && state->landingRow != 0)
        InvalidateTile(state->landingRow, state->landingColumn, FALSE);
}

void ShowCarriedTile(const CarriedTile* next)
{
    CarriedTile none = {};
    const CarriedTile* shown = next != NULL ? next : &none;
    bool moved = shown->row != carried.row || !EqualRect(&shown->picture, &carried.picture);
    bool landed = shown->row != carried.row || shown->landingRow != carried.landingRow ||
                  shown->landingColumn != carried.landingColumn;
    if (MainWindow != NULL && moved && carried.row != 0)
        InvalidateRect(MainWindow, &carried.picture, FALSE);
    if (MainWindow != NULL && landed)
        InvalidateLanding(&carried);
    carried = *shown;
    // The picture stays under the pointer: while it is shown a scroll must not move its pixels.
    ScrollRepaintsWhole(carried.row != 0);
    if (MainWindow != NULL && moved && carried.row != 0)
        InvalidateRect(MainWindow, &carried.picture, FALSE);
    if (MainWindow != NULL && landed)
        InvalidateLanding(&carried);
}

CarriedTile ShownCarriedTile(void)
{
    return carried;
}

void RequestIconLookUp(int row, int column)
{
    lookupPending[(row - 1) * MaxColumns + (column - 1)] = 1;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    PaintClientArea(window, screen, &paint.rcPaint);
    EndPaint(window, &paint);
}
