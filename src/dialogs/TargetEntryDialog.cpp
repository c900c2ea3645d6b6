#include "dialogs/Dialogs.h"

#include <wchar.h>

#include "config/ConfigFormat.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "resources/resource.h"
#include "shell/TargetNames.h"
#include "view/AccessibleEvents.h"

static const int PathField = IDC_FIELD_1;
static const int Line1Field = IDC_FIELD_2;
static const int Line2Field = IDC_FIELD_3;
static const int PathLength = 260;

static void OnInitTargetEntry(HWND dialog)
{
    ContextTile()->path[0] = L'\0';
    SendDlgItemMessageW(dialog, PathField, EM_LIMITTEXT, PathLength, 0);
    SendDlgItemMessageW(dialog, Line1Field, EM_LIMITTEXT, NameLineLength, 0);
    SendDlgItemMessageW(dialog, Line2Field, EM_LIMITTEXT, NameLineLength, 0);
    SetFocus(GetDlgItem(dialog, PathField));
}

// True when the text holds more than blanks and tabs: a path of blanks would fill a tile
// that the next start drops, as the reader trims paths.
static bool HasTarget(const wchar_t* path)
{
    wchar_t trimmed[TileTextCapacity];
    wcscpy_s(trimmed, _countof(trimmed), path);
    TrimBlanks(trimmed);
    return trimmed[0] != L'\0';
}

static void OnTargetEntryOk(HWND dialog)
{
    wchar_t path[TileTextCapacity];
    GetDlgItemTextW(dialog, PathField, path, _countof(path));
    DropControlCharacters(path);
    if (!HasTarget(path)) {
        EndDialog(dialog, 0);
        return;
    }
    Tile* tile = ContextTile();
    FillTile(tile, path, NULL, tile->kind);

    StoreNameLines(dialog, Line1Field, Line2Field, false, tile);
    if (tile->name[0] == L'\0') {
        const wchar_t* shown = ShellDisplayName(tile->path);
        if (shown != NULL)
            wcsncpy_s(tile->name, _countof(tile->name), shown, _TRUNCATE);
    }

    AnnounceTileChanged(AppSettings.contextRow, AppSettings.contextColumn);
    AppSettings.iconRefreshMode = 1;
    if (InvalidateTile(AppSettings.contextRow, AppSettings.contextColumn, TRUE) != 0)
        InvalidateRect(MainWindow, NULL, TRUE);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK TargetEntryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitTargetEntry(dialog);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (wParam) {
    case IDOK:
        OnTargetEntryOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowTargetEntryDialog(void)
{
    RunDialog(IDD_TARGET_ENTRY, TargetEntryDialogProc);
}
