// Comparing two grids' tiles: which tiles one state holds that the other lacks, which differ,
// and which are the same. Each cell is compared through a digest of its content, so a kept
// state of 5,000 tiles is compared without a second grid. Nothing here touches a file or a window.
#pragma once
#include <windows.h>

#include "model/TileGrid.h"

enum { GridCellCount = MaxRows * MaxColumns };

// A digest of a tile's content (path, name, kind, colour); 0 stands for an empty cell only.
typedef unsigned long long TileDigest;

TileDigest DigestTileContent(const wchar_t* path, const wchar_t* name, int kind, COLORREF backColor);

// The digests of every cell of TileGrid as it is now, 0 for an empty tile.
void DigestGrid(TileDigest* cells);

// How a cell of an earlier state stands against the same cell now. Scoped, as TileChanged
// names the tail of a change.
struct TileDifference {
    enum {
        EmptyInBoth,
        Same,
        MissingNow,   // the state holds a tile where the grid is empty now
        NotInIt,      // the grid holds a tile now where the state has none
        Changed       // both hold a tile, and they differ
    };
};

int CompareTile(TileDigest then, TileDigest now);

// The counts of a whole comparison; tiles is the number the earlier state holds.
struct GridComparison {
    int tiles;
    int same;
    int missingNow;
    int notInIt;
    int changed;
};

// Compares an earlier state's cells with the cells now, both GridCellCount digests.
GridComparison CompareGrids(const TileDigest* then, const TileDigest* now);
