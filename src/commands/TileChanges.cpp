#include "commands/TileChanges.h"

#include "commands/Mouse.h"
#include "config/ConfigFile.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "view/AccessibleEvents.h"
#include "view/Keyboard.h"
#include "view/Paint.h"

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
    EndTileStep();
    int oldRow = AppSettings.selectedRow;
    int oldColumn = AppSettings.selectedColumn;
    bool inGrid = row >= 1 && row <= AppSettings.rows && column >= 1 && column <= AppSettings.columns;
    if (inGrid)
        MoveSelection(row, column);
    SaveConfigOrClose(window);
    if (inGrid)
        ShowMovedSelection(oldRow, oldColumn, true);
}

int HistoryKeyOf(wchar_t character, bool shift)
{
    const wchar_t ControlY = 25;
    const wchar_t ControlZ = 26;
    if (character == ControlZ)
        return shift ? 1 : -1;
    return character == ControlY ? 1 : 0;
}

// Shows the tiles of the step just taken back or done again: the first in the grid in use is
// selected, every one repainted with its icon looked up again and told to screen readers.
static void ShowHistoryStep(HWND window, int tileCount)
{
    if (tileCount <= 0) {
        FlashWindowOnce();
        return;
    }
    int firstRow = 0;
    int firstColumn = 0;
    int row = 0;
    int column = 0;
    for (int i = 0; TileOfLastStep(i, &row, &column); i++) {
        RequestIconLookUp(row, column);
        AnnounceTileChanged(row, column);
        InvalidateTile(row, column, FALSE);
        if (firstRow == 0 && row <= AppSettings.rows && column <= AppSettings.columns) {
            firstRow = row;
            firstColumn = column;
        }
    }
    TilesChangedAndSelect(window, firstRow, firstColumn);
}

void UndoTileChange(HWND window)
{
    ShowHistoryStep(window, UndoTileStep());
}

void RedoTileChange(HWND window)
{
    ShowHistoryStep(window, RedoTileStep());
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
