// Matching tiles against the find bar's text: which tiles of the grid in use match, and the
// nearest match in reading order. Plain values in, plain values out: no window.
#pragma once
#include "model/TileGrid.h"

// Where a tile's match lies in a matches array: MaxRows x MaxColumns entries, laid out as
// TileGrid.
inline int MatchIndex(int row, int column)
{
    return (row - 1) * MaxColumns + (column - 1);
}

// Whether a tile matches a text of textLength (> 0) characters: a filled tile whose whole name
// (TileWholeName, a name over two lines read as one) or target contains the text, letter case
// ignored as the file system ignores it. An empty tile never matches.
bool TileMatchesFind(const Tile* tile, const wchar_t* text, int textLength);

// Marks the tiles of the grid in use that match text in matches (MaxRows x MaxColumns entries,
// laid out as TileGrid): 1 for a match, 0 for every other tile, those outside the grid in use
// included. An empty text matches nothing. Returns how many match.
int FindMatchingTiles(const wchar_t* text, unsigned char* matches);

// Moves (row, column) to the nearest match in reading order through the grid in use, forwards
// (step 1) or backwards (step -1), wrapping at the ends; the tile itself is the first candidate
// when fromItself, else the last. A position outside the grid in use starts before the first
// tile (forwards) or after the last (backwards). 0 when a match was found, 1 (nothing changed)
// when none matches.
int StepToMatch(const unsigned char* matches, int* row, int* column, int step, bool fromItself);
