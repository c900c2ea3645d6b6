#include "dialogs/Dialogs.h"

#include <wchar.h>

#include "model/TileGrid.h"
#include "resources/resource.h"

static const int NameLine1 = IDC_HEADING_2;
static const int NameLine2 = IDC_NAME_LINE_2;
static const int PositionText = IDC_LABEL_2;
static const int PathText = IDC_NOTE_2;

// The panels' white background, made once and kept for the life of the process.
static HBRUSH whiteBrush;

static void SetNamePart(HWND dialog, int id, const wchar_t* name, size_t start)
{
    wchar_t part[NameLineLength + 1] = L"";
    size_t length = wcslen(name);
    if (length > start)
        wcsncpy_s(part, _countof(part), name + start, _TRUNCATE);
    SetDlgItemTextW(dialog, id, part);
}

static void OnInitTileInfo(HWND dialog)
{
    const Tile* tile = ContextTile();
    SetDlgItemTextW(dialog, PathText, tile->path);
    SetNamePart(dialog, NameLine1, tile->name, 0);
    SetNamePart(dialog, NameLine2, tile->name, NameLineLength);
    wchar_t position[32];
    swprintf_s(position, _countof(position), L"%d , %d", AppSettings.contextRow, AppSettings.contextColumn);
    SetDlgItemTextW(dialog, PositionText, position);
    if (whiteBrush == NULL)
        whiteBrush = CreateSolidBrush(0xFFFFFF);
    SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDOK), TRUE);
}

// Every static, group box and the read-only path ask for their colours here: all get the
// white background; the group boxes' captions are red.
static INT_PTR OnTileInfoColor(HDC dc, HWND control)
{
    if (GetDlgCtrlID(control) == -1)
        SetTextColor(dc, 0x0000FF);
    return (INT_PTR)whiteBrush;
}

INT_PTR CALLBACK TileInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitTileInfo(dialog);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnTileInfoColor((HDC)wParam, (HWND)lParam);
    case WM_COMMAND:
        if (wParam == IDOK || wParam == IDCANCEL) {
            EndDialog(dialog, 0);
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

void ShowTileInfoDialog(void)
{
    RunDialog(IDD_TILE_INFO, TileInfoDialogProc);
}
