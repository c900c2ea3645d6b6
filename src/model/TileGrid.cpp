#include "model/TileGrid.h"

#include <string.h>
#include <wchar.h>

Tile TileGrid[MaxRows * MaxColumns];
AppSettingsRecord AppSettings;
HWND MainWindow;

// The rows and columns of every tile handed out so far: the tiles beyond them hold nothing.
static int reachedRows;
static int reachedColumns;

Tile* TileAt(int row, int column)
{
    if (row > reachedRows)
        reachedRows = row;
    if (column > reachedColumns)
        reachedColumns = column;
    return &TileGrid[(row - 1) * MaxColumns + (column - 1)];
}

Tile* TileAtIndex(int index)
{
    return TileAt(index / MaxColumns + 1, index % MaxColumns + 1);
}

void ReachedExtent(int* rows, int* columns)
{
    *rows = reachedRows;
    *columns = reachedColumns;
}

void ClearTile(Tile* tile)
{
    tile->path[0] = L'\0';
    tile->name[0] = L'\0';
    tile->filled = 0;
    tile->kind = TileKind::PlainFile;
    tile->backColor = EmptyTileColor;
    tile->iconIndex = 0;
}

void DropControlCharacters(wchar_t* text)
{
    wchar_t* kept = text;
    for (const wchar_t* p = text; *p != L'\0'; p++) {
        if (*p >= 0x20)
            *kept++ = *p;
    }
    *kept = L'\0';
}

int FillTile(Tile* tile, const wchar_t* path, const wchar_t* name, int kind)
{
    wchar_t cleanPath[TileTextCapacity];
    if (wcslen(path) >= TileTextCapacity)
        return -1;
    wcscpy_s(cleanPath, _countof(cleanPath), path);
    DropControlCharacters(cleanPath);
    if (cleanPath[0] == L'\0')
        return -1;
    wcscpy_s(tile->path, _countof(tile->path), cleanPath);
    tile->filled = 1;
    tile->iconIndex = 0;
    tile->backColor = EmptyTileColor;
    tile->kind = kind;
    // A name is a label: a longer one is cut, never allowed to end the process.
    if (name != NULL) {
        wcsncpy_s(tile->name, _countof(tile->name), name, _TRUNCATE);
        DropControlCharacters(tile->name);
    }
    return 0;
}

void SwapTileContents(Tile* a, Tile* b)
{
    if (a == b)
        return;
    // Whole records through one temporary: 1.4 KB on the stack, cheaper than per-field copies.
    Tile kept = *a;
    int selectedA = a->selected;
    int selectedB = b->selected;
    *a = *b;
    *b = kept;
    a->selected = selectedA;
    b->selected = selectedB;
}

bool AnyTileFilled(void)
{
    // Only the rows and columns reached can hold a tile; the rest stays untouched.
    for (int r = 1; r <= reachedRows; r++)
        for (int c = 1; c <= reachedColumns; c++)
            if (TileGrid[(r - 1) * MaxColumns + (c - 1)].filled)
                return true;
    return false;
}

void ResetTilesAndSettings(void)
{
    for (int i = 0; i < MaxRows * MaxColumns; i++) {
        ClearTile(&TileGrid[i]);
        TileGrid[i].selected = 0;
    }
    reachedRows = 0;
    reachedColumns = 0;
    SetStartSettings();
}

void SetStartSettings(void)
{
    memset(&AppSettings, 0, sizeof(AppSettings));
    AppSettings.rows = 6;
    AppSettings.columns = 8;
    AppSettings.tileGap = 1;
    AppSettings.marginLeft = 10;
    AppSettings.marginTop = 10;
    AppSettings.hotkeyModifiers = MOD_ALT | MOD_CONTROL;
    AppSettings.hotkeyKey = 'Z';
    AppSettings.hotkeyId = 1;
    AppSettings.iconRefreshMode = 2;
    AppSettings.rowsHighWater = 1;
    AppSettings.columnsHighWater = 1;
    AppSettings.filterIndex = 1;

    AppSettings.selectedRow = 1;
    AppSettings.selectedColumn = 1;
    TileAt(1, 1)->selected = 1;
}

void MoveSelection(int row, int column)
{
    if (AppSettings.selectedRow != 0 && AppSettings.selectedColumn != 0)
        TileAt(AppSettings.selectedRow, AppSettings.selectedColumn)->selected = 0;
    AppSettings.selectedRow = row;
    AppSettings.selectedColumn = column;
    TileAt(row, column)->selected = 1;
}

int ContentExtent(int count, int tileGap, int margin)
{
    return (TileSize + tileGap) * count + 2 * margin - tileGap;
}

void RecomputeContentSize(void)
{
    AppSettings.contentWidth = ContentExtent(AppSettings.columns, AppSettings.tileGap, AppSettings.marginLeft);
    AppSettings.contentHeight = ContentExtent(AppSettings.rows, AppSettings.tileGap, AppSettings.marginTop);
}
