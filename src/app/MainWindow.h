// The main window: its class, its creation and its window procedure.
#pragma once
#include <windows.h>

extern const wchar_t MainWindowClassName[];
extern const wchar_t MainWindowTitle[];

const DWORD MainWindowStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;

// Creates the class's background brush and registers the class; false on failure.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the window at the placement held in AppSettings and stores it in MainWindow.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 120 divided by the wheel-scroll-lines setting, unsigned; 0 for a setting of 0.
int WheelStepFromLines(UINT lines);

// Handlers of the messages that belong to the application shell.
void OnCreate(HWND window);
void OnWheelSettingChange(void);
void OnMove(HWND window);
void OnHotkey(HWND window);
void OnDestroy(HWND window);
// The window's last message: what served it (the accessible list, the tip) is let go.
void OnNcDestroy(HWND window);
