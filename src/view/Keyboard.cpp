#include "view/Keyboard.h"

#include <wchar.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/FindBar.h"
#include "view/Selection.h"

KeyAction KeyActionFor(int virtualKey, bool shift, bool control)
{
    KeyAction action = {};
    action.kind = KeyNothing;
    // Arrows: without a modifier they move the selection; Shift scrolls a pixel, Ctrl a page.
    int rowStep = 0;
    int columnStep = 0;
    UINT message = 0;
    int lineCode = 0;
    int pageCode = 0;
    switch (virtualKey) {
    case VK_RETURN:
        action.kind = KeyClick;
        action.message = WM_LBUTTONDOWN;
        return action;
    case VK_SPACE:
        action.kind = KeyClick;
        action.message = WM_RBUTTONDOWN;
        return action;
    case VK_PRIOR:
        action.kind = KeyScroll;
        action.message = WM_VSCROLL;
        action.code = SB_PAGEUP;
        return action;
    case VK_NEXT:
        action.kind = KeyScroll;
        action.message = WM_VSCROLL;
        action.code = SB_PAGEDOWN;
        return action;
    case VK_END:
        action.kind = KeyLastTile;
        return action;
    case VK_HOME:
        action.kind = KeyFirstTile;
        return action;
    case VK_LEFT:
        columnStep = -1, message = WM_HSCROLL, lineCode = SB_LINELEFT, pageCode = SB_PAGELEFT;
        break;
    case VK_UP:
        rowStep = -1, message = WM_VSCROLL, lineCode = SB_LINEUP, pageCode = SB_PAGEUP;
        break;
    case VK_RIGHT:
        columnStep = 1, message = WM_HSCROLL, lineCode = SB_LINERIGHT, pageCode = SB_PAGERIGHT;
        break;
    case VK_DOWN:
        rowStep = 1, message = WM_VSCROLL, lineCode = SB_LINEDOWN, pageCode = SB_PAGEDOWN;
        break;
    default:
        return action;
    }
    if (shift || control) {
        action.kind = KeyScroll;
        action.message = message;
        action.code = shift ? lineCode : pageCode;
    } else {
        action.kind = KeyMoveSelection;
        action.rowStep = rowStep;
        action.columnStep = columnStep;
    }
    return action;
}

static bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

wchar_t LetterCandidate(const wchar_t* name)
{
    size_t length = wcslen(name);
    size_t k = 0;
    while (k + 1 < length && IsBlank(name[k]))
        k++;
    return name[k];
}

wchar_t FoldLetter(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? (wchar_t)(c - L'a' + L'A') : c;
}

void NextInReadingOrder(int* row, int* column, int rows, int columns)
{
    if (*row < 1 || *row > rows || *column < 1 || *column > columns) {
        *row = 1;
        *column = 1;
    } else if (*column < columns) {
        (*column)++;
    } else {
        *column = 1;
        *row = *row == rows ? 1 : *row + 1;
    }
}

void FlashWindowOnce(void)
{
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = MainWindow;
    flash.dwFlags = FLASHW_ALL;
    flash.uCount = 1;
    flash.dwTimeout = 200;
    FlashWindowEx(&flash);
}

int FindTileByLetter(wchar_t ch)
{
    int rows = AppSettings.rows;
    int columns = AppSettings.columns;
    int count = rows * columns;
    wchar_t wanted = FoldLetter(ch);
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    for (int i = 0; i < count; i++) {
        NextInReadingOrder(&row, &column, rows, columns);
        if (FoldLetter(LetterCandidate(TileAt(row, column)->name)) != wanted)
            continue;
        if (row != AppSettings.selectedRow || column != AppSettings.selectedColumn)
            SelectAndShowTile(row, column);
        return 1;
    }
    FlashWindowOnce();
    return 0;
}

// Return and Space act as a plain click at the selected tile's centre, through the
// window's own button handlers.
static void ClickSelectedTile(HWND window, UINT message)
{
    RECT r;
    if (TileRect(AppSettings.selectedRow, AppSettings.selectedColumn, &r) != 0)
        return;
    int x = (r.left + r.right) / 2;
    int y = (r.top + r.bottom) / 2;
    SendMessageW(window, message, 0, MAKELPARAM((WORD)x, (WORD)y));
}

static void MoveSelectionBy(int rowStep, int columnStep)
{
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    if (row == 0 || column == 0)
        return;
    if (rowStep != 0)
        row = WrapStep(row, rowStep, AppSettings.rows);
    if (columnStep != 0)
        column = WrapStep(column, columnStep, AppSettings.columns);
    SelectAndShowStep(row, column, rowStep != 0);
}

static bool KeyHeld(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

void OnKeyDown(HWND window, WPARAM virtualKey)
{
    KeyAction action = KeyActionFor((int)virtualKey, KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL));
    switch (action.kind) {
    case KeyClick:          ClickSelectedTile(window, action.message); break;
    case KeyScroll:         SendMessageW(window, action.message, (WPARAM)action.code, 0); break;
    case KeyFirstTile:      SelectCornerAndShow(window, 1, 1, SB_TOP, SB_LEFT); break;
    case KeyLastTile:       SelectCornerAndShow(window, AppSettings.rows, AppSettings.columns, SB_BOTTOM, SB_RIGHT); break;
    case KeyMoveSelection:  MoveSelectionBy(action.rowStep, action.columnStep); break;
    case KeyNothing:        break;
    }
}

void OnChar(HWND window, WPARAM character)
{
    wchar_t ch = (wchar_t)LOWORD(character);
    if (ch == FindKeyCharacter)
        OpenFindBar(window);
    else if (ch != L'\r')
        FindTileByLetter(ch);
}
