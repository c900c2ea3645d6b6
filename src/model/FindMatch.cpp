#include "model/FindMatch.h"

#include <string.h>
#include <wchar.h>

#include "model/TileLabel.h"

// Whether text holds wanted, compared as the file system compares names: the system's
// uppercase table, no linguistic rules. The system is asked only where a match could start,
// which keeps 5,000 names and targets within a fraction of a frame: for an ASCII first
// character, where the same character stands in either case, or any character beyond ASCII
// (the table may fold some of those to ASCII letters); the answer is FindStringOrdinal's.
static bool Contains(const wchar_t* text, int length, const wchar_t* wanted, int wantedLength)
{
    wchar_t first = wanted[0];
    if (first >= 0x80)
        return length >= wantedLength && FindStringOrdinal(FIND_FROMSTART, text, length, wanted, wantedLength, TRUE) >= 0;
    wchar_t lower = first >= L'A' && first <= L'Z' ? (wchar_t)(first - L'A' + L'a') : first;
    wchar_t upper = first >= L'a' && first <= L'z' ? (wchar_t)(first - L'a' + L'A') : first;
    for (int i = 0; i + wantedLength <= length; i++) {
        wchar_t c = text[i];
        if ((c == lower || c == upper || c >= 0x80) &&
            CompareStringOrdinal(text + i, wantedLength, wanted, wantedLength, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

bool TileMatchesFind(const Tile* tile, const wchar_t* text, int textLength)
{
    if (!tile->filled || textLength <= 0)
        return false;
    wchar_t whole[TileTextCapacity];
    int length = TileWholeName(tile->name, whole, _countof(whole));
    return Contains(whole, length, text, textLength) ||
           Contains(tile->path, (int)wcsnlen(tile->path, TileTextCapacity), text, textLength);
}

int FindMatchingTiles(const wchar_t* text, unsigned char* matches)
{
    memset(matches, 0, MaxRows * MaxColumns);
    int length = (int)wcslen(text);
    if (length == 0)
        return 0;
    int count = 0;
    for (int row = 1; row <= AppSettings.rows; row++) {
        for (int column = 1; column <= AppSettings.columns; column++) {
            bool match = TileMatchesFind(TileAt(row, column), text, length);
            matches[MatchIndex(row, column)] = match ? 1 : 0;
            count += match ? 1 : 0;
        }
    }
    return count;
}

int StepToMatch(const unsigned char* matches, int* row, int* column, int step, bool fromItself)
{
    int rows = AppSettings.rows;
    int columns = AppSettings.columns;
    int count = rows * columns;
    if (count < 1)
        return 1;
    bool inside = *row >= 1 && *row <= rows && *column >= 1 && *column <= columns;
    // Places in reading order, 0 to count - 1; outside the grid, one step before the first
    // candidate.
    int start = inside ? (*row - 1) * columns + (*column - 1) : (step > 0 ? count - 1 : 0);
    for (int k = inside && fromItself ? 0 : 1; k <= count; k++) {
        int place = ((start + step * k) % count + count) % count;
        int r = place / columns + 1;
        int c = place % columns + 1;
        if (matches[MatchIndex(r, c)]) {
            *row = r;
            *column = c;
            return 0;
        }
    }
    return 1;
}
