#include "model/TileHistory.h"

#include <string.h>
#include <wchar.h>
#include <windows.h>

#include "model/TileGrid.h"

// A tile's contents as a step keeps them; its path and name follow, without terminators, and
// the whole is padded to a multiple of four bytes.
struct TileState {
    int filled;
    int kind;
    COLORREF backColor;
    int iconIndex;   // the icon found for the tile then (0 for none): its path's icon still
    unsigned short pathLength;
    unsigned short nameLength;
};

// The grid around a step: its size and its selection.
struct GridFrame {
    int rows;
    int columns;
    int selectedRow;
    int selectedColumn;
};

// A step: one entry per tile, each the tile's index in the array followed by its state before
// and its state after; no bytes for a step that only changed the grid size.
struct Step {
    unsigned char* bytes;
    size_t size;
    int tileCount;
    GridFrame before;
    GridFrame after;
};

enum { TileCount = MaxRows * MaxColumns };

static Step steps[HistoryMaxSteps];
static int stepCount;   // steps kept, oldest first
static int undoCount;   // the first undoCount steps are in force; those after them were taken back
static size_t byteCount;

// The step being recorded: which tiles are noted, and each noted tile's index and state before,
// in the order noted.
static bool recording;
static GridFrame pendingBefore;
static unsigned char noted[TileCount];
static unsigned char* pending;
static size_t pendingSize;
static size_t pendingCapacity;

// The tiles of the step applied last, in order, and the selection it led to.
static int lastTiles[TileCount];
static int lastTileCount;
static GridFrame lastFrame;

static GridFrame CurrentFrame(void)
{
    return { AppSettings.rows, AppSettings.columns, AppSettings.selectedRow, AppSettings.selectedColumn };
}

static size_t Padded(size_t size)
{
    return (size + 3) & ~(size_t)3;
}

static size_t StateSize(const Tile* tile)
{
    return Padded(sizeof(TileState) + (wcslen(tile->path) + wcslen(tile->name)) * sizeof(wchar_t));
}

static size_t StoredStateSize(const unsigned char* at)
{
    const TileState* state = (const TileState*)at;
    return Padded(sizeof(TileState) + ((size_t)state->pathLength + state->nameLength) * sizeof(wchar_t));
}

// Writes a tile's state at out, which has room for StateSize(tile); returns the end.
static unsigned char* PutState(unsigned char* out, const Tile* tile)
{
    size_t size = StateSize(tile);
    memset(out, 0, size);
    TileState* state = (TileState*)out;
    state->filled = tile->filled;
    state->kind = tile->kind;
    state->backColor = tile->backColor;
    state->iconIndex = tile->iconIndex;
    state->pathLength = (unsigned short)wcslen(tile->path);
    state->nameLength = (unsigned short)wcslen(tile->name);
    wchar_t* texts = (wchar_t*)(out + sizeof(TileState));
    wmemcpy(texts, tile->path, state->pathLength);
    wmemcpy(texts + state->pathLength, tile->name, state->nameLength);
    return out + size;
}

static bool SameState(const unsigned char* at, const Tile* tile)
{
    const TileState* state = (const TileState*)at;
    const wchar_t* texts = (const wchar_t*)(at + sizeof(TileState));
    return state->filled == tile->filled && state->kind == tile->kind && state->backColor == tile->backColor &&
           state->pathLength == wcslen(tile->path) && state->nameLength == wcslen(tile->name) &&
           wmemcmp(texts, tile->path, state->pathLength) == 0 &&
           wmemcmp(texts + state->pathLength, tile->name, state->nameLength) == 0;
}

// Gives a tile the state stored at at, with the icon it had then (a look-up costs a frame); its
// selection flag stays.
static void RestoreState(const unsigned char* at, Tile* tile)
{
    const TileState* state = (const TileState*)at;
    const wchar_t* texts = (const wchar_t*)(at + sizeof(TileState));
    // The lengths came from tiles of the same capacity; the bounds only guard the copy.
    size_t pathLength = state->pathLength < TileTextCapacity ? state->pathLength : TileTextCapacity - 1;
    size_t nameLength = state->nameLength < TileTextCapacity ? state->nameLength : TileTextCapacity - 1;
    wmemcpy(tile->path, texts, pathLength);
    tile->path[pathLength] = L'\0';
    wmemcpy(tile->name, texts + state->pathLength, nameLength);
    tile->name[nameLength] = L'\0';
    tile->filled = state->filled;
    tile->kind = state->kind;
    tile->backColor = state->backColor;
    tile->iconIndex = state->iconIndex;
}

static bool ReservePending(size_t more)
{
    if (pendingSize + more <= pendingCapacity)
        return true;
    size_t capacity = pendingCapacity * 2 > pendingSize + more ? pendingCapacity * 2 : pendingSize + more + 65536;
    void* grown = pending == NULL ? HeapAlloc(GetProcessHeap(), 0, capacity)
                                  : HeapReAlloc(GetProcessHeap(), 0, pending, capacity);
    if (grown == NULL)
        return false;
    pending = (unsigned char*)grown;
    pendingCapacity = capacity;
    return true;
}

static void FreeSteps(int from, int to)
{
    for (int i = from; i < to; i++) {
        if (steps[i].bytes != NULL)
            HeapFree(GetProcessHeap(), 0, steps[i].bytes);
        byteCount -= steps[i].size;
        steps[i] = Step();
    }
}

// Drops the oldest step, moving the others down.
static void DropOldestStep(void)
{
    FreeSteps(0, 1);
    memmove(steps, steps + 1, (size_t)(stepCount - 1) * sizeof(Step));
    steps[stepCount - 1] = Step();
    stepCount--;
    undoCount = undoCount > 0 ? undoCount - 1 : 0;
}

// The step being recorded is forgotten, whatever it noted.
static bool pendingFailed;

void BeginTileStep(void)
{
    if (recording)
        EndTileStep();
    recording = true;
    pendingBefore = CurrentFrame();
    pendingFailed = false;
    pendingSize = 0;
    memset(noted, 0, sizeof(noted));
}

void NoteTileBeforeChange(int row, int column)
{
    if (!recording || row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        return;
    int index = (row - 1) * MaxColumns + (column - 1);
    if (noted[index])
        return;
    noted[index] = 1;
    const Tile* tile = TileAtIndex(index);
    size_t size = sizeof(int) + StateSize(tile);
    if (!ReservePending(size)) {
        pendingFailed = true;
        return;
    }
    memcpy(pending + pendingSize, &index, sizeof(int));
    PutState(pending + pendingSize + sizeof(int), tile);
    pendingSize += size;
}

// Lets go of the record of the step: a large block is not kept for the whole run.
static void ForgetPending(void)
{
    pendingSize = 0;
    if (pendingCapacity > 65536) {
        HeapFree(GetProcessHeap(), 0, pending);
        pending = NULL;
        pendingCapacity = 0;
    }
}

// The size a step of the noted tiles that changed takes, and how many they are.
static size_t ChangedSize(int* tileCount)
{
    size_t size = 0;
    *tileCount = 0;
    for (size_t at = 0; at < pendingSize;) {
        int index;
        memcpy(&index, pending + at, sizeof(int));
        const unsigned char* before = pending + at + sizeof(int);
        at += sizeof(int) + StoredStateSize(before);
        if (!SameState(before, TileAtIndex(index))) {
            size += sizeof(int) + StoredStateSize(before) + StateSize(TileAtIndex(index));
            (*tileCount)++;
        }
    }
    return size;
}

// Writes the step of the noted tiles that changed into bytes, which hold ChangedSize.
static void WriteChanged(unsigned char* bytes)
{
    unsigned char* out = bytes;
    for (size_t at = 0; at < pendingSize;) {
        int index;
        memcpy(&index, pending + at, sizeof(int));
        const unsigned char* before = pending + at + sizeof(int);
        size_t beforeSize = StoredStateSize(before);
        at += sizeof(int) + beforeSize;
        if (SameState(before, TileAtIndex(index)))
            continue;
        memcpy(out, &index, sizeof(int));
        memcpy(out + sizeof(int), before, beforeSize);
        out = PutState(out + sizeof(int) + beforeSize, TileAtIndex(index));
    }
}

int EndTileStep(void)
{
    if (!recording)
        return 0;
    recording = false;
    int tileCount = 0;
    size_t size = ChangedSize(&tileCount);
    GridFrame after = CurrentFrame();
    bool resized = after.rows != pendingBefore.rows || after.columns != pendingBefore.columns;
    if (tileCount == 0 && !resized && !pendingFailed) {
        ForgetPending();
        return 0;
    }
    unsigned char* bytes = !pendingFailed && size > 0 && size <= HistoryMaxBytes
                               ? (unsigned char*)HeapAlloc(GetProcessHeap(), 0, size)
                               : NULL;
    if (pendingFailed || size > HistoryMaxBytes || (size > 0 && bytes == NULL)) {
        ForgetPending();
        ClearTileHistory();
        return -1;
    }
    if (bytes != NULL)
        WriteChanged(bytes);
    ForgetPending();

    // A new change ends what could be done again. The newest steps are kept whatever their size;
    // only those beyond them go for the byte bound, the oldest first.
    FreeSteps(undoCount, stepCount);
    stepCount = undoCount;
    while (stepCount > 0 &&
           (stepCount >= HistoryMaxSteps || (stepCount >= HistoryMinSteps && byteCount + size > HistoryMaxBytes)))
        DropOldestStep();
    Step* step = &steps[stepCount];
    step->bytes = bytes;
    step->size = size;
    step->tileCount = tileCount;
    step->before = pendingBefore;
    step->after = after;
    stepCount++;
    undoCount = stepCount;
    byteCount += size;
    return tileCount;
}

// Gives every tile of a step, and the grid's size, their state before or after it, and notes
// them as the last step.
static void ApplyStep(const Step* step, bool after)
{
    lastTileCount = 0;
    for (size_t at = 0; at < step->size;) {
        int index;
        memcpy(&index, step->bytes + at, sizeof(int));
        const unsigned char* before = step->bytes + at + sizeof(int);
        const unsigned char* afterState = before + StoredStateSize(before);
        at = (size_t)(afterState - step->bytes) + StoredStateSize(afterState);
        RestoreState(after ? afterState : before, TileAtIndex(index));
        lastTiles[lastTileCount++] = index;
    }
    lastFrame = after ? step->after : step->before;
    AppSettings.rows = lastFrame.rows;
    AppSettings.columns = lastFrame.columns;
}

int UndoTileStep(void)
{
    if (recording)
        EndTileStep();
    if (undoCount == 0)
        return -1;
    undoCount--;
    ApplyStep(&steps[undoCount], false);
    return 0;
}

int RedoTileStep(void)
{
    if (recording)
        EndTileStep();
    if (undoCount == stepCount)
        return -1;
    undoCount++;
    ApplyStep(&steps[undoCount - 1], true);
    return 0;
}

bool TileOfLastStep(int index, int* row, int* column)
{
    if (index < 0 || index >= lastTileCount)
        return false;
    *row = lastTiles[index] / MaxColumns + 1;
    *column = lastTiles[index] % MaxColumns + 1;
    return true;
}

void SelectionOfLastStep(int* row, int* column)
{
    *row = lastFrame.selectedRow;
    *column = lastFrame.selectedColumn;
}

void ClearTileHistory(void)
{
    FreeSteps(0, stepCount);
    stepCount = 0;
    undoCount = 0;
    byteCount = 0;
    lastTileCount = 0;
}

int HistoryStepCount(void)
{
    return stepCount;
}

int HistoryUndoCount(void)
{
    return undoCount;
}

size_t HistoryByteCount(void)
{
    return byteCount;
}
