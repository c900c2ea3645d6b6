// The program-wide records: the tile grid, the settings and view state, and the main
// window handle. They live in static storage for the whole process; every subsystem
// reads and writes their fields directly on the GUI thread.
#pragma once
#include <windows.h>

enum {
    MaxRows = 50,
    MaxColumns = 100,
    TileSize = 102,
    TileTextCapacity = 360,   // path and name, terminator included
    NameLineLength = 12,
    ComposedPathCapacity = 500,
    BuildDateCapacity = 101
};

// What a tile's target is; only Program changes behaviour. Scoped, because the shell
// headers declare a Folder of their own.
struct TileKind {
    enum {
        NotOnDisk = -1,
        PlainFile = 0,
        Folder = 1,
        Program = 2
    };
};

const COLORREF EmptyTileColor = 0x323232;

struct Tile {
    wchar_t path[TileTextCapacity];
    int filled;
    wchar_t name[TileTextCapacity];
    int kind;
    COLORREF backColor;
    int selected;
    // The icon's index in the system image list plus one; 0 means "not looked up yet".
    // The offset keeps a real index of 0 apart from the cleared value.
    int iconIndex;
};

struct AppSettingsRecord {
    int rows;
    int columns;
    int tileGap;
    int marginLeft;
    int marginTop;
    int contentWidth;
    int contentHeight;
    int selectedRow;
    int selectedColumn;
    int contextRow;
    int contextColumn;
    int hotkeyModifiers;
    int hotkeyKey;
    int hotkeyId;
    int hotkeyRegistered;
    // 1 while this run holds a registered hotkey; hotkeyRegistered, which is saved, may
    // say 1 when the registration at start-up failed.
    int hotkeyInForce;
    int windowLeft;
    int windowTop;
    int windowWidth;
    int windowHeight;
    int scrollPosH;
    int scrollPosV;
    int screenWidth;
    int screenHeight;
    int clientWidth;
    int clientHeight;
    int wheelStep;
    int iconRefreshMode;
    int rowsHighWater;
    int columnsHighWater;
    int filterIndex;
    COLORREF customColors[16];
    wchar_t buildDateText[BuildDateCapacity];
};

// Rows r in 1..MaxRows and columns c in 1..MaxColumns, stored row by row, 100 to a row.
extern Tile TileGrid[MaxRows * MaxColumns];
extern AppSettingsRecord AppSettings;
extern HWND MainWindow;

// The tile at (row, column). The caller guarantees 1 <= row <= MaxRows and
// 1 <= column <= MaxColumns. Every tile is reached through it (or TileAtIndex), so that the
// rows and columns reached so far bound the tiles that may hold anything.
Tile* TileAt(int row, int column);

// The tile at an index of the array (0 for tile (1, 1)), reached as TileAt reaches it.
Tile* TileAtIndex(int index);

// The highest row and column of any tile reached so far: every tile beyond them is as the
// process started, empty. What scans for filled tiles (the save) stops there, and never
// touches the rest of the array: 7 MB that cost nothing until they are read.
void ReachedExtent(int* rows, int* columns);

// Empties a tile; its selection flag is left alone.
void ClearTile(Tile* tile);

// Removes every character below U+0020 (line breaks, tabs, NULs, CTRL+Z...) from a text, in
// place: none may enter a tile's path or name, where it would break the line the file stores.
void DropControlCharacters(wchar_t* text);

// Gives a tile a new target: path, filled, the default colour, the icon to be looked up
// again; the name only when one is given, and the kind; both without control characters.
// Paths longer than the tile holds, or with nothing left once those are gone, are refused
// with -1 and change nothing; otherwise 0.
int FillTile(Tile* tile, const wchar_t* path, const wchar_t* name, int kind);

// Whether any tile of the whole array is filled, the grid in use or not.
bool AnyTileFilled(void);

// Swaps two tiles' contents (path, name, filled, kind, colour and the icon found for them); each
// keeps its own selection flag.
void SwapTileContents(Tile* a, Tile* b);

// Puts every tile and setting at its start value, with tile (1, 1) selected. The history of
// changes is left alone: ResetGridAndSettings (model/GridReset.h) forgets it too.
void ResetTilesAndSettings(void);

// Puts the settings at their start values and selects tile (1, 1), leaving the tiles as
// they are: the one place that sets the defaults, for start-up and the grid reset alike
// (the first placement adds the screen size and the window rectangle). Enough when the
// process starts: static storage starts zeroed, so every tile is empty, and an empty tile's
// colour is never used until the tile is filled. Not writing the grid spares start-up
// touching its 7 MB.
void SetStartSettings(void);

// Moves the one selected tile: clears the old flag, stores the position, sets the new flag.
// Screen readers are told by the caller (AnnounceSelection), which knows the window.
void MoveSelection(int row, int column);

// Pixel extent of `count` tiles with the gap between them and a margin on both sides.
int ContentExtent(int count, int tileGap, int margin);

// Recomputes contentWidth and contentHeight from rows, columns, gap and margins.
void RecomputeContentSize(void);
