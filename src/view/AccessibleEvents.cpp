#include "view/AccessibleEvents.h"

#include "model/Geometry.h"
#include "model/TileGrid.h"

bool GridHasKeyboardFocus(HWND window)
{
    // The focus of the foreground thread, as screen readers take it: GetFocus would answer
    // this thread's own focus, which stays on the window while another program is in front.
    GUITHREADINFO foreground = {};
    foreground.cbSize = sizeof(foreground);
    if (window == NULL || !GetGUIThreadInfo(0, &foreground))
        return false;
    return foreground.hwndFocus == window && !(foreground.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE));
}

static void Raise(DWORD event, long child)
{
    if (MainWindow != NULL && child > 0)
        NotifyWinEvent(event, MainWindow, OBJID_CLIENT, child);
}

void AnnounceTileChanged(int row, int column)
{
    long child = TileChildId(row, column);
    Raise(EVENT_OBJECT_NAMECHANGE, child);
    Raise(EVENT_OBJECT_VALUECHANGE, child);
}

void AnnounceSelection(void)
{
    long child = TileChildId(AppSettings.selectedRow, AppSettings.selectedColumn);
    if (GridHasKeyboardFocus(MainWindow))
        Raise(EVENT_OBJECT_FOCUS, child);
    Raise(EVENT_OBJECT_SELECTION, child);
}

void AnnounceGridReordered(void)
{
    if (MainWindow != NULL)
        NotifyWinEvent(EVENT_OBJECT_REORDER, MainWindow, OBJID_CLIENT, CHILDID_SELF);
}

void OnSetFocus(HWND window)
{
    if (window == MainWindow && GridHasKeyboardFocus(window))
        Raise(EVENT_OBJECT_FOCUS, TileChildId(AppSettings.selectedRow, AppSettings.selectedColumn));
}
