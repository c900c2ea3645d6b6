// Filling an empty tile from the Open dialog or the folder picker.
#pragma once
#include <windows.h>
#include <commdlg.h>

extern const wchar_t OpenDialogTitle[];
extern const wchar_t FolderPickerTitle[];

// The Open dialog's record, program-wide so that its hook can read the filter in use.
extern OPENFILENAMEW OpenFileRecord;

// Keeps the filter that the user chose for the next Open dialog of this run.
UINT_PTR CALLBACK OpenFileHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The name a picked folder gets when the picker gives no display name: the last
// component of the trimmed path, or of the path without its last character (so "C:\"
// gives "C:"). NULL when neither yields one.
const wchar_t* FolderNameFromPath(wchar_t* trimmedPath);

// Fills a tile with a file as the Open dialog does: its path, the shell's display name,
// its kind, the default colour; the icon to be looked up. Nothing is saved.
void FillTileWithFile(int row, int column, const wchar_t* path);

// Fills a tile with a folder as the folder picker does: its path, the display name or,
// without one, the last component of the path; the kind left as it is. Nothing is saved.
void FillTileWithFolder(int row, int column, const wchar_t* path, const wchar_t* displayName);

// Lets the user pick a program or file for the tile; fills it and saves.
void FillTileFromOpenDialog(int row, int column);

// Lets the user pick a folder for the context tile; fills it and saves.
void FillContextTileFromFolderPicker(void);
