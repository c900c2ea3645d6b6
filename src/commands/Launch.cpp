#include "commands/Launch.h"

#include <shellapi.h>

#include "model/TileGrid.h"
#include "shell/Com.h"
#include "shell/FailureBox.h"

const wchar_t ShellExecuteFailedText[] = L"ShellExecuteW()  -\n\n ";
const wchar_t ShellExecuteExFailedText[] = L"ShellExecuteExW()  -\n\n ";

DWORD ShellExecuteResultError(INT_PTR result)
{
    switch (result) {
    case 0:                         return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE:              return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:            return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:            return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:        return ERROR_DLL_NOT_FOUND;
    default:                        return (DWORD)result;   // 2, 3, 5, 8, 11 are Win32 errors already
    }
}

// Shows the failure box for a failed shell call. The shell does not always set the
// thread's error; a box must never call a failure "the operation completed successfully".
static void ReportShellFailure(const wchar_t* callerText, INT_PTR result)
{
    if (GetLastError() == ERROR_SUCCESS)
        SetLastError(ShellExecuteResultError(result));
    ReportLastError(callerText);
}

// The second attempt for a type without association: open it for editing, maximised.
static void EditInstead(const wchar_t* path)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = 0;
    info.hwnd = NULL;
    info.lpVerb = L"edit";
    info.lpFile = path;
    info.nShow = SW_SHOWMAXIMIZED;
    EnsureComInitialized();
    SetLastError(ERROR_SUCCESS);
    if (!ShellExecuteExW(&info))
        ReportShellFailure(ShellExecuteExFailedText, (INT_PTR)info.hInstApp);
}

void LaunchTile(int row, int column)
{
    const wchar_t* path = TileAt(row, column)->path;
    HCURSOR kept = SetCursor(LoadCursorW(NULL, IDC_WAIT));
    EnsureComInitialized();
    SetLastError(ERROR_SUCCESS);
    INT_PTR result = (INT_PTR)ShellExecuteW(MainWindow, NULL, path, NULL, NULL, SW_SHOWNORMAL);
    if (result == SE_ERR_NOASSOC)
        EditInstead(path);
    else if ((UINT_PTR)result <= 32)
        ReportShellFailure(ShellExecuteFailedText, result);
    SetCursor(kept);
}

void RunTileAsAdministrator(int row, int column)
{
    const wchar_t* path = TileAt(row, column)->path;
    HCURSOR kept = SetCursor(LoadCursorW(NULL, IDC_WAIT));
    EnsureComInitialized();
    SetLastError(ERROR_SUCCESS);
    INT_PTR result = (INT_PTR)ShellExecuteW(MainWindow, L"runas", path, NULL, NULL, SW_SHOWNORMAL);
    if ((UINT_PTR)result <= 32) {
        ReportShellFailure(ShellExecuteFailedText, result);
        if (result == SE_ERR_NOASSOC)
            EditInstead(path);
    }
    SetCursor(kept);
}
