// The context menu: its items for a kind of click, its place on the screen, and the
// commands it carries out.
#pragma once
#include <windows.h>
#include <stddef.h>

// Menu item identifiers. Not resource identifiers: 1 and 2 would meet IDOK and IDCANCEL.
enum ContextCommand {
    CommandNone = 0,
    CommandSelectFolder = 1,
    CommandDeleteTile = 2,
    CommandChangeName = 4,
    CommandAbout = 6,
    CommandHelp = 7,
    CommandDiagnostic = 9,
    CommandRefresh = 10,
    CommandGridSize = 11,
    CommandHotkey = 12,
    CommandBackgroundColor = 13,
    CommandRunAsAdministrator = 14,
    CommandEnterTarget = 15,
    CommandExit = 16,
    CommandTileInfo = 17,
    CommandRestoreEarlierTiles = 18
};

// One line of the menu; a separator has id 0 and an empty text.
struct ContextMenuItem {
    int id;
    const wchar_t* text;
};

enum { ContextMenuMaxItems = 18, DeleteQuestionCapacity = 360 };

// The menu's lines from top to bottom for a click on no tile, an empty tile, a filled
// tile, and a filled tile of the given kind. Returns the number of lines.
int ContextMenuItems(bool onTile, bool filled, int kind, ContextMenuItem* items, int capacity);

// Where the menu opens for a click at screen point (x, y): towards the screen's centre,
// 5 pixels off the pointer on both axes.
struct ContextMenuPlacement {
    int x;
    int y;
    UINT alignment;   // TPM_LEFTALIGN or TPM_RIGHTALIGN | TPM_TOPALIGN or TPM_BOTTOMALIGN
};
ContextMenuPlacement PlaceContextMenu(int x, int y, int screenWidth, int screenHeight);

// "Are you sure you want to delete the tile:" with the name; a name too long for the
// text is shortened with an ellipsis.
void DeleteQuestionText(const wchar_t* name, wchar_t* out, size_t capacity);

// The program file's path, terminated also when it fills the buffer.
void ProgramFilePath(wchar_t* out, DWORD capacity);

// Builds the menu for a plain right click at client point (x, y), shows it and carries
// out the chosen command.
void RunContextMenu(HWND window, int x, int y, bool onTile, bool filled);

// Carries out one menu command on the context tile.
void CarryOutCommand(HWND window, int command);
