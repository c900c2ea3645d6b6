// The history of the changes to the tiles, to take them back and do them again. A step holds
// only the tiles it changed, each as it was before and after, and the grid size and the selection
// before and after it. The history keeps the HistoryMinSteps newest steps whatever their size;
// older ones go, oldest first, beyond HistoryMaxSteps or HistoryMaxBytes. Nothing here touches a
// window.
#pragma once
#include <stddef.h>

enum {
    HistoryMinSteps = 100,
    HistoryMaxSteps = 1000,
    HistoryMaxBytes = 4 * 1000 * 1000
};

// Starts a step, taking the grid size and the selection as they are now. The tiles noted until
// EndTileStep are the ones it may change; a step already begun is ended first.
void BeginTileStep(void);

// Notes a tile of the array (1 <= row <= MaxRows, 1 <= column <= MaxColumns) as it is now,
// before the step changes it. A tile noted twice keeps the state it was first noted in.
void NoteTileBeforeChange(int row, int column);

// Ends the step: every noted tile that changed (path, name, kind, colour or filled) is kept
// with its state before and after, with the grid size and the selection now; what could be
// done again is gone. Returns the number of tiles kept: 0 when no tile changed, and then a step
// is kept only for a new grid size. -1 when the step could not be kept (no memory, or larger
// than the whole history may grow): the history is then emptied, as the steps before it no
// longer lead to the grid as it is.
int EndTileStep(void);

// Takes back the last step kept, or does again the last one taken back: its tiles get their
// state before (or after) it, with the icons they had then, and the grid its rows and
// columns (AppSettings); the selection flags are left alone. 0, or -1 when there is nothing to
// take back (or to do again). What it changed is then given by TileOfLastStep and
// SelectionOfLastStep.
int UndoTileStep(void);
int RedoTileStep(void);

// The index-th tile (from 0) of the step that UndoTileStep or RedoTileStep last applied: false
// past its end.
bool TileOfLastStep(int index, int* row, int* column);

// The selection the grid had where UndoTileStep or RedoTileStep last led: before the step taken
// back, or after the step done again.
void SelectionOfLastStep(int* row, int* column);

// Empties the history.
void ClearTileHistory(void);

// The steps kept, the steps that can be taken back now, and the bytes they hold.
int HistoryStepCount(void);
int HistoryUndoCount(void);
size_t HistoryByteCount(void);
