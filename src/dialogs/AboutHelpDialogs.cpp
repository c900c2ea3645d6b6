#include "dialogs/Dialogs.h"

#include "model/TileGrid.h"
#include "resources/resource.h"

static const int PictureControl = IDC_NOTE_1;
static const int BuildDateLine = IDC_LABEL_2;

// Shows the picture at its own size and, where the template has the line, the build
// date. The picture lives from here to the close, in the dialog's own handle.
static void OnInitPictureDialog(HWND dialog, int bitmapId, HBITMAP* picture)
{
    HWND dateLine = GetDlgItem(dialog, BuildDateLine);
    if (dateLine != NULL)
        SetWindowTextW(dateLine, AppSettings.buildDateText);
    *picture = LoadBitmapW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(bitmapId));
    if (*picture != NULL) {
        // The control hands back any image it held before; nothing else would free it.
        HGDIOBJ previous = (HGDIOBJ)SendDlgItemMessageW(dialog, PictureControl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)*picture);
        if (previous != NULL && previous != *picture)
            DeleteObject(previous);
    }
}

static INT_PTR PictureDialogProc(HWND dialog, UINT message, WPARAM wParam, int bitmapId, HBITMAP* picture)
{
    if (message == WM_INITDIALOG) {
        OnInitPictureDialog(dialog, bitmapId, picture);
        return 1;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        if (*picture != NULL)
            DeleteObject(*picture);
        *picture = NULL;
        return 1;
    }
    return 0;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    static HBITMAP picture;
    return PictureDialogProc(dialog, message, wParam, IDB_ABOUT, &picture);
}

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    static HBITMAP picture;
    return PictureDialogProc(dialog, message, wParam, IDB_HELP, &picture);
}

void ShowAboutDialog(void)
{
    RunDialog(IDD_ABOUT, AboutDialogProc);
}

void ShowHelpDialog(void)
{
    RunDialog(IDD_HELP, HelpDialogProc);
}
