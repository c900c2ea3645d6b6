// The first icon look-up of a run; a full repaint of a 1920 x 1080 client area full of
// filled tiles, icons resolved, next to its floor: the same icon draws into an off-screen
// bitmap and one BitBlt; and a Page Down on the real window, input to picture, next to the
// same floor; a move of a tile, its undo and a step of a carried tile next to theirs. Prints rows
// of the benchmark table.   scripts/bench.sh runs it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "BenchSupport.h"
#include "BenchGrid.h"
#include "app/MainWindow.h"
#include "config/ConfigFile.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "shell/Com.h"
#include "view/Paint.h"
#include "view/Scroll.h"
#include "view/TileDraw.h"

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
// painter draws it (the tiles from firstRow down), one BitBlt.
static double FloorDraw(Scene* scene, int width, int height, int firstRow)
{
    double start = NowMs();
    HDC memory = CreateCompatibleDC(scene->target);
    HBITMAP bitmap = CreateCompatibleBitmap(scene->target, width, height);
    HGDIOBJ original = SelectObject(memory, bitmap);
    std::vector<std::pair<int, HICON>> icons;
    for (int row = 1; 10 + (row - 1) * 103 <= height && row + firstRow - 1 <= MaxRows; row++) {
        for (int column = 1; 10 + (column - 1) * 103 <= width; column++) {
            int index = TileAt(row + firstRow - 1, column)->iconIndex;
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
    BitBlt(scene->target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, original);
    DeleteObject(bitmap);
    DeleteDC(memory);
    GdiFlush();
    return NowMs() - start;
}

static double FloorRepaint(void* context)
{
    return FloorDraw((Scene*)context, Width, Height, 1);
}

static double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A Page Down on the real main window over the 50 x 100 grid, icons resolved, from the
// input to the picture on the screen, next to its floor: the icon draws of the tiles then in
// view and one BitBlt to the window.
static void PageDownRow(Scene* scene)
{
    HWND window = ShowBenchMainWindow(SW_SHOWNOACTIVATE);
    RECT client;
    GetClientRect(window, &client);
    // Every row once, so that no look-up falls into the measured pictures.
    AppSettings.iconRefreshMode = 1;
    for (int i = 0; i < MaxRows; i++) {
        AppSettings.iconRefreshMode = 1;
        SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(window);
    }
    std::vector<double> vantrel, floor;
    HDC screen = GetDC(window);
    HDC kept = scene->target;
    for (int i = 0; i < 41; i++) {
        if (i % 20 == 0) {
            SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
            UpdateWindow(window);
        }
        double start = NowMs();
        SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(window);
        GdiFlush();
        vantrel.push_back(NowMs() - start);
        scene->target = screen;
        floor.push_back(FloorDraw(scene, client.right, client.bottom, ReadScrollPosition(SB_VERT) / 103 + 1));
        scene->target = kept;
    }
    ReleaseDC(window, screen);
    printf("| a Page Down on a 50 x 100 grid of filled tiles, %ld x %ld client, input to picture | %.1f ms | %.1f ms | "
           "%.2fx | <= 1.5x |\n", client.right, client.bottom, Median(vantrel), Median(floor), Median(vantrel) / Median(floor));

    // The same Page Down step by step: the scroll bar's new thumb drawn by the system, the
    // pixels still in view moved, the uncovered strip of a row painted.
    std::vector<double> bar, move, strip;
    SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
    UpdateWindow(window);
    for (int i = 0; i < 21; i++) {
        SCROLLINFO info = { sizeof(info), SIF_POS, 0, 0, 0, ReadScrollPosition(SB_VERT) + TilePitch(), 0 };
        double start = NowMs();
        SetScrollInfo(window, SB_VERT, &info, TRUE);
        double moved = NowMs();
        ScrollWindowEx(window, 0, -TilePitch(), NULL, NULL, NULL, NULL, SW_INVALIDATE);
        double painted = NowMs();
        UpdateWindow(window);
        GdiFlush();
        bar.push_back(moved - start);
        move.push_back(painted - moved);
        strip.push_back(NowMs() - painted);
    }
    printf("| its steps: the scroll bar redrawn %.1f ms, the pixels moved %.1f ms, the strip of one row painted %.1f ms "
           "| - | - | - | - |\n", Median(bar), Median(move), Median(strip));

    // A notch of the wheel (a tile down) and a line scroll (a pixel, the wheel with Shift),
    // input to picture; back to the top every 20.
    AppSettings.wheelStep = 3;
    std::vector<double> notches, lines;
    for (int i = 0; i < 41; i++) {
        if (i % 20 == 0) {
            SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
            UpdateWindow(window);
        }
        double start = NowMs();
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-WHEEL_DELTA), 0);
        UpdateWindow(window);
        GdiFlush();
        notches.push_back(NowMs() - start);
        start = NowMs();
        SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
        UpdateWindow(window);
        GdiFlush();
        lines.push_back(NowMs() - start);
    }
    printf("| a wheel notch on the same grid, input to picture | %.1f ms | - | - | - |\n", Median(notches));
    printf("| a line scroll of one pixel on the same grid, input to picture | %.1f ms | - | - | - |\n", Median(lines));
    // No save on the way out.
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);
    DestroyWindow(window);
    MainWindow = NULL;
}

// A move of a tile with Alt+Right (and back with Alt+Left), and the same move taken back with
// Ctrl+Z, on the real main window over the 50 x 100 grid, input to saved and painted, next to
// their floor: the save and a repaint of the two tiles. And one step of a carried tile under the
// pointer, next to a repaint of the same rectangles (the picture's old and new place).
static void ArrangeRows(void)
{
    wchar_t folder[MAX_PATH];
    MakeBenchFolder(folder, MAX_PATH, L"arrange");
    SetConfigBaseFolderForTests(folder);
    HWND window = ShowBenchMainWindow(SW_SHOWNOACTIVATE);
    AppSettings.iconRefreshMode = 1;
    UpdateWindow(window);
    SaveConfig();
    MoveSelection(3, 4);

    auto timed = [&](auto action) {
        double start = NowMs();
        action();
        UpdateWindow(window);
        GdiFlush();
        return NowMs() - start;
    };
    auto floor = [&](int row, int column) {
        return timed([&] {
            SaveConfig();
            InvalidateTile(row, column, FALSE);
            InvalidateTile(row, column + 1, FALSE);
        });
    };
    std::vector<double> moves, undos, floors, undoFloors;
    for (int i = 0; i < 31; i++) {
        moves.push_back(timed([&] { SendMessageW(window, WM_SYSKEYDOWN, i % 2 ? VK_LEFT : VK_RIGHT, 0x20000001); }));
        floors.push_back(floor(3, 4));
        undos.push_back(timed([&] { SendMessageW(window, WM_CHAR, 26, 1); }));
        // A tile taken back keeps the icon it had: the same floor as the move's.
        undoFloors.push_back(floor(3, 4));
        SendMessageW(window, WM_CHAR, 25, 1);
        UpdateWindow(window);
    }
    printf("| Alt+Right on a 50 x 100 grid of filled tiles, input to saved and painted, floor the save and a repaint "
           "of the two tiles | %.1f ms | %.1f ms | %.2fx | - |\n", Median(moves), Median(floors), Median(moves) / Median(floors));
    printf("| Ctrl+Z of that move, floor the save and a repaint of the two tiles | %.1f ms | %.1f ms | "
           "%.2fx | <= 16 ms |\n", Median(undos), Median(undoFloors), Median(undos) / Median(undoFloors));

    RECT square;
    TileRect(3, 4, &square);
    int x = square.left + 50, y = square.top + 50;
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(x, y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(x + 20, y + 20));
    UpdateWindow(window);
    std::vector<double> steps, repaints;
    for (int i = 0; i < 61; i++) {
        CarriedTile before = ShownCarriedTile();
        int dx = i % 20 < 10 ? 3 : -3;
        x += dx;
        steps.push_back(timed([&] { SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(x + 20, y + 20)); }));
        CarriedTile after = ShownCarriedTile();
        repaints.push_back(timed([&] {
            InvalidateRect(window, &before.picture, FALSE);
            InvalidateRect(window, &after.picture, FALSE);
        }));
    }
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
    printf("| a step of a carried tile under the pointer, input to picture, floor a repaint of the picture's old "
           "and new place | %.2f ms | %.2f ms | %.2fx | - |\n", Median(steps), Median(repaints), Median(steps) / Median(repaints));
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);
    DestroyWindow(window);
    MainWindow = NULL;
    SetConfigBaseFolderForTests(NULL);
}

int main()
{
    FillBenchGrid();
    MoveSelection(3, 4);

    // A popup of the full size: the painter reads its client rectangle; MainWindow stays
    // unset, so the scroll positions read as 0.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, Width, Height, NULL, NULL, NULL, NULL);
    HDC screen = GetDC(NULL);
    Scene scene = { window, CreateCompatibleDC(screen), NULL, 32, 32 };
    HBITMAP targetBitmap = CreateCompatibleBitmap(screen, Width, Height);
    HGDIOBJ targetOriginal = SelectObject(scene.target, targetBitmap);

    // The first look-up of a run starts the system image list, and is the slow one.
    SHFILEINFOW info = {};
    EnsureComInitialized();
    double firstStart = NowMs();
    SHGetFileInfoW(TileAt(1, 1)->path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SHELLICONSIZE);
    double first = NowMs() - firstStart;
    double nextStart = NowMs();
    SHGetFileInfoW(TileAt(1, 2)->path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SHELLICONSIZE);
    printf("| first icon look-up of a run (the next one) | %.1f ms | %.1f ms | - | - |\n", first, NowMs() - nextStart);

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

    PageDownRow(&scene);
    ArrangeRows();

    SelectObject(scene.target, targetOriginal);
    DeleteObject(targetBitmap);
    DeleteDC(scene.target);
    ReleaseDC(NULL, screen);
    DestroyWindow(window);
    return 0;
}
