#include "view/Paint.h"

#include <shellapi.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "shell/Com.h"
#include "view/FindBar.h"

static const COLORREF Black = 0x000000;
static const COLORREF White = 0xFFFFFF;
static const int SelectionPenWidth = 5;
static const int LabelIndent = 12;
static const int LabelLineHeight = 12;
// The mark of the tile where a carried tile would land, and the edge of the carried picture.
static const COLORREF LandingColor = RGB(255, 196, 0);
static const int LandingMarkWidth = 3;
static const BYTE CarriedPictureAlpha = 190;

static CarriedTile carried;

// Shell_GetImageLists is exported by ordinal only.
typedef BOOL(WINAPI* ShellGetImageListsProc)(HIMAGELIST* large, HIMAGELIST* small);

// The one record that icon look-ups fill.
static SHFILEINFOW iconLookupInfo;

// Tiles that a full refresh asked to have looked up, and that have not been drawn since.
// Their look-up waits for their first paint, so that tiles out of sight cost nothing.
static unsigned char lookupPending[MaxRows * MaxColumns];

COLORREF ContrastTextColor(COLORREF background)
{
    double red = GetRValue(background);
    double green = GetGValue(background);
    double blue = GetBValue(background);
    double s = green * 1.3 + red + blue * 0.7;
    return s < 280.0 ? White : Black;
}

BOOL GetIconSize(HICON icon, int* width, int* height)
{
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return FALSE;

    BOOL known = FALSE;
    BITMAP mask;
    if (GetObjectW(info.hbmMask, sizeof(mask), &mask) == sizeof(mask)) {
        *width = mask.bmWidth;
        // A monochrome icon stacks its AND and XOR masks in one bitmap.
        *height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
        known = TRUE;
    }
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return known;
}

static ShellGetImageListsProc FindShellGetImageLists(void)
{
    static ShellGetImageListsProc proc;
    static bool searched;
    if (!searched) {
        searched = true;
        HMODULE shell = GetModuleHandleW(L"shell32.dll");
        if (shell == NULL)
            shell = LoadLibraryW(L"shell32.dll");
        if (shell != NULL)
            proc = (ShellGetImageListsProc)(void*)GetProcAddress(shell, MAKEINTRESOURCEA(71));
    }
    return proc;
}

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

static void MeasureIconOrGuess(HICON icon, int* width, int* height)
{
    if (!GetIconSize(icon, width, height)) {
        *width = GetSystemMetrics(SM_CXICON);
        *height = GetSystemMetrics(SM_CYICON);
    }
}

static void PrepareFilledTiles(HDC dc, PaintShared* shared)
{
    if (shared->prepared)
        return;
    shared->prepared = true;
    shared->originalFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    shared->labelReach = LabelIndent + NameLineLength * metrics.tmMaxCharWidth + metrics.tmOverhang;
    shared->labelDepth = LabelLineHeight + metrics.tmHeight;
    shared->question = LoadIconW(NULL, IDI_QUESTION);
    MeasureIconOrGuess(shared->question, &shared->questionWidth, &shared->questionHeight);
    HIMAGELIST smallList = NULL;
    // A shell call like any other: the image lists come from comctl32, loaded first.
    EnsureComInitialized();
    ShellGetImageListsProc getImageLists = FindShellGetImageLists();
    if (getImageLists == NULL || !getImageLists(&shared->largeList, &smallList))
        shared->largeList = NULL;
    if (shared->largeList == NULL || !ImageList_GetIconSize(shared->largeList, &shared->iconWidth, &shared->iconHeight)) {
        shared->iconWidth = GetSystemMetrics(SM_CXICON);
        shared->iconHeight = GetSystemMetrics(SM_CYICON);
    }
}

static void DrawSelectionFrame(HDC dc, const RECT* r)
{
    HPEN whitePen = CreatePen(PS_SOLID, SelectionPenWidth, White);
    HGDIOBJ previousPen = SelectObject(dc, whitePen);
    MoveToEx(dc, r->left + 2, r->top + 2, NULL);
    LineTo(dc, r->right - 3, r->top + 2);
    LineTo(dc, r->right - 3, r->bottom - 3);
    LineTo(dc, r->left + 2, r->bottom - 3);
    LineTo(dc, r->left + 2, r->top + 2);
    SelectObject(dc, previousPen);
    DeleteObject(whitePen);

    MoveToEx(dc, r->left + 7, r->top + 7, NULL);
    LineTo(dc, r->right - 8, r->top + 7);
    LineTo(dc, r->right - 8, r->bottom - 8);
    LineTo(dc, r->left + 7, r->bottom - 8);
    LineTo(dc, r->left + 7, r->top + 7);
}

static void LookUpIcon(Tile* tile)
{
    EnsureComInitialized();
    DWORD_PTR imageList = SHGetFileInfoW(tile->path, FILE_ATTRIBUTE_NORMAL, &iconLookupInfo, sizeof(iconLookupInfo),
                                         SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME | SHGFI_DISPLAYNAME |
                                             SHGFI_SHELLICONSIZE);
    tile->iconIndex = imageList != 0 ? iconLookupInfo.iIcon + 1 : 0;
}

// The icon of an image-list index for this paint: made on its first use, kept in the
// paint's table. NULL when the list cannot give one. *owned tells the caller to destroy
// an icon that found no room in the table.
static HICON PaintIcon(PaintShared* shared, int iconIndex, bool* owned)
{
    *owned = false;
    if (shared->largeList == NULL)
        return NULL;
    unsigned slot = (unsigned)iconIndex % IconTableSize;
    for (int probe = 0; probe < IconTableSize; probe++, slot = (slot + 1) % IconTableSize) {
        if (shared->iconIndexes[slot] == iconIndex)
            return shared->icons[slot];
        if (shared->iconIndexes[slot] == 0) {
            HICON icon = ImageList_GetIcon(shared->largeList, iconIndex - 1, ILD_NORMAL);
            if (icon != NULL) {
                shared->iconIndexes[slot] = iconIndex;
                shared->icons[slot] = icon;
            }
            return icon;
        }
    }
    *owned = true;
    return ImageList_GetIcon(shared->largeList, iconIndex - 1, ILD_NORMAL);
}

static void ReleasePaintIcons(PaintShared* shared)
{
    for (int slot = 0; slot < IconTableSize; slot++)
        if (shared->iconIndexes[slot] != 0)
            DestroyIcon(shared->icons[slot]);
}

// Draws the tile's icon centred on (left + 51, top + 51) at its own size, or the question
// mark while it is not resolved; reports the icon's top and height for the label.
static void DrawTileIcon(HDC dc, const Tile* tile, const RECT* r, PaintShared* shared, int* iconTop, int* iconHeight)
{
    int centre = TileSize / 2;
    bool owned = false;
    HICON icon = tile->iconIndex != 0 ? PaintIcon(shared, tile->iconIndex, &owned) : NULL;
    int x, y;
    if (icon != NULL) {
        x = r->left + centre - shared->iconWidth / 2;
        y = r->top + centre - shared->iconHeight / 2;
        DrawIconEx(dc, x, y, icon, 0, 0, 0, NULL, DI_NORMAL);
        if (owned)
            DestroyIcon(icon);
        *iconHeight = shared->iconHeight;
    } else {
        x = r->left + centre - shared->questionWidth / 2;
        y = r->top + centre - shared->questionHeight / 2;
        DrawIcon(dc, x, y, shared->question);
        *iconHeight = shared->questionHeight;
    }
    *iconTop = y;
}

static void DrawTileName(HDC dc, const Tile* tile, const RECT* r, int iconTop, int iconHeight)
{
    SetTextColor(dc, ContrastTextColor(tile->backColor));
    SetBkMode(dc, TRANSPARENT);

    wchar_t label[TileLabelLength + 1];
    int length = MakeTileLabel(tile->name, label, _countof(label));
    int x = r->left + LabelIndent;
    int firstLine = iconTop + iconHeight;
    if (length > NameLineLength) {
        int rest = length - NameLineLength;
        TextOutW(dc, x, firstLine, label, NameLineLength);
        TextOutW(dc, x, firstLine + LabelLineHeight, label + NameLineLength, rest < NameLineLength ? rest : NameLineLength);
    } else if (length > 0) {
        // A short name stands in the second line's place.
        TextOutW(dc, x, firstLine + LabelLineHeight, label, length);
    }
}

static bool Meets(const RECT* a, const RECT* b)
{
    return a->right >= b->left && a->left <= b->right && a->bottom >= b->top && a->top <= b->bottom;
}

// Everything a tile may draw: its square and, for a filled tile, an icon that may be
// larger than the square and a label that may run on into the gap and beyond.
static RECT TileInk(HDC dc, const RECT* r, const Tile* tile, PaintShared* shared)
{
    RECT ink = *r;
    if (tile->filled) {
        PrepareFilledTiles(dc, shared);
        int iconWidth = shared->iconWidth > shared->questionWidth ? shared->iconWidth : shared->questionWidth;
        int iconHeight = shared->iconHeight > shared->questionHeight ? shared->iconHeight : shared->questionHeight;
        int half = TileSize / 2;
        ink.left = r->left + (half - iconWidth / 2 < 0 ? half - iconWidth / 2 : 0);
        ink.top = r->top + (half - iconHeight / 2 < 0 ? half - iconHeight / 2 : 0);
        int right = r->left + (half + iconWidth > shared->labelReach ? half + iconWidth : shared->labelReach);
        int bottom = r->top + half + iconHeight + shared->labelDepth;
        ink.right = right > r->right ? right : r->right;
        ink.bottom = bottom > r->bottom ? bottom : r->bottom;
    }
    return ink;
}

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

static void DimTile(HDC dc, const RECT* r, Dimmer* dimmer)
{
    if (!dimmer->tried) {
        dimmer->tried = true;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = TileSize;
        info.bmiHeader.biHeight = -TileSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = NULL;
        dimmer->dc = CreateCompatibleDC(dc);
        dimmer->bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        if (dimmer->dc == NULL || dimmer->bitmap == NULL) {
            // Short of memory: the tiles stay undimmed, and nothing made is kept.
            if (dimmer->bitmap != NULL)
                DeleteObject(dimmer->bitmap);
            if (dimmer->dc != NULL)
                DeleteDC(dimmer->dc);
            dimmer->dc = NULL;
            dimmer->bitmap = NULL;
            return;
        }
        dimmer->pixels = (DWORD*)bits;
        dimmer->original = SelectObject(dimmer->dc, dimmer->bitmap);
    }
    if (dimmer->pixels == NULL)
        return;
    BitBlt(dimmer->dc, 0, 0, TileSize, TileSize, dc, r->left, r->top, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < TileSize * TileSize; i++)
        dimmer->pixels[i] = (dimmer->pixels[i] >> 1) & 0x7F7F7F;
    BitBlt(dc, r->left, r->top, TileSize, TileSize, dimmer->dc, 0, 0, SRCCOPY);
}

static void ReleaseDimmer(Dimmer* dimmer)
{
    if (dimmer->dc == NULL)
        return;
    SelectObject(dimmer->dc, dimmer->original);
    DeleteObject(dimmer->bitmap);
    DeleteDC(dimmer->dc);
}

static void DrawTile(HDC dc, const Tile* tile, const RECT* r, PaintShared* shared)
{
    if (!tile->filled) {
        SetDCBrushColor(dc, EmptyTileColor);
        Rectangle(dc, r->left, r->top, r->right, r->bottom);
    }
    if (tile->selected)
        DrawSelectionFrame(dc, r);
    if (tile->filled) {
        SetDCBrushColor(dc, tile->backColor);
        Rectangle(dc, r->left, r->top, r->right, r->bottom);
        if (tile->selected)
            DrawSelectionFrame(dc, r);
        int iconTop = 0;
        int iconHeight = 0;
        DrawTileIcon(dc, tile, r, shared, &iconTop, &iconHeight);
        DrawTileName(dc, tile, r, iconTop, iconHeight);
    }
}

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
    HBRUSH blackBrush = CreateSolidBrush(Black);
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
