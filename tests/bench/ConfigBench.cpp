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

// The median of runs of body, each after an untimed prepare.
template <typename Prepare, typename Body>
static double Median(int runs, Prepare prepare, Body body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        prepare();
        double start = NowMs();
        body();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Body>
static double Median(int runs, Body body)
{
    return Median(runs, [] {}, body);
}

int main()
{
    wchar_t folder[MAX_PATH];
    MakeBenchFolder(folder, MAX_PATH, L"config");
    SetConfigBaseFolderForTests(folder);

    ResetGridAndSettings();
    ApplyDefaultsAndFirstPlacement();
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

    const int runs = 31;
    double save = Median(runs, [] { SaveConfig(); });
    double write = Median(runs, [&] { WriteAll(copy, bytes, false); });
    double safeWrite = Median(runs, [&] {
        WriteAll(copy, bytes, true);
        MoveFileExW(copy, renamed, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
    // Start-up loads into an empty grid.
    double load = Median(runs, [] { ResetGridAndSettings(); }, [] { LoadConfig(); });
    double read = Median(runs, [&] { ReadAll(path); });
    // What a save cannot avoid beyond the write: one read of every tile's texts, which lie
    // apart in the model's 7 MB.
    static size_t characters;
    double walk = Median(runs, [] {
        characters = 0;
        for (const Tile& tile : TileGrid)
            characters += tile.filled ? wcslen(tile.path) + wcslen(tile.name) : 0;
    });

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
