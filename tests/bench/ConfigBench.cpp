// How long saving and loading a full configuration file of 5,000 tiles take, next to
// writing and reading the same bytes with one call each.
// Run it through Wine:  cmake/wine-run.sh build build/tests/config_bench.exe
#include <windows.h>

#include <string>

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
    printf("full file: 5,000 tiles, %u bytes\n", (unsigned)bytes.size());

    Measure("SaveConfig", 20, [] { SaveConfig(); });
    double total = 0;
    for (int i = 0; i < 20; i++) {
        ResetGridAndSettings();
        ApplyDefaultsAndFirstPlacement();
        double start = NowMs();
        LoadConfig();
        total += NowMs() - start;
    }
    printf("%-58s mean %9.3f ms   (20 runs)\n", "LoadConfig (the model reset before each run, untimed)", total / 20);

    wchar_t copy[MAX_PATH];
    swprintf_s(copy, MAX_PATH, L"%ls\\copy.bin", folder);
    Measure("the same bytes written with one WriteFile (open to close)", 20, [&] {
        HANDLE file = CreateFileW(copy, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD written = 0;
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
        CloseHandle(file);
    });
    Measure("the same bytes read with one ReadFile (open to close)", 20, [&] { ReadAll(path); });

    MainWindow = NULL;
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);   // no save on destroy
    DestroyWindow(window);
    return 0;
}
