#include "dialogs/Dialogs.h"

#include <wchar.h>

#include "config/KeptStates.h"
#include "model/TileCompare.h"
#include "model/TileGrid.h"
#include "resources/resource.h"

static const int StateList = IDC_STATE_LIST;
static const int DifferenceList = IDC_DIFFERENCE_LIST;

static const wchar_t* const DayNames[] = { L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat" };
static const wchar_t* const MonthNames[] = { L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec" };
static const wchar_t* const KindNames[] = { L"closed", L"kept unread", L"pending", L"other version" };

// Appends "N thing" (or "1 thing" without the plural's "s" when plural is given) to out,
// after a separator when out holds something already.
static void AppendCount(wchar_t* out, size_t capacity, int count, const wchar_t* thing, const wchar_t* plural,
                        const wchar_t* separator)
{
    wchar_t part[64];
    swprintf_s(part, _countof(part), L"%ls%d %ls", out[0] != L'\0' ? separator : L"", count,
               count == 1 || plural == NULL ? thing : plural);
    wcsncat_s(out, capacity, part, _TRUNCATE);
}

void KeptStateLineText(const KeptState* state, const SYSTEMTIME* written, WORD thisYear, wchar_t* out, size_t capacity)
{
    wchar_t year[8] = L"";
    if (written->wYear != thisYear)
        swprintf_s(year, _countof(year), L" %u", written->wYear);
    int kind = state->kind >= 0 && state->kind < (int)_countof(KindNames) ? state->kind : 0;
    _snwprintf_s(out, capacity, _TRUNCATE, L"%ls %u %ls%ls %02u:%02u - %ls - ", DayNames[written->wDayOfWeek % 7],
                 written->wDay, MonthNames[(written->wMonth + 11) % 12], year, written->wHour, written->wMinute,
                 KindNames[kind]);
    if (state->kind == KeptOtherVersion) {
        wcsncat_s(out, capacity, L"cannot be restored", _TRUNCATE);
        return;
    }
    if (state->reading == KeptNotRead) {
        wcsncat_s(out, capacity, L"cannot be read", _TRUNCATE);
        return;
    }
    wchar_t tiles[64] = L"";
    const GridComparison* c = &state->comparison;
    AppendCount(tiles, _countof(tiles), c->tiles, L"tile", L"tiles", L"");
    if (state->reading == KeptReadInPart)
        wcsncat_s(tiles, _countof(tiles), L" readable", _TRUNCATE);
    wchar_t differences[96] = L"";
    if (c->missingNow > 0)
        AppendCount(differences, _countof(differences), c->missingNow, L"missing now", NULL, L", ");
    if (c->changed > 0)
        AppendCount(differences, _countof(differences), c->changed, L"changed", NULL, L", ");
    if (c->notInIt > 0)
        AppendCount(differences, _countof(differences), c->notInIt, L"not in it", NULL, L", ");
    wchar_t rest[200];
    swprintf_s(rest, _countof(rest), L"%ls%ls - %ls", state->reading == KeptReadInPart ? L"damaged: " : L"", tiles,
               differences[0] != L'\0' ? differences : L"same as now");
    wcsncat_s(out, capacity, rest, _TRUNCATE);
}

void TileDifferenceText(int row, int column, int difference, const wchar_t* name, const wchar_t* nameNow, wchar_t* out,
                        size_t capacity)
{
    if (difference == TileDifference::Changed)
        _snwprintf_s(out, capacity, _TRUNCATE, L"Row %d, column %d: %ls - now: %ls", row, column, name, nameNow);
    else
        _snwprintf_s(out, capacity, _TRUNCATE, L"Row %d, column %d: %ls - %ls", row, column,
                     difference == TileDifference::MissingNow ? name : nameNow,
                     difference == TileDifference::MissingNow ? L"missing now" : L"not in it");
}

// What the dialog holds while it is open: the states listed, the chosen one read whole, and
// the grid as it is now, compared with each.
static KeptStateList states;
static KeptTiles shown;
static TileDigest now[GridCellCount];
// What the user chose, and the chosen state's tiles, handed to the command that restores.
static int choice;
static KeptTiles chosen;

// A tile's name as a line shows it: a tile without a name goes by its path.
static const wchar_t* ShownName(const wchar_t* name, const wchar_t* path)
{
    return name[0] != L'\0' ? name : path;
}

static void AddLine(HWND list, const wchar_t* text)
{
    SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)text);
}

// Lists the tiles of the state read whole that differ from now; returns how many are missing
// now, and in *any whether anything differs at all.
static int ListDifferences(HWND list, bool* any)
{
    int missing = 0;
    *any = false;
    for (int cell = 0; cell < GridCellCount; cell++) {
        int difference = CompareTile(shown.cells[cell].digest, now[cell]);
        if (difference == TileDifference::EmptyInBoth || difference == TileDifference::Same)
            continue;
        int row = cell / MaxColumns + 1;
        int column = cell % MaxColumns + 1;
        const Tile* tile = TileAt(row, column);
        const wchar_t* name =
            difference == TileDifference::NotInIt ? L"" : ShownName(KeptTileName(&shown, cell), KeptTilePath(&shown, cell));
        wchar_t line[2 * TileTextCapacity + 80];
        TileDifferenceText(row, column, difference, name, ShownName(tile->name, tile->path), line, _countof(line));
        AddLine(list, line);
        missing += difference == TileDifference::MissingNow;
        *any = true;
    }
    return missing;
}

// Shows what the state at index holds against now, and which restores it allows.
static void ShowState(HWND dialog, int index)
{
    FreeKeptTiles(&shown);
    HWND list = GetDlgItem(dialog, DifferenceList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    int missing = 0;
    bool restorable = false;
    const KeptState* state = index >= 0 && index < states.count ? &states.states[index] : NULL;
    if (state == NULL) {
        AddLine(list, L"Vantrel keeps earlier tiles when it closes; none are kept yet.");
    } else if (state->kind == KeptOtherVersion) {
        AddLine(list, L"A file of another version of Vantrel: its tiles cannot be read here.");
    } else if (ReadKeptTiles(state->path, &shown) != 0) {
        AddLine(list, L"This file cannot be read: it may be open in another program.");
    } else {
        // Room for as many lines as the state could differ in, at once rather than line by line.
        SendMessageW(list, LB_INITSTORAGE, (WPARAM)(state->comparison.tiles + state->comparison.notInIt),
                     (LPARAM)(state->comparison.tiles + state->comparison.notInIt) * 64 * sizeof(wchar_t));
        bool any = false;
        missing = ListDifferences(list, &any);
        bool larger = shown.rows > AppSettings.rows || shown.columns > AppSettings.columns;
        restorable = any || larger;
        if (!any)
            AddLine(list, larger ? L"Every tile is as it is now; the grid was larger." : L"Every tile is as it is now.");
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_RESTORE_MISSING), missing > 0);
    EnableWindow(GetDlgItem(dialog, IDC_RESTORE_ALL), restorable);
}

static void OnInitEarlierTiles(HWND dialog)
{
    choice = RestoreNothing;
    FreeKeptTiles(&chosen);
    DigestGrid(now);
    ListKeptStates(now, &states);
    HWND list = GetDlgItem(dialog, StateList);
    SYSTEMTIME today;
    GetLocalTime(&today);
    for (int i = 0; i < states.count; i++) {
        SYSTEMTIME universal, local;
        if (!FileTimeToSystemTime(&states.states[i].written, &universal) ||
            !SystemTimeToTzSpecificLocalTime(NULL, &universal, &local))
            GetLocalTime(&local);
        wchar_t line[200];
        KeptStateLineText(&states.states[i], &local, today.wYear, line, _countof(line));
        AddLine(list, line);
    }
    if (states.count == 0)
        AddLine(list, L"No earlier tiles are kept yet.");
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    ShowState(dialog, 0);
    SetFocus(list);
}

// Hands the state read whole to the command and closes.
static INT_PTR ChooseRestore(HWND dialog, int restore)
{
    if (shown.cells == NULL || !IsWindowEnabled(GetDlgItem(dialog, restore == RestoreAll ? IDC_RESTORE_ALL
                                                                                         : IDC_RESTORE_MISSING)))
        return FALSE;
    choice = restore;
    chosen = shown;
    shown = KeptTiles();
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR CALLBACK EarlierTilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitEarlierTiles(dialog);
        return FALSE;
    case WM_DESTROY:
        FreeKeptStateList(&states);
        FreeKeptTiles(&shown);
        return FALSE;
    case WM_COMMAND:
        break;
    default:
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case StateList:
        if (HIWORD(wParam) == LBN_SELCHANGE)
            ShowState(dialog, (int)SendDlgItemMessageW(dialog, StateList, LB_GETCURSEL, 0, 0));
        return TRUE;
    case IDC_RESTORE_MISSING:
        return ChooseRestore(dialog, RestoreMissing);
    case IDC_RESTORE_ALL:
        return ChooseRestore(dialog, RestoreAll);
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

int TakeEarlierTilesChoice(KeptTiles* tiles)
{
    FreeKeptTiles(tiles);
    *tiles = chosen;
    chosen = KeptTiles();
    int taken = choice;
    choice = RestoreNothing;
    return taken;
}

int ShowEarlierTilesDialog(KeptTiles* tiles)
{
    RunDialog(IDD_EARLIER_TILES, EarlierTilesDialogProc);
    return TakeEarlierTilesChoice(tiles);
}
