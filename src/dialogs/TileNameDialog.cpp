#include "dialogs/Dialogs.h"

#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/AccessibleEvents.h"

static const int Line1Field = IDC_FIELD_1;
static const int Line2Field = IDC_FIELD_2;

static void OnInitTileName(HWND dialog)
{
    wchar_t line1[NameLineLength + 1];
    wchar_t line2[NameLineLength + 1];
    SplitTileName(ContextTile()->name, line1, line2);
    if (line2[0] != L'\0')
        SetDlgItemTextW(dialog, Line2Field, line2);
    SetDlgItemTextW(dialog, Line1Field, line1);
    SendDlgItemMessageW(dialog, Line1Field, EM_LIMITTEXT, NameLineLength, 0);
    SendDlgItemMessageW(dialog, Line2Field, EM_LIMITTEXT, NameLineLength, 0);
    SetFocus(GetDlgItem(dialog, Line1Field));
}

static void OnTileNameOk(HWND dialog)
{
    // The first line always takes its full 12 characters, so the second starts in place.
    StoreNameLines(dialog, Line1Field, Line2Field, true, ContextTile());
    AnnounceTileChanged(AppSettings.contextRow, AppSettings.contextColumn);
    InvalidateRect(MainWindow, NULL, TRUE);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK TileNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitTileName(dialog);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (wParam) {
    case IDOK:
        OnTileNameOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowTileNameDialog(void)
{
    RunDialog(IDD_TILE_NAME, TileNameDialogProc);
}
