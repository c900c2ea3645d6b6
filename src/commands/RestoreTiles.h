// Bringing back an earlier state of the tiles, chosen in the "Earlier Tiles" dialog.
#pragma once
#include <windows.h>

struct KeptTiles;

// The menu command: shows the kept states and restores the one the user chooses.
void RestoreEarlierTiles(HWND window);

// Restores a kept state read whole: only the tiles empty now (all false), or every tile, so
// that each becomes exactly the state's (all true). The grid grows so that no restored tile
// lies outside it, and for all to the state's rows and columns when it had more. One step of
// the history, saved, the first restored tile selected, screen readers told of every tile.
// Before the first restore of a run the file goes into the backup rotation, so that the state
// it replaces outlives the run; when that fails the user is asked first. Returns the number
// of tiles changed, or -1 when the user let it be (or no state was read).
int RestoreKeptTiles(HWND window, const KeptTiles* state, bool all);

// The next restore is the first of the run again. For tests.
void ForgetBackupBeforeRestoreForTests(void);
