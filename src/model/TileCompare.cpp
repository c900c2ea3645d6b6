#include "model/TileCompare.h"

// FNV-1a over 64 bits: no two different tiles of two grids have met in one digest in practice,
// and a comparison of 5,000 tiles costs one pass over their texts.
static const TileDigest DigestBasis = 14695981039346656037ULL;
static const TileDigest DigestPrime = 1099511628211ULL;

static TileDigest Mix(TileDigest digest, unsigned value)
{
    for (int i = 0; i < 4; i++) {
        digest ^= (value >> (8 * i)) & 0xFF;
        digest *= DigestPrime;
    }
    return digest;
}

static TileDigest MixText(TileDigest digest, const wchar_t* text)
{
    for (const wchar_t* c = text; *c != L'\0'; c++) {
        digest ^= (unsigned)*c & 0xFF;
        digest *= DigestPrime;
        digest ^= ((unsigned)*c >> 8) & 0xFF;
        digest *= DigestPrime;
    }
    // The end of a text counts, so that "ab" + "c" never meets "a" + "bc".
    return Mix(digest, 0xFFFFFFFFu);
}

TileDigest DigestTileContent(const wchar_t* path, const wchar_t* name, int kind, COLORREF backColor)
{
    TileDigest digest = MixText(MixText(DigestBasis, path), name);
    digest = Mix(Mix(digest, (unsigned)kind), (unsigned)backColor);
    return digest != 0 ? digest : 1;
}

void DigestGrid(TileDigest* cells)
{
    // Beyond the rows and columns reached every tile is empty, and is never touched.
    int rows = 0, columns = 0;
    ReachedExtent(&rows, &columns);
    for (int i = 0; i < GridCellCount; i++) {
        bool reached = i / MaxColumns < rows && i % MaxColumns < columns;
        const Tile* tile = reached ? &TileGrid[i] : NULL;
        cells[i] = tile != NULL && tile->filled
                       ? DigestTileContent(tile->path, tile->name, tile->kind, tile->backColor)
                       : 0;
    }
}

int CompareTile(TileDigest then, TileDigest now)
{
    if (then == 0)
        return now == 0 ? TileDifference::EmptyInBoth : TileDifference::NotInIt;
    if (now == 0)
        return TileDifference::MissingNow;
    return then == now ? TileDifference::Same : TileDifference::Changed;
}

GridComparison CompareGrids(const TileDigest* then, const TileDigest* now)
{
    GridComparison result = {};
    for (int i = 0; i < GridCellCount; i++) {
        switch (CompareTile(then[i], now[i])) {
        case TileDifference::Same:       result.same++; break;
        case TileDifference::MissingNow: result.missingNow++; break;
        case TileDifference::NotInIt:    result.notInIt++; break;
        case TileDifference::Changed:    result.changed++; break;
        default:             break;
        }
    }
    result.tiles = result.same + result.missingNow + result.changed;
    return result;
}
