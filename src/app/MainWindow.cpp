#include "app/MainWindow.h"

#include "commands/AccessibleAction.h"
#include "commands/Carry.h"
#include "commands/Drop.h"
#include "commands/Mouse.h"
#include "commands/TileChanges.h"
#include "commands/TileMoves.h"
#include "config/BackupRotation.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/Accessible.h"
#include "view/AccessibleEvents.h"
#include "view/FindBar.h"
#include "view/Keyboard.h"
#include "view/Paint.h"
#include "view/Scroll.h"
#include "view/TileTip.h"

const wchar_t MainWindowClassName[] = L"Vantrel";
const wchar_t MainWindowTitle[] = L"Vantrel";

// Lives as long as the process, like the class that uses it.
static HBRUSH backgroundBrush;

bool RegisterMainWindowClass(HINSTANCE instance)
{
    if (backgroundBrush == NULL)
        backgroundBrush = CreateSolidBrush(RGB(40, 40, 40));

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VANTREL));
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VANTREL));
    windowClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
    windowClass.hbrBackground = backgroundBrush;
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = MainWindowClassName;
    return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance)
{
    MainWindow = CreateWindowExW(0, MainWindowClassName, MainWindowTitle, MainWindowStyle,
                                 AppSettings.windowLeft, AppSettings.windowTop,
                                 AppSettings.windowWidth, AppSettings.windowHeight,
                                 NULL, NULL, instance, NULL);
    return MainWindow;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HideTileTipOn(window, message, wParam);
    UpdateFindBarOn(window, message);
    if (CarryTakesMessage(window, message, wParam))
        return 0;
    switch (message) {
    case WM_CREATE:         OnCreate(window); return 0;
    case WM_SETTINGCHANGE:  OnWheelSettingChange(); return 0;
    case WM_MOVE:           OnMove(window); return 0;
    case WM_HOTKEY:         OnHotkey(window); return 0;
    case WM_DESTROY:        OnDestroy(window); return 0;
    case WM_NCDESTROY:      OnNcDestroy(window); return DefWindowProcW(window, message, wParam, lParam);

    case WM_PAINT:          OnPaint(window); return 0;
    case WM_ERASEBKGND:     return 1;

    case WM_SIZE:           OnSize(window, lParam); return 0;
    case WM_HSCROLL:        OnScroll(window, SB_HORZ, wParam); return 0;
    case WM_VSCROLL:        OnScroll(window, SB_VERT, wParam); return 0;
    case WM_MOUSEWHEEL:     return OnMouseWheel(window, wParam, lParam);

    case WM_KEYDOWN:        OnKeyDown(window, wParam); return 0;
    case WM_CHAR:           OnCharacter(window, wParam); return 0;
    case WM_SYSKEYDOWN:     return OnSysKeyDown(window, wParam, lParam);

    case WM_ACTIVATE:       return OnActivate(window, wParam, lParam);

    case WM_MOUSEMOVE:      OnMouseMove(window, wParam, lParam); return 0;
    case WM_MOUSEHOVER:     OnMouseHover(window, lParam); return 0;
    case WM_MOUSELEAVE:     OnMouseLeave(window); return 0;

    case WM_GETOBJECT:      return OnGetObject(window, wParam, lParam);
    case WM_TILE_ACCESSIBLE_ACTION: OnTileAccessibleAction(window, wParam); return 0;
    case WM_SETFOCUS:       OnSetFocus(window); return 0;

    case WM_LBUTTONDOWN:    OnLeftButtonDown(window, wParam, lParam); return 0;
    case WM_LBUTTONUP:      OnLeftButtonUp(window, wParam, lParam); return 0;
    case WM_TIMER:          OnTimer(window, wParam); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(window, lParam); return 0;
    case WM_MBUTTONDOWN:    OnMiddleButtonDown(window); return 0;
    case WM_RBUTTONDOWN:    OnRightButtonDown(window, wParam, lParam); return 0;
    case WM_DROPFILES:      OnDropFiles(window, (HDROP)wParam); return 0;

    default:                return DefWindowProcW(window, message, wParam, lParam);
    }
}

int WheelStepFromLines(UINT lines)
{
    return lines == 0 ? 0 : (int)(120u / lines);
}

void OnCreate(HWND window)
{
    OnWheelSettingChange();
    // Files and folders dragged from the file manager may be dropped on empty tiles.
    DragAcceptFiles(window, TRUE);
}

void OnWheelSettingChange(void)
{
    UINT lines = 0;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    AppSettings.wheelStep = WheelStepFromLines(lines);
}

void OnMove(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    AppSettings.windowLeft = rect.left;
    AppSettings.windowTop = rect.top;
}

void OnHotkey(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    else if (window == GetForegroundWindow())
        ShowWindow(window, SW_MINIMIZE);
    else
        SetForegroundWindow(window);
}

void OnDestroy(HWND)
{
    // A close request that reaches the window while the box below is open destroys it again:
    // the shutdown's save and rotation must still run once.
    static bool shuttingDown;
    if (shuttingDown)
        return;
    shuttingDown = true;
    // The quit message is posted last: a message box shown before it must stay open
    // until the user has read it, and its modal loop would end at once on WM_QUIT.
    if (SaveConfig() != 0)
        MessageBoxW(NULL, ConfigWriteFailedText, NULL, MB_OK);
    RotateBackups();
    PostQuitMessage(0);
    shuttingDown = false;
}

void OnNcDestroy(HWND window)
{
    ReleaseGridAccessible();
    ReleaseTileTip(window);
}
