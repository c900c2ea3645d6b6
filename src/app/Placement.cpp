#include "app/Placement.h"

#include "model/TileGrid.h"

// Content size of the default 6 x 8 grid.
static const int DefaultContentWidth = 843;
static const int DefaultContentHeight = 637;

static int Smaller(int a, int b)
{
    return a < b ? a : b;
}

RECT WantedClientRect(int screenWidth, int screenHeight, int taskbarHeight)
{
    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = Smaller(screenWidth, DefaultContentWidth);
    rect.bottom = Smaller(screenHeight, DefaultContentHeight) - taskbarHeight;
    return rect;
}

WindowPlacementValues FirstPlacement(int screenWidth, int screenHeight, int taskbarHeight, const RECT* adjusted)
{
    WindowPlacementValues placement;
    placement.left = -10;
    placement.top = screenHeight - Smaller(screenHeight, DefaultContentHeight) - 32;
    if (placement.top <= 0)
        placement.top = 0;
    placement.width = Smaller(adjusted->right - adjusted->left, screenWidth);
    placement.height = adjusted->bottom - adjusted->top;
    if (placement.height > screenHeight - taskbarHeight)
        placement.height = screenHeight - taskbarHeight;
    return placement;
}

int TaskbarHeightFromRect(const RECT* taskbar)
{
    int width = taskbar->right - taskbar->left;
    int height = taskbar->bottom - taskbar->top;
    // A taskbar docked at the side is as high as the screen; taken as a height, it would
    // leave the first window no room at all.
    return width >= height ? height : 0;
}

int TaskbarHeight(void)
{
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", NULL);
    RECT rect;
    if (taskbar == NULL || !GetWindowRect(taskbar, &rect))
        return 0;
    return TaskbarHeightFromRect(&rect);
}

static WindowPlacementValues ComputeFirstPlacement(void)
{
    RECT rect = WantedClientRect(AppSettings.screenWidth, AppSettings.screenHeight, TaskbarHeight());
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, FALSE);
    // The taskbar is measured again here, as it may have changed meanwhile.
    return FirstPlacement(AppSettings.screenWidth, AppSettings.screenHeight, TaskbarHeight(), &rect);
}

static void StorePlacement(const WindowPlacementValues* placement)
{
    AppSettings.windowLeft = placement->left;
    AppSettings.windowTop = placement->top;
    AppSettings.windowWidth = placement->width;
    AppSettings.windowHeight = placement->height;
}

void ApplyFirstPlacement(void)
{
    AppSettings.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    AppSettings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    WindowPlacementValues placement = ComputeFirstPlacement();
    StorePlacement(&placement);
}

bool RectMeetsAnyArea(const RECT* rect, const RECT* areas, int count)
{
    for (int i = 0; i < count; i++) {
        RECT common;
        if (IntersectRect(&common, rect, &areas[i]))
            return true;
    }
    return false;
}

enum { MaxMonitors = 32 };

struct WorkAreaList {
    RECT areas[MaxMonitors];
    int count;
};

static BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    WorkAreaList* list = (WorkAreaList*)data;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (list->count < MaxMonitors && GetMonitorInfoW(monitor, &info))
        list->areas[list->count++] = info.rcWork;
    return TRUE;
}

void KeepWindowReachable(void)
{
    WorkAreaList list = {};
    EnumDisplayMonitors(NULL, NULL, CollectWorkArea, (LPARAM)&list);
    if (list.count == 0)
        return;

    RECT saved;
    saved.left = AppSettings.windowLeft;
    saved.top = AppSettings.windowTop;
    saved.right = AppSettings.windowLeft + AppSettings.windowWidth;
    saved.bottom = AppSettings.windowTop + AppSettings.windowHeight;
    if (RectMeetsAnyArea(&saved, list.areas, list.count))
        return;

    WindowPlacementValues placement = ComputeFirstPlacement();
    StorePlacement(&placement);
}
