#include "commands/ContextMenu.h"

#include <commdlg.h>
#include <wchar.h>

#include "commands/AddTarget.h"
#include "commands/Launch.h"
#include "commands/RestoreTiles.h"
#include "commands/TileChanges.h"
#include "config/ConfigFile.h"
#include "dialogs/Dialogs.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "shell/TargetNames.h"
#include "view/AccessibleEvents.h"

static const wchar_t DeleteQuestionStart[] = L"Are you sure you want to delete the tile:\n\n   ";
static const wchar_t Ellipsis[] = L"...";

int ContextMenuItems(bool onTile, bool filled, int kind, ContextMenuItem* items, int capacity)
{
    int count = 0;
    auto add = [&](int id, const wchar_t* text) {
        if (count < capacity)
            items[count++] = { id, text };
    };
    if (onTile && !filled) {
        add(CommandSelectFolder, L"Select a Folder");
        add(CommandEnterTarget, L"Enter a Path, URL, or Shortcut");
    }
    if (onTile && filled) {
        add(CommandDeleteTile, L"Delete Tile");
        if (kind == TileKind::Program)
            add(CommandRunAsAdministrator, L"Run as Administrator");
        add(CommandChangeName, L"Change Name of Tile");
        add(CommandBackgroundColor, L"Change Background Color of Tile");
        add(CommandTileInfo, L"Show Tile Info");
    }
    if (onTile)
        add(0, L"");
    add(CommandGridSize, L"Change Number of Rows or Columns");
    add(CommandHotkey, L"Select Hotkey");
    add(CommandRefresh, L"Refresh");
    add(CommandRestoreEarlierTiles, L"Restore Earlier Tiles...");
    add(0, L"");
    add(CommandAbout, L"About");
    add(CommandHelp, L"Help");
    add(0, L"");
    add(CommandDiagnostic, L"ID - Diagnostic");
    add(CommandExit, L"Exit");
    return count;
}

ContextMenuPlacement PlaceContextMenu(int x, int y, int screenWidth, int screenHeight)
{
    ContextMenuPlacement placement;
    bool left = x < screenWidth / 2;
    bool top = y < screenHeight / 2;
    placement.x = left ? x + 5 : x - 5;
    placement.y = top ? y + 5 : y - 5;
    placement.alignment = (left ? TPM_LEFTALIGN : TPM_RIGHTALIGN) | (top ? TPM_TOPALIGN : TPM_BOTTOMALIGN);
    return placement;
}

void DeleteQuestionText(const wchar_t* name, wchar_t* out, size_t capacity)
{
    wcsncpy_s(out, capacity, DeleteQuestionStart, _TRUNCATE);
    size_t room = capacity - 1 - wcslen(out);
    if (wcslen(name) <= room) {
        wcscat_s(out, capacity, name);
        return;
    }
    size_t kept = room > wcslen(Ellipsis) ? room - wcslen(Ellipsis) : 0;
    wcsncat_s(out, capacity, name, kept);
    wcsncat_s(out, capacity, Ellipsis, _TRUNCATE);
}

void ProgramFilePath(wchar_t* out, DWORD capacity)
{
    DWORD length = GetModuleFileNameW(NULL, out, capacity);
    // Older systems leave a path that fills the buffer unterminated.
    if (length >= capacity)
        out[capacity - 1] = L'\0';
    else if (length == 0)
        out[0] = L'\0';
}

static HMENU BuildContextMenu(bool onTile, bool filled, int kind)
{
    ContextMenuItem items[ContextMenuMaxItems];
    int count = ContextMenuItems(onTile, filled, kind, items, ContextMenuMaxItems);
    HMENU menu = CreatePopupMenu();
    // Each item goes on top of those inserted before it: insert from the bottom up.
    for (int i = count - 1; i >= 0; i--) {
        UINT flags = items[i].id == 0 ? MF_SEPARATOR | MF_BYPOSITION : MF_BYPOSITION;
        InsertMenuW(menu, 0, flags, (UINT_PTR)items[i].id, items[i].text);
    }
    return menu;
}

void RunContextMenu(HWND window, int x, int y, bool onTile, bool filled)
{
    int kind = onTile ? TileAt(AppSettings.contextRow, AppSettings.contextColumn)->kind : 0;
    HMENU menu = BuildContextMenu(onTile, filled, kind);
    SetForegroundWindow(window);
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, NULL, (POINT*)&client, 2);
    ContextMenuPlacement place = PlaceContextMenu(client.left + x, client.top + y, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN));
    // The Space that opened the menu from the keyboard must not reach the letter search.
    MSG pending;
    PeekMessageW(&pending, window, WM_CHAR, WM_CHAR, PM_REMOVE);
    int command = (int)TrackPopupMenu(menu, place.alignment | TPM_RIGHTBUTTON | TPM_RETURNCMD, place.x, place.y, 0,
                                      window, NULL);
    DestroyMenu(menu);
    CarryOutCommand(window, command);
}

static void DeleteContextTile(HWND window)
{
    int row = AppSettings.contextRow;
    int column = AppSettings.contextColumn;
    Tile* tile = TileAt(row, column);
    wchar_t question[DeleteQuestionCapacity];
    DeleteQuestionText(tile->name, question, _countof(question));
    if (MessageBoxW(window, question, L"Delete Tile", MB_YESNO | MB_DEFBUTTON2 | MB_SETFOREGROUND) != IDYES)
        return;
    StartTileChange(row, column);
    ClearTile(tile);
    AnnounceTileChanged(row, column);
    TileChanged(row, column);
}

static void ChangeContextTileColor(HWND window)
{
    int row = AppSettings.contextRow;
    int column = AppSettings.contextColumn;
    Tile* tile = TileAt(row, column);
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = window;
    choose.rgbResult = tile->backColor;
    choose.lpCustColors = AppSettings.customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose))
        return;
    StartTileChange(row, column);
    tile->backColor = choose.rgbResult;
    TileChanged(row, column);
}

static void RefreshIcons(HWND window)
{
    InvalidateRect(window, NULL, FALSE);
    AppSettings.iconRefreshMode = 1;
}

static void ShowDiagnostic(HWND window)
{
    wchar_t path[MAX_PATH];
    ProgramFilePath(path, _countof(path));
    const wchar_t* name = LastPathComponent(path);
    MessageBoxW(window, name != NULL ? name : L"", L"Vantrel Version:", MB_OK);
}

// A dialog that may change the context tile or the grid size, which then can be taken back;
// saved after it closes, whichever button closed it.
static void ChangeWithDialog(HWND window, void (*dialog)(void))
{
    StartTileChange(AppSettings.contextRow, AppSettings.contextColumn);
    dialog();
    EndTileStep();
    SaveConfigOrClose(window);
}

void CarryOutCommand(HWND window, int command)
{
    switch (command) {
    case CommandSelectFolder:       FillContextTileFromFolderPicker(); break;
    case CommandDeleteTile:         DeleteContextTile(window); break;
    case CommandChangeName:         ChangeWithDialog(window, ShowTileNameDialog); break;
    case CommandAbout:              ShowAboutDialog(); break;
    case CommandHelp:               ShowHelpDialog(); break;
    case CommandDiagnostic:         ShowDiagnostic(window); break;
    case CommandRefresh:            RefreshIcons(window); break;
    case CommandGridSize:           ChangeWithDialog(window, ShowGridSizeDialog); break;
    case CommandHotkey:             ShowHotkeyDialog(); SaveConfigOrClose(window); break;
    case CommandBackgroundColor:    ChangeContextTileColor(window); break;
    case CommandRunAsAdministrator: RunTileAsAdministrator(AppSettings.contextRow, AppSettings.contextColumn); break;
    case CommandEnterTarget:        ChangeWithDialog(window, ShowTargetEntryDialog); break;
    case CommandExit:               PostMessageW(window, WM_CLOSE, 0, 0); break;
    case CommandTileInfo:           ShowTileInfoDialog(); break;
    case CommandRestoreEarlierTiles: RestoreEarlierTiles(window); break;
    default:                        break;
    }
}
