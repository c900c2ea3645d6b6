// A full repaint of a 1920 x 1080 client area full of filled tiles, icons resolved, next to
// its floor: the same icon draws into an off-screen bitmap and one BitBlt. Prints rows of
// the benchmark table.   cmake/wine-run.sh build build/tests/paint_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "BenchSupport.h"
#include "BenchTargets.h"
#include "model/TileGrid.h"
#include "view/Paint.h"

static const int Width = 1920;
static const int Height = 1080;

static double MedianOf(int runs, double (*body)(void*), void* context)
{
    std::vector<double> times;
    for (int i = 0; i < runs; i++)
        times.push_back(body(context));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Scene {
    HWND window;
    HDC target;
    HIMAGELIST large;
    int iconWidth;
    int iconHeight;
};

static double VantrelRepaint(void* context)
{
    Scene* scene = (Scene*)context;
    RECT all = { 0, 0, Width, Height };
    double start = NowMs();
    PaintClientArea(scene->window, scene->target, &all);
    GdiFlush();
    return NowMs() - start;
}

// The unavoidable part: an off-screen bitmap, each visible tile's icon drawn as the
// painter draws it, one BitBlt.
static double FloorRepaint(void* context)
{
    Scene* scene = (Scene*)context;
    double start = NowMs();
    HDC memory = CreateCompatibleDC(scene->target);
    HBITMAP bitmap = CreateCompatibleBitmap(scene->target, Width, Height);
    HGDIOBJ original = SelectObject(memory, bitmap);
    std::vector<std::pair<int, HICON>> icons;
    for (int row = 1; 10 + (row - 1) * 103 <= Height; row++) {
        for (int column = 1; 10 + (column - 1) * 103 <= Width; column++) {
            int index = TileAt(row, column)->iconIndex;
            auto found = std::find_if(icons.begin(), icons.end(), [&](const std::pair<int, HICON>& p) { return p.first == index; });
            HICON icon = found != icons.end() ? found->second : ImageList_GetIcon(scene->large, index - 1, ILD_NORMAL);
            if (found == icons.end())
                icons.push_back({ index, icon });
            DrawIconEx(memory, 10 + (column - 1) * 103 + 51 - scene->iconWidth / 2,
                       10 + (row - 1) * 103 + 51 - scene->iconHeight / 2, icon, 0, 0, 0, NULL, DI_NORMAL);
        }
    }
    for (auto& icon : icons)
        DestroyIcon(icon.second);
    BitBlt(scene->target, 0, 0, Width, Height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, original);
    DeleteObject(bitmap);
    DeleteDC(memory);
    GdiFlush();
    return NowMs() - start;
}

int main()
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
    MoveSelection(3, 4);

    // A popup of the full size: the painter reads its client rectangle; MainWindow stays
    // unset, so the scroll positions read as 0.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, Width, Height, NULL, NULL, NULL, NULL);
    HDC screen = GetDC(NULL);
    Scene scene = { window, CreateCompatibleDC(screen), NULL, 32, 32 };
    HBITMAP targetBitmap = CreateCompatibleBitmap(screen, Width, Height);
    HGDIOBJ targetOriginal = SelectObject(scene.target, targetBitmap);

    AppSettings.iconRefreshMode = 1;   // the first paint looks the icons up
    VantrelRepaint(&scene);
    typedef BOOL(WINAPI * ImageListsProc)(HIMAGELIST*, HIMAGELIST*);
    ImageListsProc imageLists =
        (ImageListsProc)(void*)GetProcAddress(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(71));
    HIMAGELIST small = NULL;
    imageLists(&scene.large, &small);
    ImageList_GetIconSize(scene.large, &scene.iconWidth, &scene.iconHeight);

    std::vector<double> a, b;
    for (int i = 0; i < 41; i++) {
        a.push_back(VantrelRepaint(&scene));
        b.push_back(FloorRepaint(&scene));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    double vantrel = a[a.size() / 2];
    double floor = b[b.size() / 2];
    printf("| full repaint of a 1920 x 1080 client, 209 filled tiles, icons resolved | %.1f ms | %.1f ms | %.2fx | <= 1.5x |\n",
           vantrel, floor, vantrel / floor);

    double single = MedianOf(41, [](void* context) {
        Scene* s = (Scene*)context;
        RECT tile = { 10 + 103, 10 + 103, 10 + 103 + 102, 10 + 103 + 102 };
        double start = NowMs();
        PaintClientArea(s->window, s->target, &tile);
        GdiFlush();
        return NowMs() - start;
    }, &scene);
    printf("| repaint of one tile's rectangle (a click), same client | %.2f ms | - | - | - |\n", single);

    SelectObject(scene.target, targetOriginal);
    DeleteObject(targetBitmap);
    DeleteDC(scene.target);
    ReleaseDC(NULL, screen);
    DestroyWindow(window);
    return 0;
}
