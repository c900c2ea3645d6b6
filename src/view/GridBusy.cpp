#include "view/GridBusy.h"

#include <wchar.h>

static BOOL CALLBACK FindShownDialog(HWND window, LPARAM found)
{
    wchar_t name[8];
    if (IsWindowVisible(window) && GetClassNameW(window, name, _countof(name)) && wcscmp(name, L"#32770") == 0) {
        *(bool*)found = true;
        return FALSE;
    }
    return TRUE;
}

bool GridIsBusy(HWND window)
{
    // A tile carried holds the mouse: until it lands or is let go, nothing else may act.
    if (!IsWindowEnabled(window) || GetCapture() == window)
        return true;
    // A menu does not disable its owner, and Return would go to the menu.
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    const DWORD modal = GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE | GUI_INMOVESIZE;
    if (GetGUIThreadInfo(thread, &info) && (info.flags & modal))
        return true;
    // A box without an owner (a failed save's) disables nothing either.
    bool dialog = false;
    EnumThreadWindows(thread, FindShownDialog, (LPARAM)&dialog);
    return dialog;
}
