#include "view/Selection.h"

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/AccessibleEvents.h"
#include "view/Scroll.h"

// Moves the selection and tells screen readers.
static void SelectAndAnnounce(int row, int column)
{
    MoveSelection(row, column);
    AnnounceSelection();
}

// The frame leaves the old tile and appears on the new one.
static void RepaintFrames(int oldRow, int oldColumn, int row, int column, BOOL erase)
{
    if (oldRow != 0 && oldColumn != 0)
        InvalidateTile(oldRow, oldColumn, erase);
    InvalidateTile(row, column, erase);
}

void SelectAndShowTile(int row, int column)
{
    SelectAndAnnounce(row, column);
    InvalidateRect(MainWindow, NULL, FALSE);
    ScrollRowIntoView(row);
    ScrollColumnIntoView(column);
}

void SelectAndShowStep(int row, int column, bool alongRows)
{
    SelectAndAnnounce(row, column);
    InvalidateRect(MainWindow, NULL, FALSE);
    if (alongRows)
        ScrollRowIntoView(row);
    else
        ScrollColumnIntoView(column);
}

void SelectCornerAndShow(HWND window, int row, int column, int verticalCode, int horizontalCode)
{
    SelectAndAnnounce(row, column);
    InvalidateRect(window, NULL, FALSE);
    SendMessageW(window, WM_VSCROLL, (WPARAM)verticalCode, 0);
    SendMessageW(window, WM_HSCROLL, (WPARAM)horizontalCode, 0);
}

void ShowMovedSelection(int oldRow, int oldColumn)
{
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    AnnounceSelection();
    RepaintFrames(oldRow, oldColumn, row, column, TRUE);
    ScrollRowIntoView(row);
    ScrollColumnIntoView(column);
}

void SelectClickedTile(int row, int column, bool leftClick)
{
    int oldRow = AppSettings.selectedRow;
    int oldColumn = AppSettings.selectedColumn;
    MoveSelection(row, column);
    if (leftClick) {
        ShowMovedSelection(oldRow, oldColumn);
        return;
    }
    AnnounceSelection();
    ScrollRowIntoView(row);
    ScrollColumnIntoView(column);
    InvalidateRect(MainWindow, NULL, FALSE);
}

void SelectAndShowAbove(int row, int column, int covered)
{
    int oldRow = AppSettings.selectedRow;
    int oldColumn = AppSettings.selectedColumn;
    if (row != oldRow || column != oldColumn) {
        SelectAndAnnounce(row, column);
        RepaintFrames(oldRow, oldColumn, row, column, FALSE);
    }
    ScrollTileIntoViewAbove(row, column, covered);
}
