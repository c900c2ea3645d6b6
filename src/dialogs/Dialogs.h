// The modal dialogs that the context menu opens. Each Show... function runs its dialog
// owned by the main window; the dialog changes the model, and the caller saves.
#pragma once
#include <windows.h>
#include <stddef.h>

void ShowGridSizeDialog(void);
void ShowTileNameDialog(void);
void ShowHotkeyDialog(void);
void ShowTargetEntryDialog(void);
void ShowTileInfoDialog(void);
void ShowAboutDialog(void);
void ShowHelpDialog(void);

struct KeptState;
struct KeptTiles;

// What the user chose in the "Earlier Tiles" dialog.
enum RestoreChoice {
    RestoreNothing,
    RestoreMissing,   // fill the tiles empty now with the state's
    RestoreAll        // make every tile the state's
};

// Lists the kept states of the tiles, compares each with now and lets the user choose one to
// restore. Returns the RestoreChoice, with the chosen state's tiles in *tiles (freed by the
// caller with FreeKeptTiles); nothing is changed here.
int ShowEarlierTilesDialog(KeptTiles* tiles);

// The choice the dialog closed with, and the chosen state's tiles; afterwards nothing is chosen.
int TakeEarlierTilesChoice(KeptTiles* tiles);

// A kept state's line: "Mon 7 Dec 18:02 - closed - 48 tiles - 3 missing now, 1 changed", with
// written the local time of its last write; the year is shown when it is not thisYear.
void KeptStateLineText(const KeptState* state, const SYSTEMTIME* written, WORD thisYear, wchar_t* out, size_t capacity);

// A tile that differs from now (a TileDifference): "Row 2, column 3: Notes - missing now",
// "... - not in it" (with the name it has now) or "Row 1, column 4: Budget - now: Budget 2027".
void TileDifferenceText(int row, int column, int difference, const wchar_t* name, const wchar_t* nameNow, wchar_t* out,
                        size_t capacity);

// The dialog procedures, for tests that create the dialogs from their templates.
INT_PTR CALLBACK GridSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TileNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TargetEntryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TileInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EarlierTilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shared pieces.
extern const wchar_t InvalidInputCaption[];

// The warning box for input a dialog refuses, owned by the dialog (which stays open), so that
// the dialog has the keyboard again when the box closes.
void ShowInvalidInput(HWND dialog, const wchar_t* text);

// Gives a field the keyboard, its text selected: after a refused input was set back.
void FocusField(HWND dialog, int fieldId);

// The integer at the start of a field of at most maxCharacters characters, as wcstol
// reads it: leading blanks and a sign are taken, anything after the digits is ignored,
// and text without digits gives 0.
int ReadIntegerField(HWND dialog, int id, int maxCharacters);

// Splits a tile name into its two shown lines: line 1 is the first 12 characters without
// trailing blanks, line 2 the 13th to the 24th. Both buffers hold 13 characters.
void SplitTileName(const wchar_t* name, wchar_t* line1, wchar_t* line2);

// Joins two lines into a tile name: line 1 padded with blanks to 12 characters when
// padAlways is set or line 2 is not empty, then line 2.
void JoinTileName(const wchar_t* line1, const wchar_t* line2, bool padAlways, wchar_t* name, size_t capacity);

// The virtual-key code of a hotkey character: A-Z (a-z taken as capitals) and 0-9 are
// themselves, anything else gives 0.
int HotkeyKeyFromCharacter(char c);

struct Tile;

// The tile the context menu was opened on, which the tile dialogs work on.
Tile* ContextTile(void);

// Reads a dialog's two name lines (12 characters each) and stores them as the tile's name,
// joined as JoinTileName joins them, without control characters.
void StoreNameLines(HWND dialog, int line1Id, int line2Id, bool padAlways, Tile* tile);

// Runs a dialog from the program's own templates, owned by the main window.
void RunDialog(int templateId, DLGPROC procedure);
