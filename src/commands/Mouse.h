// The three mouse buttons on the grid.
#pragma once
#include <windows.h>

// True for a click made with Shift or Ctrl held.
bool IsModifiedClick(WPARAM keyState);

// Forgets the last left click, so that the next one cannot be the second of a double click.
void ForgetLastClick(void);

// WM_MOUSEMOVE: a pressed or carried tile follows the pointer; otherwise the tip tracks it.
void OnMouseMove(HWND window, WPARAM keyState, LPARAM point);

// WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN.
void OnLeftButtonDown(HWND window, WPARAM keyState, LPARAM point);
void OnMiddleButtonDown(HWND window);
void OnRightButtonDown(HWND window, WPARAM keyState, LPARAM point);
