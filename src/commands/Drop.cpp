#include "commands/Drop.h"

#include <wchar.h>

#include "commands/AddTarget.h"
#include "commands/TileChanges.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "view/GridBusy.h"

bool FindEmptyTileFrom(int* row, int* column)
{
    for (int r = *row, c = *column; r <= AppSettings.rows;) {
        if (!TileAt(r, c)->filled) {
            *row = r;
            *column = c;
            return true;
        }
        if (++c > AppSettings.columns) {
            c = 1;
            r++;
        }
    }
    return false;
}

void DroppedItemsLeftOutText(int withoutTile, int tooLong, int unreadable, wchar_t* out, size_t capacity)
{
    out[0] = L'\0';
    wchar_t part[200];
    if (unreadable > 0) {
        swprintf_s(part, _countof(part), L"The name of %d of the dropped items could not be read.", unreadable);
        wcsncat_s(out, capacity, part, _TRUNCATE);
    }
    if (tooLong > 0) {
        swprintf_s(part, _countof(part), L"%ls%d of the dropped items %ls a path longer than a tile holds (%d characters).",
                   out[0] ? L"\n\n" : L"", tooLong, tooLong == 1 ? L"has" : L"have", TileTextCapacity - 1);
        wcsncat_s(out, capacity, part, _TRUNCATE);
    }
    if (withoutTile > 0) {
        swprintf_s(part, _countof(part), L"%ls%d of the dropped items found no empty tile.", out[0] ? L"\n\n" : L"",
                   withoutTile);
        wcsncat_s(out, capacity, part, _TRUNCATE);
    }
    if (out[0] != L'\0')
        wcsncat_s(out, capacity, L"\n\nThey were left out.", _TRUNCATE);
}

void OnDropFiles(HWND window, HDROP drop)
{
    // A drop reaches the window even while it is disabled behind a dialog, whose OK would then
    // fill the same tile over it: nothing is taken while a dialog, box or menu of it is open.
    if (GridIsBusy(window)) {
        DragFinish(drop);
        return;
    }
    POINT point = {};
    int row = 0, column = 0, onTile = 0, filled = 0;
    // A drop on the title bar, a border or a scroll bar gives screen coordinates: beside the grid.
    if (DragQueryPoint(drop, &point))
        HitTestTile(point.x, point.y, &row, &column, &onTile, &filled);
    if (!onTile || filled) {
        DragFinish(drop);
        return;
    }

    int count = (int)DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
    int tooLong = 0;
    int withoutTile = 0;
    int unreadable = 0;
    int placed = 0;
    int nextRow = row;
    int nextColumn = column;
    // The whole drop is one change, taken back in one step.
    StartTileChange(row, column);
    for (int i = 0; i < count; i++) {
        wchar_t path[TileTextCapacity];
        UINT length = DragQueryFileW(drop, (UINT)i, NULL, 0);
        // A path is never cut: a shortened one would run something else, or nothing.
        if (length >= TileTextCapacity) {
            tooLong++;
            continue;
        }
        if (length == 0 || DragQueryFileW(drop, (UINT)i, path, _countof(path)) != length) {
            unreadable++;
            continue;
        }
        if (!FindEmptyTileFrom(&nextRow, &nextColumn)) {
            withoutTile++;
            continue;
        }
        NoteTileChange(nextRow, nextColumn);
        DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            FillTileWithFolder(nextRow, nextColumn, path, NULL);
        else
            FillTileWithFile(nextRow, nextColumn, path);
        InvalidateTile(nextRow, nextColumn, FALSE);
        placed++;
    }
    DragFinish(drop);

    // Selected, then saved, so that the file holds the selection with the tiles; then the view
    // follows: bringing the tile into view repaints at once, and the first icon look-up of a
    // run can take a while.
    if (placed > 0)
        TilesChangedAndSelect(window, row, column);
    else
        EndTileStep();
    wchar_t text[600];
    DroppedItemsLeftOutText(withoutTile, tooLong, unreadable, text, _countof(text));
    if (text[0] != L'\0')
        MessageBoxW(window, text, L"Vantrel", MB_OK | MB_ICONINFORMATION);
}
