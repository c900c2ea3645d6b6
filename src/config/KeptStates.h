// The earlier states of the tiles that lie beside the configuration file: the backup slots,
// the copies of files a start could not fully read, the pending copy of a save that stopped,
// and the copies of files of other format versions. They are listed and read with the same
// reader as the start; nothing here writes, renames or removes a file.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "model/TileCompare.h"

enum KeptKind {
    KeptClosed,         // a backup slot, copied at the end of a run
    KeptUnread,         // ".unread": a file a start did not fully use
    KeptPending,        // ".pending": the new text of a save that wrote in place and stopped
    KeptOtherVersion    // ".v0004": a file of another format version, which cannot be restored
};

enum KeptReading {
    KeptReadWhole,
    KeptReadInPart,     // damaged: some of it could not be taken as it is
    KeptNotRead         // cannot be read: held by another program, a folder, another version...
};

struct KeptState {
    wchar_t path[ComposedPathCapacity];
    FILETIME written;
    int kind;                    // KeptKind
    int reading;                 // KeptReading
    int rows;                    // the state's grid size; 0 when its settings were not read
    int columns;
    GridComparison comparison;   // with the grid as it was when the list was made
};

struct KeptStateList {
    KeptState* states;
    int count;
    int capacity;
};

// Lists every kept state, newest first, each file read once and compared with now (the digests
// of the grid's cells). A name that cannot be opened or read is listed as not read, and the
// list goes on. 0; -1 when no base folder is known or there was no memory for another entry
// (the list then holds what was found so far). Free the list with FreeKeptStateList.
int ListKeptStates(const TileDigest* now, KeptStateList* list);
void FreeKeptStateList(KeptStateList* list);

// The kind of a name beside the configuration file from the part after the file's own name
// (".unread", ".unread-2", ".pending", ".v0004", ".v0004-2"), or -1 for any other name.
int KeptKindOfSuffix(const wchar_t* suffix);

// One cell of a kept state read whole; digest 0 for an empty cell.
struct KeptTile {
    TileDigest digest;
    int kind;
    COLORREF backColor;
    size_t text;   // where its path starts in the texts; its name follows the path's terminator
};

// A kept state's tiles, read whole to be shown and restored: every cell of the grid.
struct KeptTiles {
    KeptTile* cells;     // GridCellCount
    wchar_t* texts;
    size_t textLength;
    size_t textCapacity;
    int rows;            // as in KeptState
    int columns;
    int reading;         // KeptReadWhole or KeptReadInPart
};

// Reads a kept state's tiles. 0; -1 when it cannot be read (missing, held, a folder, another
// format version, no memory): *tiles then holds nothing. Free with FreeKeptTiles, also after -1.
int ReadKeptTiles(const wchar_t* path, KeptTiles* tiles);
void FreeKeptTiles(KeptTiles* tiles);

// The path and the name of a filled cell of a state read whole.
const wchar_t* KeptTilePath(const KeptTiles* tiles, int cell);
const wchar_t* KeptTileName(const KeptTiles* tiles, int cell);
