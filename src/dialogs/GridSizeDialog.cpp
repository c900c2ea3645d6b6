#include "dialogs/Dialogs.h"

#include <wchar.h>

#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/Scroll.h"

static const int RowsField = IDC_FIELD_1;
static const int ColumnsField = IDC_FIELD_2;
static const int RowsNote = IDC_NOTE_1;
static const int ColumnsNote = IDC_NOTE_2;
static const int FieldLength = 3;

static void SetNumber(HWND dialog, int id, const wchar_t* format, int value)
{
    wchar_t text[16];
    swprintf_s(text, _countof(text), format, value);
    SetDlgItemTextW(dialog, id, text);
}

static void OnInitGridSize(HWND dialog)
{
    SetNumber(dialog, RowsNote, L"(%d Maximum)", MaxRows);
    SetNumber(dialog, ColumnsNote, L"(%d Maximum)", MaxColumns);
    SetNumber(dialog, RowsField, L"%d", AppSettings.rows);
    SetNumber(dialog, ColumnsField, L"%d", AppSettings.columns);
    SendDlgItemMessageW(dialog, RowsField, EM_LIMITTEXT, FieldLength, 0);
    SendDlgItemMessageW(dialog, ColumnsField, EM_LIMITTEXT, FieldLength, 0);
    HWND rows = GetDlgItem(dialog, RowsField);
    SetFocus(rows);
    int end = GetWindowTextLengthW(rows);
    SendMessageW(rows, EM_SETSEL, (WPARAM)end, (LPARAM)end);
}

// Returns TRUE when the dialog closed; a refused field is set back to the value in use.
static INT_PTR OnGridSizeOk(HWND dialog)
{
    int rows = ReadIntegerField(dialog, RowsField, FieldLength);
    int columns = ReadIntegerField(dialog, ColumnsField, FieldLength);
    wchar_t text[64];
    if (rows < 1 || rows > MaxRows) {
        swprintf_s(text, _countof(text), L"Number of Rows must be a number from 1 to %d", MaxRows);
        ShowInvalidInput(dialog, text);
        SetNumber(dialog, RowsField, L"%d", AppSettings.rows);
        FocusField(dialog, RowsField);
        return FALSE;
    }
    if (columns < 1 || columns > MaxColumns) {
        swprintf_s(text, _countof(text), L"Number of Columns must be a number from 1 to %d", MaxColumns);
        ShowInvalidInput(dialog, text);
        SetNumber(dialog, ColumnsField, L"%d", AppSettings.columns);
        FocusField(dialog, ColumnsField);
        return FALSE;
    }
    AppSettings.rows = rows;
    AppSettings.columns = columns;
    ShowGridSize();
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR CALLBACK GridSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitGridSize(dialog);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (wParam) {
    case IDC_GRID_OK:
        return OnGridSizeOk(dialog);
    case IDCANCEL:
    case IDC_GRID_CANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowGridSizeDialog(void)
{
    RunDialog(IDD_GRID_SIZE, GridSizeDialogProc);
}
