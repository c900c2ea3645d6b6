// The "Earlier Tiles" dialog over twenty backups of 5,000 tiles each, from the call that opens it
// to its first picture on the screen: every kept file read and compared with now, the list and the
// chosen state's differences filled in, the dialog painted. Its floor: one ReadFile of each of the
// twenty files into one block. Two cases: the grid now one tile away from the newest backup, and the grid now
// empty, so that the newest backup differs in all its 5,000 tiles. Prints rows of the benchmark
// table.   scripts/bench.sh runs it.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "config/BackupRotation.h"
#include "config/ConfigFile.h"
#include "config/KeptStates.h"
#include "dialogs/Dialogs.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

static double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

static void FillGrid(void)
{
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            wchar_t path[MAX_PATH];
            wchar_t name[64];
            swprintf_s(path, MAX_PATH, L"C:\\Program Files\\Vendor %d\\Product, Edition %d\\tool%d.exe", row, column,
                       row * column);
            swprintf_s(name, 64, L"Tool %d, %d    second line", row, column);
            FillTile(TileAt(row, column), path, name, (row + column) % 4 - 1);
            TileAt(row, column)->backColor = RGB(row * 5, column * 2, 120);
        }
    }
}

// The time the first timer message comes: a thread's timer waits behind every paint, so it
// comes once the dialog and its lists are on the screen.
static double shownAt;

static void CALLBACK DialogShown(HWND, UINT, UINT_PTR timer, DWORD)
{
    shownAt = NowMs();
    KillTimer(NULL, timer);
    HWND dialog = FindWindowW(L"#32770", L"Earlier Tiles");
    if (dialog != NULL)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

static double OpenOnce(void)
{
    KeptTiles chosen = {};
    shownAt = 0;
    double start = NowMs();
    SetTimer(NULL, 0, 1, DialogShown);
    ShowEarlierTilesDialog(&chosen);
    FreeKeptTiles(&chosen);
    return shownAt - start;
}

int main()
{
    wchar_t folder[MAX_PATH];
    MakeBenchFolder(folder, MAX_PATH, L"restore");
    SetConfigBaseFolderForTests(folder);
    ResetGridAndSettings();
    ApplyFirstPlacement();
    RegisterMainWindowClass(GetModuleHandleW(NULL));
    HWND window = CreateMainWindow(GetModuleHandleW(NULL));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The grid painted first, as a user sees it before any menu: a process's first paint under
    // Wine loads its fonts (about 100 ms), which no dialog of the program ever pays.
    UpdateWindow(window);

    // Twenty exits, each after one more tile was deleted: twenty backups of 5,000 tiles (4,981 in
    // the last), each differing from now in a few tiles.
    FillGrid();
    for (int exit = 0; exit < BackupSlotCount; exit++) {
        if (exit > 0)
            ClearTile(TileAtIndex(exit * 97));
        SaveConfig();
        RotateBackups();
    }
    ClearTile(TileAtIndex(4999));

    wchar_t backups[MAX_PATH];
    swprintf_s(backups, MAX_PATH, L"%ls\\Morrowtide\\Backup", folder);
    std::vector<double> opens, emptyOpens, reads;
    const DWORD BlockSize = 4 << 20;
    static unsigned char* block = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, BlockSize);
    const int runs = 15;
    size_t bytes = 0;
    for (int i = 0; i < runs; i++) {
        opens.push_back(OpenOnce());
        double start = NowMs();
        bytes = 0;
        for (int slot = 0; slot < BackupSlotCount; slot++) {
            for (int marker = 0; marker < 2; marker++) {
                wchar_t name[32], path[MAX_PATH];
                BackupSlotFileName(slot, marker != 0, name, _countof(name));
                swprintf_s(path, MAX_PATH, L"%ls\\%ls", backups, name);
                HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
                DWORD read = 0;
                if (file != INVALID_HANDLE_VALUE && ReadFile(file, block, BlockSize, &read, NULL))
                    bytes += read;
                if (file != INVALID_HANDLE_VALUE)
                    CloseHandle(file);
            }
        }
        reads.push_back(NowMs() - start);
    }
    // The grid now empty: the newest state's 5,000 tiles are all listed as missing now.
    for (Tile& tile : TileGrid)
        ClearTile(&tile);
    for (int i = 0; i < runs; i++)
        emptyOpens.push_back(OpenOnce());

    double read = Median(reads);
    printf("| the Earlier Tiles dialog open and painted, 20 backups of 5,000 tiles (%u bytes in all), each a few "
           "tiles from now (the first of the run: %.1f ms, the slowest of %d: %.1f ms); floor: a ReadFile of each "
           "into one block | %.1f ms | %.1f ms | %.2fx | <= 150 ms |\n",
           (unsigned)bytes, opens[0], runs, *std::max_element(opens.begin(), opens.end()), Median(opens), read,
           Median(opens) / read);
    printf("| the same with the grid now empty, 5,000 differences listed (slowest of %d: %.1f ms) | %.1f ms | %.1f ms | "
           "%.2fx | <= 150 ms |\n",
           runs, *std::max_element(emptyOpens.begin(), emptyOpens.end()), Median(emptyOpens), read,
           Median(emptyOpens) / read);
    fflush(stdout);

    MainWindow = NULL;
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);   // no save on destroy
    DestroyWindow(window);
    return 0;
}
