#include "commands/RestoreTiles.h"

#include "commands/TileChanges.h"
#include "config/BackupRotation.h"
#include "config/KeptStates.h"
#include "dialogs/Dialogs.h"
#include "model/TileCompare.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "view/AccessibleEvents.h"
#include "view/Paint.h"
#include "view/Scroll.h"

static bool backedUpThisRun;

void ForgetBackupBeforeRestoreForTests(void)
{
    backedUpThisRun = false;
}

// The grid as it is before the first restore goes into the backups, where the next exits'
// rotations keep it for 20 runs; Ctrl+Z alone would lose it with the run.
static bool BackUpBeforeFirstRestore(HWND window)
{
    if (backedUpThisRun)
        return true;
    int rotated = RotateBackups();
    // -5: an old marker kept its name, but the new copy was made.
    if (rotated == 0 || rotated == -5) {
        backedUpThisRun = true;
        return true;
    }
    return MessageBoxW(window,
                       L"The tiles as they are now could not be copied into the backups: after a restore they "
                       L"would be kept only until Vantrel closes (Ctrl+Z brings them back until then).\n\n"
                       L"Restore anyway?",
                       L"Restore Earlier Tiles", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// A larger grid for restored tiles that lie beyond it, shown as any new grid size is.
static void GrowGrid(int rows, int columns)
{
    if (rows <= AppSettings.rows && columns <= AppSettings.columns)
        return;
    AppSettings.rows = rows > AppSettings.rows ? rows : AppSettings.rows;
    AppSettings.columns = columns > AppSettings.columns ? columns : AppSettings.columns;
    ShowGridSize();
}

int RestoreKeptTiles(HWND window, const KeptTiles* state, bool all)
{
    if (state->cells == NULL || !BackUpBeforeFirstRestore(window))
        return -1;
    static TileDigest now[GridCellCount];
    static int changedCells[GridCellCount];
    DigestGrid(now);
    int changed = 0;
    int firstRow = 0, firstColumn = 0;
    int rows = all ? state->rows : 0;
    int columns = all ? state->columns : 0;
    BeginTileStep();
    for (int cell = 0; cell < GridCellCount; cell++) {
        const KeptTile* kept = &state->cells[cell];
        int difference = CompareTile(kept->digest, now[cell]);
        bool taken = difference == TileDifference::MissingNow ||
                     (all && (difference == TileDifference::Changed || difference == TileDifference::NotInIt));
        if (!taken)
            continue;
        int row = cell / MaxColumns + 1;
        int column = cell % MaxColumns + 1;
        NoteTileChange(row, column);
        Tile* tile = TileAt(row, column);
        if (difference == TileDifference::NotInIt) {
            ClearTile(tile);
        } else {
            // The reader took only texts that fit a tile; a refusal here leaves the tile as it was.
            if (FillTile(tile, KeptTilePath(state, cell), KeptTileName(state, cell), kept->kind) != 0)
                continue;
            tile->backColor = kept->backColor;
            rows = row > rows ? row : rows;
            columns = column > columns ? column : columns;
            if (firstRow == 0) {
                firstRow = row;
                firstColumn = column;
            }
        }
        changedCells[changed++] = cell;
    }
    GrowGrid(rows, columns);
    for (int i = 0; i < changed; i++) {
        int row = changedCells[i] / MaxColumns + 1;
        int column = changedCells[i] % MaxColumns + 1;
        RequestIconLookUp(row, column);
        AnnounceTileChanged(row, column);
    }
    InvalidateRect(window, NULL, FALSE);
    // A restore that only emptied tiles selects the first of them.
    if (firstRow == 0 && changed > 0) {
        firstRow = changedCells[0] / MaxColumns + 1;
        firstColumn = changedCells[0] % MaxColumns + 1;
    }
    TilesChangedAndSelect(window, firstRow, firstColumn);
    return changed;
}

void RestoreEarlierTiles(HWND window)
{
    KeptTiles state = {};
    int choice = ShowEarlierTilesDialog(&state);
    if (choice != RestoreNothing)
        RestoreKeptTiles(window, &state, choice == RestoreAll);
    FreeKeptTiles(&state);
}
