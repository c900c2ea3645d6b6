#include "commands/TileChanges.h"

#include "config/ConfigFile.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "view/AccessibleEvents.h"
#include "view/Keyboard.h"
#include "view/Paint.h"
#include "view/Scroll.h"
#include "view/Selection.h"

static bool InGridInUse(int row, int column)
{
    return row >= 1 && row <= AppSettings.rows && column >= 1 && column <= AppSettings.columns;
}

void StartTileChange(int row, int column)
{
    BeginTileStep();
    NoteTileBeforeChange(row, column);
}

void NoteTileChange(int row, int column)
{
    NoteTileBeforeChange(row, column);
}

void TileChanged(int row, int column)
{
    EndTileStep();
    InvalidateTile(row, column, FALSE);
    SaveConfigOrClose(MainWindow);
}

void TilesChangedAndSelect(HWND window, int row, int column)
{
    int oldRow = AppSettings.selectedRow;
    int oldColumn = AppSettings.selectedColumn;
    bool inGrid = InGridInUse(row, column);
    if (inGrid)
        MoveSelection(row, column);
    // Ended with the selection in place, so that doing the step again selects it again.
    EndTileStep();
    SaveConfigOrClose(window);
    if (inGrid)
        ShowMovedSelection(oldRow, oldColumn);
}

int HistoryKeyOf(wchar_t character, bool shift)
{
    const wchar_t ControlY = 25;
    const wchar_t ControlZ = 26;
    if (character == ControlZ)
        return shift ? 1 : -1;
    return character == ControlY ? 1 : 0;
}

// Shows the step just taken back or done again: a new grid size, and every tile repainted (a
// tile without the icon it had is looked up) and told to screen readers. Taking back selects the first of its
// tiles in the grid in use (the place a moved tile came back to); doing again selects where the
// change left the selection (where a moved tile landed); a step of the grid size alone brings
// back the selection of that moment.
static void ShowHistoryStep(HWND window, int result, bool redo, int oldRows, int oldColumns)
{
    if (result != 0) {
        FlashWindowOnce();
        return;
    }
    if (AppSettings.rows != oldRows || AppSettings.columns != oldColumns)
        ShowGridSize();
    int selectRow = 0;
    int selectColumn = 0;
    SelectionOfLastStep(&selectRow, &selectColumn);
    bool found = redo;
    int row = 0;
    int column = 0;
    for (int i = 0; TileOfLastStep(i, &row, &column); i++) {
        RequestIconLookUp(row, column);
        AnnounceTileChanged(row, column);
        InvalidateTile(row, column, FALSE);
        if (!found && InGridInUse(row, column)) {
            found = true;
            selectRow = row;
            selectColumn = column;
        }
    }
    TilesChangedAndSelect(window, selectRow, selectColumn);
}

void UndoTileChange(HWND window)
{
    int rows = AppSettings.rows;
    int columns = AppSettings.columns;
    ShowHistoryStep(window, UndoTileStep(), false, rows, columns);
}

void RedoTileChange(HWND window)
{
    int rows = AppSettings.rows;
    int columns = AppSettings.columns;
    ShowHistoryStep(window, RedoTileStep(), true, rows, columns);
}

void OnCharacter(HWND window, WPARAM character)
{
    int history = HistoryKeyOf((wchar_t)LOWORD(character), (GetKeyState(VK_SHIFT) & 0x8000) != 0);
    if (history < 0)
        UndoTileChange(window);
    else if (history > 0)
        RedoTileChange(window);
    else
        OnChar(window, character);
}
