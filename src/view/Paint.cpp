#include "view/Paint.h"

#include <shellapi.h>
#include <commctrl.h>
#include <stdlib.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"

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

static void MeasureIcon(HICON icon, int* width, int* height)
{
    if (!GetIconSize(icon, width, height)) {
        *width = GetSystemMetrics(SM_CXICON);
        *height = GetSystemMetrics(SM_CYICON);
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

// Draws the tile's icon centred on (left + 51, top + 51), looking it up first when the
// refresh mode asks for it; reports the icon's top and height for the label.
static void DrawTileIcon(HDC dc, Tile* tile, const RECT* r, int* iconTop, int* iconHeight)
{
    if (tile->iconIndex == 0 && AppSettings.iconRefreshMode != 0) {
        DWORD_PTR imageList = SHGetFileInfoW(tile->path, FILE_ATTRIBUTE_NORMAL, &iconLookupInfo, sizeof(iconLookupInfo),
                                             SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME |
                                                 SHGFI_DISPLAYNAME | SHGFI_SHELLICONSIZE);
        tile->iconIndex = imageList != 0 ? iconLookupInfo.iIcon + 1 : 0;
    }

    int width = 0;
    int height = 0;
    int centre = TileSize / 2;
    HIMAGELIST largeList = NULL;
    HIMAGELIST smallList = NULL;
    ShellGetImageListsProc getImageLists = FindShellGetImageLists();
    HICON icon = NULL;
    if (tile->iconIndex != 0 && getImageLists != NULL && getImageLists(&largeList, &smallList))
        icon = ImageList_GetIcon(largeList, tile->iconIndex - 1, ILD_NORMAL);

    if (icon != NULL) {
        MeasureIcon(icon, &width, &height);
        DrawIconEx(dc, r->left + centre - width / 2, r->top + centre - height / 2, icon, 0, 0, 0, NULL, DI_NORMAL);
        DestroyIcon(icon);
    } else {
        // Not resolved yet, or the shell could not give an icon: the shared question mark.
        HICON question = LoadIconW(NULL, IDI_QUESTION);
        MeasureIcon(question, &width, &height);
        DrawIcon(dc, r->left + centre - width / 2, r->top + centre - height / 2, question);
    }
    *iconTop = r->top + centre - height / 2;
    *iconHeight = height;
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

static bool MeetsClient(const RECT* tileRect, const RECT* client)
{
    return tileRect->right >= client->left && tileRect->left <= client->right &&
           tileRect->bottom >= client->top && tileRect->top <= client->bottom;
}

void ComposeFrame(HDC dc, const RECT* client, BOOL clientKnown, int scrollH, int scrollV)
{
    HBRUSH blackBrush = CreateSolidBrush(Black);
    FillRect(dc, client, blackBrush);
    DeleteObject(blackBrush);

    // Anisotropic without extents keeps one logical unit per pixel.
    SetMapMode(dc, MM_ANISOTROPIC);

    HBRUSH emptyBrush = CreateSolidBrush(EmptyTileColor);
    HGDIOBJ originalBrush = SelectObject(dc, emptyBrush);
    HGDIOBJ originalFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));

    int pitch = TilePitch();
    for (int row = 1; row <= AppSettings.rows; row++) {
        RECT r;
        r.top = AppSettings.marginTop - scrollV + (row - 1) * pitch;
        r.bottom = r.top + TileSize;
        r.left = AppSettings.marginLeft - scrollH;
        r.right = r.left + TileSize;
        for (int column = 1; column <= AppSettings.columns; column++, r.left += pitch, r.right += pitch) {
            if (AppSettings.iconRefreshMode != 2 && clientKnown && !MeetsClient(&r, client))
                continue;

            Tile* tile = TileAt(row, column);
            if (!tile->filled)
                Rectangle(dc, r.left, r.top, r.right, r.bottom);
            if (tile->selected)
                DrawSelectionFrame(dc, &r);
            if (tile->filled) {
                HBRUSH tileBrush = CreateSolidBrush(tile->backColor);
                HGDIOBJ previous = SelectObject(dc, tileBrush);
                Rectangle(dc, r.left, r.top, r.right, r.bottom);
                SelectObject(dc, previous);
                DeleteObject(tileBrush);
                if (tile->selected)
                    DrawSelectionFrame(dc, &r);

                int iconTop = 0;
                int iconHeight = 0;
                DrawTileIcon(dc, tile, &r, &iconTop, &iconHeight);
                DrawTileName(dc, tile, &r, iconTop, iconHeight);
            }
        }
    }

    SelectObject(dc, originalFont);
    SelectObject(dc, originalBrush);
    DeleteObject(emptyBrush);
    AppSettings.iconRefreshMode = 0;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(screen);
    RECT client = {};
    BOOL clientKnown = GetClientRect(window, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ originalBitmap = SelectObject(memory, bitmap);

    int scrollV = ReadScrollPosition(SB_VERT);
    int scrollH = ReadScrollPosition(SB_HORZ);
    ComposeFrame(memory, &client, clientKnown, scrollH, scrollV);

    BitBlt(screen, client.left, client.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, originalBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}
