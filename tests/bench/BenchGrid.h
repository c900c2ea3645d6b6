// What the benchmarks of the program's own code share: the filled 50 x 100 grid and the real
// main window over it.
#pragma once
#include <windows.h>
#include <wchar.h>

#include "BenchTargets.h"
#include "app/MainWindow.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"
#include "view/Scroll.h"

// Every tile filled with a distinct target, a name of two lines and a colour of its own; the
// targets made first where missing.
inline void FillBenchGrid(void)
{
    const wchar_t* folder = L"C:\\vantrel-bench-targets";
    MakeBenchTargets(folder);
    ResetGridAndSettings();
    AppSettings.rows = MaxRows;
    AppSettings.columns = MaxColumns;
    RecomputeContentSize();
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            wchar_t path[MAX_PATH];
            BenchTargetPath(folder, row, column, path, MAX_PATH);
            wchar_t name[64];
            swprintf_s(name, 64, L"tile %d,%d with a name of two lines", row, column);
            FillTile(TileAt(row, column), path, name, 0);
            TileAt(row, column)->backColor = RGB(row * 5, column * 2, 120);
        }
    }
}

// The real main window, shown at 1280 x 1000 over the grid, its scroll ranges set.
inline HWND ShowBenchMainWindow(int showCommand)
{
    RegisterMainWindowClass(GetModuleHandleW(NULL));
    AppSettings.windowLeft = 0;
    AppSettings.windowTop = 0;
    AppSettings.windowWidth = 1280;
    AppSettings.windowHeight = 1000;
    HWND window = CreateMainWindow(GetModuleHandleW(NULL));
    ShowWindow(window, showCommand);
    UpdateScrollRanges();
    return window;
}
