#include "view/TileDraw.h"

#include <shellapi.h>
#include <commctrl.h>

#include "model/TileLabel.h"
#include "shell/Com.h"

static const COLORREF Black = 0x000000;
static const COLORREF White = 0xFFFFFF;
static const int SelectionPenWidth = 5;
static const int LabelIndent = 12;
static const int LabelLineHeight = 12;

// Shell_GetImageLists is exported by ordinal only.
typedef BOOL(WINAPI* ShellGetImageListsProc)(HIMAGELIST* large, HIMAGELIST* small);

// The one record that icon look-ups fill.
static SHFILEINFOW iconLookupInfo;

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

static void MeasureIconOrGuess(HICON icon, int* width, int* height)
{
    if (!GetIconSize(icon, width, height)) {
        *width = GetSystemMetrics(SM_CXICON);
        *height = GetSystemMetrics(SM_CYICON);
    }
}

void PrepareFilledTiles(HDC dc, PaintShared* shared)
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

void LookUpIcon(Tile* tile)
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

void ReleasePaintIcons(PaintShared* shared)
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

bool Meets(const RECT* a, const RECT* b)
{
    return a->right >= b->left && a->left <= b->right && a->bottom >= b->top && a->top <= b->bottom;
}

// Everything a tile may draw: its square and, for a filled tile, an icon that may be
// larger than the square and a label that may run on into the gap and beyond.
RECT TileInk(HDC dc, const RECT* r, const Tile* tile, PaintShared* shared)
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

void DimTile(HDC dc, const RECT* r, Dimmer* dimmer)
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

void ReleaseDimmer(Dimmer* dimmer)
{
    if (dimmer->dc == NULL)
        return;
    SelectObject(dimmer->dc, dimmer->original);
    DeleteObject(dimmer->bitmap);
    DeleteDC(dimmer->dc);
}

void DrawTile(HDC dc, const Tile* tile, const RECT* r, PaintShared* shared)
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
