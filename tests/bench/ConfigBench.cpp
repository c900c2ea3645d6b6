// Saving and loading a configuration file of 5,000 tiles next to writing and reading the
// same bytes with one call each, and next to the same write made as safe as the save's
// (flushed to the disk, then renamed over the old file). Prints rows of the benchmark table.
//     cmake/wine-run.sh build build/tests/config_bench.exe
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "config/ConfigFile.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

static void FillGrid(void)
{
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            Tile* tile = TileAt(row, column);
            swprintf_s(tile->path, TileTextCapacity, L"C:\\Program Files\\Vendor %d\\Product, Edition %d\\tool%d.exe", row,
                       column, row * column);
            swprintf_s(tile->name, TileTextCapacity, L"Tool %d, %d    second line", row, column);
            tile->filled = 1;
            tile->kind = (row + column) % 4 - 1;
            tile->backColor = RGB(row * 5, column * 2, 120);
        }
    }
}

static std::string ReadAll(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD size = GetFileSize(file, NULL);
    std::string bytes(size, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], size, &read, NULL);
    CloseHandle(file);
    return bytes;
}

static void WriteAll(const wchar_t* path, const std::string& bytes, bool flush)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    if (flush)
        FlushFileBuffers(file);
    CloseHandle(file);
}

static double MedianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int main()
{
    wchar_t folder[MAX_PATH];
    MakeBenchFolder(folder, MAX_PATH, L"config");
    SetConfigBaseFolderForTests(folder);

    ResetGridAndSettings();
    ApplyFirstPlacement();
    RegisterMainWindowClass(GetModuleHandleW(NULL));
    HWND window = CreateMainWindow(GetModuleHandleW(NULL));
    FillGrid();

    wchar_t path[MAX_PATH];
    swprintf_s(path, MAX_PATH, L"%ls\\Morrowtide\\Vantrel.cfg", folder);
    SaveConfig();
    std::string bytes = ReadAll(path);
    wchar_t copy[MAX_PATH];
    wchar_t renamed[MAX_PATH];
    swprintf_s(copy, MAX_PATH, L"%ls\\Morrowtide\\Vantrel.cfg.new", folder);
    swprintf_s(renamed, MAX_PATH, L"%ls\\Morrowtide\\Vantrel.cfg", folder);
    wchar_t plain[MAX_PATH];
    swprintf_s(plain, MAX_PATH, L"%ls\\Morrowtide\\plain.cfg", folder);

    // Each run times the save and its floors one after the other, so that the disk's state,
    // which drifts over a run, weighs on all of them alike. The plain write goes to a file of
    // its own: a file cut and written again while its last content is still unflushed costs
    // the next writer of that name a flush.
    const int runs = 31;
    std::vector<double> saves, writes, safeWrites, walks;
    for (int i = 0; i < runs; i++) {
        double start = NowMs();
        SaveConfig();
        saves.push_back(NowMs() - start);
        start = NowMs();
        WriteAll(plain, bytes, false);
        writes.push_back(NowMs() - start);
        // What a save cannot avoid beyond the write: one read of every tile's texts, which
        // lie apart in the model's 7 MB, after a write as a save finds them.
        static size_t characters;
        characters = 0;
        start = NowMs();
        for (const Tile& tile : TileGrid)
            characters += tile.filled ? wcslen(tile.path) + wcslen(tile.name) : 0;
        walks.push_back(NowMs() - start);
        start = NowMs();
        WriteAll(copy, bytes, true);
        MoveFileExW(copy, renamed, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        safeWrites.push_back(NowMs() - start);
    }
    double save = MedianOf(saves);
    double write = MedianOf(writes);
    double safeWrite = MedianOf(safeWrites);
    double walk = MedianOf(walks);
    // Start-up loads into an empty grid. The load and its floor take turns too: run apart, a
    // load of other programs on the machine weighed on one and not the other.
    std::vector<double> loads, reads;
    for (int i = 0; i < runs; i++) {
        ResetGridAndSettings();
        double start = NowMs();
        LoadConfig();
        loads.push_back(NowMs() - start);
        start = NowMs();
        ReadAll(path);
        reads.push_back(NowMs() - start);
    }
    double load = MedianOf(loads);
    double read = MedianOf(reads);

    printf("| SaveConfig of 5,000 tiles (%u bytes) | %.1f ms | %.1f ms | %.2fx | - |\n", (unsigned)bytes.size(), save,
           write, save / write);
    printf("| SaveConfig, floor flushed and renamed as the save is | %.1f ms | %.1f ms | %.2fx | <= 1.5x |\n", save,
           safeWrite, save / safeWrite);
    printf("| SaveConfig, floor flushed and renamed plus one read of every tile's texts | %.1f ms | %.1f ms | %.2fx | - |\n",
           save, safeWrite + walk, save / (safeWrite + walk));
    printf("| LoadConfig of 5,000 tiles | %.1f ms | %.1f ms | %.2fx | <= 2x |\n", load, read, load / read);

    MainWindow = NULL;
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);   // no save on destroy
    DestroyWindow(window);
    return 0;
}
