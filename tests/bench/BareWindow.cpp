// The floor of the start-up benchmark: a bare Win32 window of Vantrel's class style and
// size, shown and painted once, with a white mark where Vantrel frames its first tile.
//     bare_window.exe <outer width> <outer height> [<folder of targets> <rows> <columns>]
// With a folder it also looks up and draws the shell icons of the tiles its client shows,
// named as the benchmark names them, and nothing else. Without one it imports nothing but
// the window and graphics libraries: the shell's libraries are loaded only for the icons.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

#include "BenchTargets.h"

static const wchar_t* targetFolder;
static int gridRows;
static int gridColumns;

static void DrawVisibleIcons(HDC dc, const RECT* client)
{
    typedef BOOL(WINAPI * ImageListsProc)(HIMAGELIST*, HIMAGELIST*);
    typedef DWORD_PTR(WINAPI * FileInfoProc)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
    typedef BOOL(WINAPI * DrawProc)(HIMAGELIST, int, HDC, int, int, UINT);
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ImageListsProc imageLists = (ImageListsProc)(void*)GetProcAddress(shell, MAKEINTRESOURCEA(71));
    FileInfoProc fileInfo = (FileInfoProc)(void*)GetProcAddress(shell, "SHGetFileInfoW");
    DrawProc draw = (DrawProc)(void*)GetProcAddress(controls, "ImageList_Draw");
    HIMAGELIST large = NULL;
    HIMAGELIST small = NULL;
    imageLists(&large, &small);
    for (int row = 1; row <= gridRows; row++) {
        for (int column = 1; column <= gridColumns; column++) {
            int left = 10 + (column - 1) * 103;
            int top = 10 + (row - 1) * 103;
            if (left > client->right || top > client->bottom)
                continue;
            wchar_t path[MAX_PATH];
            BenchTargetPath(targetFolder, row, column, path, MAX_PATH);
            SHFILEINFOW info = {};
            if (fileInfo(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SHELLICONSIZE))
                draw(large, info.iIcon, dc, left + 35, top + 35, ILD_TRANSPARENT);
        }
    }
}

static LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
        if (targetFolder != NULL)
            DrawVisibleIcons(dc, &client);
        RECT mark = { 10, 10, 15, 112 };
        FillRect(dc, &mark, (HBRUSH)GetStockObject(WHITE_BRUSH));
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    int width = __argc > 2 ? _wtoi(__wargv[1]) : 859;
    int height = __argc > 2 ? _wtoi(__wargv[2]) : 646;
    if (__argc > 5) {
        targetFolder = __wargv[3];
        gridRows = _wtoi(__wargv[4]);
        gridColumns = _wtoi(__wargv[5]);
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
    windowClass.lpszClassName = L"VantrelBenchFloor";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"VantrelBenchFloor", L"Floor", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 0, 0,
                                  width, height, NULL, NULL, instance, NULL);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
