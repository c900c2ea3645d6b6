// Starting a tile's target through the shell.
#pragma once
#include <windows.h>

extern const wchar_t ShellExecuteFailedText[];
extern const wchar_t ShellExecuteExFailedText[];

// The Win32 error that a failed ShellExecuteW result (32 or below) stands for.
DWORD ShellExecuteResultError(INT_PTR result);

// Runs the tile's target with the type's default verb; on a type without association
// opens it with "edit". Failures are shown in the failure box.
void LaunchTile(int row, int column);

// Runs the tile's target elevated ("runas"), with the same "edit" retry.
void RunTileAsAdministrator(int row, int column);
