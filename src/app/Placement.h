// The first window placement, from the screen and the taskbar.
#pragma once
#include <windows.h>

struct WindowPlacementValues {
    int left;
    int top;
    int width;
    int height;
};

// The client rectangle wanted for the default 6 x 8 grid on a screen of the given size
// with a taskbar of the given height: (0, 0, min(width, 843), min(height, 637) - taskbar).
RECT WantedClientRect(int screenWidth, int screenHeight, int taskbarHeight);

// The first placement from the screen size, the taskbar height and the wanted client
// rectangle after AdjustWindowRect.
WindowPlacementValues FirstPlacement(int screenWidth, int screenHeight, int taskbarHeight, const RECT* adjusted);

// The height a taskbar with this rectangle takes from the screen: its height when it lies
// along the top or bottom edge, 0 when it stands along the left or right one.
int TaskbarHeightFromRect(const RECT* taskbar);

// That height for the window of class "Shell_TrayWnd", or 0 when there is none.
int TaskbarHeight(void);

// Measures the screen and sets the window rectangle of the first placement. The other
// settings' defaults are SetStartSettings' (model/TileGrid.h).
void ApplyFirstPlacement(void);

// True when the rectangle shares at least one pixel with one of the areas.
bool RectMeetsAnyArea(const RECT* rect, const RECT* areas, int count);

// A saved window rectangle that no monitor's work area shows any more (a monitor was
// disconnected, the resolution dropped) is replaced by the first placement.
void KeepWindowReachable(void);
