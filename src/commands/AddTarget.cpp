#include "commands/AddTarget.h"

#include <shlobj.h>
#include <wchar.h>

#include "commands/TileChanges.h"
#include "config/ConfigFormat.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "shell/Com.h"
#include "shell/TargetNames.h"
#include "view/AccessibleEvents.h"
#include "view/Paint.h"

const wchar_t OpenDialogTitle[] = L"Select a PROGRAM or FILE to Add to this Tile";
const wchar_t FolderPickerTitle[] = L"Please select a FOLDER";

// Pairs of description and pattern, each part ended by a zero, the list by a second one.
static const wchar_t OpenDialogFilter[] = L"All\0*.*\0Text\0*.TXT\0Exe\0*.exe\0";

OPENFILENAMEW OpenFileRecord;

UINT_PTR CALLBACK OpenFileHook(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_NOTIFY && (int)OpenFileRecord.nFilterIndex != AppSettings.filterIndex)
        AppSettings.filterIndex = (int)OpenFileRecord.nFilterIndex;
    return 1;
}

const wchar_t* FolderNameFromPath(wchar_t* trimmedPath)
{
    const wchar_t* name = LastPathComponent(trimmedPath);
    if (name == NULL && trimmedPath[0] != L'\0') {
        trimmedPath[wcslen(trimmedPath) - 1] = L'\0';
        name = LastPathComponent(trimmedPath);
    }
    return name;
}

void FillTileWithFile(int row, int column, const wchar_t* path)
{
    const wchar_t* name = ShellDisplayName(path);
    FillTile(TileAt(row, column), path, name, ClassifyTarget(path));
    AnnounceTileChanged(row, column);
    RequestIconLookUp(row, column);
    AppSettings.iconRefreshMode = 1;
}

void FillTileWithFolder(int row, int column, const wchar_t* path, const wchar_t* displayName)
{
    const wchar_t* name = displayName;
    wchar_t trimmed[TileTextCapacity];
    if (displayName == NULL || displayName[0] == L'\0') {
        wcsncpy_s(trimmed, _countof(trimmed), path, _TRUNCATE);
        TrimBlanks(trimmed);
        name = FolderNameFromPath(trimmed);
    }
    Tile* tile = TileAt(row, column);
    FillTile(tile, path, name, tile->kind);
    AnnounceTileChanged(row, column);
    RequestIconLookUp(row, column);
    AppSettings.iconRefreshMode = 1;
}

void FillTileFromOpenDialog(int row, int column)
{
    static wchar_t file[TileTextCapacity];
    file[0] = L'\0';
    ZeroMemory(&OpenFileRecord, sizeof(OpenFileRecord));
    OpenFileRecord.lStructSize = sizeof(OpenFileRecord);
    OpenFileRecord.hwndOwner = MainWindow;
    OpenFileRecord.lpstrFilter = OpenDialogFilter;
    OpenFileRecord.nFilterIndex = (DWORD)AppSettings.filterIndex;
    OpenFileRecord.lpstrFile = file;
    OpenFileRecord.nMaxFile = _countof(file);
    OpenFileRecord.lpstrTitle = OpenDialogTitle;
    OpenFileRecord.lpfnHook = OpenFileHook;
    // Without OFN_NODEREFERENCELINKS a picked shortcut gives the path of its target.
    OpenFileRecord.Flags = OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER |
                           OFN_ENABLESIZING;
    EnsureComInitialized();
    if (!GetOpenFileNameW(&OpenFileRecord)) {
        CommDlgExtendedError();
        return;
    }
    if (file[0] == L'\0')
        return;

    StartTileChange(row, column);
    FillTileWithFile(row, column, file);
    TileChanged(row, column);
}

void FillContextTileFromFolderPicker(void)
{
    wchar_t path[TileTextCapacity] = L"C:\\";
    wchar_t displayName[TileTextCapacity] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = MainWindow;
    browse.pidlRoot = NULL;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = FolderPickerTitle;
    browse.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    browse.iImage = -1;
    EnsureComInitialized();
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&browse);
    if (picked == NULL)
        return;
    // A virtual folder (Control Panel, say) has no file-system path to store.
    BOOL hasPath = SHGetPathFromIDListW(picked, path);
    CoTaskMemFree(picked);
    if (!hasPath || path[0] == L'\0')
        return;

    StartTileChange(AppSettings.contextRow, AppSettings.contextColumn);
    FillTileWithFolder(AppSettings.contextRow, AppSettings.contextColumn, path, displayName);
    TileChanged(AppSettings.contextRow, AppSettings.contextColumn);
}
