// How long one repaint of a large client area full of filled tiles takes, next to the
// final BitBlt alone. Run it through Wine:  cmake/wine-run.sh build build/tests/paint_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "model/TileGrid.h"
#include "view/Paint.h"

static void FillGrid(const wchar_t* folder)
{
    const wchar_t* extensions[] = { L"txt", L"exe", L"bmp", L"html", L"ini", L"log", L"cmd", L"zip" };
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            Tile* tile = TileAt(row, column);
            int n = (row * 7 + column) % 8;
            swprintf_s(tile->path, TileTextCapacity, L"%ls\\sample%d.%ls", folder, n, extensions[n]);
            swprintf_s(tile->name, TileTextCapacity, L"tile %d,%d with a name of two lines", row, column);
            tile->filled = 1;
            tile->backColor = RGB(row * 5, column * 2, 120);
        }
    }
    for (int n = 0; n < 8; n++) {
        wchar_t path[MAX_PATH];
        swprintf_s(path, MAX_PATH, L"%ls\\sample%d.%ls", folder, n, extensions[n]);
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        CloseHandle(file);
    }
}

int main()
{
    const int width = 1920;
    const int height = 1080;
    wchar_t folder[MAX_PATH];
    MakeBenchFolder(folder, MAX_PATH, L"paint");

    ResetGridAndSettings();
    ApplyDefaultsAndFirstPlacement();
    AppSettings.rows = MaxRows;
    AppSettings.columns = MaxColumns;
    RecomputeContentSize();
    FillGrid(folder);
    MoveSelection(3, 4);

    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ original = SelectObject(memory, bitmap);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP targetBitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ targetOriginal = SelectObject(target, targetBitmap);
    RECT client = { 0, 0, width, height };

    printf("client %d x %d, grid %d x %d, every tile filled (%d visible)\n", width, height, AppSettings.rows,
           AppSettings.columns, ((width - 10) / 103 + 1) * ((height - 10) / 103 + 1));
    Measure("first paint, icons of all 5,000 tiles looked up (mode 2)", 1, [&] {
        AppSettings.iconRefreshMode = 2;
        ComposeFrame(memory, &client, TRUE, 0, 0);
    });
    Measure("repaint, visible tiles only (mode 0)", 100, [&] { ComposeFrame(memory, &client, TRUE, 0, 0); });
    Measure("repaint scrolled by 51 pixels (mode 0)", 100, [&] { ComposeFrame(memory, &client, TRUE, 51, 51); });
    Measure("repaint, all 5,000 tiles drawn (mode 2, icons cached)", 5, [&] {
        AppSettings.iconRefreshMode = 2;
        ComposeFrame(memory, &client, TRUE, 0, 0);
    });
    Measure("BitBlt of the whole frame, memory to memory", 100,
            [&] { BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY); GdiFlush(); });

    // Where the time of a tile goes: the calls the painter makes for each filled tile.
    typedef BOOL(WINAPI * ImageListsProc)(HIMAGELIST*, HIMAGELIST*);
    ImageListsProc imageLists =
        (ImageListsProc)(void*)GetProcAddress(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(71));
    HIMAGELIST large = NULL;
    HIMAGELIST small = NULL;
    imageLists(&large, &small);
    int index = TileAt(1, 1)->iconIndex - 1;
    Measure("per tile: ImageList_GetIcon + DestroyIcon (x1000)", 3, [&] {
        for (int i = 0; i < 1000; i++)
            DestroyIcon(ImageList_GetIcon(large, index, ILD_NORMAL));
    });
    HICON icon = ImageList_GetIcon(large, index, ILD_NORMAL);
    Measure("per tile: GetIconSize (x1000)", 3, [&] {
        int w, h;
        for (int i = 0; i < 1000; i++)
            GetIconSize(icon, &w, &h);
    });
    Measure("per tile: DrawIconEx (x1000)", 3, [&] {
        for (int i = 0; i < 1000; i++)
            DrawIconEx(memory, i % 1800, 10, icon, 0, 0, 0, NULL, DI_NORMAL);
    });
    DestroyIcon(icon);
    Measure("per tile: brush, Rectangle, two TextOutW (x1000)", 3, [&] {
        for (int i = 0; i < 1000; i++) {
            HBRUSH brush = CreateSolidBrush(i);
            HGDIOBJ old = SelectObject(memory, brush);
            Rectangle(memory, i % 1800, 0, i % 1800 + 102, 102);
            SelectObject(memory, old);
            DeleteObject(brush);
            TextOutW(memory, 10, 10, L"abcdefghijkl", 12);
            TextOutW(memory, 10, 22, L"mnopqrstuvwx", 12);
        }
    });

    // The real thing: WM_PAINT of the main window, as large as the desktop allows.
    RegisterMainWindowClass(GetModuleHandleW(NULL));
    AppSettings.windowLeft = 0;
    AppSettings.windowTop = 0;
    AppSettings.windowWidth = GetSystemMetrics(SM_CXSCREEN);
    AppSettings.windowHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateMainWindow(GetModuleHandleW(NULL));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    RECT windowClient;
    GetClientRect(window, &windowClient);
    printf("main window client %ld x %ld on a %d x %d desktop\n", windowClient.right, windowClient.bottom,
           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    Measure("WM_PAINT of the main window (compose + BitBlt to screen)", 100,
            [&] { RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW); GdiFlush(); });
    HDC windowDc = GetDC(window);
    Measure("BitBlt of that client area alone to the screen", 100, [&] {
        BitBlt(windowDc, 0, 0, windowClient.right, windowClient.bottom, memory, 0, 0, SRCCOPY);
        GdiFlush();
    });
    ReleaseDC(window, windowDc);
    MainWindow = NULL;
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);   // no save on destroy
    DestroyWindow(window);

    SelectObject(target, targetOriginal);
    DeleteObject(targetBitmap);
    DeleteDC(target);
    SelectObject(memory, original);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return 0;
}
